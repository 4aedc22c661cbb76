// The thumbnail pass: one picture per row of the file list into the thumbnail image list
// (ImageList2), added on the UI thread in row order, pumping messages between rows so that
// any listing, a change of view or closing the window can stop it. The program's own
// pictures are decoded ahead on a pool of threads meanwhile.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>

#include "thumbs/cell_decode_pool.h"
#include "thumbs/color_progress_bar.h"
#include "thumbs/picture_decode.h"
#include "win32/owned_handle.h"
#include "win32/shell_context.h"
#include "win32/win32_file_system.h"

namespace velmora {

// The rows of the window around the pass. Rows may come, go or move while messages run.
class ThumbnailRows {
 public:
  virtual ~ThumbnailRows() = default;
  virtual int ThumbnailRowCount() const = 0;
  // The row's own full path.
  virtual std::string ThumbnailRowPath(int row) const = 0;
  // The row's picture in the thumbnail list, kept with the row itself; -1 for none yet.
  virtual int RowThumbnail(int row) const = 0;
  virtual void SetRowThumbnail(int row, int image) = 0;
};

// What the pass needs of the window around it.
class ThumbnailHost : public ThumbnailRows {
 public:
  // Runs the pending window messages.
  virtual void PumpMessages() = 0;
  // True once the pass must end (stopThumbnails, or the program is quitting).
  virtual bool ThumbnailsStopped() const = 0;
};

class ThumbnailPass {
 public:
  ThumbnailPass(ThumbnailHost& host, TColorProgressBar& bar) : host_(host), bar_(bar) {}
  ~ThumbnailPass() = default;
  ThumbnailPass(const ThumbnailPass&) = delete;
  ThumbnailPass& operator=(const ThumbnailPass&) = delete;

  // Makes the empty thumbnail list with cells of the shell's large icon size; systemLarge is
  // the shell's large image list (shared), whose share and link overlays the list takes over.
  void SetUp(const ShellContext& shell, int cellWidth, int cellHeight, HIMAGELIST systemLarge);

  // MakeThumbnails: one pass, until every row has its picture. With highQuality every file
  // goes to the shell's extractor first; without, .bmp and .jpg files (any case) are decoded
  // here. True when stopped.
  bool MakeThumbnails(bool highQuality);
  // The same for the rows still without a picture (rows added or read again after a pass),
  // keeping the pictures made. True when stopped.
  bool CompleteThumbnails(bool highQuality);

  bool running() const { return running_; }
  HIMAGELIST images() const { return images_.get(); }
  // The images before the rows' pictures: the shell's overlays the rows can carry.
  int overlayImages() const { return overlayImages_; }
  int cellWidth() const { return cellWidth_; }
  int cellHeight() const { return cellHeight_; }
  // Called with each row before its picture is made (after the pump); tests act mid-pass.
  void SetRowObserver(std::function<void(int)> observer) { observer_ = std::move(observer); }
  // Threads that decode the program's own pictures; 0 decodes them on this thread, row by row.
  void SetDecodeThreads(int threads) { decodeThreads_ = threads; }

 private:
  bool Run(bool highQuality, bool fresh);
  bool RunRows(bool highQuality);
  void AddOverlays();
  int AddRowImage(const std::string& path, bool highQuality, CellDecodePool::Result pooled, const Raster& pooledCell);
  bool Pooled(const std::string& path, bool highQuality) const;
  void SubmitAhead(int row, bool highQuality);
  // True when the row's picture needs no waiting: not one of the pool's, or decoded.
  bool CellReady(int row, bool highQuality);
  bool DecodeOwn(const std::string& path, bool anyPicture);
  int AddCell(const Raster& picture, int sourceWidth, int sourceHeight);
  int AddDrawnCell(const Raster& cell);
  bool EnsureCell();
  void ReleasePictures();

  ThumbnailHost& host_;
  TColorProgressBar& bar_;
  const ShellContext* shell_ = nullptr;
  HIMAGELIST systemLarge_ = nullptr;
  ImageList images_;
  int cellWidth_ = 32;
  int cellHeight_ = 32;
  int overlayImages_ = 0;
  bool running_ = false;
  std::function<void(int)> observer_;

  // Kept from row to row: the file buffer, the decoded picture and the cell bitmap. The
  // bitmap stays ours: ImageList_Add copies its pixels into the list's own bitmap.
  PictureReader reader_{&SystemFiles()};
  DecodedPicture picture_;
  Raster shellPicture_;
  OwnedBitmap cellBitmap_;
  std::uint32_t* cellBits_ = nullptr;

  int decodeThreads_ = CellDecodePool::DefaultThreads();
  // Set by the pool's threads as each picture is done; the pass waits on it and on messages.
  OwnedEvent decoded_;
  std::unique_ptr<CellDecodePool> pool_;  // for one pass; after decoded_, which it signals
};

}  // namespace velmora
