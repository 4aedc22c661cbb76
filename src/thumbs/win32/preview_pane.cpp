#include "thumbs/win32/preview_pane.h"

#include "thumbs/picture_fit.h"
#include "thumbs/picture_types.h"
#include "thumbs/win32/raster_bitmap.h"
#include "thumbs/win32/shell_thumbnail.h"
#include "thumbs/win32/wic_picture.h"
#include "win32/strings.h"

namespace velmora {

bool PreviewPane::Create(HWND parent, int id) {
  return CreateChild(kClassName, parent, id, WS_CLIPSIBLINGS, 0, 0, 0, 0);
}

bool PreviewPane::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
  if (message != WM_SIZE) return false;
  // The user's splitter changes the height: the same picture is fitted again.
  Render();
  InvalidateRect(hwnd(), nullptr, FALSE);
  result = 0;
  return true;
}

bool PreviewPane::FindPicture(const ShellContext& shell, int systemLevel, const std::string& path, int width,
                              int height) {
  if (systemLevel != 0) {
    if (HBITMAP bitmap = ExtractShellThumbnail(shell, path, width, height)) {
      const bool read = RasterFromBitmap(bitmap, picture_.pixels);
      DeleteObject(bitmap);
      if (read) {
        picture_.sourceWidth = picture_.pixels.width();
        picture_.sourceHeight = picture_.pixels.height();
        return true;
      }
    }
  }
  // Where the shell has no extractor (older systems, Wine), the program's own decoders.
  switch (PreviewDecoderFor(path)) {
    case PreviewDecoder::Own: {
      const bool decoded = reader_.Load(path, width, height, picture_);
      reader_.Release();
      return decoded;
    }
    case PreviewDecoder::ImagingComponent:
      return DecodeWithImagingComponent(path, width, height, picture_);
    case PreviewDecoder::None:
      break;
  }
  return false;
}

bool PreviewPane::Update(const ShellContext& shell, int systemLevel, const std::string& path) {
  if (!hwnd() || path.empty() || !IsExistingFile(path)) return Hide();
  RECT r = {};
  GetClientRect(hwnd(), &r);
  // A pane never shown yet has no size: the picture is asked for at the pane's usual size.
  const int width = r.right > 0 ? r.right : 152;
  const int height = r.bottom > 0 ? r.bottom : 95;
  const int inset = kBevel + 1;
  if (!FindPicture(shell, systemLevel, path, width - 2 * inset, height - 2 * inset)) {
    picture_.pixels = Raster();
    return Hide();
  }
  Render();
  InvalidateRect(hwnd(), nullptr, FALSE);
  return SetShown(true);
}

bool PreviewPane::Hide() {
  picture_.pixels = Raster();
  canvas_ = Raster();
  return SetShown(false);
}

bool PreviewPane::SetShown(bool shown) {
  if (shown == shown_) return false;
  shown_ = shown;
  if (hwnd()) ShowWindow(hwnd(), shown ? SW_SHOWNA : SW_HIDE);
  return true;
}

void PreviewPane::Render() {
  RECT r = {};
  if (!hwnd() || !GetClientRect(hwnd(), &r)) return;
  const int width = r.right - 2 * kBevel, height = r.bottom - 2 * kBevel;
  if (width <= 2 || height <= 2 || picture_.pixels.width() <= 0) {
    canvas_ = Raster();
    return;
  }
  canvas_.Resize(width, height);
  canvas_.Fill(0, 0, width, height, kCellWhite);
  const FittedRect fit = FitImageInBox(width - 2, height - 2, picture_.sourceWidth, picture_.sourceHeight);
  StretchRaster(picture_.pixels, canvas_, fit.left + 1, fit.top + 1, fit.width, fit.height);
}

void PreviewPane::Paint(HDC dc) {
  RECT r = {};
  GetClientRect(hwnd(), &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &r, BDR_RAISEDINNER | BDR_SUNKENOUTER, BF_RECT);
  if (canvas_.width() <= 0) return;
  BITMAPINFO info = TopDownBitmapInfo(canvas_.width(), canvas_.height());
  SetDIBitsToDevice(dc, kBevel, kBevel, static_cast<DWORD>(canvas_.width()), static_cast<DWORD>(canvas_.height()), 0,
                    0, 0, static_cast<UINT>(canvas_.height()), canvas_.Row(0), &info, DIB_RGB_COLORS);
}

}  // namespace velmora
