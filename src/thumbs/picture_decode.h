// The program's own picture decoding: JPEG through libjpeg (reduced while decoding when the
// picture is far larger than needed) and BMP, into a Raster. Nothing here ends the program or
// throws for bad data: a file that cannot be decoded gives false and a message.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "thumbs/raster.h"

namespace velmora {

class FileSystem;

struct DecodedPicture {
  Raster pixels;         // the decoded pixels, possibly a reduction of the picture
  int sourceWidth = 0;   // the picture's full size, which fitting goes by
  int sourceHeight = 0;
  bool damaged = false;            // the decoder got past damage, or the data may end early
  bool embeddedThumbnail = false;  // the pixels are the file's EXIF thumbnail, not the photo
};

// Larger pictures are refused rather than allocated (a forged header cannot ask for more).
constexpr std::int64_t kMaxDecodedPixels = std::int64_t{1} << 27;

// libjpeg's DCT reduction for a width x height picture needed at least minWidth x minHeight:
// the largest of 8, 4, 2 and 1 whose output (rounded up) still covers that; 1 when the
// picture is no larger, or when minWidth or minHeight is not positive (full size).
int JpegScaleDenominator(int width, int height, int minWidth, int minHeight);

// The size in a JPEG's header, without decoding.
bool ReadJpegSize(const std::uint8_t* data, std::size_t size, int& width, int& height);

// Data handed out a piece at a time, in order: a file read in chunks.
class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // The next piece (valid until the next call); size 0 at the end. False when the data cannot
  // be read, with the reason in error.
  virtual bool Next(const std::uint8_t*& data, std::size_t& size, const char*& error) = 0;
};

// Where a decoder can hand its rows as they come, instead of holding the picture whole.
class RowSink {
 public:
  virtual ~RowSink() = default;
  // Before the first row: the size of the rows to come and the picture's full size.
  virtual void Begin(int width, int height, int sourceWidth, int sourceHeight) = 0;
  // Each row, top to bottom.
  virtual void Row(const std::uint32_t* pixels) = 0;
};

// Decodes a JPEG (baseline, progressive or arithmetic; grey, colour or CMYK), reduced by
// JpegScaleDenominator. Data that ends before the picture does is a failure; where that
// cannot be told from a legitimate file (an arithmetic-coded scan, a progressive file that
// stops between scans, a cut in the last row) the picture is marked damaged. A picture whose
// decoding would need more than a few hundred megabytes is refused ("picture too large"):
// progressive files are held whole at their source size, whatever the reduction.
bool DecodeJpeg(const std::uint8_t* data, std::size_t size, int minWidth, int minHeight,
                DecodedPicture& out, std::string* error = nullptr);
// The same from a stream, which is read no further than the decoder needs: the same picture,
// damage and failures as from the stream's bytes whole. With rows, the pixels go there as they
// are decoded and out.pixels is left empty; the rows of a failed decode mean nothing.
bool DecodeJpeg(ByteStream& data, int minWidth, int minHeight, DecodedPicture& out, std::string* error = nullptr,
                RowSink* rows = nullptr);

// Decodes a BMP file's bytes: 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed or with
// bit-field masks, bottom-up or top-down, any of the usual header versions; run-length
// compressed files are refused. A picture far larger than minWidth x minHeight is reduced
// by a whole factor while reading (each pixel the average of a square of pixels).
bool DecodeBmp(const std::uint8_t* data, std::size_t size, int minWidth, int minHeight,
               DecodedPicture& out, std::string* error = nullptr);

enum class PictureFormat { Unknown, Jpeg, Bmp };

// By content, not by name: a ".jpg" that is really text is Unknown.
PictureFormat SniffPictureFormat(const std::uint8_t* data, std::size_t size);

// JPEG or BMP by content.
bool DecodePicture(const std::uint8_t* data, std::size_t size, int minWidth, int minHeight,
                   DecodedPicture& out, std::string* error = nullptr);

// Reads picture files (paths in the program's code page). A JPEG is decoded as it is read, a
// chunk at a time, so that a pass over many files holds no whole file; a JPEG needed small is
// first read only as far as its head, in case its EXIF thumbnail will do. A BMP, which is
// stored bottom-up, is read whole and its bytes given back afterwards.
class PictureReader {
 public:
  // Files are opened through files (names the code page cannot spell need the platform's
  // wide open); without it, with the C library.
  explicit PictureReader(FileSystem* files = nullptr) : files_(files) {}

  // Files above this size are refused.
  static constexpr std::int64_t kMaxFileBytes = std::int64_t{512} << 20;
  // What is read first, enough for the EXIF segment (at most 64 KB) and the usual markers.
  static constexpr std::size_t kHeadBytes = std::size_t{96} << 10;
  // Heads longer than this (large colour profiles) are read with the rest of the file.
  static constexpr std::size_t kMaxHeadBytes = std::size_t{1} << 20;
  // The pieces a JPEG is read in after its head.
  static constexpr std::size_t kChunkBytes = std::size_t{64} << 10;

  // With rows, a JPEG decoded from the file (not its EXIF thumbnail, nor a file read whole in
  // its head) hands its rows there and leaves out.pixels empty.
  bool Load(const std::string& path, int minWidth, int minHeight, DecodedPicture& out,
            std::string* error = nullptr, RowSink* rows = nullptr);
  // Gives the buffers' memory back.
  void Release();
  // The bytes read from the file for the last Load: the head alone when the thumbnail did.
  std::size_t bytesRead() const { return bytesRead_; }

 private:
  FileSystem* files_;
  std::vector<std::uint8_t> head_;   // the head, or a whole BMP
  std::vector<std::uint8_t> chunk_;  // the piece of a JPEG being decoded
  std::size_t bytesRead_ = 0;
};

}  // namespace velmora
