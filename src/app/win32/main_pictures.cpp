#include "app/win32/main_pictures.h"

#include "resource.h"
#include "thumbs/win32/icon_cells.h"

namespace velmora {

namespace {
constexpr int kTreeImageCount = 28;
constexpr COLORREF kMaskColor = RGB(255, 0, 255);

void AddStrip(HIMAGELIST list, HINSTANCE instance, int id, int width, int height) {
  HBITMAP strip = static_cast<HBITMAP>(
      LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, width, height, LR_CREATEDIBSECTION));
  ImageList_AddMasked(list, strip, kMaskColor);
  DeleteObject(strip);
}
}  // namespace

void MainPictures::Load(HINSTANCE instance) {
  small_.Reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, kTreeImageCount + 1, 8));
  AddStrip(small_.get(), instance, IDB_IMAGELIST16, 0, 0);
  // The 32-pixel list is resized to the shell's large icon size once that is known.
  large_.Reset(ImageList_Create(32, 32, ILC_COLOR24 | ILC_MASK, 5, 4));
  // The list tool bar's own pictures: the up arrow, then the view, refresh and thumbnail
  // pictures of the tree list.
  bar_.Reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 6, 0));
  AddStrip(bar_.get(), instance, IDB_UP16, 0, 0);
  for (int index : {17, 18, 19, 20, 22}) {
    HICON icon = ImageList_GetIcon(small_.get(), index, ILD_NORMAL);
    ImageList_AddIcon(bar_.get(), icon);
    DestroyIcon(icon);
  }
}

SIZE MainPictures::SetUpRoot(HINSTANCE instance, const std::string& driveRoot) {
  IconHandle largeIcon;
  GetFileIcon(largeIcon, driveRoot, false, false);
  SIZE size = {32, 32};
  if (largeIcon.get()) {
    const SIZE own = IconSize(largeIcon.get());
    size.cx = own.cx > 0 ? own.cx : 32;
    size.cy = own.cy > 0 ? own.cy : 32;
  }
  // The binder and folder pictures are drawn at 32 pixels and fitted to the shell's size.
  ImageList_SetIconSize(large_.get(), size.cx, size.cy);
  AddStrip(large_.get(), instance, IDB_IMAGELIST32, 4 * size.cx, size.cy);
  rootLarge_ = AddIconCell(large_.get(), largeIcon.get(), false);

  IconHandle smallIcon;
  GetFileIcon(smallIcon, driveRoot, false, true);
  rootSmall_ = AddIconCell(small_.get(), smallIcon.get(), false);
  return size;
}

void MainPictures::ReleaseBar(HWND listBar) {
  if (!bar_) return;
  SendMessageA(listBar, TB_SETIMAGELIST, 0, 0);
  bar_.Reset();
}

}  // namespace velmora
