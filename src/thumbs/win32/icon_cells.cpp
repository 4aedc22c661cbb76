#include "thumbs/win32/icon_cells.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdint>

#include "thumbs/win32/raster_bitmap.h"
#include "win32/strings.h"

namespace velmora {

SIZE IconSize(HICON icon) {
  SIZE size = {0, 0};
  ICONINFO info = {};
  if (icon && GetIconInfo(icon, &info)) {
    const OwnedBitmap colour(info.hbmColor), mask(info.hbmMask);  // copies made for the caller
    BITMAP bm = {};
    if (info.hbmColor && GetObject(info.hbmColor, sizeof(bm), &bm)) {
      size.cx = bm.bmWidth;
      size.cy = bm.bmHeight;
    } else if (info.hbmMask && GetObject(info.hbmMask, sizeof(bm), &bm)) {
      size.cx = bm.bmWidth;
      size.cy = bm.bmHeight / 2;  // monochrome icons stack AND and XOR masks
    }
  }
  return size;
}

void GetFileIcon(IconHandle& icon, const std::string& path, bool open, bool small) {
  UINT flags = SHGFI_ICON;
  if (open) flags |= SHGFI_OPENICON;
  if (small) flags |= SHGFI_SMALLICON;
  SHFILEINFOW info = {};
  if (!path.empty() && path[0] == '.') {
    const std::wstring pattern = L"*" + AnsiToWide(path);
    SHGetFileInfoW(pattern.c_str(), 0, &info, sizeof(info), flags | SHGFI_USEFILEATTRIBUTES);
  } else {
    SHGetFileInfoW(AnsiToWide(path).c_str(), 0, &info, sizeof(info), flags);
  }
  icon.Reset(info.hIcon);
}

int ShellOverlayImage(ShellOverlay overlay) {
  const bool link = overlay == ShellOverlay::kLink;
  // The shell must use the overlay at all; its picture is the stock icon of the same name.
  if (SHGetIconOverlayIndexA(nullptr, link ? IDO_SHGIOI_LINK : IDO_SHGIOI_SHARE) < 1) return -1;
  SHSTOCKICONINFO info = {};
  info.cbSize = sizeof(info);
  if (FAILED(SHGetStockIconInfo(link ? SIID_LINK : SIID_SHARE, SHGSI_SYSICONINDEX, &info))) return -1;
  return info.iSysImageIndex >= 0 ? info.iSysImageIndex : -1;
}

int AddIconCell(HIMAGELIST list, HICON icon, bool framed) {
  int cx = 0, cy = 0;
  if (!list || !ImageList_GetIconSize(list, &cx, &cy)) return -1;
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info = TopDownBitmapInfo(cx, cy);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) {
    DeleteDC(dc);
    return -1;
  }
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT cell = {0, 0, cx, cy};
  FillRect(dc, &cell, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (icon) DrawIconEx(dc, 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL);
  if (framed) {
    HBRUSH silver = CreateSolidBrush(RGB(0xC0, 0xC0, 0xC0));
    FrameRect(dc, &cell, silver);
    DeleteObject(silver);
  }
  // The cell is opaque: an icon drawn with its own alpha would otherwise leave the white
  // background and the frame transparent in a 32-bit list, which takes the alpha as given.
  GdiFlush();
  auto* pixel = static_cast<std::uint32_t*>(bits);
  for (int i = 0; i < cx * cy; ++i) pixel[i] |= 0xFF000000u;
  SelectObject(dc, old);
  DeleteDC(dc);
  const int index = ImageList_Add(list, bitmap, nullptr);
  DeleteObject(bitmap);
  return index;
}

}  // namespace velmora
