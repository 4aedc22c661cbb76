// The real main window in this process over temporary folders, with a message pump that
// waits for conditions under a deadline.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/win32/control_ids.h"
#include "app/win32/orvik_binder.h"
#include "support/recording_prompter.h"
#include "support/temp_folder.h"
#include "support/test_files.h"
#include "win32/strings.h"

namespace velmora {
namespace testing_support {

using ::velmora::RecordingPrompter;
using TempDir = test_support::TempFolder;

using test_support::MakeFile;
using test_support::MakeShortcut;
using test_support::ReadBytes;
using test_support::WriteBytes;
void MakeFolder(const std::string& path);
// Runs the message loop until the condition holds or the deadline passes.
bool PumpUntil(TOrvikBinder* window, const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::seconds(60));
void PumpPending(TOrvikBinder* window);
// A key pressed and released on a control, with Ctrl held or not, as the message loop
// delivers it: through the window's accelerators.
void PressKey(TOrvikBinder* window, HWND target, WPARAM key, bool control = false);

// Folders of 40-character names under base, nested until the path passes minLength, with the
// named empty files in the deepest; made through the long-path prefix and removed again,
// since the temporary folder's own clean-up cannot reach past 260 characters.
class DeepFolder {
 public:
  DeepFolder(const std::string& base, std::size_t minLength, const std::vector<std::string>& files = {});
  ~DeepFolder();
  DeepFolder(const DeepFolder&) = delete;
  DeepFolder& operator=(const DeepFolder&) = delete;
  const std::string& path() const { return path_; }  // without a trailing backslash

 private:
  std::string path_;
  std::vector<std::wstring> folders_;
  std::vector<std::wstring> files_;
};

// A shell drop as WM_DROPFILES carries it, dropped at a point of the main window's client area.
HDROP MakeDrop(const std::vector<std::string>& names, POINT at);
// Puts raw bytes on the clipboard as CF_HDROP, as another program would.
void PutBlockOnClipboard(HWND owner, const std::string& block);

// The Unix path of a DOS path under Wine; empty elsewhere.
std::string UnixPath(const std::string& dosPath);
// Runs a script with the Unix shell, outside Wine; false when not under Wine.
bool RunUnixShell(const std::string& script, bool wait = true);

// The folder holding the shell's freedesktop trash (XDG_DATA_HOME/Trash) for this process:
// one of the tests', so that no shared trash is touched. Empty when not under Wine.
const std::string& TrashHome();

// Answers the dialogs this thread shows while it lives by pressing the given buttons in
// turn (IDYES, IDNO, ...); dialogs beyond the answers are cancelled. For the shell's own
// questions, which no prompter stands in for.
class DialogAnswers {
 public:
  explicit DialogAnswers(std::vector<int> buttons);
  ~DialogAnswers();
  DialogAnswers(const DialogAnswers&) = delete;
  DialogAnswers& operator=(const DialogAnswers&) = delete;
  int answered = 0;

 private:
  static LRESULT CALLBACK OnActivate(int code, WPARAM wp, LPARAM lp);
  std::vector<int> buttons_;
  HHOOK hook_ = nullptr;
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Writes the store files and creates the window.
  void Open(const std::string& titles = std::string(), const std::string& folders = std::string(),
            const std::string& selections = std::string());
  // Creates the window over env: where it runs from and what its start-up calls give.
  void OpenWith(const AppEnvironment& env);
  void Close();
  // Opens the window with the content folder registered in the binder "Work" and lists it,
  // with the shell's questions before deleting and replacing turned off.
  void ShowContent();
  HTREEITEM FindNode(const std::string& text) const;
  void ClickNode(const std::string& text);
  std::vector<std::string> Names() const;
  // Drive the window through the messages a user's action sends.
  void Command(int id);
  void ClickColumn(int column);
  void DoubleClickRow(int row);
  std::string CellText(int row, int column) const;
  bool WaitForWorker() { return PumpUntil(window.get(), [&] { return !window->browser().WorkerRunning(); }); }
  // A listing's rows come from its loader thread: the actions that list wait for its end.
  bool WaitForListing() { return PumpUntil(window.get(), [&] { return !window->browser().loading(); }); }

  TempDir app;
  TempDir content;
  RecordingPrompter prompter;
  std::unique_ptr<TOrvikBinder> window;
};

}  // namespace testing_support
}  // namespace velmora
