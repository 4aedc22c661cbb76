// Decoding the thumbnail pass's own pictures (.jpg and .bmp) on a few threads, each with its
// own reader and decompressor, each picture drawn into its cell there. The pass's thread asks
// for the paths it will reach soon and takes the cells back in row order; a row whose
// picture cannot be decoded gets a failed result and goes on to the shell as before.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "common/file_system.h"
#include "thumbs/raster.h"

namespace velmora {

class CellDecodePool {
 public:
  // onDone runs on a decoding thread after each picture (it must only wake the pass's thread).
  // files opens the pictures (by their own names, whatever the code page spells); its
  // OpenToRead is called from the decoding threads. Null: the standard library's fopen.
  // onStart, if any, runs first on each decoding thread. startThread makes each thread (null:
  // std::thread); tests make it fail. When a thread cannot be made, the ones made already
  // serve; when none can, the constructor throws what the first attempt threw.
  using ThreadStarter = std::function<std::thread(std::function<void()>)>;
  CellDecodePool(int threads, int cellWidth, int cellHeight, std::function<void()> onDone,
                 FileSystem* files = nullptr, std::function<void()> onStart = nullptr,
                 const ThreadStarter& startThread = nullptr);
  // The decoding threads running.
  std::size_t ThreadCount() const { return threads_.size(); }
  // Drops the pictures not yet started, waits for those under way and frees every result.
  ~CellDecodePool();
  CellDecodePool(const CellDecodePool&) = delete;
  CellDecodePool& operator=(const CellDecodePool&) = delete;

  // Threads for this machine: one per core.
  static int DefaultThreads();

  // Queues the path unless it is queued, under way or done already.
  void Submit(const std::string& path);
  // Paths submitted whose cells have not been taken yet.
  std::size_t Outstanding() const;
  // The path's picture is decoded (or failed) and not taken yet.
  bool Done(const std::string& path) const;
  enum class Result { NotReady, Decoded, Failed };
  // A finished path's result, forgotten once taken; Decoded moves its cell into `cell`.
  Result Take(const std::string& path, Raster& cell);

 private:
  struct Job {
    bool done = false;
    bool decoded = false;
    Raster cell;
  };
  void Work();

  const int cellWidth_, cellHeight_;
  std::function<void()> onDone_;
  FileSystem* files_;
  std::function<void()> onStart_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::string> queue_;
  std::unordered_map<std::string, Job> jobs_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;  // last: started once the rest is in place
};

}  // namespace velmora
