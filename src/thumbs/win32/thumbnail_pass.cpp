#include "thumbs/win32/thumbnail_pass.h"

#include <algorithm>
#include <cstring>

#include "thumbs/picture_fit.h"
#include "thumbs/picture_types.h"
#include "thumbs/win32/icon_cells.h"
#include "thumbs/win32/raster_bitmap.h"
#include "thumbs/win32/shell_thumbnail.h"
#include "thumbs/win32/wic_picture.h"
#include "win32/strings.h"
#include "win32/thread_stack.h"

namespace velmora {

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
  cellBitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  cellBits_ = static_cast<std::uint32_t*>(bits);
  return static_cast<bool>(cellBitmap_);
}

int ThumbnailPass::AddCell(const Raster& picture, int sourceWidth, int sourceHeight) {
  if (!EnsureCell()) return -1;
  GdiFlush();
  Raster cell(cellBits_, cellWidth_, cellHeight_);
  DrawThumbnailCell(cell, cellWidth_, cellHeight_, picture, sourceWidth, sourceHeight);
  return ImageList_Add(images_.get(), cellBitmap_.get(), nullptr);
}

int ThumbnailPass::AddDrawnCell(const Raster& drawn) {
  if (!EnsureCell() || drawn.width() != cellWidth_ || drawn.height() != cellHeight_) return -1;
  GdiFlush();
  std::memcpy(cellBits_, drawn.Row(0), sizeof(std::uint32_t) * static_cast<std::size_t>(cellWidth_) * cellHeight_);
  return ImageList_Add(images_.get(), cellBitmap_.get(), nullptr);
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

int ThumbnailPass::AddRowImage(const std::string& path, bool highQuality, CellDecodePool::Result pooled,
                               const Raster& pooledCell) {
  if (!IsExistingFolder(path)) {
    // A file that cannot be decoded goes on to the shell and then to its icon. A picture the
    // pool has not reached (the row moved since) is decoded here, alike.
    if (pooled == CellDecodePool::Result::Decoded) return AddDrawnCell(pooledCell);
    if (!highQuality && pooled == CellDecodePool::Result::NotReady && DecodeOwn(path, false))
      return AddCell(picture_.pixels, picture_.sourceWidth, picture_.sourceHeight);
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

bool ThumbnailPass::Pooled(const std::string& path, bool highQuality) const {
  return pool_ && !highQuality && IsOwnThumbnailType(path);
}

void ThumbnailPass::SubmitAhead(int row, bool highQuality) {
  // A few pictures per thread ahead of the row being added, looked for among the next rows
  // only, so that a folder of other files costs no long scan.
  constexpr int kRowsLooked = 64;
  const std::size_t wanted = static_cast<std::size_t>(decodeThreads_) * 2 + 1;
  const int end = std::min(host_.ThumbnailRowCount(), row + kRowsLooked);
  for (int r = row; r < end && pool_->Outstanding() < wanted; ++r) {
    if (host_.RowThumbnail(r) >= 0) continue;
    const std::string path = host_.ThumbnailRowPath(r);
    if (Pooled(path, highQuality)) pool_->Submit(path);
  }
}

bool ThumbnailPass::CellReady(int row, bool highQuality) {
  const std::string path = host_.ThumbnailRowPath(row);
  if (!Pooled(path, highQuality)) return true;
  pool_->Submit(path);
  SubmitAhead(row + 1, highQuality);
  return pool_->Done(path);
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
      // Messages run once per row, and go on running while the row's picture is decoded.
      for (;;) {
        host_.PumpMessages();
        if (host_.ThumbnailsStopped()) return true;
        if (row >= host_.ThumbnailRowCount() || CellReady(row, highQuality)) break;
        HANDLE event = decoded_.get();
        MsgWaitForMultipleObjects(1, &event, FALSE, 100, QS_ALLINPUT);
      }
      if (row >= host_.ThumbnailRowCount()) break;
      if (observer_) observer_(row);
      const std::string path = host_.ThumbnailRowPath(row);
      Raster cell;
      const CellDecodePool::Result pooled =
          Pooled(path, highQuality) ? pool_->Take(path, cell) : CellDecodePool::Result::NotReady;
      const int image = AddRowImage(path, highQuality, pooled, cell);
      host_.SetRowThumbnail(row, image);
      made = made || image >= 0;
    }
  }
  return false;
}

void ThumbnailPass::ReleasePictures() {
  // Nothing of one file and its picture is held between passes; the pool's threads end.
  pool_.reset();
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
  if (decodeThreads_ > 0 && !highQuality) {
    if (!decoded_) decoded_.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    HANDLE event = decoded_.get();
    if (event) pool_ = std::make_unique<CellDecodePool>(decodeThreads_, cellWidth_, cellHeight_, [event] { SetEvent(event); },
                                                     &SystemFiles(), &GiveBackUnusedStack);
  }
  if (fresh) {
    ImageList_RemoveAll(images_.get());
    for (int row = 0; row < host_.ThumbnailRowCount(); ++row) host_.SetRowThumbnail(row, -1);
    AddOverlays();
  }
  return RunRows(highQuality);
}

}  // namespace velmora
