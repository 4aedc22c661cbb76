// A thumbnail pass over a folder of 12-megapixel JPEG photos, made at start as cameras write
// them, with a 160 x 120 EXIF thumbnail: read each file's head and draw the cell from the
// thumbnail. Against the same pass decoding every photo at full size, in the same run; and
// the pass over the same photos without a thumbnail, decoded reduced by libjpeg's DCT scaling
// to what still covers a 32 x 32 cell. Also the peak heap of a pass over 2, 4 and 8 photos,
// which must not grow with their number.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/picture_samples.h"
#include "thumbs/picture_decode.h"
#include "thumbs/picture_fit.h"

// Heap accounting for the whole process: every malloc goes through here to the C library.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);
}

namespace {
std::atomic<long long> heapNow{0};
std::atomic<long long> heapPeak{0};

void Count(void* p) {
  if (!p) return;
  const long long now = heapNow += static_cast<long long>(malloc_usable_size(p));
  long long peak = heapPeak.load();
  while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
  }
}
void Uncount(void* p) {
  if (p) heapNow -= static_cast<long long>(malloc_usable_size(p));
}
}  // namespace

extern "C" {
void* malloc(size_t n) {
  void* p = __libc_malloc(n);
  Count(p);
  return p;
}
void* calloc(size_t n, size_t size) {
  void* p = __libc_calloc(n, size);
  Count(p);
  return p;
}
void* realloc(void* old, size_t n) {
  Uncount(old);
  void* p = __libc_realloc(old, n);
  Count(p ? p : (n ? old : nullptr));
  return p;
}
void free(void* p) {
  Uncount(p);
  __libc_free(p);
}
void* memalign(size_t alignment, size_t n) {
  void* p = __libc_memalign(alignment, n);
  Count(p);
  return p;
}
void* aligned_alloc(size_t alignment, size_t n) { return memalign(alignment, n); }
int posix_memalign(void** out, size_t alignment, size_t n) {
  *out = memalign(alignment, n);
  return *out ? 0 : 12;  // ENOMEM
}
}

namespace velmora {
namespace {

constexpr int kPhotos = 8;
constexpr int kWidth = 4000, kHeight = 3000;
constexpr int kCell = 32;
constexpr int kThumbWidth = 160, kThumbHeight = 120;

// Photo-like content: broad gradients, finer texture and a little grain, so that the files
// are as large and as slow to decode as camera photos of this size (a few megabytes). The
// thumbnail samples the same picture.
test_support::Bytes MakePhoto(int seed, bool thumbnail) {
  std::vector<float> sx(kWidth), sy(kHeight), tx(kWidth), ty(kHeight);
  for (int x = 0; x < kWidth; ++x) {
    sx[x] = std::sin((x + 97 * seed) / 310.0f);
    tx[x] = std::sin(x / (5.0f + seed));
  }
  for (int y = 0; y < kHeight; ++y) {
    sy[y] = std::cos((y + 53 * seed) / 190.0f);
    ty[y] = std::cos(y / 7.0f);
  }
  auto pixel = [&](int x, int y) -> std::uint32_t {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u ^
                      static_cast<std::uint32_t>(seed) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    const float grain = static_cast<float>(h >> 28) - 7.5f;
    const float texture = 18.0f * tx[x] * ty[y];
    auto channel = [&](float base, float a, float b) {
      const float v = base + a * sx[x] + b * sy[y] + texture + grain;
      return static_cast<std::uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v);
    };
    return channel(120, 70, 40) << 16 | channel(110, 30, 60) << 8 | channel(100, 50, 50);
  };
  test_support::Bytes photo = test_support::EncodeJpeg(kWidth, kHeight, pixel, {test_support::JpegKind::Colour, 90});
  if (!thumbnail) return photo;
  const int step = kWidth / kThumbWidth;
  const test_support::Bytes small = test_support::EncodeJpeg(
      kThumbWidth, kThumbHeight, [&](int x, int y) { return pixel(x * step + step / 2, y * step + step / 2); },
      {test_support::JpegKind::Colour, 80});
  return test_support::WithExifThumbnail(photo, small);
}

// The same photos with and without their EXIF thumbnails.
struct PhotoFolder {
  std::filesystem::path folder;
  std::vector<std::string> files;
  std::vector<std::string> plainFiles;
  long long bytes = 0;

  PhotoFolder() {
    folder = std::filesystem::temp_directory_path() /
             ("velmora-thumbs-bench-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(folder);
    for (int i = 0; i < kPhotos; ++i) {
      const test_support::Bytes photo = MakePhoto(i, true);
      files.push_back((folder / ("IMG_" + std::to_string(1000 + i) + ".JPG")).string());
      test_support::WriteFileBytes(files.back(), photo);
      bytes += static_cast<long long>(photo.size());
      plainFiles.push_back((folder / ("PLAIN_" + std::to_string(1000 + i) + ".JPG")).string());
      test_support::WriteFileBytes(plainFiles.back(), MakePhoto(i, false));
    }
  }
  ~PhotoFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
};

PhotoFolder& Photos() {
  static PhotoFolder photos;
  return photos;
}

// One pass as the thumbnail pass makes it: one reader, one picture and one cell reused for
// every photo. Returns the heap's peak above its level at the start of the pass.
long long Pass(const std::vector<std::string>& files, int count, bool reduce, bool exifExpected) {
  const long long start = heapNow.load();
  heapPeak = start;
  {
    PictureReader reader;
    DecodedPicture picture;
    Raster cell;
    const int need = reduce ? kCell : 0;
    for (int i = 0; i < count; ++i) {
      if (!reader.Load(files[static_cast<std::size_t>(i)], need, need, picture)) std::abort();
      // The figures are only honest if each path is the one measured.
      if (picture.embeddedThumbnail != exifExpected) std::abort();
      DrawThumbnailCell(cell, kCell, kCell, picture.pixels, picture.sourceWidth, picture.sourceHeight);
      benchmark::DoNotOptimize(cell.Row(kCell / 2)[kCell / 2]);
    }
  }
  return heapPeak.load() - start;
}

// Time per photo both on the clock and in processor time: the machine may be shared, and
// the processor time is what the comparison goes by.
void RunPass(benchmark::State& state, bool reduce, bool exif) {
  PhotoFolder& photos = Photos();
  const std::vector<std::string>& files = exif ? photos.files : photos.plainFiles;
  const int count = static_cast<int>(state.range(0));
  long long peak = 0;
  double wall = 0, cpu = 0;
  for (auto _ : state) {
    const auto wallStart = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    peak = std::max(peak, Pass(files, count, reduce, reduce && exif));
    cpu += static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  }
  const double photosDone = static_cast<double>(state.iterations()) * count;
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["ms_per_photo"] = 1000.0 * wall / photosDone;
  state.counters["cpu_ms_per_photo"] = 1000.0 * cpu / photosDone;
  state.counters["peak_heap_MB"] = static_cast<double>(peak) / (1 << 20);
}

// The pass as the program runs it, over photos with EXIF thumbnails.
void BM_ThumbnailPass(benchmark::State& state) { RunPass(state, true, true); }
// Over the same photos without them: decoded reduced.
void BM_ThumbnailPassNoExif(benchmark::State& state) { RunPass(state, true, false); }
// Every photo decoded at full size.
void BM_ThumbnailPassFullSize(benchmark::State& state) { RunPass(state, false, true); }

BENCHMARK(BM_ThumbnailPass)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThumbnailPassNoExif)->Arg(2)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThumbnailPassFullSize)->Arg(2)->Arg(8)->Unit(benchmark::kMillisecond);

// Keeps each run's times per photo for the comparison printed at the end.
class Recorder : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      for (const char* name : {"ms_per_photo", "cpu_ms_per_photo", "peak_heap_MB"}) {
        auto it = run.counters.find(name);
        if (it != run.counters.end()) perPhoto[run.benchmark_name() + " " + name] = it->second;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> perPhoto;
};

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::printf("making %d photos of %d x %d...\n", velmora::kPhotos, velmora::kWidth, velmora::kHeight);
  const velmora::PhotoFolder& photos = velmora::Photos();
  std::printf("average file %.2f MB\n", static_cast<double>(photos.bytes) / velmora::kPhotos / (1 << 20));
  velmora::Recorder recorder;
  benchmark::RunSpecifiedBenchmarks(&recorder);
  const auto& t = recorder.perPhoto;
  auto at = [&](const std::string& key) {
    auto it = t.find(key);
    return it == t.end() ? -1.0 : it->second;
  };
  for (const char* kind : {"cpu_ms_per_photo", "ms_per_photo"}) {
    const double exif = at(std::string("BM_ThumbnailPass/8 ") + kind);
    const double plain = at(std::string("BM_ThumbnailPassNoExif/8 ") + kind);
    const double full = at(std::string("BM_ThumbnailPassFullSize/8 ") + kind);
    if (exif <= 0 || plain <= 0 || full <= 0) continue;
    std::printf("%s: full-size decode %.2f ms; pass with EXIF thumbnails %.2f ms: %.1fx faster (target 5x); "
                "pass without them (reduced decode) %.2f ms: %.1fx faster\n",
                kind[0] == 'c' ? "processor time per photo" : "clock time per photo", full, exif, full / exif,
                plain, full / plain);
  }
  std::printf("peak heap of the pass with thumbnails over 2 / 4 / 8 photos: %.2f / %.2f / %.2f MB; without them "
              "over 2 / 8: %.2f / %.2f MB; full-size over 8: %.2f MB\n",
              at("BM_ThumbnailPass/2 peak_heap_MB"), at("BM_ThumbnailPass/4 peak_heap_MB"),
              at("BM_ThumbnailPass/8 peak_heap_MB"), at("BM_ThumbnailPassNoExif/2 peak_heap_MB"),
              at("BM_ThumbnailPassNoExif/8 peak_heap_MB"), at("BM_ThumbnailPassFullSize/8 peak_heap_MB"));
  benchmark::Shutdown();
  return 0;
}
