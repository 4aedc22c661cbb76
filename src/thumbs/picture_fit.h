// Fitting a picture into a box, and drawing it there.
#pragma once
#include "thumbs/raster.h"

namespace velmora {

constexpr Colour kCellWhite = 0xFFFFFF;
constexpr Colour kCellSilver = 0xC0C0C0;

struct FittedRect {
  int width = 0;
  int height = 0;
  int left = 0;
  int top = 0;
};

// The rectangle in which a picture of imageWidth x imageHeight is drawn inside a box: as large
// as the box allows at the picture's own proportions (enlarged when smaller), centred, the
// left and top offsets rounded down. Computed exactly, so that a picture never shrinks below
// the box or vanishes for rounding: the side that limits gets the box's full length and the
// other side at least one pixel. Anything not positive gives an empty rectangle.
FittedRect FitImageInBox(int boxWidth, int boxHeight, int imageWidth, int imageHeight);

// Draws all of src scaled into the rectangle (left, top, width, height) of dst, clipped to dst:
// each target pixel is the average of the source pixels it covers, or the nearest one where
// the picture is enlarged.
void StretchRaster(const Raster& src, Raster& dst, int left, int top, int width, int height);

// A thumbnail cell: white, the picture scaled into the rectangle FitImageInBox gives for the
// picture's full size (the pixels may be a reduced decode of it), and a silver edge.
void DrawThumbnailCell(Raster& cell, int cellWidth, int cellHeight, const Raster& picture,
                       int sourceWidth, int sourceHeight);

}  // namespace velmora
