#include "thumbs/win32/color_progress_bar_window.h"
#include "thumbs/win32/raster_bitmap.h"
#include "win32/window_object.h"

namespace velmora {

// System colours and text through GDI, onto the off-screen bitmap the raster lies over.
class GdiBarPainter : public BarPainter {
 public:
  GdiBarPainter(ColorProgressBarWindow& window, HDC dc) : window_(window), dc_(dc) {}
  Colour SystemColour(int index) override { return GetSysColor(index); }
  void TextSize(const std::string& text, const BarFont& font, int& width, int& height) override {
    HGDIOBJ old = SelectObject(dc_, window_.FontFor(font));
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc_, old);
    width = size.cx;
    height = size.cy;
  }
  void DrawText(Raster&, int x, int y, const std::string& text, const BarFont& font, Colour colour) override {
    HGDIOBJ old = SelectObject(dc_, window_.FontFor(font));
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, colour);
    TextOutA(dc_, x, y, text.c_str(), static_cast<int>(text.size()));
    SetBkMode(dc_, OPAQUE);
    SelectObject(dc_, old);
    GdiFlush();  // the raster is written directly next
  }

 private:
  ColorProgressBarWindow& window_;
  HDC dc_;
};

ColorProgressBarWindow::~ColorProgressBarWindow() {
  if (hwnd_) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  FreeBuffer();
  if (font_) DeleteObject(font_);
}

bool ColorProgressBarWindow::Create(HWND parent, int id, int x, int y, int width, int height) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  if (!GetClassInfoA(instance, kClassName, &wc)) {
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) return false;
  }
  bar_.SetSize(width, height);
  hwnd_ = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this);
  return hwnd_ != nullptr;
}

LRESULT CALLBACK ColorProgressBarWindow::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = WindowObject<ColorProgressBarWindow>(hwnd, message, lParam);
  if (message == WM_NCCREATE && self) self->hwnd_ = hwnd;
  if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
  LRESULT painted = 0;
  if (HandleOwnPaint(hwnd, message, wParam, [self](HDC dc) { self->PaintTo(dc); }, painted)) return painted;
  switch (message) {
    case WM_SIZE:
      self->bar_.SetSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_SETFONT:
      self->SetFont(reinterpret_cast<HFONT>(wParam));
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void ColorProgressBarWindow::Invalidate() {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void ColorProgressBarWindow::RepaintNow() {
  if (!hwnd_) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void ColorProgressBarWindow::SetFont(HFONT font) {
  LOGFONTA lf = {};
  BarFont f;
  f.color = bar_.Font().color;
  if (font && GetObjectA(font, sizeof(lf), &lf)) {
    f.name = lf.lfFaceName;
    f.height = lf.lfHeight;
    f.bold = lf.lfWeight >= FW_BOLD;
    f.italic = lf.lfItalic != 0;
  }
  bar_.SetFont(f);
}

HFONT ColorProgressBarWindow::FontFor(const BarFont& font) {
  if (font.name.empty() && font.height == 0) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (font_ && font == fontMadeFrom_) return font_;
  if (font_) DeleteObject(font_);
  LOGFONTA lf = {};
  lf.lfHeight = font.height;
  lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = font.italic ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(lf.lfFaceName, font.name.c_str(), LF_FACESIZE);
  font_ = CreateFontIndirectA(&lf);
  fontMadeFrom_ = font;
  return font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

bool ColorProgressBarWindow::EnsureBuffer(int width, int height) {
  if (bitmap_ && width == bufferWidth_ && height == bufferHeight_) return true;
  FreeBuffer();
  memory_ = CreateCompatibleDC(nullptr);
  if (!memory_) return false;
  BITMAPINFO info = TopDownBitmapInfo(width, height);
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap_) {
    FreeBuffer();
    return false;
  }
  bits_ = static_cast<std::uint32_t*>(bits);
  oldBitmap_ = SelectObject(memory_, bitmap_);
  bufferWidth_ = width;
  bufferHeight_ = height;
  return true;
}

void ColorProgressBarWindow::FreeBuffer() {
  if (memory_ && oldBitmap_) SelectObject(memory_, oldBitmap_);
  if (bitmap_) DeleteObject(bitmap_);
  if (memory_) DeleteDC(memory_);
  memory_ = nullptr;
  bitmap_ = nullptr;
  oldBitmap_ = nullptr;
  bits_ = nullptr;
  bufferWidth_ = bufferHeight_ = 0;
}

void ColorProgressBarWindow::PaintTo(HDC dc) {
  const int width = bar_.Width(), height = bar_.Height();
  if (width <= 0 || height <= 0 || !EnsureBuffer(width, height)) return;
  GdiFlush();
  Raster raster(bits_, width, height);
  GdiBarPainter painter(*this, memory_);
  bar_.BarDraw(raster, painter);
  BitBlt(dc, 0, 0, width, height, memory_, 0, 0, SRCCOPY);
}

}  // namespace velmora
