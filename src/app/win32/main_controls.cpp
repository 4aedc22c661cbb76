#include "app/win32/main_controls.h"

#include <commctrl.h>

#include "app/hint_text.h"
#include "app/win32/control_ids.h"
#include "thumbs/color_progress_bar.h"
#include "win32/strings.h"

namespace velmora {

namespace {
int ToolbarHeight() { return 22; }
// Tops that centre a control of that height in the top bar.
int BarTop(int height) { return (kTopBarHeight - height) / 2; }

HWND MakeToolbar(HWND parent, int id, HIMAGELIST images, const TBBUTTON* buttons, int count) {
  HWND bar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                 CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                             0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleA(nullptr), nullptr);
  SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  SendMessageA(bar, TB_SETBUTTONSIZE, 0, MAKELPARAM(23, 22));
  SendMessageA(bar, TB_ADDBUTTONSA, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(buttons));
  return bar;
}

int ToolbarWidth(HWND bar) {
  const int count = static_cast<int>(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
  int width = 0;
  for (int i = 0; i < count; ++i) {
    RECT r = {};
    if (SendMessageA(bar, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)))
      width = r.right > width ? r.right : width;
  }
  return width;
}

HWND MakeControl(HWND parent, const char* cls, const char* text, DWORD style, int id) {
  return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                         nullptr);
}

LRESULT CALLBACK PaintGroupBackground(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

BOOL CALLBACK SetChildFont(HWND child, LPARAM font) {
  SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  return TRUE;
}

HWND Control(HWND window, int id) { return GetDlgItem(window, id); }

constexpr int kFilterBoxMinWidth = 48;
constexpr int kFilterBoxMaxWidth = 200;
}  // namespace

void CreateTopBar(HWND window, HIMAGELIST treePictures, HIMAGELIST barPictures, ColorProgressBarWindow& progress,
                  const AddHint& addHint) {
  const TBBUTTON treeButtons[] = {
      {8, IDM_EXPAND_ALL, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
      {8, IDM_EXPAND_BINDERS, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
      {9, IDM_COLLAPSE_ALL, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
  };
  MakeToolbar(window, IDC_TREEBAR, treePictures, treeButtons, 3);
  addHint(MakeControl(window, "BUTTON", "Lareg", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_LAREG), "大きいアイコン");

  const TBBUTTON listButtons[] = {
      {0, IDM_UP, 0, BTNS_BUTTON, {0}, 0, 0},
      {0, 0, TBSTATE_ENABLED, BTNS_SEP, {0}, 0, 0},
      {1, IDM_VIEW_ICON, TBSTATE_ENABLED, BTNS_CHECKGROUP, {0}, 0, 0},
      {2, IDM_VIEW_LIST, TBSTATE_ENABLED, BTNS_CHECKGROUP, {0}, 0, 0},
      {3, IDM_VIEW_DETAIL, TBSTATE_ENABLED | TBSTATE_CHECKED, BTNS_CHECKGROUP, {0}, 0, 0},
      {0, 0, TBSTATE_ENABLED, BTNS_SEP, {0}, 0, 0},
      {5, IDM_THUMBNAILS, 0, BTNS_BUTTON, {0}, 0, 0},
      {4, IDM_REFRESH, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
  };
  MakeToolbar(window, IDC_LISTBAR, barPictures, listButtons, 8);

  HWND s = MakeControl(window, "BUTTON", "S", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_ATTR_S);
  HWND h = MakeControl(window, "BUTTON", "H", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_ATTR_H);
  HWND r = MakeControl(window, "BUTTON", "R", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_ATTR_R);
  Check(r, true);
  addHint(s, "システム属性");
  addHint(h, "隠しファイル");
  addHint(r, "読み取り専用");
  // Below its check boxes in the z-order, so that its frame does not paint over them.
  HWND group = MakeControl(window, "BUTTON", " 表示属性", BS_GROUPBOX, IDC_ATTR_GROUP);
  SetWindowPos(group, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // The main window clips its children, so nobody else would paint the group box's inside.
  SetWindowSubclass(group, &PaintGroupBackground, 0, 0);

  progress.Create(window, IDC_PROGRESS, 0, 0, 0, 0);
  ApplyThumbnailBarLook(progress.bar());
  addHint(progress.hwnd(), "進捗|サムネイルの進捗を表示");
  MakeControl(window, "BUTTON", "高画質", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_HIGH_QUALITY);

  HWND filter = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | ES_AUTOHSCROLL,
                                0, 0, 0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_FILTER)),
                                GetModuleHandleA(nullptr), nullptr);
  const char* kFilterHint = "絞り込み|名前で絞り込む";
  SendMessageW(filter, EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(AnsiToWide(ShortHint(kFilterHint)).c_str()));
  addHint(filter, kFilterHint);
}

HWND CreateTreeControl(HWND window) {
  return CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                             TVS_SHOWSELALWAYS | TVS_EDITLABELS,
                         0, 0, 0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TREE)),
                         GetModuleHandleA(nullptr), nullptr);
}

void CreateListAndStatus(HWND window) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS |
                      LVS_AUTOARRANGE | LVS_SHAREIMAGELISTS | LVS_EDITLABELS,
                  0, 0, 0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LIST)), instance, nullptr);
  CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS)), instance, nullptr);
}

void SetChildFonts(HWND window, HFONT font) { EnumChildWindows(window, &SetChildFont, reinterpret_cast<LPARAM>(font)); }

HDWP PlaceTreeBar(HDWP dwp, HWND window) {
  HWND treeBar = Control(window, IDC_TREEBAR);
  const int treeBarWidth = ToolbarWidth(treeBar);
  dwp = DeferWindowPos(dwp, treeBar, nullptr, 2, BarTop(ToolbarHeight()), treeBarWidth, ToolbarHeight(), SWP_NOZORDER);
  return DeferWindowPos(dwp, Control(window, IDC_LAREG), nullptr, treeBarWidth + 8, BarTop(16), 52, 16, SWP_NOZORDER);
}

void PlaceListBar(HWND window, int listLeft) {
  int x = listLeft;
  HWND listBar = Control(window, IDC_LISTBAR);
  const int barWidth = ToolbarWidth(listBar);
  HDWP dwp = BeginDeferWindowPos(8);
  dwp = DeferWindowPos(dwp, listBar, nullptr, x, BarTop(ToolbarHeight()), barWidth, ToolbarHeight(), SWP_NOZORDER);
  x += barWidth + 6;
  // The check boxes sit between the caption and the frame's bottom edge.
  dwp = DeferWindowPos(dwp, Control(window, IDC_ATTR_GROUP), nullptr, x, 0, 112, kTopBarHeight, SWP_NOZORDER);
  dwp = DeferWindowPos(dwp, Control(window, IDC_ATTR_S), nullptr, x + 8, 13, 28, 14, SWP_NOZORDER);
  dwp = DeferWindowPos(dwp, Control(window, IDC_ATTR_H), nullptr, x + 42, 13, 28, 14, SWP_NOZORDER);
  dwp = DeferWindowPos(dwp, Control(window, IDC_ATTR_R), nullptr, x + 76, 13, 28, 14, SWP_NOZORDER);
  x += 118;
  dwp = DeferWindowPos(dwp, Control(window, IDC_PROGRESS), nullptr, x, BarTop(kThumbnailBarHeight),
                       kThumbnailBarWidth, kThumbnailBarHeight, SWP_NOZORDER);
  x += kThumbnailBarWidth + 6;
  dwp = DeferWindowPos(dwp, Control(window, IDC_HIGH_QUALITY), nullptr, x, BarTop(16), 60, 16, SWP_NOZORDER);
  x += 60 + 4;
  // The filter box comes last and takes the room left, so that a narrow window crops it rather
  // than pushing the older controls out of sight.
  RECT client = {};
  GetClientRect(window, &client);
  const int room = static_cast<int>(client.right) - 4 - x;
  const int width = room < kFilterBoxMinWidth ? kFilterBoxMinWidth : (room > kFilterBoxMaxWidth ? kFilterBoxMaxWidth : room);
  dwp = DeferWindowPos(dwp, Control(window, IDC_FILTER), nullptr, x, BarTop(20), width, 20, SWP_NOZORDER);
  EndDeferWindowPos(dwp);
}

void ShowViewStyle(HWND window, ViewStyle style) {
  static const int kButtons[] = {IDM_VIEW_ICON, IDM_VIEW_LIST, IDM_VIEW_DETAIL};
  for (int i = 0; i < 3; ++i)
    SendMessageA(GetDlgItem(window, IDC_LISTBAR), TB_CHECKBUTTON, static_cast<WPARAM>(kButtons[i]), MAKELPARAM(i == style, 0));
}

AttributeSwitches ReadSwitches(HWND window) {
  AttributeSwitches switches;
  switches.system = IsChecked(GetDlgItem(window, IDC_ATTR_S));
  switches.hidden = IsChecked(GetDlgItem(window, IDC_ATTR_H));
  switches.readOnly = IsChecked(GetDlgItem(window, IDC_ATTR_R));
  return switches;
}

void SetBarButtonEnabled(HWND window, int id, bool enabled) {
  SendMessageA(GetDlgItem(window, IDC_LISTBAR), TB_ENABLEBUTTON, static_cast<WPARAM>(id), MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

void SetBarButtonPressed(HWND window, int id, bool pressed) {
  SendMessageA(GetDlgItem(window, IDC_LISTBAR), TB_CHECKBUTTON, static_cast<WPARAM>(id), MAKELPARAM(pressed ? TRUE : FALSE, 0));
}

bool IsBarButtonPressed(HWND window, int id) {
  return SendMessageA(GetDlgItem(window, IDC_LISTBAR), TB_ISBUTTONCHECKED, static_cast<WPARAM>(id), 0) != 0;
}

void ToggleBox(HWND window, int id) {
  HWND box = GetDlgItem(window, id);
  Check(box, !IsChecked(box));
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(box));
}

bool IsBarButtonEnabled(HWND window, int id) {
  return SendMessageA(GetDlgItem(window, IDC_LISTBAR), TB_ISBUTTONENABLED, static_cast<WPARAM>(id), 0) != 0;
}

// ---- the name filter

std::wstring FilterBoxText(HWND window) {
  HWND box = GetDlgItem(window, IDC_FILTER);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(box, &text[0], static_cast<int>(text.size()))));
  return text;
}

void FocusFilterBox(HWND window) {
  HWND box = GetDlgItem(window, IDC_FILTER);
  SetFocus(box);
  SendMessageA(box, EM_SETSEL, 0, -1);
}

void ClearFilterBox(HWND window) {
  HWND box = GetDlgItem(window, IDC_FILTER);
  if (box && GetWindowTextLengthA(box) > 0) SetWindowTextA(box, "");
}

bool FilterBoxKey(HWND window, const MSG& msg, HWND list) {
  if (msg.message != WM_KEYDOWN || msg.hwnd != GetDlgItem(window, IDC_FILTER)) return false;
  // Escape empties the filter box; the list then shows every row again.
  if (msg.wParam == VK_ESCAPE) {
    SetWindowTextA(msg.hwnd, "");
    return true;
  }
  // Enter or the down arrow go on to the narrowed rows.
  if (msg.wParam == VK_RETURN || msg.wParam == VK_DOWN) {
    SetFocus(list);
    return true;
  }
  return false;
}

int FitCountPanel(HWND status, const std::string& text, int current) {
  constexpr int kStatusPanelWidth = 50;
  HDC dc = GetDC(status);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(status, WM_GETFONT, 0, 0)));
  SIZE extent = {};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(status, dc);
  const int width = extent.cx + 12 > kStatusPanelWidth ? extent.cx + 12 : kStatusPanelWidth;
  if (width == current) return current;
  int parts[2] = {width, -1};
  SendMessageA(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  return width;
}

}  // namespace velmora
