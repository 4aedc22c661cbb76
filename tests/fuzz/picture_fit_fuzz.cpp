// Fitting and drawing a picture into a box for any sizes: the fitted rectangle never leaves the
// box and never vanishes, the side that limits fills it, the proportions are kept to within
// rounding; drawing stays inside the cell and leaves white around the picture.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "thumbs/picture_fit.h"

using velmora::FittedRect;
using velmora::Raster;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const int boxWidth = in.ConsumeIntegral<int>(), boxHeight = in.ConsumeIntegral<int>();
  const int imageWidth = in.ConsumeIntegral<int>(), imageHeight = in.ConsumeIntegral<int>();
  const FittedRect fit = velmora::FitImageInBox(boxWidth, boxHeight, imageWidth, imageHeight);
  if (boxWidth <= 0 || boxHeight <= 0 || imageWidth <= 0 || imageHeight <= 0) {
    FUZZ_CHECK(fit.width == 0 && fit.height == 0);
  } else {
    FUZZ_CHECK(fit.width >= 1 && fit.height >= 1 && fit.left >= 0 && fit.top >= 0);
    FUZZ_CHECK(fit.width <= boxWidth - fit.left && fit.height <= boxHeight - fit.top);
    FUZZ_CHECK(fit.width == boxWidth || fit.height == boxHeight);
    // fit.width / fit.height is imageWidth / imageHeight, the short side rounded down (or 1).
    const std::int64_t a = std::int64_t{fit.width} * imageHeight, b = std::int64_t{fit.height} * imageWidth;
    if (fit.width == boxWidth && fit.height > 1) FUZZ_CHECK(b <= a && a - b < imageWidth);
    if (fit.height == boxHeight && fit.width > 1) FUZZ_CHECK(a <= b && b - a < imageHeight);
  }

  // Drawing, at sizes a cell has.
  const int cellWidth = in.ConsumeIntegralInRange(1, 64), cellHeight = in.ConsumeIntegralInRange(1, 64);
  const int pixelsWidth = in.ConsumeIntegralInRange(1, 48), pixelsHeight = in.ConsumeIntegralInRange(1, 48);
  // The picture's full size may be far larger than the decoded pixels.
  const int sourceWidth = pixelsWidth * in.ConsumeIntegralInRange(1, 64);
  const int sourceHeight = pixelsHeight * in.ConsumeIntegralInRange(1, 64);
  Raster picture(pixelsWidth, pixelsHeight);
  const std::uint32_t colour = in.ConsumeIntegral<std::uint32_t>() & 0x7F7F7F;  // never white or silver
  picture.Fill(0, 0, pixelsWidth, pixelsHeight, colour);
  Raster cell;
  velmora::DrawThumbnailCell(cell, cellWidth, cellHeight, picture, sourceWidth, sourceHeight);
  FUZZ_CHECK(cell.width() == cellWidth && cell.height() == cellHeight);
  const FittedRect drawn = velmora::FitImageInBox(cellWidth, cellHeight, sourceWidth, sourceHeight);
  for (int y = 0; y < cellHeight; ++y) {
    for (int x = 0; x < cellWidth; ++x) {
      const bool edge = x == 0 || y == 0 || x == cellWidth - 1 || y == cellHeight - 1;
      const bool inside = x >= drawn.left && x < drawn.left + drawn.width && y >= drawn.top && y < drawn.top + drawn.height;
      const velmora::Colour expected = edge ? velmora::kCellSilver : inside ? colour : velmora::kCellWhite;
      FUZZ_CHECK(cell.At(x, y) == expected);
    }
  }
  return 0;
}
