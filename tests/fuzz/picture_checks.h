// Checks the picture targets share: a decoded picture drawn into a thumbnail cell.
#pragma once
#include "fuzz/fuzz_check.h"
#include "thumbs/picture_decode.h"
#include "thumbs/picture_fit.h"

namespace fuzz {

// The fitted rectangle never leaves the box and never vanishes, and the side that limits
// fills the box; the cell is drawn whatever size the pixels were decoded at.
inline void CheckThumbnailCell(const velmora::DecodedPicture& picture, int boxWidth, int boxHeight) {
  FUZZ_CHECK(picture.sourceWidth > 0 && picture.sourceHeight > 0);
  FUZZ_CHECK(picture.pixels.width() > 0 && picture.pixels.height() > 0);
  FUZZ_CHECK(picture.pixels.width() <= picture.sourceWidth && picture.pixels.height() <= picture.sourceHeight);
  const velmora::FittedRect fit =
      velmora::FitImageInBox(boxWidth, boxHeight, picture.sourceWidth, picture.sourceHeight);
  FUZZ_CHECK(fit.width >= 1 && fit.height >= 1);
  FUZZ_CHECK(fit.left >= 0 && fit.top >= 0);
  FUZZ_CHECK(fit.left + fit.width <= boxWidth && fit.top + fit.height <= boxHeight);
  FUZZ_CHECK(fit.width == boxWidth || fit.height == boxHeight);
  velmora::Raster cell;
  velmora::DrawThumbnailCell(cell, boxWidth, boxHeight, picture.pixels, picture.sourceWidth, picture.sourceHeight);
  FUZZ_CHECK(cell.width() == boxWidth && cell.height() == boxHeight);
  FUZZ_CHECK(cell.At(0, 0) == velmora::kCellSilver && cell.At(boxWidth - 1, boxHeight - 1) == velmora::kCellSilver);
}

}  // namespace fuzz
