#include "binders/win32/binder_add_dlg.h"

#include "binders/binder_commands.h"
#include "win32/modal_loop.h"
#include "win32/strings.h"
#include "win32/ui_font.h"
#include "win32/window_object.h"

namespace velmora {

namespace {
constexpr int kClientWidth = 313;
constexpr int kClientHeight = 129;
constexpr RECT kPanel = {8, 8, 8 + 297, 8 + 75};
constexpr COLORREF kPanelColor = RGB(225, 239, 247);
constexpr COLORREF kListColor = RGB(240, 247, 251);
constexpr int kItemHeight = 18;
constexpr int kVisibleItems = 12;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

HWND MakeChild(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id,
               HFONT font) {
  HWND child = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

std::string TextOf(HWND window) {
  // Wide, so that a character the code page cannot spell comes as its mark (and the name is
  // refused for it) rather than as a look-alike.
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, &text[0], length + 1)));
  return WideToAnsi(text.c_str(), static_cast<int>(text.size()));
}
}  // namespace

TBinderAddDlg::TBinderAddDlg(HIMAGELIST pictures, HWND owner) : pictures_(pictures), owner_(owner) {}

TBinderAddDlg::~TBinderAddDlg() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void TBinderAddDlg::Fill(const std::string& titlesText) {
  titles_ = titlesText;
  HWND list = binderList();
  if (!list) return;
  SendMessageA(list, CB_RESETCONTENT, 0, 0);
  for (const std::string& title : SplitPathLines(titlesText))
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title.c_str()));
}

bool TBinderAddDlg::Create() {
  if (hwnd_) return true;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc = {};
  if (!GetClassInfoExA(instance, kWindowClass, &wc)) {
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TBinderAddDlg::WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExA(&wc)) return false;
  }
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  // A dead owner would make the window fail; the dialog then goes without one.
  HWND owner = owner_ && IsWindow(owner_) ? owner_ : nullptr;
  CreateWindowExA(kExStyle, kWindowClass, kCaption, kStyle, x, y, width, height, owner, nullptr, instance, this);
  return hwnd_ != nullptr;
}

bool TBinderAddDlg::ShowModal() {
  if (!Create()) return false;
  const auto show = [this] {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    SetFocus(nameBox());
  };
  if (!RunModalLoop(hwnd_, GetWindow(hwnd_, GW_OWNER), show, [this] { return ended_; })) End(false);
  if (IsWindow(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
  return accepted_;
}

std::string TBinderAddDlg::Name() const { return ended_ || !hwnd_ ? name_ : TextOf(nameBox()); }

void TBinderAddDlg::End(bool ok) {
  if (ended_) return;
  name_ = hwnd_ ? TextOf(nameBox()) : std::string();
  accepted_ = ok;
  ended_ = true;
}

LRESULT CALLBACK TBinderAddDlg::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = WindowObject<TBinderAddDlg>(hwnd, msg, lp);
  if (msg == WM_NCCREATE && self) self->hwnd_ = hwnd;
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  return self->HandleMessage(msg, wp, lp);
}

LRESULT TBinderAddDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      CreateControls();
      return 0;
    case WM_MEASUREITEM: {
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (mi->CtlType != ODT_COMBOBOX) break;
      mi->itemHeight = kItemHeight;
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (di->CtlType != ODT_COMBOBOX) break;
      DrawEntry(*di);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wp), kPanelColor);
      return reinterpret_cast<LRESULT>(panelBrush_.get());
    case WM_CTLCOLORLISTBOX:
      SetBkColor(reinterpret_cast<HDC>(wp), kListColor);
      return reinterpret_cast<LRESULT>(listBrush_.get());
    case WM_PAINT:
      Paint();
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      const int code = HIWORD(wp);
      if (id == kBinderListId && code == CBN_SELCHANGE) ListSelectionChanged();
      if (id == kNameBoxId && code == EN_CHANGE) NameChanged();
      // Enter reaches OK through the default id even while it is disabled.
      if (id == IDOK && IsWindowEnabled(okButton())) End(true);
      if (id == IDCANCEL) End(false);
      return 0;
    }
    case WM_CLOSE:
      End(false);
      return 0;
    case WM_DESTROY:
      // Destroyed from outside while it runs: the modal loop must not wait for it.
      End(false);
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

void TBinderAddDlg::CreateControls() {
  font_ = MakeUiFont(12);
  listFont_ = MakeUiFont(13);
  nameFont_ = MakeUiFont(15);
  panelBrush_.Reset(CreateSolidBrush(kPanelColor));
  listBrush_.Reset(CreateSolidBrush(kListColor));
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

  const int px = kPanel.left, py = kPanel.top;
  MakeChild(hwnd_, "STATIC", "フォルダの追加先バインダーを指定", SS_LEFT, px + 10, py + 12, 270, 14, kPromptLabelId,
            font_.get());
  MakeChild(hwnd_, "STATIC", "バインダー名", SS_LEFT, px + 21, py + 40, 72, 14, kNameLabelId, font_.get());
  HWND list = MakeChild(hwnd_, "COMBOBOX", "",
                        WS_TABSTOP | WS_VSCROLL | WS_CLIPSIBLINGS | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED |
                            CBS_HASSTRINGS | CBS_SORT,
                        px + 98, py + 35, 175, 24 + kVisibleItems * kItemHeight + 2, kBinderListId, listFont_.get());
  SendMessageA(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kItemHeight);
  SendMessageA(list, CB_SETITEMHEIGHT, 0, kItemHeight);
  HWND name = MakeChild(hwnd_, "EDIT", "", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, px + 98, py + 35, 157, 24,
                        kNameBoxId, nameFont_.get());
  // Over the list's text, so that only its drop-down button shows beside the box.
  SetWindowPos(name, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  HWND ok = MakeChild(hwnd_, "BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 79, 100, 75, 25, IDOK, font_.get());
  EnableWindow(ok, FALSE);
  MakeChild(hwnd_, "BUTTON", "キャンセル", WS_TABSTOP | BS_PUSHBUTTON, 159, 100, 75, 25, IDCANCEL, font_.get());
  if (!titles_.empty()) Fill(titles_);
}

void TBinderAddDlg::ListSelectionChanged() {
  HWND list = binderList();
  const LRESULT index = SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return;
  const LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return;
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  SetWindowTextA(nameBox(), text.c_str());
}

void TBinderAddDlg::NameChanged() {
  const std::string text = TextOf(nameBox());
  HWND list = binderList();
  // The control's exact search ignores letter case; the typed text stays the result.
  LRESULT index = CB_ERR;
  if (!text.empty()) index = SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  if (SendMessageA(list, CB_GETCURSEL, 0, 0) != index)
    SendMessageA(list, CB_SETCURSEL, index == CB_ERR ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(index), 0);
  EnableWindow(okButton(), !text.empty());
}

void TBinderAddDlg::DrawEntry(const DRAWITEMSTRUCT& di) {
  const bool selected = (di.itemState & ODS_SELECTED) != 0;
  HBRUSH background = selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : listBrush_.get();
  FillRect(di.hDC, &di.rcItem, background);
  if (di.itemID == static_cast<UINT>(-1)) return;
  if (pictures_) ImageList_Draw(pictures_, 0, di.hDC, di.rcItem.left + 1, di.rcItem.top + 1, ILD_TRANSPARENT);
  const LRESULT length = SendMessageA(di.hwndItem, CB_GETLBTEXTLEN, di.itemID, 0);
  if (length == CB_ERR) return;
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  SendMessageA(di.hwndItem, CB_GETLBTEXT, di.itemID, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  SetBkMode(di.hDC, TRANSPARENT);
  SetTextColor(di.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  TextOutA(di.hDC, di.rcItem.left + 20, di.rcItem.top + 2, text.c_str(), static_cast<int>(text.size()));
}

void TBinderAddDlg::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT panel = kPanel;
  FillRect(dc, &panel, panelBrush_.get());
  DrawEdge(dc, &panel, BDR_SUNKENINNER, BF_RECT);
  EndPaint(hwnd_, &ps);
}

}  // namespace velmora
