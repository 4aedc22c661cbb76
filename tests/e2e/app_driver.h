// Starts velmora.exe in a folder of its own and drives it from this process, as a user or
// another program would: window lookup, remote reads of its controls, clicks, keys, close.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "support/test_files.h"

namespace e2e {

// Waits for a condition with a deadline, trying it every poll; true when it held in time.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline = std::chrono::seconds(30),
             std::chrono::milliseconds poll = std::chrono::milliseconds(20));

using test_support::Exists;
using test_support::FolderNames;
using test_support::MakeShortcut;
using test_support::ReadBytes;
using test_support::ShortcutTarget;
using test_support::WriteBytes;

using TempFolder = test_support::TempFolder;

// A block of memory inside another process, for messages whose parameters point to memory.
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, std::size_t size);
  ~RemoteBuffer();
  void* address() const { return address_; }
  void Write(const void* data, std::size_t size, std::size_t offset = 0);
  void Read(void* data, std::size_t size, std::size_t offset = 0) const;

 private:
  HANDLE process_;
  void* address_;
};

struct TreeNode {
  std::string text;
  int level = 0;
  bool expanded = false;
  bool selected = false;
  bool ghosted = false;
  int image = 0;
  HTREEITEM handle = nullptr;
  std::vector<TreeNode> children;
};

class AppDriver {
 public:
  // Copies velmora.exe with its help page and sound into a new folder; data files can be
  // prepared with WriteData before Start.
  AppDriver();
  // Runs the velmora.exe that is already in folder (with a trailing backslash), an unpacked
  // release say; the folder is left to its owner.
  explicit AppDriver(const std::string& folder);
  ~AppDriver();

  const std::string& appDir() const { return dir_; }
  std::string dataPath(const std::string& name) const { return dir_ + "data\\" + name; }
  void WriteData(const std::string& name, const std::string& bytes);
  std::string ReadData(const std::string& name) const { return ReadBytes(dataPath(name)); }

  // An environment variable the program is started with (the shell's trash location, say).
  void SetEnvironment(const std::string& name, const std::string& value) { environment_.push_back({name, value}); }
  // Starts the program and waits until its main window is shown; after Close it may be
  // started again on the same data.
  bool Start(const std::string& arguments = std::string(), bool expectVisible = true);
  HWND window() const { return window_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  // Posts WM_CLOSE and waits for the process to end; returns its exit code or -1.
  int Close();
  bool Running() const;

  std::vector<TreeNode> ReadTree() const;
  std::string StatusText(int panel) const;
  std::string WindowText(HWND hwnd) const;
  // Clicks the client point of a control with real mouse input.
  void Click(HWND control, POINT client);
  bool ClickTreeNode(HTREEITEM item);
  bool TreeItemRect(HTREEITEM item, RECT& rect) const;
  HTREEITEM TreeSelection() const;
  // Finds a node by its text anywhere in the tree.
  HTREEITEM FindTreeNode(const std::string& text) const;
  // Makes a binder through the window's own new-binder box; true once its node shows.
  bool MakeBinder(const std::string& name);

  int ListRowCount() const;
  std::string ListCellText(int row, int column) const;
  std::vector<std::string> ListColumn(int column) const;
  bool IsListRowSelected(int row) const;
  void SelectListRow(int row, bool selected = true);
  bool ListRowRect(int row, RECT& rect) const;
  // Two clicks in the middle of a row's label, as a double click.
  bool DoubleClickListRow(int row);
  // A visible dialog (class #32770) of the program's process, or null.
  HWND FindDialog() const;
  // Key down and up posted to a control, as the keyboard would deliver them.
  void PressKey(HWND control, WPARAM key);
  bool ClickToolbarButton(int barId, int commandId);
  // Clicks the middle of a row's label: the row alone is selected and the list has the focus.
  bool ClickListRow(int row);
  // Key with Ctrl held, as real keyboard input to the foreground window's focus.
  void PressControlKey(WORD key);
  // A key with its modifiers held (VK_SHIFT, VK_CONTROL, VK_MENU), as real keyboard input to
  // whatever has the focus.
  void PressChord(WORD key, std::initializer_list<WORD> modifiers = {}) const;
  // Letters and digits typed as keys; capitals with Shift.
  void TypeText(const std::string& text) const;
  // The control of the program that has the keyboard focus; null when none.
  HWND FocusedControl() const;

  // A top-level window of the program (a dialog, say) by class and caption; null when none.
  HWND FindWindowOf(const char* className, const std::string& caption) const;
  // Makes the node the tree's selection, as a click would.
  bool SelectTreeNode(HTREEITEM item);
  // Any list view of the program: a cell's text, a row's image and selection.
  int ListViewRowCount(HWND list) const;
  std::string ListViewText(HWND list, int row, int column) const;
  std::vector<std::string> ListViewColumn(HWND list, int column) const;
  int ListViewImage(HWND list, int row) const;
  void SetListViewRowSelected(HWND list, int row, bool selected);

  HANDLE process() const { return process_.hProcess; }

 private:
  TreeNode ReadTreeItem(HWND tree, HTREEITEM item, int level) const;
  void ReleaseProcess();

  std::optional<TempFolder> own_;
  std::string dir_;
  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
  std::vector<std::pair<std::string, std::string>> environment_;
};

// CF_HDROP as a copying program puts it: the 20-byte header (files at offset 20, no point,
// ANSI names), then every name with its nul and one more nul.
std::string DropBlock(const std::vector<std::string>& paths);
// Puts a CF_HDROP block on the clipboard, as a copy in another program does.
bool PutOnClipboard(const std::string& block);

// The Windows path, with a trailing backslash, of a folder named by an environment variable
// (a Unix path from CTest or the test scripts); empty when the variable is not set.
std::string FolderFromEnvironment(const char* name);
// A visible top-level window of class className in the process pid; null when none.
HWND FindVisibleWindow(DWORD pid, const char* className);
// Runs a program of the Unix side under Wine (argv[0] a path or a name on PATH) and waits
// for it; false when not under Wine (nothing is run).
bool RunUnixProgram(std::vector<std::string> argv);

// The Windows path of the built application folder (from VELMORA_APP_DIR).
std::string AppSourceDir();
// The Unix path of a Windows path under Wine; empty elsewhere.
std::string UnixPath(const std::string& path);
std::string UnixPath(const std::wstring& path);

}  // namespace e2e
