#include "thumbs/cell_decode_pool.h"

#include <algorithm>
#include <exception>

#include "thumbs/picture_decode.h"
#include "thumbs/picture_fit.h"

namespace velmora {

CellDecodePool::CellDecodePool(int threads, int cellWidth, int cellHeight, std::function<void()> onDone,
                               FileSystem* files, std::function<void()> onStart, const ThreadStarter& startThread)
    : cellWidth_(cellWidth),
      cellHeight_(cellHeight),
      onDone_(std::move(onDone)),
      files_(files),
      onStart_(std::move(onStart)) {
  const std::size_t wanted = static_cast<std::size_t>(std::max(1, threads));
  // Room first, so that adding a thread made cannot fail: a joinable thread must never be
  // dropped (that ends the process).
  threads_.reserve(wanted);
  for (std::size_t i = 0; i < wanted; ++i) {
    try {
      threads_.push_back(startThread ? startThread([this] { Work(); }) : std::thread([this] { Work(); }));
    } catch (...) {
      // The threads made serve; without any the pool could decode nothing.
      if (!threads_.empty()) break;
      throw;
    }
  }
}

CellDecodePool::~CellDecodePool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  wake_.notify_all();
  for (std::thread& t : threads_) t.join();
}

int CellDecodePool::DefaultThreads() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(std::min(cores, 16u));
}

void CellDecodePool::Submit(const std::string& path) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!jobs_.emplace(path, Job()).second) return;
    queue_.push_back(path);
  }
  wake_.notify_one();
}

std::size_t CellDecodePool::Outstanding() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return jobs_.size();
}

bool CellDecodePool::Done(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = jobs_.find(path);
  return found != jobs_.end() && found->second.done;
}

CellDecodePool::Result CellDecodePool::Take(const std::string& path, Raster& cell) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = jobs_.find(path);
  if (found == jobs_.end() || !found->second.done) return Result::NotReady;
  const bool decoded = found->second.decoded;
  if (decoded) cell = std::move(found->second.cell);
  jobs_.erase(found);
  return decoded ? Result::Decoded : Result::Failed;
}

void CellDecodePool::Work() {
  if (onStart_) onStart_();
  // Kept from picture to picture on this thread: the reader's buffers, and the picture of a
  // file decoded whole (an EXIF thumbnail, a BMP, a small file).
  PictureReader reader(files_);
  DecodedPicture picture;
  for (;;) {
    std::string path;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      path = std::move(queue_.front());
      queue_.pop_front();
    }
    Raster cell;
    bool decoded = false;
    try {
      // A decoded photo goes into its cell row by row, so no thread holds a whole picture.
      ThumbnailCellRows rows(cell, cellWidth_, cellHeight_);
      decoded = reader.Load(path, cellWidth_, cellHeight_, picture, nullptr, &rows);
      if (decoded && !rows.Finish())
        DrawThumbnailCell(cell, cellWidth_, cellHeight_, picture.pixels, picture.sourceWidth, picture.sourceHeight);
    } catch (const std::exception&) {
      decoded = false;  // out of memory for this picture: the row goes on to the shell
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      Job& job = jobs_[path];
      job.done = true;
      job.decoded = decoded;
      job.cell = std::move(cell);
    }
    if (onDone_) onDone_();
  }
}

}  // namespace velmora
