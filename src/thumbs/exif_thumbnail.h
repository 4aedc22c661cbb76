// The small picture a camera stores inside a JPEG photo (the EXIF thumbnail, in the APP1
// segment at the head of the file), used in place of decoding the photo when it can stand in
// for it at the size needed. Everything here reads only bytes it has checked are there.
#pragma once
#include <cstddef>
#include <cstdint>

#include "thumbs/picture_decode.h"

namespace velmora {

// What the markers before the photo's own data tell.
struct JpegHead {
  int width = 0;   // the photo's size, from its frame header
  int height = 0;
  std::size_t thumbnailOffset = 0;  // the embedded JPEG thumbnail's bytes in the file
  std::size_t thumbnailLength = 0;  // 0: none
};

enum class JpegHeadScan {
  Complete,  // the frame header was reached
  NeedMore,  // the head goes on past the bytes given: *needed bytes would do
  Unusable,  // not a JPEG, or markers out of order or damaged
};

// Walks a JPEG's markers from its start to the frame header, noting the EXIF thumbnail on
// the way.
JpegHeadScan ScanJpegHead(const std::uint8_t* data, std::size_t size, JpegHead& head, std::size_t* needed = nullptr);

// The JPEG thumbnail of an APP1 segment's contents (after its length field): offset and
// length relative to the contents. False for anything but a well-formed "Exif\0\0" segment
// whose second directory points to a JPEG lying wholly inside the segment.
bool FindExifThumbnail(const std::uint8_t* segment, std::size_t size, std::size_t& offset, std::size_t& length);

// Decodes the thumbnail instead of the photo when it is safe: it decodes without damage,
// it has the photo's proportions (within a pixel of rounding, or 1%), and it is at least as
// large as the photo fitted into boxWidth x boxHeight. out keeps the photo's own size as the
// size to fit by. False, with out unspecified, when the photo itself must be decoded.
bool DecodeExifThumbnail(const std::uint8_t* data, std::size_t size, const JpegHead& head, int boxWidth,
                         int boxHeight, DecodedPicture& out);

}  // namespace velmora
