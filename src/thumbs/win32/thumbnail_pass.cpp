#include "thumbs/win32/thumbnail_pass.h"

#include "thumbs/picture_fit.h"
#include "thumbs/picture_types.h"
#include "thumbs/win32/icon_cells.h"
#include "thumbs/win32/raster_bitmap.h"
#include "thumbs/win32/shell_thumbnail.h"
#include "win32/strings.h"

namespace velmora {

ThumbnailPass::~ThumbnailPass() {
  if (cellBitmap_) DeleteObject(cellBitmap_);
}

void ThumbnailPass::SetUp(const ShellContext& shell, int cellWidth, int cellHeight, HIMAGELIST systemLarge) {
  shell_ = &shell;
  systemLarge_ = systemLarge;
  cellWidth_ = cellWidth > 0 ? cellWidth : 32;
  cellHeight_ = cellHeight > 0 ? cellHeight : 32;
  images_.Reset(ImageList_Create(cellWidth_, cellHeight_, ILC_COLOR32 | ILC_MASK, 0, 16));
}

bool ThumbnailPass::EnsureCell() {
  if (cellBitmap_) return true;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = cellWidth_;
  info.bmiHeader.biHeight = -cellHeight_;  // top-down, as a Raster
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  cellBitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  cellBits_ = static_cast<std::uint32_t*>(bits);
  return cellBitmap_ != nullptr;
}

int ThumbnailPass::AddCell(const Raster& picture, int sourceWidth, int sourceHeight) {
  if (!EnsureCell()) return -1;
  GdiFlush();
  Raster cell(cellBits_, cellWidth_, cellHeight_);
  DrawThumbnailCell(cell, cellWidth_, cellHeight_, picture, sourceWidth, sourceHeight);
  return ImageList_Add(images_.get(), cellBitmap_, nullptr);
}

int ThumbnailPass::AddRowImage(const std::string& path, bool highQuality) {
  if (!IsExistingFolder(path)) {
    if (!highQuality && IsOwnThumbnailType(path)) {
      // A file that cannot be decoded goes on to the shell and then to its icon.
      if (reader_.Load(path, cellWidth_, cellHeight_, picture_))
        return AddCell(picture_.pixels, picture_.sourceWidth, picture_.sourceHeight);
    }
    if (shell_) {
      if (HBITMAP bitmap = ExtractShellThumbnail(*shell_, path, cellWidth_, cellHeight_)) {
        // The shell may hand back a larger picture than asked for: it is fitted, not cut.
        const bool read = RasterFromBitmap(bitmap, shellPicture_);
        DeleteObject(bitmap);
        if (read) return AddCell(shellPicture_, shellPicture_.width(), shellPicture_.height());
      }
    }
  }
  IconHandle icon;
  GetFileIcon(icon, path, false, false);
  return AddIconCell(images_.get(), icon.get(), true);
}

bool ThumbnailPass::MakeThumbnails(bool highQuality) {
  if (running_ || !images_) return true;
  running_ = true;
  rowImages_.clear();
  ImageList_RemoveAll(images_.get());
  const int rows = host_.ThumbnailRowCount();
  bar_.SetMax(rows);
  for (int k = 0; k < kOverlayImages; ++k) {
    HICON icon = systemLarge_ ? ImageList_GetIcon(systemLarge_, k, ILD_NORMAL) : nullptr;
    // Added as icons, keeping their transparency, since they are drawn over pictures. A
    // missing one still takes its place, so that row i stays at image i + 4.
    if (!icon || ImageList_AddIcon(images_.get(), icon) < 0) AddIconCell(images_.get(), icon, false);
    if (icon) DestroyIcon(icon);
  }
  bool stopped = false;
  for (int row = 0; row < rows; ++row) {
    bar_.StepBy(1);
    host_.PumpMessages();
    if (host_.ThumbnailsStopped()) {
      stopped = true;
      break;
    }
    if (observer_) observer_(row);
    const int image = AddRowImage(host_.ThumbnailRowPath(row), highQuality);
    rowImages_.push_back(image);
  }
  for (int k = 0; k < kOverlayImages; ++k) ImageList_SetOverlayImage(images_.get(), k, k + 1);
  // The pass holds no more than one file and one picture, and nothing of them afterwards.
  reader_.Release();
  picture_.pixels = Raster();
  shellPicture_ = Raster();
  bar_.SetPosition(0);
  running_ = false;
  return stopped;
}

}  // namespace velmora
