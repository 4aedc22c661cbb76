// Writes the seed corpus of every fuzz target into a folder (tests/fuzz/corpus):
//   fuzz_seeds <folder>
// Small files: a few pictures of each kind and forged headers, store files and messages.
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/companion_message.h"
#include "app/open_window_message.h"
#include "common/path_lists.h"
#include "support/picture_samples.h"

namespace {

using test_support::Bytes;

std::string root;

void Put(const std::string& target, const std::string& name, const Bytes& bytes) {
  const std::string folder = root + "/" + target;
  mkdir(folder.c_str(), 0755);
  test_support::WriteFileBytes(folder + "/" + name, bytes);
}
// A literal with the zero bytes inside it.
template <std::size_t N>
std::string Lit(const char (&s)[N]) {
  return std::string(s, N - 1);
}

void Put(const std::string& target, const std::string& name, const std::string& bytes) {
  Put(target, name, Bytes(bytes.begin(), bytes.end()));
}

// A string as FuzzedDataProvider::ConsumeRandomLengthString reads it back: backslashes
// doubled, then a backslash and another byte to end it.
std::string Str(const std::string& s) {
  std::string out;
  for (char c : s) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out + "\\n";
}

std::uint32_t Pattern(int x, int y) { return static_cast<std::uint32_t>((x * 37) ^ (y * 91)) & 0xFFFFFF; }

// The same picture with its frame header claiming another size.
Bytes Claiming(Bytes jpeg, int width, int height) {
  for (std::size_t i = 2; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] != 0xFF) continue;
    const int m = jpeg[i + 1];
    if (m == 0xC0 || m == 0xC1 || m == 0xC2 || m == 0xC9 || m == 0xCA) {
      jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<std::uint8_t>(height);
      jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<std::uint8_t>(width);
      break;
    }
  }
  return jpeg;
}

void Pictures() {
  using test_support::JpegKind;
  const auto quadrants = [](int w, int h) {
    return [w, h](int x, int y) { return test_support::Quadrants(x, y, w, h); };
  };
  const Bytes colour = test_support::EncodeJpeg(24, 16, quadrants(24, 16), {JpegKind::Colour, 50});
  const Bytes grey = test_support::EncodeJpeg(9, 7, Pattern, {JpegKind::Grey, 50});
  const Bytes ink = test_support::EncodeJpeg(8, 8, Pattern, {JpegKind::InvertedInk, 50});
  const Bytes progressive = test_support::EncodeJpeg(16, 16, Pattern, {JpegKind::Colour, 50, true});
  const Bytes arithmetic = test_support::EncodeJpeg(16, 8, Pattern, {JpegKind::Colour, 50, false, true});
  for (const char* target : {"jpeg_decode_fuzz", "exif_thumbnail_fuzz"}) {
    Put(target, "colour.jpg", colour);
    Put(target, "progressive.jpg", progressive);
  }
  Put("jpeg_decode_fuzz", "grey.jpg", grey);
  Put("jpeg_decode_fuzz", "ink.jpg", ink);
  Put("jpeg_decode_fuzz", "arithmetic.jpg", arithmetic);
  // Headers that claim far more than the bytes hold.
  Put("jpeg_decode_fuzz", "huge-baseline.jpg", Claiming(colour, 65535, 65535));
  Put("jpeg_decode_fuzz", "large-baseline.jpg", Claiming(colour, 11000, 11000));
  Put("jpeg_decode_fuzz", "huge-progressive.jpg", Claiming(progressive, 30000, 20000));
  Put("jpeg_decode_fuzz", "large-arithmetic.jpg", Claiming(arithmetic, 4000, 3000));
  Put("jpeg_decode_fuzz", "cut.jpg", Bytes(colour.begin(), colour.begin() + static_cast<long>(colour.size() * 2 / 3)));

  const Bytes photo = test_support::EncodeJpeg(64, 48, quadrants(64, 48), {JpegKind::Colour, 40});
  const Bytes thumb = test_support::EncodeJpeg(32, 24, quadrants(32, 24), {JpegKind::Colour, 40});
  Put("exif_thumbnail_fuzz", "exif.jpg", test_support::WithExifThumbnail(photo, thumb));
  test_support::ExifOptions big;
  big.bigEndian = true;
  Put("exif_thumbnail_fuzz", "exif-big-endian.jpg", test_support::WithExifThumbnail(photo, thumb, big));
  test_support::ExifOptions forged;
  forged.thumbnailLength = 0x7FFFFFFF;
  Put("exif_thumbnail_fuzz", "exif-forged-length.jpg", test_support::WithExifThumbnail(photo, thumb, forged));
  forged = {};
  forged.secondDirectory = 0xFFFFFFF0;
  Put("exif_thumbnail_fuzz", "exif-forged-directory.jpg", test_support::WithExifThumbnail(photo, thumb, forged));

  int n = 0;
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    test_support::BmpOptions o;
    o.bits = bits;
    if (bits <= 8) o.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    const auto pixel = [bits](int x, int y) { return bits <= 8 ? static_cast<std::uint32_t>((x + y) % 4) : Pattern(x, y); };
    Put("bmp_decode_fuzz", "bits" + std::to_string(bits) + ".bmp", test_support::EncodeBmp(7, 5, pixel, o));
    o.topDown = bits % 2 == 0;
    o.headerSize = bits == 24 ? 12 : 124;
    o.bitfields = bits == 16 || bits == 32;
    Put("bmp_decode_fuzz", "variant" + std::to_string(++n) + ".bmp", test_support::EncodeBmp(5, 3, pixel, o));
  }
  // Enough rows and columns that a small box reduces it.
  Put("bmp_decode_fuzz", "reduced.bmp", test_support::EncodeBmp(40, 30, Pattern, {}));
}

void StoreFiles() {
  const std::string folders =
      "[Work]\r\nD:\\Projects=2\r\nC:\\=0\r\ncmp=1\r\n\r\n[Orvik]\r\nFRG=0\r\nWID=152\r\n\r\n";
  const std::string odd =
      "before=x\r\n[Work]\r\n;comment\r\nno key\r\na=b=c\r\n[work]\r\nA=1\r\n[\x82\x60\x81]\r\n\x82\x81=1\n[]\r=\r\n";
  Put("ini_document_fuzz", "folderlist.ini", Str(folders) + Lit("\x00\x01\x02\x03\x04"));
  Put("ini_document_fuzz", "odd.ini", Str(odd) + "abcdefghijklmnop");
  Put("ini_document_fuzz", "selectlist.ini", Str("[Work-Projects]\r\nreport.doc=\r\nplan.xls=\r\n") + "\x10\x20\x30\x40");
  Put("title_list_fuzz", "titlelist.txt", Str("Work\r\nPhotos\r\n\x82\x60\x82\x61\r\n") + "New\\n\x01\x02");
  Put("title_list_fuzz", "odd.txt", Str("a\rb\n\nc\r\n\r\nlast") + "x\\n\x03");
  const std::string base = "[Work]\r\nD:\\a=0\r\ncmp=1\r\n\r\n[Old]\r\nC:\\o=1\r\n";
  const std::string ours = "[Work]\r\nD:\\a=2\r\nD:\\b=0\r\ncmp=0\r\n\r\n[New]\r\nE:\\n=0\r\n";
  const std::string theirs = "[Work]\r\nD:\\a=0\r\nD:\\c=1\r\n\r\n[Old]\r\nC:\\o=1\r\n[Theirs]\r\nF:\\=0\r\n";
  for (char which : {'\0', '\1', '\2'})
    Put("store_merge_fuzz", std::string("merge") + char('0' + which),
        Str(base) + Str(ours) + Str(theirs) + Str("Work") + Str("Renamed") + std::string(1, which));
  Put("store_merge_fuzz", "titles", Str("A\r\nB\r\nC\r\n") + Str("A\r\nC\r\nD\r\n") + Str("B\r\nC\r\nE\r\n") + "\x02");
}

void Messages() {
  const std::string reg = velmora::CompanionPayload(std::string("Work") + velmora::kCompanionSeparator + "C:\\x");
  Put("companion_message_fuzz", "register", reg + "\x01\x05");
  Put("companion_message_fuzz", "titles", velmora::CompanionPayload("") + "\x01\x04");
  Put("companion_message_fuzz", "double-byte", velmora::CompanionPayload("\x95\x5c@\\@D:\\\x95\x5c") + "\x01\x05");
  velmora::OpenWindowMessage m;
  m.kind = velmora::OpenWindowMessage::Kind::kRegister;
  m.dataFolder = "C:\\Velmora\\data\\";
  m.binder = "Work";
  m.createBinder = true;
  m.folders = {"D:\\a", "D:\\b"};
  Put("open_window_message_fuzz", "register", velmora::OpenWindowPayload(m) + "\x01\x05");
  m.kind = velmora::OpenWindowMessage::Kind::kTitles;
  m.titles = "Work\r\nPhotos\r\n";
  Put("open_window_message_fuzz", "titles", velmora::OpenWindowPayload(m) + "\x01\x04");
  m.kind = velmora::OpenWindowMessage::Kind::kAskTitles;
  Put("open_window_message_fuzz", "ask", velmora::OpenWindowPayload(m) + "\x01\x03");
}

void PathLists() {
  const std::string block = velmora::BuildDropFilesBlock("C:\\a.txt\r\nD:\\\x95\x5c\\b\r\n");
  Put("path_lists_fuzz", "block", block + Lit("\x00"));
  Put("path_lists_fuzz", "header", Lit("C:\\x\0D:\\y\0\0\x1c\x00\x01"));
  Put("path_lists_fuzz", "paths", Lit("C:\\a\0\\\\server\\share\\b\0D:\\\x95\x5c\0\x02"));
  Put("path_lists_fuzz", "wide", Lit("C\0:\0\\\0a\0\0\0b\0\x30\x42\x05\x05\x05\x05\x05\x05\x05\x05\x03"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  root = argv[1];
  mkdir(root.c_str(), 0755);
  Pictures();
  StoreFiles();
  Messages();
  PathLists();
  return 0;
}
