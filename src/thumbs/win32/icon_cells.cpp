#include "thumbs/win32/icon_cells.h"

#include <shellapi.h>

#include "text/cp932.h"

namespace velmora {

namespace {
SIZE IconSize(HICON icon) {
  SIZE size = {0, 0};
  ICONINFO info = {};
  if (icon && GetIconInfo(icon, &info)) {
    BITMAP bm = {};
    if (info.hbmColor && GetObject(info.hbmColor, sizeof(bm), &bm)) {
      size.cx = bm.bmWidth;
      size.cy = bm.bmHeight;
    } else if (info.hbmMask && GetObject(info.hbmMask, sizeof(bm), &bm)) {
      size.cx = bm.bmWidth;
      size.cy = bm.bmHeight / 2;  // monochrome icons stack AND and XOR masks
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
  }
  return size;
}
}  // namespace

int IconHandle::Width() const { return IconSize(icon_).cx; }
int IconHandle::Height() const { return IconSize(icon_).cy; }

void GetFileIcon(IconHandle& icon, const std::string& path, bool open, bool small) {
  UINT flags = SHGFI_ICON;
  if (open) flags |= SHGFI_OPENICON;
  if (small) flags |= SHGFI_SMALLICON;
  SHFILEINFOA info = {};
  if (!path.empty() && path[0] == '.') {
    const std::string pattern = "*" + path;
    SHGetFileInfoA(pattern.c_str(), 0, &info, sizeof(info), flags | SHGFI_USEFILEATTRIBUTES);
  } else {
    SHGetFileInfoA(path.c_str(), 0, &info, sizeof(info), flags);
  }
  icon.Reset(info.hIcon);
}

int AddIconCell(HIMAGELIST list, HICON icon, bool framed) {
  int cx = 0, cy = 0;
  if (!list || !ImageList_GetIconSize(list, &cx, &cy)) return -1;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, cx, cy);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT cell = {0, 0, cx, cy};
  FillRect(dc, &cell, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (icon) DrawIconEx(dc, 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL);
  if (framed) {
    HBRUSH silver = CreateSolidBrush(RGB(0xC0, 0xC0, 0xC0));
    FrameRect(dc, &cell, silver);
    DeleteObject(silver);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  const int index = ImageList_Add(list, bitmap, nullptr);
  DeleteObject(bitmap);
  return index;
}

}  // namespace velmora
