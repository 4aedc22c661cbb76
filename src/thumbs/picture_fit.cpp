#include "thumbs/picture_fit.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace velmora {

FittedRect FitImageInBox(int boxWidth, int boxHeight, int imageWidth, int imageHeight) {
  if (boxWidth <= 0 || boxHeight <= 0 || imageWidth <= 0 || imageHeight <= 0) return {};
  // Compare the two scales boxWidth / imageWidth and boxHeight / imageHeight crosswise.
  const std::int64_t byWidth = static_cast<std::int64_t>(boxWidth) * imageHeight;
  const std::int64_t byHeight = static_cast<std::int64_t>(boxHeight) * imageWidth;
  if (byWidth == byHeight) return {boxWidth, boxHeight, 0, 0};
  std::int64_t w, h;
  if (byWidth < byHeight) {
    w = boxWidth;
    h = byWidth / imageWidth;
  } else {
    h = boxHeight;
    w = byHeight / imageHeight;
  }
  FittedRect fit;
  fit.width = static_cast<int>(std::max<std::int64_t>(w, 1));
  fit.height = static_cast<int>(std::max<std::int64_t>(h, 1));
  fit.left = (boxWidth - fit.width) >> 1;
  fit.top = (boxHeight - fit.height) >> 1;
  return fit;
}

namespace {

using Span = RowStretch::Span;

// The source pixels under target pixel i of n, over a source of length size.
Span SourceSpan(int i, int n, int size) {
  int first = static_cast<int>(static_cast<std::int64_t>(i) * size / n);
  int end = static_cast<int>(static_cast<std::int64_t>(i + 1) * size / n);
  if (end <= first) {  // enlarging: the pixel under the target pixel's centre
    first = static_cast<int>((2 * static_cast<std::int64_t>(i) + 1) * size / (2 * static_cast<std::int64_t>(n)));
    end = first + 1;
  }
  return {first, end};
}

}  // namespace

RowStretch::RowStretch(int srcWidth, int srcHeight, Raster& dst, int left, int top, int width, int height)
    : dst_(dst), srcHeight_(srcHeight), left_(left), top_(top), height_(height) {
  if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0) return;
  const int x1 = std::min(width, dst.width() - left);
  x0_ = std::max(0, -left);
  if (x0_ >= x1) return;
  const int y0 = std::max(0, -top);
  y1_ = std::min(height, dst.height() - top);
  columns_.reserve(static_cast<std::size_t>(x1 - x0_));
  for (int x = x0_; x < x1; ++x) {
    columns_.push_back(SourceSpan(x, width, srcWidth));
  }
  sums_.resize(columns_.size() * 3);
  Start(y0);
}

void RowStretch::Start(int y) {
  y_ = y;
  if (y_ >= y1_) return;
  rows_ = SourceSpan(y_, height_, srcHeight_);
  std::fill(sums_.begin(), sums_.end(), 0);
}

void RowStretch::Add(const std::uint32_t* line) {
  const int sy = next_++;
  // Enlarged, one source row stands under several target rows.
  while (y_ < y1_ && rows_.first <= sy) {
    if (sy >= rows_.end) return;  // not reached: the rows' spans follow on
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      std::uint64_t b = 0, g = 0, r = 0;
      for (int sx = columns_[c].first; sx < columns_[c].end; ++sx) {
        const std::uint32_t p = line[sx];
        b += p & 0xFF;
        g += (p >> 8) & 0xFF;
        r += (p >> 16) & 0xFF;
      }
      sums_[3 * c] += b;
      sums_[3 * c + 1] += g;
      sums_[3 * c + 2] += r;
    }
    if (sy + 1 < rows_.end) return;
    std::uint32_t* out = dst_.Row(top_ + y_) + left_;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      const std::uint64_t n = static_cast<std::uint64_t>(rows_.end - rows_.first) * (columns_[c].end - columns_[c].first);
      const std::uint32_t b = static_cast<std::uint32_t>((sums_[3 * c] + n / 2) / n);
      const std::uint32_t g = static_cast<std::uint32_t>((sums_[3 * c + 1] + n / 2) / n);
      const std::uint32_t r = static_cast<std::uint32_t>((sums_[3 * c + 2] + n / 2) / n);
      out[x0_ + static_cast<int>(c)] = b | (g << 8) | (r << 16);
    }
    Start(y_ + 1);
  }
}

void StretchRaster(const Raster& src, Raster& dst, int left, int top, int width, int height) {
  RowStretch stretch(src.width(), src.height(), dst, left, top, width, height);
  for (int y = 0; y < src.height(); ++y) stretch.Add(src.Row(y));
}

void ThumbnailCellRows::Begin(int width, int height, int sourceWidth, int sourceHeight) {
  cell_.Resize(width_, height_);
  cell_.Fill(0, 0, width_, height_, kCellWhite);
  const FittedRect fit = FitImageInBox(width_, height_, sourceWidth, sourceHeight);
  stretch_.emplace(width, height, cell_, fit.left, fit.top, fit.width, fit.height);
}

bool ThumbnailCellRows::Finish() {
  if (!stretch_) return false;
  cell_.Frame(0, 0, width_, height_, kCellSilver);
  return true;
}

void DrawThumbnailCell(Raster& cell, int cellWidth, int cellHeight, const Raster& picture,
                       int sourceWidth, int sourceHeight) {
  ThumbnailCellRows rows(cell, cellWidth, cellHeight);
  rows.Begin(picture.width(), picture.height(), sourceWidth, sourceHeight);
  for (int y = 0; y < picture.height(); ++y) rows.Row(picture.Row(y));
  rows.Finish();
}

}  // namespace velmora
