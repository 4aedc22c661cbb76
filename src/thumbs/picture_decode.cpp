#include "thumbs/picture_decode.h"

#include <cstdio>
#include <new>

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

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string* error) {
  File file{std::fopen(path.c_str(), "rb")};
  if (!file.f) {
    if (error) *error = "cannot open the file";
    return false;
  }
  bytes.clear();
  // Read in pieces rather than trusting a size found beforehand, which a growing file or a
  // 32-bit file offset would get wrong.
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  for (;;) {
    const std::size_t have = bytes.size();
    if (static_cast<std::int64_t>(have) >= PictureReader::kMaxFileBytes) {
      if (error) *error = "file too large";
      return false;
    }
    bytes.resize(have + kPiece);
    const std::size_t got = std::fread(bytes.data() + have, 1, kPiece, file.f);
    bytes.resize(have + got);
    if (got < kPiece) break;
  }
  if (std::ferror(file.f)) {
    if (error) *error = "cannot read the file";
    return false;
  }
  return true;
}

}  // namespace

bool PictureReader::Load(const std::string& path, int minWidth, int minHeight, DecodedPicture& out,
                         std::string* error) {
  try {
    if (!ReadWholeFile(path, bytes_, error)) return false;
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
