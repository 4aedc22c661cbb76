// The EXIF reader: the walk over a photo's head and the thumbnail in its APP1 segment. Any
// bytes give a head within the bytes given, a shorter prefix never tells otherwise than the
// whole, and a thumbnail used in place of the photo covers what the photo would show.
#include <cstdint>

#include "fuzz/picture_checks.h"
#include "thumbs/exif_thumbnail.h"

namespace {

using velmora::JpegHead;
using velmora::JpegHeadScan;

bool SameHead(const JpegHead& a, const JpegHead& b) {
  return a.width == b.width && a.height == b.height && a.thumbnailOffset == b.thumbnailOffset &&
         a.thumbnailLength == b.thumbnailLength;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t offset = 0, length = 0;
  if (velmora::FindExifThumbnail(data, size, offset, length))
    FUZZ_CHECK(offset >= 6 && length > 0 && offset <= size && length <= size - offset);

  JpegHead head;
  std::size_t needed = 0;
  const JpegHeadScan scan = velmora::ScanJpegHead(data, size, head, &needed);
  if (scan == JpegHeadScan::NeedMore) FUZZ_CHECK(needed > size);
  if (scan == JpegHeadScan::Complete) {
    FUZZ_CHECK(head.width > 0 && head.height > 0);
    if (head.thumbnailLength > 0)
      FUZZ_CHECK(head.thumbnailOffset <= size && head.thumbnailLength <= size - head.thumbnailOffset);
  }
  // What a reader that has only part of the file concludes holds for the whole file.
  for (std::size_t part : {size / 2, size > 0 ? size - 1 : 0}) {
    JpegHead partHead;
    std::size_t partNeeded = 0;
    const JpegHeadScan partScan = velmora::ScanJpegHead(data, part, partHead, &partNeeded);
    if (partScan == JpegHeadScan::NeedMore) {
      FUZZ_CHECK(partNeeded > part);
      if (partNeeded > size) FUZZ_CHECK(scan == JpegHeadScan::NeedMore);
      continue;
    }
    FUZZ_CHECK(partScan == scan);
    if (scan == JpegHeadScan::Complete) FUZZ_CHECK(SameHead(partHead, head));
  }

  if (scan != JpegHeadScan::Complete) return 0;
  const int boxWidth = size > 0 ? 1 + data[size - 1] % 160 : 96;
  const int boxHeight = size > 1 ? 1 + data[size - 2] % 160 : 96;
  velmora::DecodedPicture out;
  if (!velmora::DecodeExifThumbnail(data, size, head, boxWidth, boxHeight, out)) return 0;
  FUZZ_CHECK(out.embeddedThumbnail && !out.damaged);
  FUZZ_CHECK(out.sourceWidth == head.width && out.sourceHeight == head.height);
  const velmora::FittedRect fit = velmora::FitImageInBox(boxWidth, boxHeight, head.width, head.height);
  FUZZ_CHECK(out.pixels.width() >= fit.width && out.pixels.height() >= fit.height);
  fuzz::CheckThumbnailCell(out, boxWidth, boxHeight);
  return 0;
}
