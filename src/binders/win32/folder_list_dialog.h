// "フォルダの一覧(&L)": the folders of one binder with their paths, to copy as a file list or
// to remove from the binder. Removals reach the store when the dialog ends with OK.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "binders/folder_list.h"
#include "win32/owned_handle.h"

namespace velmora {

class TFolderListDlg {
 public:
  static constexpr int kListId = 100;
  static constexpr int kCopyId = 101;    // "コピー(&C)", Ctrl+C
  static constexpr int kDeleteId = 102;  // "削除(&D)", Delete
  static constexpr int kWidth = 577, kHeight = 300;
  static constexpr int kMinWidth = 400, kMinHeight = 300;
  static constexpr int kStripHeight = 32, kButtonWidth = 75, kButtonHeight = 25;

  // smallImages: the main window's small system image list, shared, never destroyed here.
  TFolderListDlg(HWND owner, FolderListEdit& edit, const std::string& binder, HIMAGELIST smallImages);
  ~TFolderListDlg();
  TFolderListDlg(const TFolderListDlg&) = delete;
  TFolderListDlg& operator=(const TFolderListDlg&) = delete;

  // Makes the window, hidden, with its rows; ShowModal does it when it has not been done.
  bool Create();
  // Shows the dialog and returns when it ends: IDOK after the removals were applied to the
  // store, IDCANCEL with the store untouched. The owner is disabled meanwhile.
  int ShowModal();
  // The paths OK removed from the binder: under the binder's node, the first folder node of
  // each path (byte for byte) goes.
  const std::vector<std::string>& applied() const { return applied_; }

  HWND hwnd() const { return hwnd_; }
  HWND list() const { return list_; }
  // The context menu's commands, on the selected rows.
  void CopySelected();
  void DeleteSelected();
  // The list's context menu, its items enabled exactly while a row is selected; the caller
  // destroys it.
  HMENU MakeContextMenu() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void Fill();
  void Layout();
  void ShowContextMenu(LPARAM at);
  std::vector<int> SelectedRows() const;
  void End(int result);

  HWND owner_;
  FolderListEdit& edit_;
  std::string binder_;
  HIMAGELIST smallImages_;
  HWND hwnd_ = nullptr;
  HWND list_ = nullptr;
  HWND ok_ = nullptr;
  HWND cancel_ = nullptr;
  OwnedFont font_;
  int result_ = 0;
  std::vector<std::string> applied_;
};

}  // namespace velmora
