// The file commands as the file list offers them: they find the rows a command acts on,
// hand their full paths to FileCommands and apply what comes back to the browser's records.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <functional>

#include "browse/win32/browser.h"
#include "common/command_table.h"
#include "shellops/list_menu.h"
#include "shellops/win32/file_commands.h"
#include "win32/owned_handle.h"

namespace velmora {

class ListCommands {
 public:
  ListCommands(Browser& browser, const ShellContext& shell, Prompter& prompter, const Collation& collation);
  ~ListCommands();
  ListCommands(const ListCommands&) = delete;
  ListCommands& operator=(const ListCommands&) = delete;

  // The main window, once it exists: owner of the shell's dialogs and of the clipboard.
  void SetOwner(HWND owner);
  FileCommands& fileCommands() { return commands_; }
  // Gives the list's commands (its context menu, its keys and the selection commands) their
  // actions.
  void BindCommands(CommandTable& table);
  // The send-to submenu, built at the first showing; the list's menu lends it.
  bool hasSendToMenu() const { return static_cast<bool>(sendToMenu_); }
  void AdoptSendToMenu(HMENU menu) { sendToMenu_.Reset(menu); }

  // The context menu as it opens at this point of the list's client area: only the items
  // that apply. It is kept until the next one is built.
  HMENU BuildMenu(POINT listClient);
  // WM_CONTEXTMENU: the menu opens at a screen point, at the focused row for (-1, -1) (the
  // keyboard's).
  void ShowMenu(LPARAM at);
  // The focus reached the list by a key: some row shows it.
  void ShowFocus();
  // F2 and "名前の変更(&M)": the focused row's label is edited; Alt+Enter: its properties.
  void RenameFocused();
  void ShowFocusedProperties();

  // The list's notifications: a drag out begins, the selection changed (however it moved:
  // mouse, arrow keys, a program).
  LRESULT OnNotify(NMHDR* header, const std::function<void()>& beginDrag, const std::function<void()>& selectionChanged);
  // Double click and Enter: the first selected row.
  void OpenSelected();
  // "開く(&O)": with one row selected the row under the menu's point when the menu opened,
  // else the flat listing of the selected folders.
  void OpenFromMenu();
  // "アプリケーションから開く(&H)" and "プロパティ(&P)": the row under the menu's point when
  // the menu opened, by its path.
  void OpenWith();
  void ShowProperties();

  // "全て選択" and "選択の切り替え(&I)".
  void SelectAll(bool invert);

  // The context menu opens at this point of the list's client area: the path of the row
  // there is kept for the commands that act on it, and the state decides which items show.
  void MenuOpening(POINT listClient);
  const ListMenuState& menuState() const { return menuState_; }

  void Copy();
  void Paste();
  void Delete();
  void NewFolder();
  // End of a label edit: text is null when the edit was cancelled. The list's own caption
  // is never kept (the records are what it shows), so the answer to the control is always
  // false.
  void LabelEdited(int row, const char* text);
  // WM_DROPFILES: files dropped onto the list are copied into the listed folder; a drop
  // anywhere else is released untouched.
  void HandleShellDrop(HDROP drop);

 private:
  void OpenRow(int row);
  // The row the keys act on: the focused row while it is selected, else the first selected.
  int KeyRow() const;
  void OpenPath(const std::string& path);
  void ApplyCopy(const CopyResult& result);
  void ReleaseMenu();

  Browser& browser_;
  FileCommands commands_;
  HWND owner_ = nullptr;
  std::string popupPath_;  // the row under the menu's point as the menu opened; empty for none
  ListMenuState menuState_;
  const CommandTable* table_ = nullptr;
  // Destroyed after the menu that lends it.
  OwnedMenu sendToMenu_;
  OwnedMenu menu_;
};

}  // namespace velmora
