#include "thumbs/win32/thumbnail_pass.h"

#include "thumbs/picture_fit.h"
#include "thumbs/picture_types.h"
#include "thumbs/win32/icon_cells.h"
#include "thumbs/win32/raster_bitmap.h"
#include "thumbs/win32/shell_thumbnail.h"
#include "thumbs/win32/wic_picture.h"
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
  BITMAPINFO info = TopDownBitmapInfo(cellWidth_, cellHeight_);
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

bool ThumbnailPass::DecodeOwn(const std::string& path, bool anyPicture) {
  PreviewDecoder decoder = PreviewDecoder::None;
  if (anyPicture)
    decoder = PreviewDecoderFor(path);
  else if (IsOwnThumbnailType(path))
    decoder = PreviewDecoder::Own;
  switch (decoder) {
    case PreviewDecoder::Own: return reader_.Load(path, cellWidth_, cellHeight_, picture_);
    case PreviewDecoder::ImagingComponent: return DecodeWithImagingComponent(path, cellWidth_, cellHeight_, picture_);
    case PreviewDecoder::None: break;
  }
  return false;
}

int ThumbnailPass::AddRowImage(const std::string& path, bool highQuality) {
  if (!IsExistingFolder(path)) {
    // A file that cannot be decoded goes on to the shell and then to its icon.
    if (!highQuality && DecodeOwn(path, false)) return AddCell(picture_.pixels, picture_.sourceWidth, picture_.sourceHeight);
    if (shell_) {
      if (HBITMAP bitmap = ExtractShellThumbnail(*shell_, path, cellWidth_, cellHeight_)) {
        // The shell may hand back a larger picture than asked for: it is fitted, not cut.
        const bool read = RasterFromBitmap(bitmap, shellPicture_);
        DeleteObject(bitmap);
        if (read) return AddCell(shellPicture_, shellPicture_.width(), shellPicture_.height());
      }
    }
    // Where the shell has no picture (no extractor on older systems or Wine), high quality
    // falls back on the program's own decoding, as the preview does, and is never worse.
    if (highQuality && DecodeOwn(path, true)) return AddCell(picture_.pixels, picture_.sourceWidth, picture_.sourceHeight);
  }
  IconHandle icon;
  GetFileIcon(icon, path, false, false);
  return AddIconCell(images_.get(), icon.get(), true);
}

void ThumbnailPass::AddOverlays() {
  // The rows' overlay states number share 1 and link 2. A list emptied keeps its overlay
  // table, which would now point at the rows' pictures.
  static const ShellOverlay kOverlays[] = {ShellOverlay::kShare, ShellOverlay::kLink};
  overlayImages_ = 0;
  for (int k = 0; k < 2; ++k) {
    ImageList_SetOverlayImage(images_.get(), -1, k + 1);
    // Where the shell cannot say which picture it overlays, none is drawn rather than another.
    const int source = systemLarge_ ? ShellOverlayImage(kOverlays[k]) : -1;
    HICON icon = source >= 0 ? ImageList_GetIcon(systemLarge_, source, ILD_NORMAL) : nullptr;
    if (!icon) continue;
    // Added as an icon, keeping its transparency, since it is drawn over pictures.
    const int image = ImageList_AddIcon(images_.get(), icon);
    DestroyIcon(icon);
    if (image < 0) continue;
    ImageList_SetOverlayImage(images_.get(), image, k + 1);
    ++overlayImages_;
  }
}

bool ThumbnailPass::RunRows(bool highQuality) {
  int rows = host_.ThumbnailRowCount();
  int wanted = 0;
  for (int row = 0; row < rows; ++row) wanted += host_.RowThumbnail(row) < 0 ? 1 : 0;
  bar_.SetMax(wanted);
  // Rows can come, go or move (a paste, a sort) while messages run: the rows are gone over
  // again until a sweep finds nothing left to picture.
  for (bool made = true; made;) {
    made = false;
    for (int row = 0; row < host_.ThumbnailRowCount(); ++row) {
      if (host_.RowThumbnail(row) >= 0) continue;
      if (host_.ThumbnailRowCount() > rows) {
        wanted += host_.ThumbnailRowCount() - rows;
        rows = host_.ThumbnailRowCount();
        bar_.SetMax(wanted);
      }
      bar_.StepBy(1);
      host_.PumpMessages();
      if (host_.ThumbnailsStopped()) return true;
      if (row >= host_.ThumbnailRowCount()) break;
      if (observer_) observer_(row);
      const int image = AddRowImage(host_.ThumbnailRowPath(row), highQuality);
      host_.SetRowThumbnail(row, image);
      made = made || image >= 0;
    }
  }
  return false;
}

void ThumbnailPass::ReleasePictures() {
  // Nothing of one file and its picture is held between passes.
  reader_.Release();
  picture_.pixels = Raster();
  shellPicture_ = Raster();
}

bool ThumbnailPass::MakeThumbnails(bool highQuality) { return Run(highQuality, true); }

bool ThumbnailPass::CompleteThumbnails(bool highQuality) { return Run(highQuality, false); }

bool ThumbnailPass::Run(bool highQuality, bool fresh) {
  if (running_ || !images_) return true;
  running_ = true;
  // However the pass ends, a failed allocation included, it can run again.
  struct Finish {
    ThumbnailPass& pass;
    ~Finish() {
      pass.ReleasePictures();
      pass.bar_.SetPosition(0);
      pass.running_ = false;
    }
  } finish{*this};
  if (fresh) {
    ImageList_RemoveAll(images_.get());
    for (int row = 0; row < host_.ThumbnailRowCount(); ++row) host_.SetRowThumbnail(row, -1);
    AddOverlays();
  }
  return RunRows(highQuality);
}

}  // namespace velmora
