// The thumbnail pass over a folder of generated 12-megapixel photos written as cameras write
// them, with a 160 x 120 EXIF thumbnail (which the pass draws from), against the same work
// decoding every photo at full size, in the same run; the pass over the same photos without
// their thumbnails, decoded reduced while decoding; and the passes' peak memory, which must
// not grow with the number of photos.
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


#include "bench_util.h"
#include "support/picture_samples.h"
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
constexpr int kThumbWidth = 160, kThumbHeight = 120;

// The photo's gradients without the noise, small.
std::string MakeThumbnail() {
  const test_support::Bytes bytes = test_support::EncodeJpeg(kThumbWidth, kThumbHeight, [](int x, int y) {
    const int px = x * kPhotoWidth / kThumbWidth, py = y * kPhotoHeight / kThumbHeight;
    return static_cast<std::uint32_t>((px * 255 / kPhotoWidth) << 16 | (py * 255 / kPhotoHeight) << 8 |
                                      (((px + py) / 30) & 0xFF));
  }, {test_support::JpegKind::Colour, 80});
  return std::string(bytes.begin(), bytes.end());
}

std::string WithThumbnail(const std::string& photo, const std::string& thumbnail) {
  const test_support::Bytes bytes = test_support::WithExifThumbnail(test_support::Bytes(photo.begin(), photo.end()),
                                                                    test_support::Bytes(thumbnail.begin(), thumbnail.end()));
  return std::string(bytes.begin(), bytes.end());
}

// Gradients with noise of up to noiseMask levels: 31 gives a file of a camera's usual size
// (about 2.7 bits a pixel), 3 a far smoother one. The entropy decoder's work grows with it.
std::string MakePhoto(unsigned noiseMask) {
  // The encoder asks row by row, left to right, so the noise runs on from pixel to pixel.
  unsigned seed = 12345;
  const test_support::Bytes bytes = test_support::EncodeJpeg(kPhotoWidth, kPhotoHeight, [&seed, noiseMask](int x, int y) {
    seed = seed * 1103515245u + 12345u;
    const int noise = static_cast<int>((seed >> 16) & noiseMask);
    const auto red = static_cast<std::uint32_t>((x * 255 / kPhotoWidth + noise) & 0xFF);
    const auto green = static_cast<std::uint32_t>((y * 255 / kPhotoHeight + noise) & 0xFF);
    const auto blue = static_cast<std::uint32_t>(((x + y) / 30 + noise) & 0xFF);
    return red << 16 | green << 8 | blue;
  }, {test_support::JpegKind::Colour, 85});
  return std::string(bytes.begin(), bytes.end());
}

class RowsHost : public ThumbnailHost {
 public:
  std::vector<std::string> paths;
  std::vector<int> images;
  int ThumbnailRowCount() const override { return static_cast<int>(paths.size()); }
  std::string ThumbnailRowPath(int row) const override { return paths[static_cast<std::size_t>(row)]; }
  int RowThumbnail(int row) const override {
    return static_cast<std::size_t>(row) < images.size() ? images[static_cast<std::size_t>(row)] : -1;
  }
  void SetRowThumbnail(int row, int image) override {
    if (images.size() <= static_cast<std::size_t>(row)) images.resize(static_cast<std::size_t>(row) + 1, -1);
    images[static_cast<std::size_t>(row)] = image;
  }
  void PumpMessages() override {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  bool ThumbnailsStopped() const override { return false; }
};

// Wine reports no true peak, so the private bytes (PrivateBytes) are sampled once per photo,
// while the buffers kept from photo to photo are alive.

std::string Megabytes(std::size_t bytes) { return Fixed(static_cast<double>(bytes) / (1024.0 * 1024.0), 1) + " MB"; }


struct PassFigures {
  double seconds = 0;
  std::size_t peakHalf = 0;
  std::size_t peakAll = 0;
  int images = 0;
};

// The program's pass over the files: half of them, then all of them timed; the peak must not
// grow with their number.
PassFigures RunPass(ShellContext& shell, const std::vector<std::string>& files) {
  RowsHost host;
  TColorProgressBar bar;
  ThumbnailPass pass(host, bar);
  pass.SetUp(shell, kCell, kCell, nullptr);
  std::size_t peak = 0;
  pass.SetRowObserver([&](int) { peak = std::max(peak, PrivateBytes()); });
  PassFigures f;
  host.paths.assign(files.begin(), files.begin() + static_cast<std::ptrdiff_t>(files.size() / 2));
  pass.MakeThumbnails(false);
  f.peakHalf = peak;
  host.paths = files;
  f.seconds = Time([&] { pass.MakeThumbnails(false); });
  f.peakAll = peak;
  f.images = ImageList_GetImageCount(pass.images());
  return f;
}

void Measure(const char* kind, unsigned noiseMask, int photos) {
  const std::string folder = MakeTempFolder("thumbs");
  const std::string plain = MakePhoto(noiseMask);
  const std::string camera = WithThumbnail(plain, MakeThumbnail());
  std::vector<std::string> cameraFiles, plainFiles;
  for (int i = 0; i < photos; ++i) {
    cameraFiles.push_back(folder + "IMG_" + std::to_string(1000 + i) + ".JPG");
    WriteBytes(cameraFiles.back(), camera);
    plainFiles.push_back(folder + "plain" + std::to_string(i) + ".jpg");
    WriteBytes(plainFiles.back(), plain);
  }
  std::printf("%d photos of %d x %d (%s each, with a %d x %d EXIF thumbnail), and the same without it, in %s\n", photos,
              kPhotoWidth, kPhotoHeight, Megabytes(camera.size()).c_str(), kThumbWidth, kThumbHeight, folder.c_str());

  ShellContext shell;
  shell.Start();
  {
    // The figures are only honest if each pass takes the path it is named for.
    PictureReader reader;
    DecodedPicture picture;
    reader.Load(cameraFiles[0], kCell, kCell, picture);
    const bool cameraUsesThumbnail = picture.embeddedThumbnail;
    const std::size_t headRead = reader.bytesRead();
    reader.Load(plainFiles[0], kCell, kCell, picture);
    std::printf("the pass draws from the EXIF thumbnail: %s (reads %s KB of the file); without one: %s\n",
                cameraUsesThumbnail ? "yes" : "NO", std::to_string(headRead / 1024).c_str(),
                picture.embeddedThumbnail ? "YES" : "no");
  }
  const std::size_t before = PrivateBytes();
  PictureReader reader;
  DecodedPicture picture;

  const PassFigures withExif = RunPass(shell, cameraFiles);
  const PassFigures withoutExif = RunPass(shell, plainFiles);
  const std::size_t after = PrivateBytes();

  // The same cells made from full-size decodes.
  ImageList fullList(ImageList_Create(kCell, kCell, ILC_COLOR32 | ILC_MASK, 0, 16));
  Raster cell(kCell, kCell);
  int decoded = 0;
  std::size_t peakFull = 0;
  const double full = Time([&] {
    for (const std::string& path : cameraFiles) {
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
  const auto* data = reinterpret_cast<const std::uint8_t*>(plain.data());
  std::vector<double> scaledTimes, fullTimes;
  for (int i = 0; i < 5; ++i) {
    scaledTimes.push_back(Time([&] { DecodeJpeg(data, plain.size(), kCell, kCell, picture); }));
    fullTimes.push_back(Time([&] { DecodeJpeg(data, plain.size(), 0, 0, picture); }));
  }

  const double perFull = full * 1000 / std::max(1, decoded);
  Table table({"", "total", "per photo", "peak private memory"});
  table.Add({"thumbnail pass, EXIF thumbnails", Fixed(withExif.seconds, 3) + " s",
             Fixed(withExif.seconds * 1000 / photos, 1) + " ms", Megabytes(withExif.peakAll)});
  table.Add({"thumbnail pass, no thumbnails (reduced decode)", Fixed(withoutExif.seconds, 3) + " s",
             Fixed(withoutExif.seconds * 1000 / photos, 1) + " ms", Megabytes(withoutExif.peakAll)});
  table.Add({"same cells, full-size decode", Fixed(full, 3) + " s", Fixed(perFull, 1) + " ms", Megabytes(peakFull)});
  table.Add({"decode only, reduced 1/8 (median)", "", Fixed(Median(scaledTimes) * 1000, 1) + " ms", ""});
  table.Add({"decode only, full size (median)", "", Fixed(Median(fullTimes) * 1000, 1) + " ms", ""});
  table.Print((std::string("Thumbnail pass, 32 x 32 cells, ") + kind + " photos").c_str());
  std::printf("speed-up of the pass with EXIF thumbnails: %s (target 5x); without them: %s\n",
              Ratio(full, withExif.seconds).c_str(), Ratio(full, withoutExif.seconds).c_str());
  for (const auto& [name, f] : {std::pair<const char*, const PassFigures&>{"with thumbnails", withExif},
                                std::pair<const char*, const PassFigures&>{"without", withoutExif}}) {
    std::printf("peak private memory %s: over %d photos %s, over %d photos %s (growth %s); images in the list: %d\n",
                name, photos / 2, Megabytes(f.peakHalf).c_str(), photos, Megabytes(f.peakAll).c_str(),
                Megabytes(f.peakAll > f.peakHalf ? f.peakAll - f.peakHalf : 0).c_str(), f.images);
  }
  std::printf("private memory before the passes %s, after %s\n", Megabytes(before).c_str(), Megabytes(after).c_str());
  const bool detailed = std::string(kind) == "detailed";
  Figure(std::string("thumbnail pass without EXIF thumbnails against full-size decoding, ") + kind + " photos",
         Ratio(full, withoutExif.seconds), "at least 3x", detailed ? "1.23x" : "3.09x");
  Figure(std::string("the pass's peak memory above the start, without EXIF thumbnails, ") + kind + " photos",
         Megabytes(withoutExif.peakAll > before ? withoutExif.peakAll - before : 0), "no growth",
         detailed ? "5.8 MB" : "1.8 MB");

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
