// Fitting a picture into a box, and drawing it there.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "thumbs/picture_decode.h"
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

// StretchRaster's work fed the source one row at a time, top to bottom, so that it need not be
// held whole: each target row is written once the last source row under it has come.
class RowStretch {
 public:
  RowStretch(int srcWidth, int srcHeight, Raster& dst, int left, int top, int width, int height);
  void Add(const std::uint32_t* row);
  // The source pixels under one target pixel.
  struct Span {
    int first;
    int end;
  };

 private:
  void Start(int y);

  Raster& dst_;
  int srcHeight_, left_, top_, height_;
  int x0_ = 0, y_ = 0, y1_ = 0;  // the target rows still to write: y_ to y1_
  int next_ = 0;                 // the source row Add is given
  Span rows_{0, 0};
  std::vector<Span> columns_;
  std::vector<std::uint64_t> sums_;
};

// A thumbnail cell drawn from a picture's rows as a decoder hands them on (see
// DrawThumbnailCell); the edge is drawn by Finish, after the last row.
class ThumbnailCellRows : public RowSink {
 public:
  ThumbnailCellRows(Raster& cell, int cellWidth, int cellHeight) : cell_(cell), width_(cellWidth), height_(cellHeight) {}
  void Begin(int width, int height, int sourceWidth, int sourceHeight) override;
  void Row(const std::uint32_t* pixels) override { stretch_->Add(pixels); }
  // False when no rows were begun (the decoder gave the picture whole).
  bool Finish();

 private:
  Raster& cell_;
  const int width_, height_;
  std::optional<RowStretch> stretch_;
};

// A thumbnail cell: white, the picture scaled into the rectangle FitImageInBox gives for the
// picture's full size (the pixels may be a reduced decode of it), and a silver edge.
void DrawThumbnailCell(Raster& cell, int cellWidth, int cellHeight, const Raster& picture,
                       int sourceWidth, int sourceHeight);

}  // namespace velmora
