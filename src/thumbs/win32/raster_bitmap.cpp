#include "thumbs/win32/raster_bitmap.h"

#include <cstring>

namespace velmora {

BITMAPINFO TopDownBitmapInfo(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

HBITMAP CreateBitmapFromRaster(const Raster& raster) {
  if (raster.width() <= 0 || raster.height() <= 0) return nullptr;
  BITMAPINFO info = TopDownBitmapInfo(raster.width(), raster.height());
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  std::memcpy(bits, raster.Row(0), static_cast<std::size_t>(raster.width()) * raster.height() * 4);
  GdiFlush();
  return bitmap;
}

bool RasterFromBitmap(HBITMAP bitmap, Raster& raster) {
  BITMAP bm = {};
  if (!bitmap || !GetObjectA(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight == 0) return false;
  const int width = bm.bmWidth, height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
  raster.Resize(width, height);
  BITMAPINFO info = TopDownBitmapInfo(width, height);
  HDC dc = GetDC(nullptr);
  const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), raster.Row(0), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  return rows == height;
}

}  // namespace velmora
