// JPEGs decoded as they are read: the same pictures, damage and failures as from the bytes whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/fake_file_system.h"
#include "support/picture_samples.h"
#include "thumbs/picture_decode.h"
#include "thumbs/picture_fit.h"

namespace velmora {
namespace {

using test_support::Bytes;
using test_support::JpegSamples;

// The bytes in pieces of one size; a failure once `failAt` bytes have been handed out.
class Pieces : public ByteStream {
 public:
  Pieces(const Bytes& bytes, std::size_t piece, std::size_t failAt = SIZE_MAX)
      : bytes_(bytes), piece_(piece), failAt_(failAt) {}
  bool Next(const std::uint8_t*& data, std::size_t& size, const char*& error) override {
    if (at_ >= failAt_) {
      error = "the disk went away";
      return false;
    }
    size = std::min({piece_, bytes_.size() - at_, failAt_ - at_});
    data = bytes_.data() + at_;
    at_ += size;
    return true;
  }

 private:
  const Bytes& bytes_;
  std::size_t piece_, failAt_, at_ = 0;
};

struct Outcome {
  bool ok = false;
  std::string error;
  bool damaged = false;
  int width = 0, height = 0, sourceWidth = 0;
  std::vector<std::uint32_t> pixels;

  bool operator==(const Outcome& o) const {
    return ok == o.ok && error == o.error && damaged == o.damaged && width == o.width && height == o.height &&
           sourceWidth == o.sourceWidth && pixels == o.pixels;
  }
};

void PrintTo(const Outcome& o, std::ostream* os) {
  *os << (o.ok ? "decoded " : "failed ") << o.error << (o.damaged ? " damaged " : " ") << o.width << "x" << o.height;
}

Outcome Of(bool ok, const std::string& error, const DecodedPicture& p) {
  Outcome o;
  o.ok = ok;
  o.error = error;
  if (!ok) return o;
  o.damaged = p.damaged;
  o.width = p.pixels.width();
  o.height = p.pixels.height();
  o.sourceWidth = p.sourceWidth;
  for (int y = 0; y < o.height; ++y) o.pixels.insert(o.pixels.end(), p.pixels.Row(y), p.pixels.Row(y) + o.width);
  return o;
}

Outcome Whole(const Bytes& bytes, int minWidth, int minHeight) {
  DecodedPicture p;
  std::string error;
  const bool ok = DecodePicture(bytes.data(), bytes.size(), minWidth, minHeight, p, &error);
  return Of(ok, error, p);
}

Outcome Streamed(const Bytes& bytes, std::size_t piece, int minWidth, int minHeight) {
  Pieces stream(bytes, piece);
  DecodedPicture p;
  std::string error;
  const bool ok = DecodeJpeg(stream, minWidth, minHeight, p, &error);
  return Of(ok, error, p);
}

Bytes Cut(const Bytes& bytes, std::size_t size) { return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)); }

TEST(StreamedJpegs, SamePicturesAsTheWholeBuffer) {
  for (const auto& sample : JpegSamples()) {
    ASSERT_GT(sample.bytes.size(), std::size_t{32} << 10) << sample.name;
    for (const std::size_t piece : {std::size_t{1}, std::size_t{4093}, std::size_t{65536}}) {
      for (const int size : {32, 0}) {
        const Outcome whole = Whole(sample.bytes, size, size);
        ASSERT_TRUE(whole.ok) << sample.name;
        EXPECT_EQ(Streamed(sample.bytes, piece, size, size), whole) << sample.name << ", pieces of " << piece;
      }
    }
  }
}

// A file cut anywhere, or with a byte spoilt anywhere, fails or is marked damaged just as the
// same bytes whole are.
TEST(StreamedJpegs, CutOrSpoiltFilesAsTheWholeBuffer) {
  for (const auto& sample : JpegSamples(160, 120)) {
    const Bytes& bytes = sample.bytes;
    std::vector<std::size_t> cuts;
    for (int k = 1; k < 40; ++k) cuts.push_back(bytes.size() * static_cast<std::size_t>(k) / 40);
    for (std::size_t back = 1; back <= 4; ++back) cuts.push_back(bytes.size() - back);
    for (const std::size_t cut : cuts) {
      const Bytes part = Cut(bytes, cut);
      EXPECT_EQ(Streamed(part, 4093, 32, 32), Whole(part, 32, 32)) << sample.name << " cut at " << cut;
    }
    for (int k = 1; k < 16; ++k) {
      Bytes spoilt = bytes;
      spoilt[spoilt.size() * static_cast<std::size_t>(k) / 16] ^= 0x5A;
      EXPECT_EQ(Streamed(spoilt, 4093, 32, 32), Whole(spoilt, 32, 32)) << sample.name << " spoilt " << k;
    }
  }
}

TEST(StreamedJpegs, AReadFailureFailsWithItsReason) {
  const Bytes bytes = JpegSamples(160, 120)[0].bytes;
  for (const std::size_t at : {std::size_t{0}, std::size_t{100}, bytes.size() / 2, bytes.size() - 2}) {
    Pieces stream(bytes, 4093, at);
    DecodedPicture p;
    std::string error;
    EXPECT_FALSE(DecodeJpeg(stream, 32, 32, p, &error)) << at;
    EXPECT_EQ(error, "the disk went away") << at;
  }
}

// The pool's cells, drawn from a photo's rows as it is read, are the cells drawn from the
// photo decoded whole.
TEST(StreamedJpegs, CellsFromRowsAsFromTheWholePicture) {
  const std::string path = (std::filesystem::temp_directory_path() / "velmora-streamed-cell.jpg").string();
  for (const auto& sample : JpegSamples(640, 480)) {
    test_support::WriteFileBytes(path, sample.bytes);
    for (const auto& [w, h] : {std::pair{32, 32}, std::pair{96, 72}, std::pair{200, 40}}) {
      PictureReader reader;
      DecodedPicture read, whole;
      Raster streamed, drawn;
      ThumbnailCellRows rows(streamed, w, h);
      ASSERT_TRUE(reader.Load(path, w, h, read, nullptr, &rows)) << sample.name;
      ASSERT_TRUE(rows.Finish()) << sample.name;
      EXPECT_EQ(read.pixels.width(), 0) << sample.name;
      ASSERT_TRUE(DecodePicture(sample.bytes.data(), sample.bytes.size(), w, h, whole));
      DrawThumbnailCell(drawn, w, h, whole.pixels, whole.sourceWidth, whole.sourceHeight);
      ASSERT_EQ(streamed.width(), drawn.width());
      for (int y = 0; y < h; ++y)
        ASSERT_TRUE(std::equal(streamed.Row(y), streamed.Row(y) + w, drawn.Row(y))) << sample.name << " " << w << "x" << h;
    }
  }
  std::filesystem::remove(path);
}

#ifdef __GLIBC__
// Files as the reader meets them: served from memory, as the disk would, and able to change
// or fail part way through.
struct ServedFile {
  Bytes bytes;
  std::size_t failAt = SIZE_MAX;    // a read error once this much has been read
  std::size_t changeAt = SIZE_MAX;  // the file is replaced by `after` here
  Bytes after;
  std::size_t virtualSize = 0;      // zeros up to this size after the bytes
  std::size_t at = 0;
};

ssize_t ServeRead(void* cookie, char* buffer, size_t size) {
  auto& f = *static_cast<ServedFile*>(cookie);
  if (f.at >= f.failAt) return -1;
  if (f.at >= f.changeAt) {
    f.bytes = f.after;
    f.changeAt = SIZE_MAX;
  }
  const std::size_t end = std::min({std::max(f.bytes.size(), f.virtualSize), f.failAt, f.changeAt});
  const std::size_t n = f.at < end ? std::min(size, end - f.at) : 0;
  const std::size_t real = f.at < f.bytes.size() ? std::min(n, f.bytes.size() - f.at) : 0;
  if (real) std::memcpy(buffer, f.bytes.data() + f.at, real);
  std::memset(buffer + real, 0, n - real);
  f.at += n;
  return static_cast<ssize_t>(n);
}

class ServingFiles : public FakeFileSystem {
 public:
  ServedFile file;
  std::FILE* OpenToRead(const std::string&) override {
    file.at = 0;
    cookie_io_functions_t io = {ServeRead, nullptr, nullptr, nullptr};
    return fopencookie(&file, "rb", io);
  }
};

Outcome Read(ServingFiles& files, int size, std::size_t* bytesRead = nullptr) {
  PictureReader reader(&files);
  DecodedPicture p;
  std::string error;
  const bool ok = reader.Load("photo.jpg", size, size, p, &error);
  if (bytesRead) *bytesRead = reader.bytesRead();
  return Of(ok, error, p);
}

TEST(PictureFilesStreamed, SamePicturesAndCutsAsTheWholeFile) {
  ServingFiles files;
  for (const auto& sample : JpegSamples(640, 480)) {
    ASSERT_GT(sample.bytes.size(), PictureReader::kHeadBytes + 2 * PictureReader::kChunkBytes) << sample.name;
    for (const int size : {32, 0}) {
      files.file.bytes = sample.bytes;
      std::size_t read = 0;
      EXPECT_EQ(Read(files, size, &read), Whole(sample.bytes, size, size)) << sample.name;
      EXPECT_EQ(read, sample.bytes.size()) << sample.name;
    }
    for (int k = 1; k < 7; ++k) {
      files.file.bytes = Cut(sample.bytes, sample.bytes.size() * static_cast<std::size_t>(k) / 7);
      EXPECT_EQ(Read(files, 32), Whole(files.file.bytes, 32, 32)) << sample.name << " cut " << k;
    }
  }
}

TEST(PictureFilesStreamed, FilesThatChangeOrFailPartWay) {
  const Bytes photo = JpegSamples(640, 480)[0].bytes;
  const std::size_t midway = PictureReader::kHeadBytes + PictureReader::kChunkBytes + 1000;
  ServingFiles files;
  // Cut short while read: as a file of that length.
  files.file = ServedFile{photo, SIZE_MAX, midway, Cut(photo, midway + 10), 0, 0};
  EXPECT_EQ(Read(files, 32), Whole(Cut(photo, midway + 10), 32, 32));
  // Replaced by another picture part way: whatever is decoded, nothing is read out of bounds.
  files.file = ServedFile{photo, SIZE_MAX, midway, JpegSamples(200, 100)[1].bytes, 0, 0};
  Read(files, 32);
  // Grown past its picture: the picture as before.
  Bytes grown = photo;
  grown.resize(photo.size() + 100000, 0x55);
  files.file = ServedFile{photo, SIZE_MAX, midway, grown, 0, 0};
  EXPECT_EQ(Read(files, 32), Whole(photo, 32, 32));
  // A read error, before or after the picture's end, fails the file.
  for (const std::size_t at : {midway, photo.size() - 1}) {
    files.file = ServedFile{grown, at, SIZE_MAX, Bytes(), 0, 0};
    EXPECT_EQ(Read(files, 32).error, "cannot read the file") << at;
  }
}

TEST(PictureFilesStreamed, FilesPastTheSizeLimitAreRefusedWhereverThePictureEnds) {
  ServingFiles files;
  files.file.bytes = JpegSamples(160, 120)[0].bytes;
  files.file.virtualSize = static_cast<std::size_t>(PictureReader::kMaxFileBytes);
  EXPECT_TRUE(Read(files, 32).ok);
  files.file.virtualSize += 1;
  EXPECT_EQ(Read(files, 32).error, "file too large");
}
#endif

}  // namespace
}  // namespace velmora
