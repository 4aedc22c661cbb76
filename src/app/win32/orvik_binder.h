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
#include "browse/enumeration.h"
#include "browse/file_record.h"
#include "browse/record_sort.h"
#include "browse/win32/file_info_thread.h"
#include "browse/win32/file_list_view.h"
#include "browse/win32/shell_file_info.h"
#include "browse/win32/win32_directory.h"
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
  const FileRecordList& fileRecords() const { return fileRecords_; }
  FileListView& listView() { return listView_; }
  ShellFileInfo& shellInfo() { return shellInfo_; }
  bool flatListing() const { return flatListing_; }
  bool hourglass() const { return hourglass_; }
  bool WorkerRunning() const { return worker_ && !worker_->finished; }
  // Records completed by workers since the window was made.
  std::size_t completions() const { return completions_; }
  int defaultFileIcon() const { return defaultFileIcon_; }
  int defaultFolderIcon() const { return defaultFolderIcon_; }

  // Folder browsing.
  void ListFolder(const std::string& path, bool flat);
  void ClearFileRecords();
  void StartFileInfoWorker();
  void StopFileInfoWorker();
  void TreeView1Click();
  void OpenFolder(const std::string& path);
  void EnterFolder(int row, const std::string& fullPath);
  void GoUp();
  void SpeedButton4Click();
  void SaveSelection(int row);
  int SelectRowByName(const std::string& name, bool makeVisible);
  void SpeedBtn1Click(int pressedId);
  void ListView1ColumnClick(int column);
  void LeaveThumbnailMode(bool refresh);
  // Creates or refreshes (row >= 0) the record of one entry.
  void AddFileRecord(const std::string& fullPath, bool isFile, bool withShellInfo, int row, const FindEntry& entry);
  std::string RowFullPath(int row) const;

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
  void LargeIconsChanged();

  // Hints.
  void AddControlHint(HWND control, const std::string& hint);
  std::string HintAt(HWND window, POINT screenPoint) const;
  void ApplicationHintChanged(const std::string& hint);
  void SetStatusText(int panel, const std::string& text);
  void SetStatusPath(const std::string& text);

  // Commands and notifications.
  void OnCommand(int id, int code);
  LRESULT OnNotify(NMHDR* header);
  void ExpandButtonClick(int tag);
  void OpenHelp();
  void OnInitMenuPopup(HMENU menu);
  void OnMeasureItem(MEASUREITEMSTRUCT* mi);
  void OnDrawItem(DRAWITEMSTRUCT* di);

  // Tree and list events.
  void TreeView1DblClick();
  void TreeView1KeyUp(WPARAM key);
  void ListView1MouseMove();
  void OpenRow(int row);
  bool ListSelectedFoldersFlat();
  ListingOptions CurrentListingOptions() const;
  LRESULT CompleteRecord(LPARAM id);
  void FileInfoWorkerDone(unsigned id);
  int FillFileInfo(const std::string& relativePath, FileRecord& record);
  void SetButtonEnabled(int id, bool enabled);
  bool IsButtonEnabled(int id) const;
  void SetViewButtons(ViewStyle style);

  // Dragging out of the window.
  void BeginInternalDrag(bool fromList);
  void EndInternalDrag();
  void Timer1Timer();
  void StartShellDrag(const std::vector<std::string>& paths);

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

  FileRecordList fileRecords_;
  FileListView listView_;
  ListSort listSort_;
  ShellFileInfo shellInfo_;
  LocaleSeparators separators_;
  std::unique_ptr<TFileInfoThread> worker_;
  unsigned workerCount_ = 0;
  std::size_t completionCursor_ = 0;
  std::size_t completions_ = 0;
  bool stopThumbnails_ = false;
  bool flatListing_ = false;
  bool hourglass_ = false;
};

}  // namespace velmora
