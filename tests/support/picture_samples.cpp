#include "support/picture_samples.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace test_support {

Bytes EncodeJpeg(int width, int height, const PixelFn& pixel, const JpegOptions& options) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  int channels = 3;
  switch (options.kind) {
    case JpegKind::Colour:
      cinfo.input_components = 3;
      cinfo.in_color_space = JCS_RGB;
      break;
    case JpegKind::Grey:
      cinfo.input_components = channels = 1;
      cinfo.in_color_space = JCS_GRAYSCALE;
      break;
    case JpegKind::InvertedInk:
      cinfo.input_components = channels = 4;
      cinfo.in_color_space = JCS_CMYK;
      break;
  }
  jpeg_set_defaults(&cinfo);
  if (options.kind == JpegKind::InvertedInk) jpeg_set_colorspace(&cinfo, JCS_CMYK);  // with Adobe's marker
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (options.progressive) jpeg_simple_progression(&cinfo);
  cinfo.arith_code = options.arithmetic ? TRUE : FALSE;
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * channels);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = pixel(x, y);
      const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
      JSAMPLE* p = &row[static_cast<std::size_t>(x) * channels];
      if (options.kind == JpegKind::Grey) {
        p[0] = static_cast<JSAMPLE>((r * 299 + g * 587 + b * 114) / 1000);
      } else if (options.kind == JpegKind::InvertedInk) {
        // Ink 255 - channel with no black, stored inverted.
        p[0] = static_cast<JSAMPLE>(r);
        p[1] = static_cast<JSAMPLE>(g);
        p[2] = static_cast<JSAMPLE>(b);
        p[3] = 255;
      } else {
        p[0] = static_cast<JSAMPLE>(r);
        p[1] = static_cast<JSAMPLE>(g);
        p[2] = static_cast<JSAMPLE>(b);
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes bytes(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return bytes;
}

namespace {
void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}
}  // namespace

Bytes EncodeBmp(int width, int height, const PixelFn& pixel, const BmpOptions& o) {
  const bool core = o.headerSize == 12;
  const std::size_t entry = core ? 3 : 4;
  const std::size_t masks = (o.bitfields && o.headerSize == 40) ? 12 : 0;
  const std::size_t paletteAt = 14 + static_cast<std::size_t>(o.headerSize) + masks;
  const std::size_t offBits = paletteAt + o.palette.size() * entry;
  const std::size_t stride = (static_cast<std::size_t>(width) * o.bits + 31) / 32 * 4;
  Bytes b(offBits + stride * height, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  Put32(b, 10, static_cast<std::uint32_t>(offBits));
  Put32(b, 14, static_cast<std::uint32_t>(o.headerSize));
  if (core) {
    Put16(b, 18, static_cast<std::uint32_t>(width));
    Put16(b, 20, static_cast<std::uint32_t>(height));
    Put16(b, 22, 1);
    Put16(b, 24, static_cast<std::uint32_t>(o.bits));
  } else {
    Put32(b, 18, static_cast<std::uint32_t>(width));
    Put32(b, 22, static_cast<std::uint32_t>(o.topDown ? -height : height));
    Put16(b, 26, 1);
    Put16(b, 28, static_cast<std::uint32_t>(o.bits));
    Put32(b, 30, o.bitfields ? 3 : 0);
    Put32(b, 46, static_cast<std::uint32_t>(o.palette.size()));
  }
  std::uint32_t red = 0, green = 0, blue = 0;
  if (o.bitfields) {
    if (o.bits == 16) {
      red = 0xF800;
      green = 0x07E0;
      blue = 0x001F;
    } else {
      red = 0xFF000000;
      green = 0x00FF0000;
      blue = 0x0000FF00;
    }
    Put32(b, 14 + 40, red);
    Put32(b, 14 + 44, green);
    Put32(b, 14 + 48, blue);
  }
  for (std::size_t i = 0; i < o.palette.size(); ++i) {
    const std::uint32_t c = o.palette[i];
    b[paletteAt + i * entry] = static_cast<std::uint8_t>(c);
    b[paletteAt + i * entry + 1] = static_cast<std::uint8_t>(c >> 8);
    b[paletteAt + i * entry + 2] = static_cast<std::uint8_t>(c >> 16);
  }
  for (int y = 0; y < height; ++y) {
    const std::size_t row = offBits + stride * static_cast<std::size_t>(o.topDown ? y : height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = pixel(x, y);
      const std::uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, bl = c & 0xFF;
      switch (o.bits) {
        case 1:
        case 4:
        case 8: {
          const int per = 8 / o.bits;
          const int shift = 8 - o.bits * (x % per + 1);
          b[row + x / per] |= static_cast<std::uint8_t>(c << shift);
          break;
        }
        case 16:
          Put16(b, row + 2 * x, o.bitfields ? ((r >> 3) << 11 | (g >> 2) << 5 | bl >> 3)
                                            : ((r >> 3) << 10 | (g >> 3) << 5 | bl >> 3));
          break;
        case 24:
          b[row + 3 * x] = static_cast<std::uint8_t>(bl);
          b[row + 3 * x + 1] = static_cast<std::uint8_t>(g);
          b[row + 3 * x + 2] = static_cast<std::uint8_t>(r);
          break;
        case 32:
          Put32(b, row + 4 * x, o.bitfields ? (r << 24 | g << 16 | bl << 8) : c);
          break;
        default:
          throw std::invalid_argument("bits");
      }
    }
  }
  return b;
}

Bytes WithExifThumbnail(const Bytes& photo, const Bytes& thumbnail, const ExifOptions& o) {
  Bytes tiff;
  auto put16 = [&](std::uint32_t v) {
    if (o.bigEndian) {
      tiff.push_back(static_cast<std::uint8_t>(v >> 8));
      tiff.push_back(static_cast<std::uint8_t>(v));
    } else {
      tiff.push_back(static_cast<std::uint8_t>(v));
      tiff.push_back(static_cast<std::uint8_t>(v >> 8));
    }
  };
  auto put32 = [&](std::uint32_t v) {
    if (o.bigEndian) {
      put16(v >> 16);
      put16(v & 0xFFFF);
    } else {
      put16(v & 0xFFFF);
      put16(v >> 16);
    }
  };
  auto entry = [&](std::uint32_t tag, std::uint32_t type, std::uint32_t value) {
    put16(tag);
    put16(type);
    put32(1);
    if (type == 3) {
      put16(value);
      put16(0);
    } else {
      put32(value);
    }
  };
  auto pick = [](std::int64_t forged, std::size_t real) {
    return static_cast<std::uint32_t>(forged >= 0 ? static_cast<std::uint64_t>(forged) : real);
  };
  tiff.push_back(o.bigEndian ? 'M' : 'I');
  tiff.push_back(o.bigEndian ? 'M' : 'I');
  put16(42);
  put32(8);
  put16(1);  // the first directory: orientation, upright
  entry(0x0112, 3, 1);
  put32(pick(o.secondDirectory, 26));
  put16(3);
  entry(0x0103, 3, static_cast<std::uint32_t>(o.compression));
  entry(0x0201, 4, pick(o.thumbnailOffset, kExifThumbnailAt));
  entry(0x0202, 4, pick(o.thumbnailLength, thumbnail.size()));
  put32(0);
  if (tiff.size() != kExifThumbnailAt) throw std::logic_error("EXIF layout");
  tiff.insert(tiff.end(), thumbnail.begin(), thumbnail.end());
  const std::size_t length = 2 + 6 + tiff.size();
  if (length > 0xFFFF) throw std::invalid_argument("thumbnail too large for one segment");
  const std::uint8_t head[12] = {photo.at(0), photo.at(1), 0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8),
                                 static_cast<std::uint8_t>(length), 'E', 'x', 'i', 'f', 0, 0};
  Bytes out(sizeof(head) + tiff.size() + photo.size() - 2);
  auto at = std::copy(head, head + sizeof(head), out.begin());
  at = std::copy(tiff.begin(), tiff.end(), at);
  std::copy(photo.begin() + 2, photo.end(), at);
  return out;
}

std::uint32_t Quadrants(int x, int y, int width, int height) {
  const bool right = x >= width / 2, bottom = y >= height / 2;
  if (!bottom) return right ? 0x00FF00 : 0xFF0000;
  return right ? 0xFFFFFF : 0x0000FF;
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + path);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::uint32_t Detailed(int x, int y) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 0x9E3779B1u ^ static_cast<std::uint32_t>(y) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  // Noise over a gradient, so that the picture still has a shape.
  const std::uint32_t base = static_cast<std::uint32_t>((x * 2 + y) & 0xFF);
  return ((base ^ (h & 0x3F)) << 16) | (((h >> 8) & 0xFF) << 8) | ((base + (h >> 24)) & 0xFF);
}

std::vector<NamedSample> JpegSamples(int width, int height) {
  struct Kind {
    const char* name;
    JpegOptions options;
  };
  const Kind kinds[] = {
      {"colour", {JpegKind::Colour, 95, false, false}},
      {"grey", {JpegKind::Grey, 95, false, false}},
      {"ink", {JpegKind::InvertedInk, 95, false, false}},
      {"progressive", {JpegKind::Colour, 95, true, false}},
      {"arithmetic", {JpegKind::Colour, 95, false, true}},
      {"progressive arithmetic", {JpegKind::Colour, 95, true, true}},
  };
  std::vector<NamedSample> samples;
  for (const Kind& k : kinds) samples.push_back({k.name, EncodeJpeg(width, height, Detailed, k.options)});
  return samples;
}

}  // namespace test_support
