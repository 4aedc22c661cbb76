#include "win32/command_menu.h"

#include <string>
#include <vector>

namespace velmora {

void AppendCommandItem(HMENU menu, const Command& command) {
  std::string caption = command.caption;
  const std::string key = ShortcutText(command.shortcut);
  if (!key.empty()) caption += "\t" + key;
  MENUITEMINFOA mii = {};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE;
  mii.fType = MFT_STRING | (command.radio ? MFT_RADIOCHECK : 0);
  mii.wID = static_cast<UINT>(command.id);
  mii.dwTypeData = const_cast<char*>(caption.c_str());
  if (command.picture >= 0) {
    mii.fMask |= MIIM_BITMAP;
    mii.hbmpItem = HBMMENU_CALLBACK;
  }
  InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &mii);
}

void AppendMainMenuItem(HMENU menu, const CommandTable& table, const Command& command) {
  if (!command.opensSubmenu) {
    AppendCommandItem(menu, command);
    return;
  }
  HMENU popup = CreatePopupMenu();
  FillCommandMenu(popup, table, command.submenu, [&table](HMENU into, const Command& item) {
    AppendMainMenuItem(into, table, item);
  });
  AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), command.caption.c_str());
}

void FillCommandMenu(HMENU menu, const CommandTable& table, MenuId which,
                     const std::function<void(HMENU, const Command&)>& add) {
  // A separator stands only between items that show: never first, never last, never next
  // to another, however many items add leaves out.
  bool separatorDue = false;
  for (int id : table.MenuItems(which)) {
    if (id == kSeparator) {
      separatorDue = GetMenuItemCount(menu) > 0;
      continue;
    }
    const int before = GetMenuItemCount(menu);
    add(menu, *table.Find(id));
    if (GetMenuItemCount(menu) == before) continue;
    if (separatorDue) InsertMenuA(menu, static_cast<UINT>(before), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    separatorDue = false;
  }
}

void GreyUnavailable(HMENU menu, const CommandTable& table) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    const UINT id = GetMenuItemID(menu, i);
    if (id == 0 || id == static_cast<UINT>(-1) || !table.Find(static_cast<int>(id))) continue;
    EnableMenuItem(menu, id, MF_BYCOMMAND | (table.IsAvailable(static_cast<int>(id)) ? MF_ENABLED : MF_GRAYED));
    if (table.Find(static_cast<int>(id))->checked)
      CheckMenuItem(menu, id, MF_BYCOMMAND | (table.IsChecked(static_cast<int>(id)) ? MF_CHECKED : MF_UNCHECKED));
  }
}

void MeasureCommandPicture(MEASUREITEMSTRUCT* item) {
  if (item->CtlType != ODT_MENU) return;
  item->itemWidth = 16;
  item->itemHeight = 16;
}

void DrawCommandPicture(const DRAWITEMSTRUCT& item, const CommandTable& table, HIMAGELIST pictures,
                        const std::function<int(const Command&)>& picture) {
  const Command* command = table.Find(static_cast<int>(item.itemID));
  if (item.CtlType != ODT_MENU || !command || command->picture < 0) return;
  const int y = item.rcItem.top + ((item.rcItem.bottom - item.rcItem.top) - 16) / 2;
  ImageList_Draw(pictures, picture(*command), item.hDC, item.rcItem.left, y,
                 (item.itemState & ODS_GRAYED) ? ILD_BLEND50 : ILD_TRANSPARENT);
}

void TrackContextMenu(HMENU menu, HWND owner, POINT screen) {
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
}

void CommandKeys::Build(const CommandTable& table) {
  for (KeyScope scope : {KeyScope::kWindow, KeyScope::kList, KeyScope::kTree}) {
    std::vector<ACCEL> accels;
    for (const KeyStroke& stroke : KeyStrokes(table, scope)) {
      ACCEL accel = {};
      accel.fVirt = static_cast<BYTE>(FVIRTKEY | (stroke.control ? FCONTROL : 0) | (stroke.shift ? FSHIFT : 0) |
                                      (stroke.alt ? FALT : 0));
      accel.key = static_cast<WORD>(stroke.key);
      accel.cmd = static_cast<WORD>(stroke.id);
      accels.push_back(accel);
    }
    OwnedAccelerators& keys = keys_[static_cast<int>(scope)];
    keys.Reset(accels.empty() ? nullptr : CreateAcceleratorTableA(accels.data(), static_cast<int>(accels.size())));
  }
}

void CommandKeys::SetControl(KeyScope scope, HWND control) { controls_[static_cast<int>(scope)] = control; }

bool CommandKeys::Translate(HWND window, MSG& msg) const {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  // Keys typed into a label editor stay there.
  char cls[32] = "";
  GetClassNameA(msg.hwnd, cls, sizeof(cls));
  if (lstrcmpiA(cls, "Edit") == 0) return false;
  for (KeyScope scope : {KeyScope::kList, KeyScope::kTree}) {
    const int i = static_cast<int>(scope);
    if (keys_[i] && controls_[i] && msg.hwnd == controls_[i] && TranslateAcceleratorA(window, keys_[i].get(), &msg))
      return true;
  }
  const OwnedAccelerators& global = keys_[static_cast<int>(KeyScope::kWindow)];
  return global && TranslateAcceleratorA(window, global.get(), &msg);
}

bool CommandKeys::MoveFocus(const MSG& msg, const std::vector<HWND>& ring) {
  if (msg.message != WM_KEYDOWN || (msg.wParam != VK_TAB && msg.wParam != VK_F6) || ring.size() < 2) return false;
  if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
  // Dialogs keep their own Tab; so does a label being edited. Any other control of the
  // window counts as the ring's start.
  if (!IsChild(GetAncestor(ring.front(), GA_ROOT), msg.hwnd)) return false;
  const HWND last = ring.back();
  std::size_t at = ring.size();
  for (std::size_t i = 0; i < ring.size(); ++i)
    if (msg.hwnd == ring[i]) at = i;
  char cls[32] = "";
  GetClassNameA(msg.hwnd, cls, sizeof(cls));
  if (at == ring.size() && lstrcmpiA(cls, "Edit") == 0 && (IsChild(ring.front(), msg.hwnd) || IsChild(last, msg.hwnd)))
    return false;
  const bool back = GetKeyState(VK_SHIFT) < 0;
  HWND next = ring.front();
  if (msg.wParam == VK_F6) {
    next = msg.hwnd == ring.front() ? last : ring.front();
  } else if (at < ring.size()) {
    next = ring[(at + (back ? ring.size() - 1 : 1)) % ring.size()];
  }
  SetFocus(next);
  // Focus moved by keys shows its rectangle, whatever the mouse did before.
  SendMessageA(GetAncestor(next, GA_ROOT), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  return true;
}

}  // namespace velmora
