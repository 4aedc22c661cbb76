// The folder registration dialog: which binder gets the folders sent to the program. The
// user picks a binder from the list or types a new name into the box that lies over the
// list's text; the dialog only collects the name, the caller writes the store.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "win32/owned_handle.h"

namespace velmora {

class TBinderAddDlg {
 public:
  static constexpr const char* kWindowClass = "TBinderAddDlg";
  static constexpr const char* kCaption = "Velmora へのフォルダ登録";
  // Control ids, also used by the tests that drive the dialog from another process.
  static constexpr int kBinderListId = 101;
  static constexpr int kNameBoxId = 102;
  static constexpr int kPromptLabelId = 103;
  static constexpr int kNameLabelId = 104;

  // pictures: picture 0 is the binder picture drawn beside every entry (may be null).
  explicit TBinderAddDlg(HIMAGELIST pictures = nullptr, HWND owner = nullptr);
  ~TBinderAddDlg();
  TBinderAddDlg(const TBinderAddDlg&) = delete;
  TBinderAddDlg& operator=(const TBinderAddDlg&) = delete;

  // The list's entries, one title a line (CR, LF or CR LF); empty lines are skipped.
  void Fill(const std::string& titlesText);
  // Creates the dialog (hidden until ShowModal, or for tests Create then drive it).
  bool Create();
  // Shows the dialog and runs its own message loop until OK or Cancel; true on OK.
  bool ShowModal();
  // The name box's text (as it was when the dialog ended, or now while it runs).
  std::string Name() const;
  bool ended() const { return ended_; }
  bool accepted() const { return accepted_; }

  HWND hwnd() const { return hwnd_; }
  HWND binderList() const { return GetDlgItem(hwnd_, kBinderListId); }
  HWND nameBox() const { return GetDlgItem(hwnd_, kNameBoxId); }
  HWND okButton() const { return GetDlgItem(hwnd_, IDOK); }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  void ListSelectionChanged();
  void NameChanged();
  void DrawEntry(const DRAWITEMSTRUCT& di);
  void Paint();
  void End(bool ok);

  HIMAGELIST pictures_;
  HWND owner_;
  HWND hwnd_ = nullptr;
  OwnedFont font_;      // 12 pixels: labels and buttons
  OwnedFont listFont_;  // 13 pixels
  OwnedFont nameFont_;  // 15 pixels
  OwnedBrush panelBrush_;
  OwnedBrush listBrush_;
  std::string titles_;
  std::string name_;
  bool ended_ = false;
  bool accepted_ = false;
};

}  // namespace velmora
