// The main window: owns the store, the tree, the file list and the shell objects, and routes
// every control's events to the object that owns the control.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/prompter.h"
#include "app/win32/win32_util.h"
#include "binders/win32/binder_tree.h"
#include "store/binder_store.h"
#include "store/win32/win32_collation.h"
#include "store/win32/win32_store_files.h"

namespace velmora {

// Where the program runs from and what it was started with.
struct AppEnvironment {
  std::string exeDir;  // with trailing backslash; holds "data", "Help" and "start.wav"
  std::vector<std::string> params;
  static AppEnvironment FromProcess();
};

class TOrvikBinder {
 public:
  // Prompter: who answers questions and shows messages (the real boxes when null).
  explicit TOrvikBinder(AppEnvironment env, Prompter* prompter = nullptr);
  ~TOrvikBinder();
  TOrvikBinder(const TOrvikBinder&) = delete;
  TOrvikBinder& operator=(const TOrvikBinder&) = delete;

  static bool RegisterWindowClass(HINSTANCE instance);

  // Creates the window hidden, then runs construction and the creation handler.
  HWND Create(HINSTANCE instance);
  // Shows the window unless in registration mode.
  void Show(int showCommand);
  // Accelerators and the application hint; true when the message was consumed.
  bool PreTranslateMessage(MSG& msg);

  HWND hwnd() const { return hwnd_; }
  bool registrationMode() const { return registrationMode_ != 0; }
  int systemLevel() const { return systemLevel_; }
  int leftPaneWidth() const { return leftWidth_; }
  BinderStore& store() { return store_; }
  BinderTree& tree() { return tree_; }
  const std::string& rootFolder() const { return rootFolder_; }
  const std::string& currentFolder() const { return currentFolder_; }
  HWND control(int id) const { return GetDlgItem(hwnd_, id); }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void ShowException(const char* what);

  // Start and end.
  void CreateControls();
  void Construct();
  void FormCreate();
  void FormClose();
  void FormDestroy();
  void LoadImageLists();
  void CreateMainMenu();
  void SetUpRootIcon();
  void SetUpSystemImageLists();

  // Layout and settings.
  void Layout();
  void SplitterMoved();
  void SetLeftPaneWidth(int width);
  void LargeIconsChanged(bool userClicked);

  // Hints.
  void AddControlHint(HWND control, const std::string& hint);
  std::string HintAt(HWND window, POINT screenPoint) const;
  void ApplicationHintChanged(const std::string& hint);
  void SetStatusText(int panel, const std::string& text);
  void SetStatusPath(const std::string& text);

  // Commands and notifications.
  void OnCommand(int id, int code, HWND control);
  LRESULT OnNotify(NMHDR* header);
  void ExpandButtonClick(int tag);
  void OpenHelp();
  void OnInitMenuPopup(HMENU menu);
  void OnMeasureItem(MEASUREITEMSTRUCT* mi);
  void OnDrawItem(DRAWITEMSTRUCT* di);

  // Tree events.
  void TreeView1Click();
  void TreeView1DblClick();

  AppEnvironment env_;
  Win32Prompter defaultPrompter_;
  Prompter* prompter_;
  Win32Collation collation_;
  Win32StoreFiles files_;
  BinderStore store_;
  BinderTree tree_;

  HWND hwnd_ = nullptr;
  HINSTANCE instance_ = nullptr;
  HFONT font_ = nullptr;
  HWND tooltip_ = nullptr;
  HMENU mainMenu_ = nullptr;
  HACCEL accelerators_ = nullptr;

  int registrationMode_ = 0;
  int systemLevel_ = 0;
  bool dragFromList_ = false;
  bool dragFromTree_ = false;
  bool thumbnailMode_ = false;
  bool oleInitialized_ = false;
  bool comInitialized_ = false;

  ComPtr<IMalloc> shellMalloc_;
  ComPtr<IShellFolder> desktopFolder_;

  HIMAGELIST imageList1_ = nullptr;  // 16-pixel tree and menu pictures
  HIMAGELIST imageList2_ = nullptr;  // thumbnails
  HIMAGELIST imageList3_ = nullptr;  // 32-pixel tree pictures
  HIMAGELIST imageList4_ = nullptr;  // the shell's large list, shared, not owned
  HIMAGELIST listBarImages_ = nullptr;
  HIMAGELIST systemSmall_ = nullptr;
  HIMAGELIST systemLarge_ = nullptr;
  int defaultFileIcon_ = 0;
  int defaultFolderIcon_ = 0;
  int thumbWidth_ = 32;
  int thumbHeight_ = 32;
  int rootIndex16_ = 0;
  int rootIndex32_ = 0;
  int rootIndex_ = 0;

  int leftWidth_ = 152;
  bool splitterTracking_ = false;
  int splitterGrabOffset_ = 0;

  std::map<HWND, std::string> controlHints_;
  std::map<int, std::string> commandHints_;
  std::map<UINT, int> menuImages_;
  std::string applicationHint_;
  std::string statusPath_;

  std::string rootFolder_;
  std::string currentFolder_;
};

}  // namespace velmora
