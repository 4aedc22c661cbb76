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

// The file after its head, a chunk at a time, counting what is read against the size limit.
class FileChunks : public ByteStream {
 public:
  FileChunks(std::FILE* file, const std::vector<std::uint8_t>& head, std::vector<std::uint8_t>& chunk,
             std::size_t& total)
      : file_(file), head_(head), chunk_(chunk), total_(total) {}

  bool Next(const std::uint8_t*& data, std::size_t& size, const char*& error) override {
    if (!headGiven_) {
      headGiven_ = true;
      if (!head_.empty()) {
        data = head_.data();
        size = head_.size();
        return true;
      }
    }
    size = 0;
    if (ended_) return true;
    const std::size_t got = std::fread(chunk_.data(), 1, chunk_.size(), file_);
    total_ += got;
    if (std::ferror(file_)) {
      error = "cannot read the file";
      return false;
    }
    if (static_cast<std::int64_t>(total_) > PictureReader::kMaxFileBytes) {
      error = "file too large";
      return false;
    }
    if (got < chunk_.size()) ended_ = true;
    data = chunk_.data();
    size = got;
    return true;
  }

  // Reads on to the end: a file is refused past the size limit, or when it cannot be read
  // whole, whether or not its picture ended sooner.
  bool Drain(std::string* error) {
    const std::uint8_t* data = nullptr;
    const char* why = nullptr;
    for (std::size_t size = 1; size > 0;) {
      if (!Next(data, size, why)) {
        if (error) *error = why;
        return false;
      }
    }
    return true;
  }

 private:
  std::FILE* file_;
  const std::vector<std::uint8_t>& head_;
  std::vector<std::uint8_t>& chunk_;
  std::size_t& total_;
  bool headGiven_ = false;
  bool ended_ = false;
};

}  // namespace

bool PictureReader::Load(const std::string& path, int minWidth, int minHeight, DecodedPicture& out,
                         std::string* error, RowSink* rows) {
  bytesRead_ = 0;
  try {
    File file{files_ ? files_->OpenToRead(path) : std::fopen(path.c_str(), "rb")};
    if (!file.f) {
      if (error) *error = "cannot open the file";
      return false;
    }
    head_.clear();
    bool ended = false;
    std::size_t want = kHeadBytes;
    for (;;) {
      if (!ReadUpTo(file.f, head_, want, ended, error)) return false;
      bytesRead_ = head_.size();
      if (minWidth <= 0 || minHeight <= 0) break;
      // The EXIF thumbnail may spare reading and decoding the photo.
      JpegHead head;
      std::size_t needed = 0;
      const JpegHeadScan scan = ScanJpegHead(head_.data(), head_.size(), head, &needed);
      if (scan == JpegHeadScan::Complete) {
        if (DecodeExifThumbnail(head_.data(), head_.size(), head, minWidth, minHeight, out)) return true;
        break;
      }
      if (scan == JpegHeadScan::Unusable || ended || needed > kMaxHeadBytes) break;
      want = std::max(needed, head_.size() + kHeadBytes);
    }
    if (!ended) {
      switch (SniffPictureFormat(head_.data(), head_.size())) {
        case PictureFormat::Jpeg: {
          chunk_.resize(kChunkBytes);
          FileChunks rest(file.f, head_, chunk_, bytesRead_);
          return DecodeJpeg(rest, minWidth, minHeight, out, error, rows) && rest.Drain(error);
        }
        case PictureFormat::Bmp:
          if (!ReadUpTo(file.f, head_, static_cast<std::size_t>(kMaxFileBytes) + 1, ended, error)) return false;
          bytesRead_ = head_.size();
          break;
        default:
          if (error) *error = "not a JPEG or BMP picture";
          return false;
      }
    }
  } catch (const std::bad_alloc&) {
    if (error) *error = "out of memory";
    return false;
  }
  const bool decoded = DecodePicture(head_.data(), head_.size(), minWidth, minHeight, out, error);
  // A whole BMP is not kept for the next file.
  if (head_.capacity() > kMaxHeadBytes) std::vector<std::uint8_t>().swap(head_);
  return decoded;
}

void PictureReader::Release() {
  std::vector<std::uint8_t>().swap(head_);
  std::vector<std::uint8_t>().swap(chunk_);
}

}  // namespace velmora
