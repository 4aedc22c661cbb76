#include "thumbs/raster.h"

#include <algorithm>
#include <stdexcept>

namespace velmora {

Raster::Raster(std::uint32_t* pixels, int width, int height)
    : pixels_(pixels), width_(std::max(width, 0)), height_(std::max(height, 0)), borrowed_(true) {}

Raster& Raster::operator=(Raster&& other) noexcept {
  if (this != &other) {
    owned_ = std::move(other.owned_);
    capacity_ = other.capacity_;
    pixels_ = other.borrowed_ ? other.pixels_ : owned_.get();
    width_ = other.width_;
    height_ = other.height_;
    borrowed_ = other.borrowed_;
    other.capacity_ = 0;
    other.pixels_ = nullptr;
    other.width_ = other.height_ = 0;
    other.borrowed_ = false;
  }
  return *this;
}

void Raster::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  if (borrowed_) throw std::logic_error("a raster over borrowed pixels keeps its size");
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (count > capacity_) {
    // The old pixels go first, and a failed allocation leaves an empty raster.
    owned_.reset();
    pixels_ = nullptr;
    capacity_ = 0;
    width_ = height_ = 0;
    owned_.reset(new std::uint32_t[count]);
    capacity_ = count;
  }
  pixels_ = owned_.get();
  width_ = width;
  height_ = height;
}

void Raster::Set(int x, int y, Colour c) {
  if (x >= 0 && y >= 0 && x < width_ && y < height_) Row(y)[x] = ToPixel(c);
}

void Raster::Fill(int left, int top, int right, int bottom, Colour c) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, width_);
  bottom = std::min(bottom, height_);
  if (left >= right || top >= bottom) return;
  const std::uint32_t pixel = ToPixel(c);
  for (int y = top; y < bottom; ++y) std::fill(Row(y) + left, Row(y) + right, pixel);
}

void Raster::Line(int x0, int y0, int x1, int y1, Colour c) {
  if (y0 == y1) {
    if (x1 >= x0) Fill(x0, y0, x1, y0 + 1, c);
    else Fill(x1 + 1, y0, x0 + 1, y0 + 1, c);
  } else if (x0 == x1) {
    if (y1 >= y0) Fill(x0, y0, x0 + 1, y1, c);
    else Fill(x0, y1 + 1, x0 + 1, y0 + 1, c);
  }
}

void Raster::Frame(int left, int top, int right, int bottom, Colour c) {
  if (left >= right || top >= bottom) return;
  Fill(left, top, right, top + 1, c);
  Fill(left, bottom - 1, right, bottom, c);
  Fill(left, top, left + 1, bottom, c);
  Fill(right - 1, top, right, bottom, c);
}

}  // namespace velmora
