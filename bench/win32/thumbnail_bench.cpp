// The thumbnail pass over a folder of generated 12-megapixel photos, decoding each photo
// reduced while decoding (as the program does), against the same work decoding every photo at
// full size, in the same run; and the pass's peak memory, which must not grow with the number
// of photos.
//
//   thumbnail_bench.exe [photos]
//
// The photos (12 by default) are made in a temporary folder first and removed at the end.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "bench_util.h"
#include "thumbs/picture_decode.h"
#include "thumbs/picture_fit.h"
#include "thumbs/win32/raster_bitmap.h"
#include "thumbs/win32/thumbnail_pass.h"

namespace velmora {
namespace bench {
namespace {

constexpr int kPhotoWidth = 4000;
constexpr int kPhotoHeight = 3000;
constexpr int kCell = 32;

// Gradients with noise of up to noiseMask levels: 31 gives a file of a camera's usual size
// (about 2.7 bits a pixel), 3 a far smoother one. The entropy decoder's work grows with it.
std::string MakePhoto(unsigned noiseMask) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = kPhotoWidth;
  cinfo.image_height = kPhotoHeight;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 85, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(kPhotoWidth * 3);
  unsigned seed = 12345;
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < kPhotoWidth; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int noise = static_cast<int>((seed >> 16) & noiseMask);
      row[x * 3] = static_cast<JSAMPLE>((x * 255 / kPhotoWidth + noise) & 0xFF);
      row[x * 3 + 1] = static_cast<JSAMPLE>((y * 255 / kPhotoHeight + noise) & 0xFF);
      row[x * 3 + 2] = static_cast<JSAMPLE>(((x + y) / 30 + noise) & 0xFF);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::string bytes(reinterpret_cast<char*>(buffer), size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return bytes;
}

class RowsHost : public ThumbnailHost {
 public:
  std::vector<std::string> paths;
  int ThumbnailRowCount() const override { return static_cast<int>(paths.size()); }
  std::string ThumbnailRowPath(int row) const override { return paths[static_cast<std::size_t>(row)]; }
  void PumpMessages() override {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  bool ThumbnailsStopped() const override { return false; }
};

// Wine reports no true peak, so the private bytes are sampled once per photo, while the
// buffers kept from photo to photo are alive.
std::size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters.PagefileUsage;
}

std::string Megabytes(std::size_t bytes) { return Fixed(static_cast<double>(bytes) / (1024.0 * 1024.0), 1) + " MB"; }


void Measure(const char* kind, unsigned noiseMask, int photos) {
  const std::string folder = MakeTempFolder("thumbs");
  const std::string photo = MakePhoto(noiseMask);
  RowsHost host;
  for (int i = 0; i < photos; ++i) {
    const std::string path = folder + "photo" + std::to_string(i) + ".jpg";
    WriteBytes(path, photo);
    host.paths.push_back(path);
  }
  std::printf("%d photos of %d x %d (%s each) in %s\n", photos, kPhotoWidth, kPhotoHeight,
              Megabytes(photo.size()).c_str(), folder.c_str());

  ShellContext shell;
  shell.Start();
  TColorProgressBar bar;
  ThumbnailPass pass(host, bar);
  pass.SetUp(shell, kCell, kCell, nullptr);

  // Half the photos, then all: the peak must not grow with their number.
  const std::size_t before = PrivateBytes();
  std::size_t peak = 0;
  pass.SetRowObserver([&](int) { peak = std::max(peak, PrivateBytes()); });
  const std::vector<std::string> all = host.paths;
  host.paths.resize(static_cast<std::size_t>(photos / 2));
  pass.MakeThumbnails(false);
  const std::size_t peakHalf = peak;
  host.paths = all;
  const double reduced = Time([&] { pass.MakeThumbnails(false); });
  const std::size_t peakAll = peak;
  const std::size_t after = PrivateBytes();

  // The same cells made from full-size decodes.
  ImageList fullList(ImageList_Create(kCell, kCell, ILC_COLOR32 | ILC_MASK, 0, 16));
  PictureReader reader;
  DecodedPicture picture;
  Raster cell(kCell, kCell);
  int decoded = 0;
  std::size_t peakFull = 0;
  const double full = Time([&] {
    for (const std::string& path : host.paths) {
      if (!reader.Load(path, 0, 0, picture)) continue;
      ++decoded;
      peakFull = std::max(peakFull, PrivateBytes());
      DrawThumbnailCell(cell, kCell, kCell, picture.pixels, picture.sourceWidth, picture.sourceHeight);
      HBITMAP bitmap = CreateBitmapFromRaster(cell);
      ImageList_Add(fullList.get(), bitmap, nullptr);
      DeleteObject(bitmap);
    }
  });
  reader.Release();
  picture.pixels = Raster();

  // The decoder alone, from memory: where the time goes.
  const auto* data = reinterpret_cast<const std::uint8_t*>(photo.data());
  std::vector<double> scaledTimes, fullTimes;
  for (int i = 0; i < 5; ++i) {
    scaledTimes.push_back(Time([&] { DecodeJpeg(data, photo.size(), kCell, kCell, picture); }));
    fullTimes.push_back(Time([&] { DecodeJpeg(data, photo.size(), 0, 0, picture); }));
  }

  Table table({"", "total", "per photo", "peak private memory"});
  table.Add({"thumbnail pass (reduced decode)", Fixed(reduced, 3) + " s", Fixed(reduced * 1000 / photos, 1) + " ms",
             Megabytes(peakAll)});
  table.Add({"same cells, full-size decode", Fixed(full, 3) + " s", Fixed(full * 1000 / std::max(1, decoded), 1) + " ms",
             Megabytes(peakFull)});
  table.Add({"decode only, reduced 1/8 (median)", "", Fixed(Median(scaledTimes) * 1000, 1) + " ms", ""});
  table.Add({"decode only, full size (median)", "", Fixed(Median(fullTimes) * 1000, 1) + " ms", ""});
  table.Print((std::string("Thumbnail pass, 32 x 32 cells, ") + kind + " photos").c_str());
  std::printf("speed-up of the pass: %s\n", Ratio(full, reduced).c_str());
  std::printf("private memory before the passes %s; peak over %d photos %s, over %d photos %s (growth %s); after %s\n",
              Megabytes(before).c_str(), photos / 2, Megabytes(peakHalf).c_str(), photos, Megabytes(peakAll).c_str(),
              Megabytes(peakAll > peakHalf ? peakAll - peakHalf : 0).c_str(), Megabytes(after).c_str());
  std::printf("images in the pass's list: %d\n", ImageList_GetImageCount(pass.images()));

  shell.Stop();
  RemoveTree(Widen(WithoutBackslash(folder)));
}

}  // namespace
}  // namespace bench
}  // namespace velmora

int main(int argc, char** argv) {
  using namespace velmora::bench;
  CheckCodePage();
  InitControls();
  const int photos = argc > 1 ? std::max(2, std::atoi(argv[1])) : 12;
  Measure("detailed", 31, photos);
  Measure("smooth", 3, photos);
  return 0;
}
