// BMP files read by hand: every size and offset is checked against the bytes there are.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "thumbs/picture_decode.h"

namespace velmora {

namespace {

std::uint32_t U16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// One colour channel of a 16- or 32-bit pixel, scaled to eight bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit Channel(std::uint32_t m = 0) : mask(m) {
    if (!m) return;
    while (!(m & 1)) {
      m >>= 1;
      ++shift;
    }
    while (m) {
      bits += static_cast<int>(m & 1);
      m >>= 1;
    }
  }
  std::uint32_t Of(std::uint32_t pixel) const {
    if (!bits) return 0;
    const std::uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return (v >> (bits - 8)) & 0xFF;
    const std::uint32_t top = (1u << bits) - 1;
    return (std::min(v, top) * 255 + top / 2) / top;
  }
};

enum : std::uint32_t { kBiRgb = 0, kBiBitfields = 3, kBiAlphaBitfields = 6 };

struct Layout {
  int width = 0;
  int height = 0;  // rows, always positive
  bool topDown = false;
  int bits = 0;
  const std::uint8_t* pixels = nullptr;
  std::size_t stride = 0;
  std::uint32_t palette[256] = {};
  Channel red, green, blue;
};

bool Fail(std::string* error, const char* text) {
  if (error) *error = text;
  return false;
}

bool ReadLayout(const std::uint8_t* data, std::size_t size, Layout& f, std::string* error) {
  if (size < 26 || data[0] != 'B' || data[1] != 'M') return Fail(error, "not a BMP file");
  const std::uint32_t offBits = U32(data + 10);
  const std::uint32_t headerSize = U32(data + 14);
  const std::uint8_t* h = data + 14;
  std::int64_t width, height;
  std::uint32_t compression = kBiRgb, colours = 0;
  std::size_t paletteAt = 14 + static_cast<std::size_t>(headerSize), entryBytes = 4;
  std::uint32_t masks[3] = {0, 0, 0};
  if (headerSize == 12) {  // the oldest header: 16-bit sizes, three-byte palette entries
    width = U16(h + 4);
    height = U16(h + 6);
    f.bits = static_cast<int>(U16(h + 10));
    entryBytes = 3;
  } else if (headerSize >= 40 && headerSize <= size - 14) {
    width = static_cast<std::int32_t>(U32(h + 4));
    height = static_cast<std::int32_t>(U32(h + 8));
    f.bits = static_cast<int>(U16(h + 14));
    compression = U32(h + 16);
    colours = U32(h + 32);
    if (headerSize == 64 && compression != kBiRgb) return Fail(error, "unsupported BMP compression");
    if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
      // Inside the newer headers, else just after the header.
      const std::uint8_t* m = h + 40;
      const std::size_t maskBytes = compression == kBiBitfields ? 12 : 16;
      if (size < 14 + 40 + maskBytes) return Fail(error, "BMP file ends early");
      if (headerSize == 40) paletteAt += maskBytes;
      for (int i = 0; i < 3; ++i) masks[i] = U32(m + 4 * i);
    } else if (compression != kBiRgb) {
      return Fail(error, "unsupported BMP compression");
    }
  } else {
    return Fail(error, "unsupported BMP header");
  }
  if (f.bits != 1 && f.bits != 4 && f.bits != 8 && f.bits != 16 && f.bits != 24 && f.bits != 32)
    return Fail(error, "unsupported BMP pixel depth");
  if (compression != kBiRgb && f.bits != 16 && f.bits != 32) return Fail(error, "unsupported BMP pixel depth");
  f.topDown = height < 0;
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || width > 0x7FFFFFFF / 32 || height > 0x7FFFFFFF)
    return Fail(error, "bad BMP size");
  f.width = static_cast<int>(width);
  f.height = static_cast<int>(height);

  if (compression == kBiRgb && f.bits == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  } else if (compression == kBiRgb && f.bits == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0x00FF00;
    masks[2] = 0x0000FF;
  }
  f.red = Channel(masks[0]);
  f.green = Channel(masks[1]);
  f.blue = Channel(masks[2]);

  if (f.bits <= 8) {
    std::size_t count = colours ? std::min<std::uint32_t>(colours, 256) : (1u << f.bits);
    if (paletteAt > size) return Fail(error, "BMP file ends early");
    count = std::min(count, (size - paletteAt) / entryBytes);
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t* e = data + paletteAt + i * entryBytes;
      f.palette[i] = static_cast<std::uint32_t>(e[0] | (e[1] << 8) | (e[2] << 16));
    }
  }

  f.stride = (static_cast<std::size_t>(f.width) * f.bits + 31) / 32 * 4;
  const std::size_t lastRow = (static_cast<std::size_t>(f.width) * f.bits + 7) / 8;
  const std::uint64_t end = std::uint64_t{offBits} + std::uint64_t{f.stride} * (f.height - 1) + lastRow;
  if (end > size) return Fail(error, "BMP file ends early");
  f.pixels = data + offBits;
  return true;
}

void DecodeRow(const Layout& f, const std::uint8_t* src, std::uint32_t* out) {
  switch (f.bits) {
    case 1:
    case 4:
    case 8: {
      const int perByte = 8 / f.bits;
      const unsigned mask = (1u << f.bits) - 1;
      for (int x = 0; x < f.width; ++x) {
        const int shift = 8 - f.bits * (x % perByte + 1);
        out[x] = f.palette[(src[x / perByte] >> shift) & mask];
      }
      break;
    }
    case 24:
      for (int x = 0; x < f.width; ++x, src += 3)
        out[x] = static_cast<std::uint32_t>(src[0] | (src[1] << 8) | (src[2] << 16));
      break;
    default:
      for (int x = 0; x < f.width; ++x) {
        const std::uint32_t p = f.bits == 16 ? U16(src + 2 * x) : U32(src + 4 * x);
        out[x] = f.blue.Of(p) | (f.green.Of(p) << 8) | (f.red.Of(p) << 16);
      }
      break;
  }
}

const std::uint8_t* FileRow(const Layout& f, int y) {
  const int row = f.topDown ? y : f.height - 1 - y;
  return f.pixels + static_cast<std::size_t>(row) * f.stride;
}

}  // namespace

bool DecodeBmp(const std::uint8_t* data, std::size_t size, int minWidth, int minHeight,
               DecodedPicture& out, std::string* error) {
  Layout f;
  if (!ReadLayout(data, size, f, error)) return false;
  int d = 1;
  if (minWidth > 0 && minHeight > 0) d = std::max(1, std::min(f.width / minWidth, f.height / minHeight));
  const int outWidth = f.width / d, outHeight = f.height / d;
  if (static_cast<std::int64_t>(outWidth) * outHeight > kMaxDecodedPixels) return Fail(error, "picture too large");
  try {
    out.sourceWidth = f.width;
    out.sourceHeight = f.height;
    out.damaged = false;
    out.embeddedThumbnail = false;
    out.pixels.Resize(outWidth, outHeight);
    if (d == 1) {
      for (int y = 0; y < f.height; ++y) DecodeRow(f, FileRow(f, y), out.pixels.Row(y));
      return true;
    }
    // Each output pixel averages a d x d square; the few rows and columns past the last
    // whole square are left out.
    std::vector<std::uint32_t> row(static_cast<std::size_t>(f.width));
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(outWidth) * 3);
    const std::uint64_t n = static_cast<std::uint64_t>(d) * d;
    for (int oy = 0; oy < outHeight; ++oy) {
      std::fill(sums.begin(), sums.end(), 0);
      for (int k = 0; k < d; ++k) {
        DecodeRow(f, FileRow(f, oy * d + k), row.data());
        const std::uint32_t* p = row.data();
        for (int ox = 0; ox < outWidth; ++ox) {
          std::uint64_t* s = &sums[3 * static_cast<std::size_t>(ox)];
          for (int i = 0; i < d; ++i, ++p) {
            s[0] += *p & 0xFF;
            s[1] += (*p >> 8) & 0xFF;
            s[2] += (*p >> 16) & 0xFF;
          }
        }
      }
      std::uint32_t* o = out.pixels.Row(oy);
      for (int ox = 0; ox < outWidth; ++ox) {
        const std::uint64_t* s = &sums[3 * static_cast<std::size_t>(ox)];
        o[ox] = static_cast<std::uint32_t>((s[0] + n / 2) / n) | static_cast<std::uint32_t>((s[1] + n / 2) / n) << 8 |
                static_cast<std::uint32_t>((s[2] + n / 2) / n) << 16;
      }
    }
  } catch (const std::bad_alloc&) {
    return Fail(error, "out of memory");
  }
  return true;
}

}  // namespace velmora
