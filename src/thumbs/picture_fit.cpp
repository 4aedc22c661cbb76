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

struct Span {
  int first;
  int end;
};

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

void StretchRaster(const Raster& src, Raster& dst, int left, int top, int width, int height) {
  if (width <= 0 || height <= 0 || src.width() <= 0 || src.height() <= 0) return;
  const int x0 = std::max(0, -left), x1 = std::min(width, dst.width() - left);
  const int y0 = std::max(0, -top), y1 = std::min(height, dst.height() - top);
  if (x0 >= x1 || y0 >= y1) return;
  std::vector<Span> columns;
  columns.reserve(static_cast<std::size_t>(x1 - x0));
  for (int x = x0; x < x1; ++x) columns.push_back(SourceSpan(x, width, src.width()));
  std::vector<std::uint64_t> sums(static_cast<std::size_t>(x1 - x0) * 3);
  for (int y = y0; y < y1; ++y) {
    const Span rows = SourceSpan(y, height, src.height());
    std::fill(sums.begin(), sums.end(), 0);
    for (int sy = rows.first; sy < rows.end; ++sy) {
      const std::uint32_t* line = src.Row(sy);
      for (std::size_t c = 0; c < columns.size(); ++c) {
        std::uint64_t b = 0, g = 0, r = 0;
        for (int sx = columns[c].first; sx < columns[c].end; ++sx) {
          const std::uint32_t p = line[sx];
          b += p & 0xFF;
          g += (p >> 8) & 0xFF;
          r += (p >> 16) & 0xFF;
        }
        sums[3 * c] += b;
        sums[3 * c + 1] += g;
        sums[3 * c + 2] += r;
      }
    }
    std::uint32_t* out = dst.Row(top + y) + left;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const std::uint64_t n = static_cast<std::uint64_t>(rows.end - rows.first) * (columns[c].end - columns[c].first);
      const std::uint32_t b = static_cast<std::uint32_t>((sums[3 * c] + n / 2) / n);
      const std::uint32_t g = static_cast<std::uint32_t>((sums[3 * c + 1] + n / 2) / n);
      const std::uint32_t r = static_cast<std::uint32_t>((sums[3 * c + 2] + n / 2) / n);
      out[x0 + static_cast<int>(c)] = b | (g << 8) | (r << 16);
    }
  }
}

void DrawThumbnailCell(Raster& cell, int cellWidth, int cellHeight, const Raster& picture,
                       int sourceWidth, int sourceHeight) {
  cell.Resize(cellWidth, cellHeight);
  cell.Fill(0, 0, cellWidth, cellHeight, kCellWhite);
  const FittedRect fit = FitImageInBox(cellWidth, cellHeight, sourceWidth, sourceHeight);
  StretchRaster(picture, cell, fit.left, fit.top, fit.width, fit.height);
  cell.Frame(0, 0, cellWidth, cellHeight, kCellSilver);
}

}  // namespace velmora
