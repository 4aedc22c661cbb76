#include "thumbs/win32/color_progress_bar_window.h"
#include "thumbs/win32/raster_bitmap.h"

namespace velmora {

// System colours and text through GDI, onto the off-screen bitmap the raster lies over.
class GdiBarPainter : public BarPainter {
 public:
  GdiBarPainter(ColorProgressBarWindow& window, HDC dc) : window_(window), dc_(dc) {}
  Colour SystemColour(int index) override { return GetSysColor(index); }
  void TextSize(const std::string& text, const BarFont& font, int& width, int& height) override {
    const SelectedObject selected(dc_, window_.FontFor(font));
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    width = size.cx;
    height = size.cy;
  }
  void DrawText(Raster&, int x, int y, const std::string& text, const BarFont& font, Colour colour) override {
    const SelectedObject selected(dc_, window_.FontFor(font));
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, colour);
    TextOutA(dc_, x, y, text.c_str(), static_cast<int>(text.size()));
    SetBkMode(dc_, OPAQUE);
    GdiFlush();  // the raster is written directly next
  }

 private:
  ColorProgressBarWindow& window_;
  HDC dc_;
};

bool ColorProgressBarWindow::Create(HWND parent, int id, int x, int y, int width, int height) {
  bar_.SetSize(width, height);
  return CreateChild(kClassName, parent, id, WS_VISIBLE, x, y, width, height);
}

bool ColorProgressBarWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_SIZE:
      bar_.SetSize(LOWORD(lParam), HIWORD(lParam));
      break;
    case WM_SETFONT:
      SetFont(reinterpret_cast<HFONT>(wParam));
      break;
    default:
      return false;
  }
  result = 0;
  return true;
}

void ColorProgressBarWindow::Invalidate() {
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void ColorProgressBarWindow::RepaintNow() {
  if (!hwnd()) return;
  InvalidateRect(hwnd(), nullptr, FALSE);
  UpdateWindow(hwnd());
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
  if (font_ && font == fontMadeFrom_) return font_.get();
  LOGFONTA lf = {};
  lf.lfHeight = font.height;
  lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = font.italic ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(lf.lfFaceName, font.name.c_str(), LF_FACESIZE);
  font_.Reset(CreateFontIndirectA(&lf));
  fontMadeFrom_ = font;
  return font_ ? font_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

bool ColorProgressBarWindow::EnsureBuffer(int width, int height) {
  if (buffer_ && width == bufferWidth_ && height == bufferHeight_) return true;
  FreeBuffer();
  BITMAPINFO info = TopDownBitmapInfo(width, height);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return false;
  buffer_.Hold(nullptr, bitmap);
  if (!buffer_) {
    FreeBuffer();
    return false;
  }
  bits_ = static_cast<std::uint32_t*>(bits);
  bufferWidth_ = width;
  bufferHeight_ = height;
  return true;
}

void ColorProgressBarWindow::FreeBuffer() {
  buffer_.Reset();
  bits_ = nullptr;
  bufferWidth_ = bufferHeight_ = 0;
}

void ColorProgressBarWindow::Paint(HDC dc) {
  const int width = bar_.Width(), height = bar_.Height();
  if (width <= 0 || height <= 0 || !EnsureBuffer(width, height)) return;
  GdiFlush();
  Raster raster(bits_, width, height);
  GdiBarPainter painter(*this, buffer_.dc.get());
  bar_.BarDraw(raster, painter);
  BitBlt(dc, 0, 0, width, height, buffer_.dc.get(), 0, 0, SRCCOPY);
}

}  // namespace velmora
