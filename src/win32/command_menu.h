// Menus and keys built from the command table: the items of a menu in the table's order with
// its separators, and one accelerator table per key scope.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "common/command_table.h"
#include "win32/owned_handle.h"

namespace velmora {

// A command's item, with its key beside the caption; its picture is drawn by the menu's
// owner (WM_DRAWITEM).
void AppendCommandItem(HMENU menu, const Command& command);
// As AppendCommandItem, and an item that carries a submenu gets it, filled from the table.
void AppendMainMenuItem(HMENU menu, const CommandTable& table, const Command& command);
// Appends a menu's items top to bottom, each command through add, which appends its item or
// leaves it out; a separator of the table stands only between groups that show an item
// (never first, last or next to another).
void FillCommandMenu(HMENU menu, const CommandTable& table, MenuId which,
                     const std::function<void(HMENU, const Command&)>& add);
// WM_INITMENUPOPUP: a command is greyed while it cannot run, so that nothing offered does
// nothing; an item that shows a state is checked as its button or box is now.
void GreyUnavailable(HMENU menu, const CommandTable& table);
// WM_MEASUREITEM and WM_DRAWITEM of a command item's picture, from the 16-pixel pictures;
// picture says which one a command shows now.
void MeasureCommandPicture(MEASUREITEMSTRUCT* item);
void DrawCommandPicture(const DRAWITEMSTRUCT& item, const CommandTable& table, HIMAGELIST pictures,
                        const std::function<int(const Command&)>& picture);
// Shows a context menu at a screen point; its choice reaches the owner as WM_COMMAND.
void TrackContextMenu(HMENU menu, HWND owner, POINT screen);

// The keys of the table as accelerators: a control's keys while it has the focus, the
// window's everywhere but in an edit box, whose own keys (Ctrl+C, Delete, Backspace) stay
// its own.
class CommandKeys {
 public:
  void Build(const CommandTable& table);
  // The control whose focus a scope's keys need.
  void SetControl(KeyScope scope, HWND control);
  // True when the key ran (or was taken for) a command of the window's.
  bool Translate(HWND window, MSG& msg) const;
  // Tab, Shift+Tab and F6 move the focus around the ring of controls (Tab: ring order, F6:
  // only between the first and the last); true when the key was taken.
  static bool MoveFocus(const MSG& msg, const std::vector<HWND>& ring);

 private:
  OwnedAccelerators keys_[3];
  HWND controls_[3] = {};
};

}  // namespace velmora
