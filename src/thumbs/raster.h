// Off-screen pixels shared by the progress bar, decoded pictures and thumbnail cells.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

namespace velmora {

// A colour value as the platform writes it: 0x00BBGGRR. Values 0x80000000 + n name the
// system colour n and are resolved by whoever draws.
using Colour = std::uint32_t;

constexpr Colour Rgb(int r, int g, int b) {
  return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

// Top-down rows of 32-bit pixels whose bytes are blue, green, red and one unused byte: the
// layout of a 32-bit device-independent bitmap, so the pixels reach the screen unconverted.
// Drawing is clipped to the raster; rectangles exclude their right column and bottom row.
class Raster {
 public:
  Raster() = default;
  Raster(int width, int height) { Resize(width, height); }
  // Over pixels the caller owns (for example a bitmap's bits), which must outlive the raster.
  Raster(std::uint32_t* pixels, int width, int height);
  Raster(Raster&& other) noexcept { *this = std::move(other); }
  Raster& operator=(Raster&& other) noexcept;
  Raster(const Raster&) = delete;
  Raster& operator=(const Raster&) = delete;

  // Contents are unspecified afterwards. Memory is kept for later sizes up to the largest so far, and new
  // memory is not cleared: a decoder that fails early has touched only the rows it wrote. A
  // raster over borrowed pixels cannot change size (std::logic_error).
  void Resize(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  std::uint32_t* Row(int y) { return pixels_ + static_cast<std::size_t>(y) * width_; }
  const std::uint32_t* Row(int y) const { return pixels_ + static_cast<std::size_t>(y) * width_; }

  Colour At(int x, int y) const { return ToColour(Row(y)[x]); }
  void Set(int x, int y, Colour c);
  void Fill(int left, int top, int right, int bottom, Colour c);
  // A horizontal or vertical line from (x0, y0) towards (x1, y1), the end point excluded, as a
  // pen draws it. Slanted lines are not needed and draw nothing.
  void Line(int x0, int y0, int x1, int y1, Colour c);
  // One-pixel edge just inside the rectangle.
  void Frame(int left, int top, int right, int bottom, Colour c);

  static std::uint32_t ToPixel(Colour c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
  }
  static Colour ToColour(std::uint32_t pixel) { return ToPixel(pixel & 0xFFFFFF); }

 private:
  std::unique_ptr<std::uint32_t[]> owned_;
  std::size_t capacity_ = 0;
  std::uint32_t* pixels_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  bool borrowed_ = false;
};

}  // namespace velmora
