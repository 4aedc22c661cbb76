#include "thumbs/picture_decode.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "common/file_system.h"
#include "thumbs/exif_thumbnail.h"

namespace velmora {

PictureFormat SniffPictureFormat(const std::uint8_t* data, std::size_t size) {
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return PictureFormat::Jpeg;
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return PictureFormat::Bmp;
  return PictureFormat::Unknown;
}

bool DecodePicture(const std::uint8_t* data, std::size_t size, int minWidth, int minHeight,
                   DecodedPicture& out, std::string* error) {
  switch (SniffPictureFormat(data, size)) {
    case PictureFormat::Jpeg:
      return DecodeJpeg(data, size, minWidth, minHeight, out, error);
    case PictureFormat::Bmp:
      return DecodeBmp(data, size, minWidth, minHeight, out, error);
    default:
      if (error) *error = size == 0 ? "empty file" : "not a JPEG or BMP picture";
      return false;
  }
}

namespace {

struct File {
  std::FILE* f;
  ~File() {
    if (f) std::fclose(f);
  }
};

// Reads on until bytes holds at least want bytes or the file ends; false on a read error or
// a file beyond the size limit.
bool ReadUpTo(std::FILE* file, std::vector<std::uint8_t>& bytes, std::size_t want, bool& ended, std::string* error) {
  // In pieces rather than trusting a size found beforehand, which a growing file or a 32-bit
  // file offset would get wrong.
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  while (!ended && bytes.size() < want) {
    const std::size_t have = bytes.size();
    if (static_cast<std::int64_t>(have) >= PictureReader::kMaxFileBytes) {
      if (error) *error = "file too large";
      return false;
    }
    const std::size_t piece = std::min(kPiece, want - have);
    bytes.resize(have + piece);
    const std::size_t got = std::fread(bytes.data() + have, 1, piece, file);
    bytes.resize(have + got);
    if (got < piece) ended = true;
  }
  if (std::ferror(file)) {
    if (error) *error = "cannot read the file";
    return false;
  }
  return true;
}

}  // namespace

bool PictureReader::Load(const std::string& path, int minWidth, int minHeight, DecodedPicture& out,
                         std::string* error) {
  try {
    File file{files_ ? files_->OpenToRead(path) : std::fopen(path.c_str(), "rb")};
    if (!file.f) {
      if (error) *error = "cannot open the file";
      return false;
    }
    bytes_.clear();
    bool ended = false;
    if (minWidth > 0 && minHeight > 0) {
      // The head first: the EXIF thumbnail may spare reading and decoding the photo.
      std::size_t want = kHeadBytes;
      for (;;) {
        if (!ReadUpTo(file.f, bytes_, want, ended, error)) return false;
        JpegHead head;
        std::size_t needed = 0;
        const JpegHeadScan scan = ScanJpegHead(bytes_.data(), bytes_.size(), head, &needed);
        if (scan == JpegHeadScan::Complete) {
          if (DecodeExifThumbnail(bytes_.data(), bytes_.size(), head, minWidth, minHeight, out)) return true;
          break;
        }
        if (scan == JpegHeadScan::Unusable || ended || needed > kMaxHeadBytes) break;
        want = std::max(needed, bytes_.size() + kHeadBytes);
      }
    }
    if (!ReadUpTo(file.f, bytes_, static_cast<std::size_t>(kMaxFileBytes) + 1, ended, error)) return false;
  } catch (const std::bad_alloc&) {
    if (error) *error = "out of memory";
    return false;
  }
  return DecodePicture(bytes_.data(), bytes_.size(), minWidth, minHeight, out, error);
}

void PictureReader::Release() {
  std::vector<std::uint8_t>().swap(bytes_);
}

}  // namespace velmora
