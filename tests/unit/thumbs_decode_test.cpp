// The program's own JPEG and BMP decoding, on pictures made in the test.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "support/picture_samples.h"
#include "thumbs/cell_decode_pool.h"
#include "thumbs/exif_thumbnail.h"
#include "thumbs/picture_decode.h"
#include "thumbs/picture_fit.h"

namespace velmora {
namespace {

using test_support::Bytes;
using test_support::BmpOptions;
using test_support::EncodeBmp;
using test_support::EncodeJpeg;
using test_support::JpegKind;
using test_support::JpegOptions;

test_support::PixelFn QuadrantsOf(int w, int h) {
  return [w, h](int x, int y) { return test_support::Quadrants(x, y, w, h); };
}

int Distance(Colour a, Colour b) {
  return std::max({std::abs(RedOf(a) - RedOf(b)), std::abs(GreenOf(a) - GreenOf(b)), std::abs(BlueOf(a) - BlueOf(b))});
}

// Red, green / blue, white, sampled in the middle of each quadrant. In grey only the order of
// brightness is certain, as encoders weigh the channels differently.
void ExpectQuadrants(const Raster& r, int tolerance, bool grey = false) {
  const int xs[2] = {r.width() / 4, 3 * r.width() / 4}, ys[2] = {r.height() / 4, 3 * r.height() / 4};
  const Colour colour[4] = {Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255), Rgb(255, 255, 255)};
  Colour got[4];
  for (int i = 0; i < 4; ++i) {
    got[i] = r.At(xs[i % 2], ys[i / 2]);
    if (grey) {
      EXPECT_TRUE(RedOf(got[i]) == GreenOf(got[i]) && GreenOf(got[i]) == BlueOf(got[i])) << std::hex << got[i];
    } else {
      EXPECT_LE(Distance(got[i], colour[i]), tolerance) << "quadrant " << i << ": " << std::hex << got[i];
    }
  }
  if (grey) {
    EXPECT_LT(RedOf(got[2]), RedOf(got[0]));  // blue, red, green, white
    EXPECT_LT(RedOf(got[0]), RedOf(got[1]));
    EXPECT_LT(RedOf(got[1]), RedOf(got[3]));
  }
}

// 0x00RRGGBB of a pattern that differs in every channel from pixel to pixel.
std::uint32_t Pattern(int x, int y) {
  return static_cast<std::uint32_t>(((x * 37 + y * 11) & 0xFF) << 16 | ((x * 5 + y * 71) & 0xFF) << 8 | ((x * 101 + y * 3) & 0xFF));
}

bool Decodes(const Bytes& b, int minW = 0, int minH = 0, std::string* error = nullptr) {
  DecodedPicture p;
  return DecodePicture(b.data(), b.size(), minW, minH, p, error);
}

TEST(JpegDecode, ScaleIsTheLargestReductionThatStillCoversTheCell) {
  EXPECT_EQ(JpegScaleDenominator(4000, 3000, 32, 32), 8);
  EXPECT_EQ(JpegScaleDenominator(200, 100, 32, 32), 2);
  EXPECT_EQ(JpegScaleDenominator(255, 255, 32, 32), 8);  // 32 x 32, rounded up
  EXPECT_EQ(JpegScaleDenominator(248, 248, 32, 32), 4);
  EXPECT_EQ(JpegScaleDenominator(20, 20, 32, 32), 1);
  EXPECT_EQ(JpegScaleDenominator(4000, 3000, 146, 89), 8);
  EXPECT_EQ(JpegScaleDenominator(800, 600, 146, 89), 4);
  EXPECT_EQ(JpegScaleDenominator(4000, 3000, 0, 0), 1);
}

TEST(JpegDecode, TwelveMegapixelPhotoIsDecodedAtAnEighth) {
  const Bytes jpeg = EncodeJpeg(4000, 3000, QuadrantsOf(4000, 3000), {JpegKind::Colour, 75});
  int w = 0, h = 0;
  ASSERT_TRUE(ReadJpegSize(jpeg.data(), jpeg.size(), w, h));
  EXPECT_EQ(w, 4000);
  EXPECT_EQ(h, 3000);
  DecodedPicture p;
  std::string error;
  ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), 32, 32, p, &error)) << error;
  EXPECT_EQ(p.pixels.width(), 500);
  EXPECT_EQ(p.pixels.height(), 375);
  EXPECT_EQ(p.sourceWidth, 4000);
  EXPECT_EQ(p.sourceHeight, 3000);
  ExpectQuadrants(p.pixels, 8);
}

TEST(JpegDecode, SmallPicturesAndEveryKindOfJpeg) {
  DecodedPicture p;
  std::string error;
  const Bytes plain = EncodeJpeg(200, 100, QuadrantsOf(200, 100));
  ASSERT_TRUE(DecodeJpeg(plain.data(), plain.size(), 32, 32, p, &error)) << error;
  EXPECT_EQ(p.pixels.width(), 100);
  EXPECT_EQ(p.pixels.height(), 50);
  ASSERT_TRUE(DecodeJpeg(plain.data(), plain.size(), 0, 0, p, &error)) << error;
  EXPECT_EQ(p.pixels.width(), 200);
  ExpectQuadrants(p.pixels, 8);

  struct Kind {
    const char* name;
    JpegOptions options;
    bool grey;
  } kinds[] = {
      {"grey", {JpegKind::Grey, 90, false, false}, true},
      {"progressive", {JpegKind::Colour, 90, true, false}, false},
      {"arithmetic", {JpegKind::Colour, 90, false, true}, false},
      {"ink", {JpegKind::InvertedInk, 90, false, false}, false},
  };
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.name);
    const Bytes jpeg = EncodeJpeg(64, 48, QuadrantsOf(64, 48), k.options);
    ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), 8, 6, p, &error)) << error;
    EXPECT_EQ(p.pixels.width(), 8);
    EXPECT_EQ(p.pixels.height(), 6);
    ExpectQuadrants(p.pixels, 24, k.grey);
    ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), 0, 0, p, &error)) << error;
    EXPECT_EQ(p.pixels.width(), 64);
    ExpectQuadrants(p.pixels, 12, k.grey);
  }
}

TEST(JpegDecode, DamagedDataFailsCleanlyAndLeavesTheDecoderUsable) {
  const Bytes good = EncodeJpeg(120, 80, QuadrantsOf(120, 80));
  const Bytes progressive = EncodeJpeg(120, 80, QuadrantsOf(120, 80), {JpegKind::Colour, 90, true, false});
  std::vector<Bytes> bad = {
      {},
      Bytes{'h', 'e', 'l', 'l', 'o', '\n'},
      Bytes{0xFF, 0xD8, 0xFF, 'g', 'a', 'r', 'b', 'a', 'g', 'e'},
      Bytes(good.begin(), good.begin() + 2),
      Bytes(good.begin(), good.begin() + 200),
      Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2)),
      Bytes(good.begin(), good.end() - 40),
      Bytes(progressive.begin(), progressive.begin() + static_cast<std::ptrdiff_t>(progressive.size() / 2)),
  };
  for (std::size_t i = 0; i < bad.size(); ++i) {
    DecodedPicture p;
    std::string error;
    EXPECT_FALSE(DecodeJpeg(bad[i].data(), bad[i].size(), 32, 32, p, &error)) << i;
    EXPECT_FALSE(error.empty()) << i;
    EXPECT_FALSE(Decodes(bad[i])) << i;
    ASSERT_TRUE(Decodes(good)) << "after " << i;
  }
  int w = 0, h = 0;
  EXPECT_FALSE(ReadJpegSize(bad[1].data(), bad[1].size(), w, h));

  // A header that claims 60,000 x 60,000 is refused at full size before anything is allocated.
  Bytes forged = good;
  for (std::size_t i = 0; i + 8 < forged.size(); ++i) {
    if (forged[i] == 0xFF && forged[i + 1] == 0xC0) {
      forged[i + 5] = forged[i + 7] = 0xEA;
      forged[i + 6] = forged[i + 8] = 0x60;
      break;
    }
  }
  ASSERT_TRUE(ReadJpegSize(forged.data(), forged.size(), w, h));
  EXPECT_EQ(w, 60000);
  DecodedPicture p;
  std::string error;
  EXPECT_FALSE(DecodeJpeg(forged.data(), forged.size(), 0, 0, p, &error));
  EXPECT_EQ(error, "picture too large");
}

struct JpegCase {
  const char* name;
  JpegOptions options;
};

Bytes WithEndMarker(const Bytes& jpeg, std::size_t keep) {
  Bytes cut(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(keep));
  cut.insert(cut.end(), {0xFF, 0xD9});
  return cut;
}

TEST(JpegDecode, ForgedHugeSizeIsRefusedBeforeTheWholePictureIsHeld) {
  // A few hundred bytes whose frame header claims 65500 x 65500. Reduced to a cell, the output
  // is small; a progressive file would still hold every coefficient at the full size.
  const JpegCase kinds[] = {
      {"progressive", {JpegKind::Colour, 10, true, false}},
      {"progressive arithmetic", {JpegKind::Colour, 10, true, true}},
      {"grey progressive", {JpegKind::Grey, 10, true, false}},
      {"baseline", {JpegKind::Colour, 10, false, false}},
      {"arithmetic", {JpegKind::Colour, 10, false, true}},
  };
  for (const JpegCase& k : kinds) {
    SCOPED_TRACE(k.name);
    Bytes forged = EncodeJpeg(16, 16, [](int, int) { return 0x808080u; }, k.options);
    ASSERT_LT(forged.size(), 1000u);
    for (std::size_t i = 2; i + 8 < forged.size(); ++i) {
      if (forged[i] == 0xFF && (forged[i + 1] & 0xF0) == 0xC0 && forged[i + 1] != 0xC4 && forged[i + 1] != 0xCC) {
        forged[i + 5] = forged[i + 7] = 0xFF;
        forged[i + 6] = forged[i + 8] = 0xDC;
        break;
      }
    }
    int w = 0, h = 0;
    ASSERT_TRUE(ReadJpegSize(forged.data(), forged.size(), w, h));
    ASSERT_EQ(w, 65500);
    DecodedPicture p;
    std::string error;
    EXPECT_FALSE(DecodeJpeg(forged.data(), forged.size(), 32, 32, p, &error));
    // Refused from its header alone: an arithmetic-coded scan would decode zeros for seconds.
    EXPECT_EQ(error, "picture too large");
    EXPECT_FALSE(Decodes(forged, 32, 32));
  }
}

TEST(JpegDecode, DataCutShortAndClosedWithAnEndMarkerIsNeverAWholePicture) {
  const JpegCase kinds[] = {
      {"baseline", {JpegKind::Colour, 90, false, false}},
      {"progressive", {JpegKind::Colour, 90, true, false}},
      {"arithmetic", {JpegKind::Colour, 90, false, true}},
      {"progressive arithmetic", {JpegKind::Colour, 90, true, true}},
  };
  for (const JpegCase& k : kinds) {
    SCOPED_TRACE(k.name);
    const Bytes whole = EncodeJpeg(160, 120, Pattern, k.options);
    DecodedPicture p;
    ASSERT_TRUE(DecodeJpeg(whole.data(), whole.size(), 0, 0, p));
    EXPECT_FALSE(p.damaged);
    for (int percent : {30, 60, 90}) {
      SCOPED_TRACE(percent);
      const Bytes cut = WithEndMarker(whole, whole.size() * static_cast<std::size_t>(percent) / 100);
      const bool decoded = DecodeJpeg(cut.data(), cut.size(), 0, 0, p);
      EXPECT_TRUE(!decoded || p.damaged);
      // Huffman-coded data tells where it was cut: that is data ending early, a failure.
      if (!k.options.arithmetic && !k.options.progressive) {
        EXPECT_FALSE(decoded);
      }
    }
    if (k.options.progressive) {
      // Cut cleanly before its last scan: every scan read is whole, but the picture is not.
      std::size_t lastScan = 0;
      for (std::size_t i = 2; i + 1 < whole.size(); ++i) {
        if (whole[i] == 0xFF && whole[i + 1] == 0xDA) lastScan = i;
      }
      const Bytes cut = WithEndMarker(whole, lastScan);
      ASSERT_TRUE(DecodeJpeg(cut.data(), cut.size(), 0, 0, p));
      EXPECT_TRUE(p.damaged);
    }
  }
}

int Widen(std::uint32_t v, int bits) {
  const int top = (1 << bits) - 1;
  return (static_cast<int>(v) * 255 + top / 2) / top;
}

TEST(BmpDecode, EveryDepthAndHeaderReadsBackExactly) {
  std::vector<std::uint32_t> palette;
  for (int i = 0; i < 256; ++i) palette.push_back(Pattern(i, 7 * i));
  struct Case {
    const char* name;
    BmpOptions options;
  } cases[] = {
      {"24 bottom-up", {24, false, 40, false, {}}},
      {"24 top-down", {24, true, 40, false, {}}},
      {"24 oldest header", {24, false, 12, false, {}}},
      {"32", {32, false, 40, false, {}}},
      {"32 bit fields", {32, false, 40, true, {}}},
      {"32 bit fields in a v5 header", {32, true, 124, true, {}}},
      {"16 five-five-five", {16, false, 40, false, {}}},
      {"16 five-six-five", {16, false, 40, true, {}}},
      {"8", {8, false, 40, false, palette}},
      {"4", {4, true, 40, false, std::vector<std::uint32_t>(palette.begin(), palette.begin() + 16)}},
      {"1", {1, false, 40, false, {0x000000, 0xFFFFFF}}},
      {"8 oldest header", {8, false, 12, false, palette}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int bits = c.options.bits;
    const int w = 13, h = 5;
    auto pixel = [&](int x, int y) -> std::uint32_t {
      return bits <= 8 ? static_cast<std::uint32_t>((x + 3 * y) % (1 << bits)) : Pattern(x, y);
    };
    const Bytes bmp = EncodeBmp(w, h, pixel, c.options);
    DecodedPicture p;
    std::string error;
    ASSERT_TRUE(DecodeBmp(bmp.data(), bmp.size(), 0, 0, p, &error)) << error;
    ASSERT_EQ(p.pixels.width(), w);
    ASSERT_EQ(p.pixels.height(), h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const std::uint32_t v = bits <= 8 ? c.options.palette[pixel(x, y)] : Pattern(x, y);
        int r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
        if (bits == 16) {
          const bool six = c.options.bitfields;
          r = Widen(r >> 3, 5);
          g = Widen(g >> (six ? 2 : 3), six ? 6 : 5);
          b = Widen(b >> 3, 5);
        }
        ASSERT_EQ(p.pixels.At(x, y), Rgb(r, g, b)) << x << "," << y;
      }
    }
  }
}

TEST(BmpDecode, LargePicturesAreReducedByAveragingWhileRead) {
  const Bytes quads = EncodeBmp(320, 240, QuadrantsOf(320, 240));
  DecodedPicture p;
  ASSERT_TRUE(DecodeBmp(quads.data(), quads.size(), 32, 32, p));
  EXPECT_EQ(p.pixels.width(), 45);  // reduced by 7, the most that still covers 32 rows
  EXPECT_EQ(p.pixels.height(), 34);
  EXPECT_EQ(p.sourceWidth, 320);
  EXPECT_EQ(p.sourceHeight, 240);
  ExpectQuadrants(p.pixels, 0);

  const Bytes stripes = EncodeBmp(70, 70, [](int x, int) { return x % 2 ? 0xFFFFFFu : 0u; });
  ASSERT_TRUE(DecodeBmp(stripes.data(), stripes.size(), 10, 10, p));
  ASSERT_EQ(p.pixels.width(), 10);
  EXPECT_EQ(p.pixels.At(0, 0), Rgb(109, 109, 109));  // three white columns of seven
  EXPECT_EQ(p.pixels.At(1, 0), Rgb(146, 146, 146));  // four of seven
}

TEST(BmpDecode, DamagedOrUnsupportedFilesFailCleanly) {
  const Bytes good = EncodeBmp(9, 4, QuadrantsOf(9, 4));
  auto with = [&](std::size_t at, std::uint8_t value) {
    Bytes b = good;
    b[at] = value;
    return b;
  };
  const std::vector<std::pair<const char*, Bytes>> bad = {
      {"ends early", Bytes(good.begin(), good.end() - 10)},
      {"header only", Bytes(good.begin(), good.begin() + 54)},
      {"just BM", Bytes{'B', 'M'}},
      {"run-length", with(30, 1)},
      {"zero width", with(18, 0)},
      {"odd header size", with(14, 20)},
      {"pixels past the end", with(13, 0x7F)},
      {"depth 7", with(28, 7)},
  };
  for (const auto& [name, bytes] : bad) {
    DecodedPicture p;
    std::string error;
    EXPECT_FALSE(DecodeBmp(bytes.data(), bytes.size(), 0, 0, p, &error)) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
}

class PictureFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    folder_ = std::filesystem::temp_directory_path() / ("velmora-pictures-" + std::to_string(stamp));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string Path(const std::string& name) const {
    return folder_.string() + static_cast<char>(std::filesystem::path::preferred_separator) + name;
  }
  std::string Write(const std::string& name, const Bytes& bytes) {
    test_support::WriteFileBytes(Path(name), bytes);
    return Path(name);
  }
  std::filesystem::path folder_;
};

TEST_F(PictureFiles, ContentDecidesTheDecoderAndBadFilesFailCleanly) {
  const Bytes jpeg = EncodeJpeg(64, 48, QuadrantsOf(64, 48));
  const Bytes bmp = EncodeBmp(64, 48, QuadrantsOf(64, 48));
  PictureReader reader;
  DecodedPicture p;
  std::string error;
  ASSERT_TRUE(reader.Load(Write("写真ソフト表.JPG", jpeg), 32, 24, p, &error)) << error;
  EXPECT_EQ(p.pixels.width(), 32);
  ExpectQuadrants(p.pixels, 12);
  ASSERT_TRUE(reader.Load(Write("bitmap.jpg", bmp), 0, 0, p, &error)) << error;
  EXPECT_EQ(p.pixels.width(), 64);
  ExpectQuadrants(p.pixels, 0);

  const std::pair<const char*, Bytes> bad[] = {
      {"text.jpg", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}},
      {"empty.jpg", Bytes{}},
      {"cut.jpg", Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 2))},
      {"cut.bmp", Bytes(bmp.begin(), bmp.begin() + 100)},
  };
  for (const auto& [name, bytes] : bad) {
    error.clear();
    EXPECT_FALSE(reader.Load(Write(name, bytes), 32, 32, p, &error)) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
  EXPECT_FALSE(reader.Load(Path("missing.jpg"), 32, 32, p, &error));
  EXPECT_EQ(error, "cannot open the file");
  ASSERT_TRUE(reader.Load(Path("写真ソフト表.JPG"), 32, 24, p, &error)) << error;
  reader.Release();
}

#ifndef _WIN32
// Files written by another encoder (ImageMagick), where it is installed.
TEST_F(PictureFiles, FilesFromImageMagick) {
  const std::string dir = Path("");
  auto run = [&](const std::string& args) {
    return std::system(("cd '" + dir + "' && convert " + args + " >/dev/null 2>&1").c_str()) == 0;
  };
  if (!run("-size 32x24 xc:red xc:lime +append \\( -size 32x24 xc:blue xc:white +append \\) -append base.png"))
    GTEST_SKIP() << "ImageMagick's convert is not available";
  struct Made {
    const char* file;
    const char* options;
    int tolerance;
    bool grey;
  } made[] = {
      {"plain.jpg", "-quality 90", 16, false},
      {"progressive.jpg", "-interlace Plane", 16, false},
      {"grey.jpg", "-colorspace Gray", 16, true},
      {"ink.jpg", "-colorspace CMYK", 24, false},
      {"true.bmp", "-type TrueColor BMP3:", 0, false},
      {"palette.bmp", "-type Palette BMP3:", 0, false},
      {"alpha.bmp", "-type TrueColorAlpha BMP:", 0, false},
      {"565.bmp", "-define bmp:subtype=RGB565 BMP:", 0, false},
      {"os2.bmp", "BMP2:", 0, false},
  };
  PictureReader reader;
  for (const Made& m : made) {
    SCOPED_TRACE(m.file);
    std::string options = m.options, target = m.file;
    if (!options.empty() && options.back() == ':') {
      const std::size_t space = options.rfind(' ');
      target = options.substr(space == std::string::npos ? 0 : space + 1) + m.file;
      options = space == std::string::npos ? "" : options.substr(0, space);
    }
    ASSERT_TRUE(run("base.png " + options + " " + target));
    DecodedPicture p;
    std::string error;
    ASSERT_TRUE(reader.Load(Path(m.file), 0, 0, p, &error)) << error;
    EXPECT_EQ(p.pixels.width(), 64);
    ExpectQuadrants(p.pixels, m.tolerance, m.grey);
  }
  ASSERT_TRUE(run("base.png -type Palette -compress RLE BMP3:rle.bmp"));
  DecodedPicture p;
  EXPECT_FALSE(reader.Load(Path("rle.bmp"), 0, 0, p));
}
#endif

// Photos as cameras write them: an EXIF segment with a small JPEG of the same picture. Here
// the thumbnail's colour differs from the photo's, to tell which one was drawn.
Bytes Solid(int w, int h, std::uint32_t colour) {
  return EncodeJpeg(w, h, [colour](int, int) { return colour; });
}
constexpr std::uint32_t kPhotoRed = 0xFF0000, kThumbGreen = 0x00FF00;

struct Head {
  JpegHeadScan scan;
  JpegHead head;
};
Head Scan(const Bytes& b) {
  Head h;
  h.scan = ScanJpegHead(b.data(), b.size(), h.head);
  return h;
}

// Scans and, when the head is whole, tries the thumbnail; on an exactly sized copy, so that a
// read past the end is caught by the sanitizers.
bool ThumbnailUsed(const Bytes& file, int box = 32) {
  const Bytes copy(file);
  JpegHead head;
  if (ScanJpegHead(copy.data(), copy.size(), head) != JpegHeadScan::Complete) return false;
  DecodedPicture p;
  return DecodeExifThumbnail(copy.data(), copy.size(), head, box, box, p);
}

TEST(ExifThumbnail, FoundInEitherByteOrderAndStandsInForThePhotoInASmallCell) {
  const Bytes photo = Solid(640, 480, kPhotoRed), thumb = Solid(160, 120, kThumbGreen);
  for (bool big : {false, true}) {
    SCOPED_TRACE(big ? "MM" : "II");
    test_support::ExifOptions o;
    o.bigEndian = big;
    const Bytes file = test_support::WithExifThumbnail(photo, thumb, o);
    const Head h = Scan(file);
    ASSERT_EQ(h.scan, JpegHeadScan::Complete);
    EXPECT_EQ(h.head.width, 640);
    EXPECT_EQ(h.head.height, 480);
    EXPECT_EQ(h.head.thumbnailOffset, test_support::kExifTiffStart + test_support::kExifThumbnailAt);
    EXPECT_EQ(h.head.thumbnailLength, thumb.size());
    DecodedPicture p;
    ASSERT_TRUE(DecodeExifThumbnail(file.data(), file.size(), h.head, 32, 32, p));
    EXPECT_TRUE(p.embeddedThumbnail);
    // Fitted by the photo's size; decoded at a quarter, which still covers 32 x 24.
    EXPECT_EQ(p.sourceWidth, 640);
    EXPECT_EQ(p.sourceHeight, 480);
    EXPECT_EQ(p.pixels.width(), 40);
    EXPECT_EQ(p.pixels.height(), 30);
    EXPECT_LE(Distance(p.pixels.At(20, 15), Rgb(0, 255, 0)), 8);
    // A full-size request decodes the photo itself.
    ASSERT_TRUE(DecodePicture(file.data(), file.size(), 0, 0, p));
    EXPECT_FALSE(p.embeddedThumbnail);
    EXPECT_EQ(p.pixels.width(), 640);
  }
  // A photo without one.
  const Head plain = Scan(photo);
  ASSERT_EQ(plain.scan, JpegHeadScan::Complete);
  EXPECT_EQ(plain.head.width, 640);
  EXPECT_EQ(plain.head.thumbnailLength, 0u);
  EXPECT_FALSE(ThumbnailUsed(photo));
}

TEST(ExifThumbnail, NotUsedWhenItWouldShowSomethingElseOrTooLittle) {
  using test_support::WithExifThumbnail;
  const Bytes wide = Solid(600, 400, kPhotoRed);
  // Rounded to whole pixels (106.7 high): the same picture.
  EXPECT_TRUE(ThumbnailUsed(WithExifThumbnail(wide, Solid(160, 107, kThumbGreen))));
  // A 4:3 thumbnail of a 3:2 photo has bars; a square one is another picture.
  EXPECT_FALSE(ThumbnailUsed(WithExifThumbnail(wide, Solid(160, 120, kThumbGreen))));
  EXPECT_FALSE(ThumbnailUsed(WithExifThumbnail(wide, Solid(160, 160, kThumbGreen))));
  // Too small for the box (fitted 200 x 133), or larger than the photo.
  EXPECT_FALSE(ThumbnailUsed(WithExifThumbnail(wide, Solid(160, 107, kThumbGreen)), 200));
  EXPECT_FALSE(ThumbnailUsed(WithExifThumbnail(Solid(120, 80, kPhotoRed), Solid(150, 100, kThumbGreen))));
  // Damaged, or not a JPEG.
  const Bytes thumb = Solid(160, 107, kThumbGreen);
  EXPECT_FALSE(ThumbnailUsed(WithExifThumbnail(wide, Bytes(thumb.begin(), thumb.begin() + static_cast<std::ptrdiff_t>(thumb.size() / 2)))));
  test_support::ExifOptions raw;
  raw.compression = 1;
  EXPECT_FALSE(ThumbnailUsed(WithExifThumbnail(wide, thumb, raw)));
  // Cut short and closed with an end marker, in either coding: never half a thumbnail.
  for (bool arithmetic : {false, true}) {
    SCOPED_TRACE(arithmetic ? "arithmetic" : "Huffman");
    const Bytes patterned = EncodeJpeg(160, 107, Pattern, {JpegKind::Colour, 90, false, arithmetic});
    EXPECT_TRUE(ThumbnailUsed(WithExifThumbnail(wide, patterned)));
    for (std::size_t percent : {20, 50, 80})
      EXPECT_FALSE(ThumbnailUsed(WithExifThumbnail(wide, WithEndMarker(patterned, patterned.size() * percent / 100))))
          << percent;
  }

  // Through the decoder as a whole: the photo, not the square thumbnail.
  const Bytes file = WithExifThumbnail(wide, Solid(160, 160, kThumbGreen));
  DecodedPicture p;
  ASSERT_TRUE(DecodePicture(file.data(), file.size(), 32, 32, p));
  EXPECT_FALSE(p.embeddedThumbnail);
  EXPECT_LE(Distance(p.pixels.At(p.pixels.width() / 2, p.pixels.height() / 2), Rgb(255, 0, 0)), 8);
}

TEST(ExifThumbnail, HostileOrTruncatedSegmentsAreRefusedWithoutReadingOutside) {
  using test_support::ExifOptions;
  const Bytes photo = Solid(64, 48, kPhotoRed), thumb = Solid(64, 48, kThumbGreen);
  const std::int64_t inside = static_cast<std::int64_t>(test_support::kExifThumbnailAt + thumb.size());
  ASSERT_TRUE(ThumbnailUsed(test_support::WithExifThumbnail(photo, thumb)));
  std::vector<ExifOptions> forged(7);
  forged[0].thumbnailOffset = 0xFFFFFFF0;
  forged[1].thumbnailLength = 0xFFFFFFFF;
  forged[2].thumbnailLength = inside - static_cast<std::int64_t>(test_support::kExifThumbnailAt) + 1;  // one past
  forged[3].secondDirectory = 0xFFFFFFF0;
  forged[4].secondDirectory = inside - 10;  // its entries would run off the end
  forged[5].secondDirectory = 4;            // inside the header
  forged[6].thumbnailOffset = 0;            // the TIFF header is no JPEG
  for (bool big : {false, true}) {
    for (std::size_t i = 0; i < forged.size(); ++i) {
      SCOPED_TRACE(i);
      forged[i].bigEndian = big;
      const Bytes file = test_support::WithExifThumbnail(photo, thumb, forged[i]);
      EXPECT_FALSE(ThumbnailUsed(file));
      DecodedPicture p;
      ASSERT_TRUE(DecodePicture(file.data(), file.size(), 32, 32, p));  // the photo is still there
    }
  }

  // Cut anywhere in its head, a file never reads past what it has.
  const Bytes file = test_support::WithExifThumbnail(photo, thumb);
  const std::size_t headEnd = test_support::kExifTiffStart + static_cast<std::size_t>(inside) + 200;
  for (std::size_t n = 0; n < headEnd; ++n) {
    const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
    JpegHead head;
    std::size_t needed = 0;
    const JpegHeadScan scan = ScanJpegHead(cut.data(), cut.size(), head, &needed);
    if (scan == JpegHeadScan::NeedMore) {
      EXPECT_GT(needed, n);
    }
    EXPECT_FALSE(ThumbnailUsed(cut) && n < test_support::kExifTiffStart + static_cast<std::size_t>(inside)) << n;
    // The segment's contents alone, cut short.
    const std::size_t segment = test_support::kExifTiffStart - 6;
    if (n > segment) {
      const Bytes contents(file.begin() + static_cast<std::ptrdiff_t>(segment), file.begin() + static_cast<std::ptrdiff_t>(n));
      std::size_t at = 0, length = 0;
      EXPECT_EQ(FindExifThumbnail(contents.data(), contents.size(), at, length),
                n >= test_support::kExifTiffStart + static_cast<std::size_t>(inside))
          << n;
    }
  }
  // Any one byte of the structure overwritten: used or not, never a read outside.
  for (std::size_t at = 2; at < test_support::kExifTiffStart + test_support::kExifThumbnailAt; ++at) {
    for (std::uint8_t value : {0x00, 0x01, 0x7F, 0xFF}) {
      Bytes bad(file);
      bad[at] = value;
      ThumbnailUsed(bad);
    }
  }
}

TEST_F(PictureFiles, ReaderReadsOnlyTheHeadWhenTheThumbnailWillDo) {
  // Grainy, so that the file is far larger than its head.
  const Bytes photo = EncodeJpeg(1024, 768, [](int x, int y) {
    const std::uint32_t h = (static_cast<std::uint32_t>(x) * 73856093u) ^ (static_cast<std::uint32_t>(y) * 19349663u);
    return 0xC00000u | (h & 0x3F) << 16 | (h >> 8 & 0xFF) << 8 | (h >> 16 & 0xFF);
  });
  const Bytes file = test_support::WithExifThumbnail(photo, Solid(160, 120, kThumbGreen));
  ASSERT_GT(file.size(), 4 * PictureReader::kHeadBytes);
  const std::string path = Write("IMG_0001.JPG", file);
  PictureReader reader;
  DecodedPicture p;
  std::string error;
  ASSERT_TRUE(reader.Load(path, 32, 32, p, &error)) << error;
  EXPECT_TRUE(p.embeddedThumbnail);
  EXPECT_EQ(p.sourceWidth, 1024);
  EXPECT_LE(reader.bytesRead(), PictureReader::kHeadBytes);
  EXPECT_LE(Distance(p.pixels.At(p.pixels.width() / 2, p.pixels.height() / 2), Rgb(0, 255, 0)), 8);
  // A larger box than the thumbnail covers, or the full size, reads and decodes the photo.
  for (int box : {0, 400}) {
    ASSERT_TRUE(reader.Load(path, box, box, p, &error)) << error;
    EXPECT_FALSE(p.embeddedThumbnail);
    EXPECT_EQ(reader.bytesRead(), file.size());
    EXPECT_GT(RedOf(p.pixels.At(p.pixels.width() / 2, p.pixels.height() / 2)), 0x90);
  }
  // Colour profiles before the EXIF segment push it past the first read: read on.
  Bytes profiled(file.begin(), file.begin() + 2);
  for (int k = 0; k < 2; ++k) {
    for (std::uint8_t b : {0xFF, 0xE2, 0xEA, 0x60}) profiled.push_back(b);  // 60,000 bytes
    profiled.resize(profiled.size() + 59998, 0x20);
  }
  profiled.insert(profiled.end(), file.begin() + 2, file.end());
  ASSERT_TRUE(reader.Load(Write("profiled.jpg", profiled), 32, 32, p, &error)) << error;
  EXPECT_TRUE(p.embeddedThumbnail);
  EXPECT_LE(reader.bytesRead(), 2 * PictureReader::kHeadBytes);
}

// The pool's cells are exactly what decoding on one thread draws, whichever thread and in
// whatever order they finish; files that cannot be decoded fail rather than draw.
TEST_F(PictureFiles, PoolCellsEqualTheSingleThreadedCells) {
  std::vector<std::string> paths;
  for (int i = 0; i < 12; ++i) {
    const int w = 40 + 13 * i, h = 30 + 7 * (i % 5);
    const Bytes bytes = i % 3 == 2 ? EncodeBmp(w, h, QuadrantsOf(w, h)) : EncodeJpeg(w, h, QuadrantsOf(w, h));
    paths.push_back(Write("p" + std::to_string(i) + (i % 3 == 2 ? ".bmp" : ".jpg"), bytes));
  }
  const Bytes whole = EncodeJpeg(64, 64, QuadrantsOf(64, 64));
  paths.push_back(Write("cut.jpg", Bytes(whole.begin(), whole.begin() + 100)));
  paths.push_back(Write("text.jpg", Bytes{'h', 'i'}));
  paths.push_back(Path("missing.jpg"));

  std::atomic<int> done{0};
  CellDecodePool pool(3, 32, 24, [&] { ++done; });
  for (const std::string& path : paths) pool.Submit(path);
  pool.Submit(paths[0]);  // asked again while queued or done: decoded once
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (done < static_cast<int>(paths.size()) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(done, static_cast<int>(paths.size()));

  PictureReader reader;
  for (const std::string& path : paths) {
    DecodedPicture p;
    Raster cell, expected;
    const bool decodes = reader.Load(path, 32, 24, p);
    ASSERT_TRUE(pool.Done(path)) << path;
    const CellDecodePool::Result result = pool.Take(path, cell);
    ASSERT_EQ(result, decodes ? CellDecodePool::Result::Decoded : CellDecodePool::Result::Failed) << path;
    EXPECT_EQ(pool.Take(path, cell), CellDecodePool::Result::NotReady) << "taken once: " << path;
    if (!decodes) continue;
    DrawThumbnailCell(expected, 32, 24, p.pixels, p.sourceWidth, p.sourceHeight);
    ASSERT_EQ(cell.width(), 32);
    ASSERT_EQ(cell.height(), 24);
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 32; ++x) ASSERT_EQ(cell.At(x, y), expected.At(x, y)) << path << " " << x << "," << y;
  }
  EXPECT_EQ(pool.Outstanding(), 0u);
}

// A thread that cannot be made leaves the pool with those made before it, which decode every
// picture; the process goes on. With none at all the pool cannot be made.
TEST_F(PictureFiles, PoolWhoseThreadsCannotAllBeMadeWorksWithThoseMade) {
  const std::string path = Write("p.jpg", EncodeJpeg(40, 30, QuadrantsOf(40, 30)));
  int made = 0;
  const CellDecodePool::ThreadStarter failsAfterOne = [&](std::function<void()> work) {
    if (made++ >= 1) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    return std::thread(std::move(work));
  };
  std::atomic<int> done{0};
  {
    CellDecodePool pool(4, 32, 24, [&] { ++done; }, nullptr, nullptr, failsAfterOne);
    EXPECT_EQ(pool.ThreadCount(), 1u);
    pool.Submit(path);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!pool.Done(path) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Raster cell;
    EXPECT_EQ(pool.Take(path, cell), CellDecodePool::Result::Decoded);
  }
  EXPECT_EQ(done, 1);
  const CellDecodePool::ThreadStarter never = [](std::function<void()>) -> std::thread {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  };
  EXPECT_THROW(CellDecodePool(2, 32, 24, [] {}, nullptr, nullptr, never), std::system_error);
}

// A pool dropped with work queued and under way ends at once and frees what it made.
TEST_F(PictureFiles, PoolDroppedMidWayEndsAndFreesItsWork) {
  const Bytes bytes = EncodeJpeg(800, 600, QuadrantsOf(800, 600));
  std::vector<std::string> paths;
  for (int i = 0; i < 40; ++i) paths.push_back(Write("big" + std::to_string(i) + ".jpg", bytes));
  std::atomic<int> done{0};
  {
    CellDecodePool pool(2, 32, 32, [&] { ++done; });
    for (const std::string& path : paths) pool.Submit(path);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (done == 0 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  // At most the pictures under way when it was dropped were finished after.
  EXPECT_LT(done.load(), static_cast<int>(paths.size()));
}

}  // namespace
}  // namespace velmora
