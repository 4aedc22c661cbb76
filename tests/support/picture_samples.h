// Pictures made in the test itself: JPEG through libjpeg's encoder, BMP byte by byte.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace test_support {

using Bytes = std::vector<std::uint8_t>;
// Colour of a pixel as 0x00RRGGBB (or a palette index for BMP files of 8 bits and fewer).
using PixelFn = std::function<std::uint32_t(int x, int y)>;

enum class JpegKind { Colour, Grey, InvertedInk };

struct JpegOptions {
  JpegKind kind = JpegKind::Colour;
  int quality = 90;
  bool progressive = false;
  bool arithmetic = false;
};

Bytes EncodeJpeg(int width, int height, const PixelFn& pixel, const JpegOptions& options = {});

struct BmpOptions {
  int bits = 24;               // 1, 4, 8, 16, 24 or 32
  bool topDown = false;
  int headerSize = 40;         // 12, 40 or 124
  bool bitfields = false;      // 16 bits: 5-6-5; 32 bits: red, green, blue in the top three bytes
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
};

Bytes EncodeBmp(int width, int height, const PixelFn& pixel, const BmpOptions& options = {});

// A camera's EXIF segment (APP1) holding thumbnail, put right after the photo's SOI marker.
// The TIFF structure: its header, a first directory of one entry at 8, the second directory
// (compression, thumbnail offset and length) at 26, and the thumbnail at 68. The other
// fields forge what the second directory says, for damaged files (-1: the true value).
struct ExifOptions {
  bool bigEndian = false;
  std::int64_t secondDirectory = -1;
  std::int64_t thumbnailOffset = -1;
  std::int64_t thumbnailLength = -1;
  int compression = 6;
};
constexpr std::size_t kExifTiffStart = 12;  // in the file: SOI, APP1 marker and length, "Exif\0\0"
constexpr std::size_t kExifThumbnailAt = 68;  // in the TIFF structure

Bytes WithExifThumbnail(const Bytes& photo, const Bytes& thumbnail, const ExifOptions& options = {});

// Quadrants red, green / blue, white.
std::uint32_t Quadrants(int x, int y, int width, int height);

// Fine detail that compresses poorly, for files larger than one read.
std::uint32_t Detailed(int x, int y);

// One JPEG of each kind the decoder tells apart (colour, grey, ink; baseline, progressive,
// arithmetic), detailed enough to span many reads.
struct NamedSample {
  std::string name;
  Bytes bytes;
};
std::vector<NamedSample> JpegSamples(int width = 320, int height = 240);

void WriteFileBytes(const std::string& path, const Bytes& bytes);

}  // namespace test_support
