#include "thumbs/exif_thumbnail.h"

#include <algorithm>

#include "thumbs/picture_fit.h"

namespace velmora {

namespace {

// A TIFF structure in either byte order; every read is checked against its size.
class Tiff {
 public:
  Tiff(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Open() {
    if (size_ < 8) return false;
    if (data_[0] == 'I' && data_[1] == 'I') {
      big_ = false;
    } else if (data_[0] == 'M' && data_[1] == 'M') {
      big_ = true;
    } else {
      return false;
    }
    std::uint32_t magic = 0;
    return U16(2, magic) && magic == 42;
  }

  bool U16(std::size_t at, std::uint32_t& v) const {
    if (at > size_ || size_ - at < 2) return false;
    v = big_ ? (data_[at] << 8 | data_[at + 1]) : (data_[at + 1] << 8 | data_[at]);
    return true;
  }
  bool U32(std::size_t at, std::uint32_t& v) const {
    std::uint32_t a = 0, b = 0;
    if (!U16(at, a) || !U16(at + 2, b)) return false;
    v = big_ ? (a << 16 | b) : (b << 16 | a);
    return true;
  }

  // The directory at offset: its entry count, when all of it and the next directory's offset
  // lie inside.
  bool Directory(std::uint32_t offset, std::uint32_t& entries) const {
    if (offset < 8 || !U16(offset, entries)) return false;
    const std::uint64_t end = std::uint64_t{offset} + 2 + 12 * std::uint64_t{entries} + 4;
    return end <= size_;
  }

  // A directory entry's single SHORT or LONG value.
  bool Value(std::size_t entry, std::uint32_t& v) const {
    std::uint32_t type = 0, count = 0;
    if (!U16(entry + 2, type) || !U32(entry + 4, count) || count != 1) return false;
    if (type == 3) return U16(entry + 8, v);
    if (type == 4) return U32(entry + 8, v);
    return false;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  bool big_ = false;
};

bool IsFrameHeader(int marker) {
  // SOF0-SOF15 but DHT (C4), JPG (C8) and DAC (CC).
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Proportions equal within a pixel of rounding on either side, or within 1%.
bool SameProportions(std::int64_t w, std::int64_t h, std::int64_t tw, std::int64_t th) {
  const std::int64_t a = tw * h, b = th * w;
  const std::int64_t off = a > b ? a - b : b - a;
  return off <= std::max(w, h) || off * 100 <= std::max(a, b);
}

// Bigger than any camera's thumbnail; a forged size would only cost memory.
constexpr std::int64_t kMaxThumbnailPixels = std::int64_t{1} << 22;

}  // namespace

bool FindExifThumbnail(const std::uint8_t* segment, std::size_t size, std::size_t& offset, std::size_t& length) {
  static const std::uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
  if (size < 6 || !std::equal(kExif, kExif + 6, segment)) return false;
  Tiff tiff(segment + 6, size - 6);
  std::uint32_t first = 0, entries = 0, second = 0;
  if (!tiff.Open() || !tiff.U32(4, first) || !tiff.Directory(first, entries)) return false;
  if (!tiff.U32(first + 2 + 12 * std::size_t{entries}, second) || second == 0) return false;
  if (!tiff.Directory(second, entries)) return false;
  std::uint32_t at = 0, bytes = 0, compression = 6;
  bool haveAt = false, haveBytes = false;
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::size_t entry = second + 2 + 12 * std::size_t{i};
    std::uint32_t tag = 0;
    tiff.U16(entry, tag);
    if (tag == 0x0103 && !tiff.Value(entry, compression)) return false;
    if (tag == 0x0201) haveAt = tiff.Value(entry, at);
    if (tag == 0x0202) haveBytes = tiff.Value(entry, bytes);
  }
  // Compression 6 is JPEG; 1 would be raw strips, which are not looked at.
  if (!haveAt || !haveBytes || compression != 6 || bytes == 0) return false;
  const std::size_t tiffSize = size - 6;
  if (at > tiffSize || bytes > tiffSize - at) return false;
  offset = 6 + std::size_t{at};
  length = bytes;
  return true;
}

JpegHeadScan ScanJpegHead(const std::uint8_t* data, std::size_t size, JpegHead& head, std::size_t* needed) {
  head = JpegHead();
  auto more = [&](std::size_t bytes) {
    if (needed) *needed = bytes;
    return JpegHeadScan::NeedMore;
  };
  if (size < 2) return more(2);
  if (data[0] != 0xFF || data[1] != 0xD8) return JpegHeadScan::Unusable;
  std::size_t at = 2;
  for (;;) {
    // Fill bytes (any number of 0xFF) may come before a marker.
    while (at < size && data[at] == 0xFF && at + 1 < size && data[at + 1] == 0xFF) ++at;
    if (size - at < 4) return more(at + 4);
    if (data[at] != 0xFF) return JpegHeadScan::Unusable;
    const int marker = data[at + 1];
    // Before the frame header only segments with a length may come; an image's data start,
    // a second SOI or an end are not a photo's head.
    if (marker == 0xDA || marker == 0xD8 || marker == 0xD9 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7) ||
        marker == 0x00)
      return JpegHeadScan::Unusable;
    const std::size_t length = std::size_t{data[at + 2]} << 8 | data[at + 3];
    if (length < 2) return JpegHeadScan::Unusable;
    const std::size_t body = at + 4, end = at + 2 + length;
    if (IsFrameHeader(marker)) {
      if (length < 8) return JpegHeadScan::Unusable;
      if (size < end) return more(end);
      head.height = data[body + 1] << 8 | data[body + 2];
      head.width = data[body + 3] << 8 | data[body + 4];
      return head.width > 0 && head.height > 0 ? JpegHeadScan::Complete : JpegHeadScan::Unusable;
    }
    // Each segment is passed whole, with the next marker's header after it.
    if (size < end + 4) return more(end + 4);
    std::size_t offset = 0, bytes = 0;
    if (marker == 0xE1 && head.thumbnailLength == 0 && FindExifThumbnail(data + body, length - 2, offset, bytes)) {
      head.thumbnailOffset = body + offset;
      head.thumbnailLength = bytes;
    }
    at = end;
  }
}

bool DecodeExifThumbnail(const std::uint8_t* data, std::size_t size, const JpegHead& head, int boxWidth,
                         int boxHeight, DecodedPicture& out) {
  if (head.thumbnailLength == 0 || head.width <= 0 || head.height <= 0 || boxWidth <= 0 || boxHeight <= 0)
    return false;
  if (head.thumbnailOffset > size || head.thumbnailLength > size - head.thumbnailOffset) return false;
  const std::uint8_t* thumb = data + head.thumbnailOffset;
  int tw = 0, th = 0;
  if (!ReadJpegSize(thumb, head.thumbnailLength, tw, th)) return false;
  if (tw <= 0 || th <= 0 || std::int64_t{tw} * th > kMaxThumbnailPixels) return false;
  // No black bars, and no picture of something else's shape.
  if (tw > head.width || th > head.height || !SameProportions(head.width, head.height, tw, th)) return false;
  // Never enlarged: it must cover what the photo itself would show.
  const FittedRect fit = FitImageInBox(boxWidth, boxHeight, head.width, head.height);
  if (tw < fit.width || th < fit.height) return false;
  if (!DecodeJpeg(thumb, head.thumbnailLength, fit.width, fit.height, out) || out.damaged) return false;
  out.sourceWidth = head.width;
  out.sourceHeight = head.height;
  out.embeddedThumbnail = true;
  return true;
}

}  // namespace velmora
