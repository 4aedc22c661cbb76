#include "about/win32/version_box.h"

#include <commctrl.h>
#include <shellapi.h>

#include "resource.h"
#include "win32/modal_loop.h"
#include "win32/ui_font.h"
#include "win32/window_object.h"

namespace velmora {
namespace {

constexpr const char* kPanelClass = "TVersionBoxPanel";
constexpr const char* kImageClass = "TVersionBoxImage";
constexpr UINT_PTR kTimer1 = 1;
constexpr int kImageHomeLeft = 8;
constexpr int kImageHomeTop = 8;
constexpr COLORREF kTransparent = RGB(0, 0, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kLinkBlue = RGB(0, 0, 255);
SIZE TextSize(HWND window, HFONT font, const std::string& text) {
  SIZE size = {0, 0};
  HDC dc = GetDC(window);
  {
    const SelectedObject selected(dc, font);
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    size.cy = metrics.tmHeight;  // an empty text keeps a line's height
  }
  ReleaseDC(window, dc);
  return size;
}

}  // namespace

bool Win32ShellLauncher::Open(const std::string& file, const std::string& parameters) {
  HINSTANCE result = ShellExecuteA(owner_, "open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                                   nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

TVersionBox::TVersionBox(const AboutProperties& properties, RgbColour panelColour, RandomSource& random,
                         ShellLauncher* launcher)
    : properties_(properties),
      texts_(MakeVersionBoxTexts(properties)),
      panelColour_(panelColour),
      launcher_(launcher ? launcher : &shellLauncher_),
      animation_(kImageHomeLeft, kImageHomeTop, properties.JumpXY, properties.StretchMax, random) {}

TVersionBox::~TVersionBox() {
  if (hwnd_) DestroyWindow(hwnd_);
  Release();
}

void TVersionBox::RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  if (GetClassInfoExA(instance, kClassName, &wc)) return;
  wc.cbSize = sizeof(wc);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpfnWndProc = &TVersionBox::FormProc;
  wc.lpszClassName = kClassName;
  RegisterClassExA(&wc);
  wc.hbrBackground = nullptr;  // painted in the panel's colour
  wc.lpfnWndProc = &TVersionBox::PanelProc;
  wc.lpszClassName = kPanelClass;
  RegisterClassExA(&wc);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
  wc.lpfnWndProc = &TVersionBox::ImageProc;
  wc.lpszClassName = kImageClass;
  RegisterClassExA(&wc);
}

bool TVersionBox::Create(HWND owner) {
  instance_ = GetModuleHandleA(nullptr);
  RegisterClasses(instance_);
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  hwnd_ = CreateWindowExA(exStyle, kClassName, "ﾊﾞｰｼﾞｮﾝ情報", style, x, y, width, height, owner, nullptr,
                          instance_, this);
  if (!hwnd_) return false;
  shellLauncher_.SetOwner(hwnd_);
  CreateControls();
  return true;
}

void TVersionBox::CreateControls() {
  formFont_ = MakeUiFont(12);
  titleFont_ = MakeUiFont(16, kMinchoFace, true);
  authorFont_ = MakeUiFont(12, kMinchoFace);
  versionFont_ = MakeUiFont(13);
  yearFont_ = MakeUiFont(13, kMinchoFace);
  linkFont_ = MakeUiFont(13, kMinchoFace, false, true);
  panelBrush_.Reset(CreateSolidBrush(panelColour_));

  panel1_ = CreateWindowExA(0, kPanelClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                            kPanelWidth, kPanelHeight, hwnd_, reinterpret_cast<HMENU>(kPanel1), instance_, this);

  // Image1 starts as a 64 x 64 square of the panel's colour; the picture comes with the first frame.
  HDC screen = GetDC(hwnd_);
  image_.Hold(screen, CreateCompatibleBitmap(screen, kPictureSize, kPictureSize));
  frames_.Hold(screen, static_cast<HBITMAP>(LoadImageA(instance_, MAKEINTRESOURCEA(IDB_ABOUT64), IMAGE_BITMAP, 0,
                                                       0, LR_CREATEDIBSECTION)));
  ReleaseDC(hwnd_, screen);
  RECT square = {0, 0, kPictureSize, kPictureSize};
  FillRect(image_.dc.get(), &square, panelBrush_.get());
  image1_ = CreateWindowExA(0, kImageClass, "", WS_CHILD | WS_VISIBLE, kImageHomeLeft, kImageHomeTop, kPictureSize,
                            kPictureSize, panel1_, reinterpret_cast<HMENU>(kImage1), instance_, this);

  AddLabel(kStaticText1, SS_CENTER, texts_.title, titleFont_.get(), 88, 21, 195, 20);
  AddAutoSizeLabel(kLabel2, texts_.author, authorFont_.get(), 104, 45);
  AddLabel(kStaticText2, SS_CENTER, texts_.version, versionFont_.get(), 104, 65, 165, 14);
  AddAutoSizeLabel(kLabel3, texts_.year, yearFont_.get(), 12, 142);
  // Placed from the right once its width is known (FormShow).
  label4_ = AddAutoSizeLabel(kLabel4, texts_.maker, linkFont_.get(), 0, 142, SS_NOTIFY);

  okButton_ = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 111, 172, 75,
                              25, hwnd_, reinterpret_cast<HMENU>(kOKButton), instance_, nullptr);
  SendMessageA(okButton_, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.get()), FALSE);
  // The update check stands behind a button that stays hidden and does nothing.
  HWND update = CreateWindowExA(0, "BUTTON", "Update", WS_CHILD | BS_PUSHBUTTON, 8, 172, 75, 25, hwnd_,
                                reinterpret_cast<HMENU>(kUpdateChkBtn), instance_, nullptr);
  SendMessageA(update, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.get()), FALSE);
  AddHints();
}

HWND TVersionBox::AddLabel(int id, DWORD style, const std::string& text, HFONT font, int x, int y, int width,
                           int height) {
  HWND label = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX | style, x, y, width,
                               height, panel1_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return label;
}

HWND TVersionBox::AddAutoSizeLabel(int id, const std::string& text, HFONT font, int x, int y, DWORD style) {
  const SIZE size = TextSize(hwnd_, font, text);
  return AddLabel(id, SS_LEFT | style, text, font, x, y, size.cx, size.cy);
}

void TVersionBox::AddHints() {
  hints_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_,
                           nullptr);
  if (!hints_) return;
  TTTOOLINFOA info = {};
  info.cbSize = TTTOOLINFOA_V1_SIZE;
  // The version line lets the pointer through to the panel, so its hint is an area of the panel.
  info.uFlags = TTF_SUBCLASS;
  info.hwnd = panel1_;
  info.uId = kStaticText2;
  GetWindowRect(GetDlgItem(panel1_, kStaticText2), &info.rect);
  MapWindowPoints(nullptr, panel1_, reinterpret_cast<POINT*>(&info.rect), 2);
  info.lpszText = const_cast<char*>("バージョン");
  SendMessageA(hints_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.uId = reinterpret_cast<UINT_PTR>(label4_);
  info.lpszText = const_cast<char*>("Orvik Home");
  SendMessageA(hints_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

int TVersionBox::ShowModal(HWND owner) {
  if (!Create(owner)) {
    Release();
    return 0;
  }
  // As the window shows, before it is seen.
  FormShow();
  modalResult_ = 0;
  const auto show = [this] {
    ShowWindow(hwnd_, SW_SHOW);
    SetFocus(okButton_);
  };
  if (!RunModalLoop(hwnd_, owner, show, [this] { return modalResult_ != 0; })) modalResult_ = IDCANCEL;
  FormClose();
  if (hwnd_) DestroyWindow(hwnd_);
  Release();
  return modalResult_;
}

void TVersionBox::Release() {
  image_.Reset();
  frames_.Reset();
  panelBrush_.Reset();
  for (OwnedFont* font : {&formFont_, &titleFont_, &authorFont_, &versionFont_, &yearFont_, &linkFont_}) font->Reset();
}

void TVersionBox::FormShow() {
  RECT r;
  GetWindowRect(label4_, &r);
  SetWindowPos(label4_, nullptr, MakerLineLeft(kPanelWidth, r.right - r.left), 142, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The first frame at once rather than after the first tick.
  DrawFrame(animation_.frame());
  SetTimer(hwnd_, kTimer1, kAnimationMs, nullptr);
}

void TVersionBox::FormClose() {
  if (hwnd_) KillTimer(hwnd_, kTimer1);
}

void TVersionBox::Timer1Timer() {
  DrawFrame(animation_.Tick());
  const PicturePlace& place = animation_.place();
  SetWindowPos(image1_, nullptr, place.left, place.top, place.size, place.size, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(image1_, nullptr, FALSE);
}

void TVersionBox::DrawFrame(int frame) {
  RECT square = {0, 0, kPictureSize, kPictureSize};
  FillRect(image_.dc.get(), &square, panelBrush_.get());
  if (frames_.bitmap) {
    TransparentBlt(image_.dc.get(), 0, 0, kPictureSize, kPictureSize, frames_.dc.get(), kPictureSize * frame, 0, kPictureSize,
                   kPictureSize, kTransparent);
  }
  InvalidateRect(image1_, nullptr, FALSE);
}

void TVersionBox::PaintImage() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(image1_, &ps);
  RECT client;
  GetClientRect(image1_, &client);
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, 0, 0, client.right, client.bottom, image_.dc.get(), 0, 0, kPictureSize, kPictureSize, SRCCOPY);
  EndPaint(image1_, &ps);
}

void TVersionBox::Label4Click() { OpenWebPage(*launcher_, kMakerPageAddress); }

LRESULT CALLBACK TVersionBox::FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = WindowObject<TVersionBox>(hwnd, msg, lp);
  if (msg == WM_NCCREATE && self) self->hwnd_ = hwnd;
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  return self->HandleForm(msg, wp, lp);
}

LRESULT TVersionBox::HandleForm(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        modalResult_ = LOWORD(wp);
        return 0;
      }
      break;
    case DM_GETDEFID:
      return MAKELRESULT(kOKButton, DC_HASDEFID);
    case WM_CLOSE:
      modalResult_ = IDCANCEL;
      return 0;
    case WM_TIMER:
      if (wp == kTimer1) Timer1Timer();
      return 0;
    case WM_DESTROY: {
      // Also when the owner goes first and takes the box with it.
      HWND self = hwnd_;
      hwnd_ = nullptr;
      if (modalResult_ == 0) modalResult_ = IDCANCEL;
      SetWindowLongPtrA(self, GWLP_USERDATA, 0);
      return 0;
    }
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK TVersionBox::PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = WindowObject<TVersionBox>(hwnd, msg, lp);
  if (!self || msg == WM_NCDESTROY) return DefWindowProcA(hwnd, msg, wp, lp);
  return self->HandlePanel(hwnd, msg, wp, lp);
}

LRESULT TVersionBox::HandlePanel(HWND panel, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(panel, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, panelBrush_.get());
      return 1;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      COLORREF colour = RGB(0, 0, 0);
      switch (GetDlgCtrlID(reinterpret_cast<HWND>(lp))) {
        case kStaticText1: colour = properties_.TitleFontColor; break;
        case kLabel2: colour = kGrey; break;
        case kStaticText2: colour = properties_.VerFontColor; break;
        case kLabel3: colour = properties_.DateColor; break;
        case kLabel4: colour = kLinkBlue; break;
      }
      SetTextColor(dc, colour);
      SetBkColor(dc, panelColour_);
      return reinterpret_cast<LRESULT>(panelBrush_.get());
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == label4_) {
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      Panel1MouseMove();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == kLabel4 && HIWORD(wp) == STN_CLICKED) {
        Label4Click();
        return 0;
      }
      break;
  }
  return DefWindowProcA(panel, msg, wp, lp);
}

LRESULT CALLBACK TVersionBox::ImageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = WindowObject<TVersionBox>(hwnd, msg, lp);
  if (self) {
    switch (msg) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        self->PaintImage();
        return 0;
      case WM_MOUSEMOVE:
        self->Image1MouseMove();
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        self->Image1MouseDown();
        return 0;
    }
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace velmora
