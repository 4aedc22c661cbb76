#include "binders/win32/folder_list_dialog.h"

#include <shellapi.h>

#include "win32/clipboard_files.h"
#include "win32/modal_loop.h"
#include "win32/strings.h"
#include "win32/ui_font.h"

namespace velmora {

namespace {

constexpr const char* kClassName = "TFolderListDlg";
constexpr int kNameColumnWidth = 150;

bool RegisterOnce() {
  static const bool registered = [] {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;  // replaced per window once it knows its object
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

TFolderListDlg::TFolderListDlg(HWND owner, FolderListEdit& edit, const std::string& binder, HIMAGELIST smallImages)
    : owner_(owner), edit_(edit), binder_(binder), smallImages_(smallImages) {}

TFolderListDlg::~TFolderListDlg() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool TFolderListDlg::Create() {
  if (hwnd_) return true;
  if (!RegisterOnce()) return false;
  RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const int x = work.left + (work.right - work.left - kWidth) / 2;
  const int y = work.top + (work.bottom - work.top - kHeight) / 2;
  const std::string caption = FolderListCaption(binder_);
  hwnd_ = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClassName, caption.c_str(),
                          WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN, x, y, kWidth,
                          kHeight, owner_, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!hwnd_) return false;
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
  CreateControls();
  Fill();
  Layout();
  return true;
}

void TFolderListDlg::CreateControls() {
  font_ = MakeUiFont(12);
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  list_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS, 0,
                          0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), instance, nullptr);
  ok_ = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, kButtonWidth,
                        kButtonHeight, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance, nullptr);
  cancel_ = CreateWindowExA(0, "BUTTON", "キャンセル", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0,
                            kButtonWidth, kButtonHeight, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)), instance, nullptr);
  for (HWND control : {list_, ok_, cancel_}) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), 0);
  SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
               LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = kNameColumnWidth;
  column.pszText = const_cast<char*>("名前");
  SendMessageA(list_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  column.pszText = const_cast<char*>("パス");
  SendMessageA(list_, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
  if (smallImages_) SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages_));
}

void TFolderListDlg::Fill() {
  const std::vector<FolderEntry>& rows = edit_.rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::wstring path = AnsiToWide(rows[i].path);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const FolderRowLook look = LookOfFolderRow(attributes != INVALID_FILE_ATTRIBUTES, attributes);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(rows[i].displayName.c_str());
    item.iImage = I_IMAGENONE;
    if (look.hasIcon) {
      SHFILEINFOW info = {};
      if (SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
        item.iImage = info.iIcon;
    }
    item.state = look.ghosted ? LVIS_CUT : 0;
    item.stateMask = LVIS_CUT;
    const int at = static_cast<int>(SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    LVITEMA sub = {};
    sub.iSubItem = 1;
    sub.pszText = const_cast<char*>(rows[i].path.c_str());
    SendMessageA(list_, LVM_SETITEMTEXTA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&sub));
  }
}

void TFolderListDlg::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  const int width = client.right, height = client.bottom;
  const int listHeight = height > kStripHeight ? height - kStripHeight : 0;
  MoveWindow(list_, 0, 0, width, listHeight, TRUE);
  SendMessageA(list_, LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE_USEHEADER);
  // The pair stays centred, 6 pixels apart.
  const int top = listHeight + (kStripHeight - kButtonHeight) / 2;
  MoveWindow(ok_, width / 2 - kButtonWidth - 3, top, kButtonWidth, kButtonHeight, TRUE);
  MoveWindow(cancel_, width / 2 + 3, top, kButtonWidth, kButtonHeight, TRUE);
}

std::vector<int> TFolderListDlg::SelectedRows() const {
  std::vector<int> rows;
  for (int i = -1; (i = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(i),
                                                      MAKELPARAM(LVNI_SELECTED, 0)))) != -1;)
    rows.push_back(i);
  return rows;
}

void TFolderListDlg::CopySelected() {
  const std::vector<std::string> paths = edit_.PathsOf(SelectedRows());
  if (!paths.empty()) CopyPathsToClipboard(hwnd_, paths);
}

void TFolderListDlg::DeleteSelected() {
  const std::vector<int> rows = SelectedRows();
  edit_.RemoveRows(rows);
  for (auto it = rows.rbegin(); it != rows.rend(); ++it)
    SendMessageA(list_, LVM_DELETEITEM, static_cast<WPARAM>(*it), 0);
}

HMENU TFolderListDlg::MakeContextMenu() const {
  const UINT state = SelectedRows().empty() ? MF_GRAYED : MF_ENABLED;
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING | state, kCopyId, "コピー(&C)\tCtrl+C");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING | state, kDeleteId, "削除(&D)\tDel");
  return menu;
}

void TFolderListDlg::ShowContextMenu(LPARAM at) {
  POINT p = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  if (at == static_cast<LPARAM>(-1)) {  // from the keyboard: at the list's corner
    p = {0, 0};
    ClientToScreen(list_, &p);
  }
  HMENU menu = MakeContextMenu();
  const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0, hwnd_, nullptr);
  DestroyMenu(menu);
  if (chosen) SendMessageA(hwnd_, WM_COMMAND, static_cast<WPARAM>(chosen), 0);
}

void TFolderListDlg::End(int result) {
  if (result == IDOK) applied_ = edit_.Apply();
  result_ = result;
}

int TFolderListDlg::ShowModal() {
  if (!Create()) return IDCANCEL;
  result_ = 0;
  const auto show = [this] {
    ShowWindow(hwnd_, SW_SHOW);
    SetFocus(list_);
  };
  if (!RunModalLoop(hwnd_, owner_, show, [this] { return result_ != 0; })) result_ = IDCANCEL;
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  return result_;
}

LRESULT CALLBACK TFolderListDlg::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TFolderListDlg*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT TFolderListDlg::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = kMinWidth;
      info->ptMinTrackSize.y = kMinHeight;
      return 0;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
          End(LOWORD(wParam));
          return 0;
        case kCopyId:
          CopySelected();
          return 0;
        case kDeleteId:
          DeleteSelected();
          return 0;
      }
      break;
    case WM_CLOSE:
      End(IDCANCEL);
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == list_) {
        ShowContextMenu(lParam);
        return 0;
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == list_ && header->code == LVN_KEYDOWN) {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey;
        if (key == VK_DELETE) DeleteSelected();
        if (key == 'C' && (GetKeyState(VK_CONTROL) & 0x8000)) CopySelected();
      }
      break;
    }
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

}  // namespace velmora
