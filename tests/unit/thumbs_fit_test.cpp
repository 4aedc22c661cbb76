// Fitting pictures into cells and the preview, and drawing them there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "thumbs/picture_fit.h"

namespace velmora {
namespace {

void ExpectFit(int bw, int bh, int iw, int ih, int w, int h, int left, int top) {
  const FittedRect f = FitImageInBox(bw, bh, iw, ih);
  EXPECT_EQ(f.width, w) << iw << "x" << ih << " in " << bw << "x" << bh;
  EXPECT_EQ(f.height, h) << iw << "x" << ih << " in " << bw << "x" << bh;
  EXPECT_EQ(f.left, left) << iw << "x" << ih << " in " << bw << "x" << bh;
  EXPECT_EQ(f.top, top) << iw << "x" << ih << " in " << bw << "x" << bh;
}

TEST(FitImageInBox, WorkedCasesForCellsAndThePreview) {
  ExpectFit(32, 32, 200, 100, 32, 16, 0, 8);
  ExpectFit(32, 32, 100, 200, 16, 32, 8, 0);
  ExpectFit(32, 32, 33, 100, 10, 32, 11, 0);
  ExpectFit(32, 32, 64, 64, 32, 32, 0, 0);
  ExpectFit(32, 32, 16, 8, 32, 16, 0, 8);  // small pictures are enlarged
  ExpectFit(148, 91, 100, 50, 148, 74, 0, 8);
}

TEST(FitImageInBox, PhotosOfTwelveMegapixelsFillTheCell) {
  ExpectFit(32, 32, 4000, 3000, 32, 24, 0, 4);
  ExpectFit(32, 32, 3000, 4000, 24, 32, 4, 0);
  ExpectFit(32, 32, 4032, 3024, 32, 24, 0, 4);
  ExpectFit(32, 32, 4240, 2832, 32, 21, 0, 5);
  ExpectFit(32, 32, 2000, 1500, 32, 24, 0, 4);  // 1,600 to 3,200 pixels used to come out small
  ExpectFit(148, 91, 4000, 3000, 121, 91, 13, 0);
  // Extreme strips keep one pixel rather than vanishing.
  ExpectFit(32, 32, 65000, 10, 32, 1, 0, 15);
  ExpectFit(32, 32, 1, 10000, 1, 32, 15, 0);
}

TEST(FitImageInBox, KeepsProportionsInBoxesThatAreNotSquare) {
  // Limited by the height although wider than tall.
  ExpectFit(148, 91, 100, 90, 101, 91, 23, 0);
  ExpectFit(32, 16, 100, 90, 17, 16, 7, 0);
}

TEST(FitImageInBox, EverySizeStaysInsideAndTouchesTwoEdges) {
  for (int bw : {32, 48, 148}) {
    const int bh = bw == 148 ? 91 : bw;
    for (int iw = 1; iw < 13000; iw += iw < 200 ? 1 : 97) {
      for (int ih : {1, 7, 31, 32, 33, 99, 1600, 2999, 3000, 3001, 9000}) {
        const FittedRect f = FitImageInBox(bw, bh, iw, ih);
        ASSERT_TRUE(f.width >= 1 && f.height >= 1 && f.left >= 0 && f.top >= 0) << iw << "x" << ih;
        ASSERT_TRUE(f.left + f.width <= bw && f.top + f.height <= bh) << iw << "x" << ih;
        ASSERT_TRUE(f.width == bw || f.height == bh) << iw << "x" << ih;
        // Proportions within the one pixel that rounding down takes.
        const double scale = std::min(static_cast<double>(bw) / iw, static_cast<double>(bh) / ih);
        ASSERT_LE(std::abs(f.width - std::max(1.0, iw * scale)), 1.0) << iw << "x" << ih;
        ASSERT_LE(std::abs(f.height - std::max(1.0, ih * scale)), 1.0) << iw << "x" << ih;
      }
    }
  }
  ExpectFit(32, 32, 0, 10, 0, 0, 0, 0);
  ExpectFit(0, 32, 10, 10, 0, 0, 0, 0);
}

Raster Solid(int w, int h, Colour c) {
  Raster r(w, h);
  r.Fill(0, 0, w, h, c);
  return r;
}

TEST(StretchRaster, AveragesWhenReducingAndRepeatsWhenEnlarging) {
  Raster src(4, 2);
  for (int x = 0; x < 4; ++x) {
    src.Set(x, 0, x % 2 ? 0xFFFFFF : 0x000000);
    src.Set(x, 1, x < 2 ? 0x0000FF : 0xFF0000);
  }
  Raster half = Solid(2, 1, 0x00FF00);
  StretchRaster(src, half, 0, 0, 2, 1);
  EXPECT_EQ(half.At(0, 0), Rgb(191, 64, 64));
  EXPECT_EQ(half.At(1, 0), Rgb(64, 64, 191));

  Raster big = Solid(10, 6, 0x00FF00);
  StretchRaster(src, big, 1, 1, 8, 4);
  EXPECT_EQ(big.At(0, 0), 0x00FF00u);
  EXPECT_EQ(big.At(1, 1), 0x000000u);
  EXPECT_EQ(big.At(3, 2), 0xFFFFFFu);
  EXPECT_EQ(big.At(2, 4), 0x0000FFu);
  EXPECT_EQ(big.At(8, 4), 0xFF0000u);
  EXPECT_EQ(big.At(9, 5), 0x00FF00u);

  // Clipped at every edge.
  Raster small = Solid(3, 3, 0x00FF00);
  StretchRaster(src, small, -2, -1, 8, 4);
  EXPECT_EQ(small.At(0, 0), 0xFFFFFFu);
  EXPECT_EQ(small.At(2, 2), 0xFF0000u);
}

// Drawn a source row at a time, every target pixel is still the average of the pixels under
// it (or the one under its centre), over shrinking, enlarging and clipped rectangles.
TEST(StretchRaster, EachPixelTheAverageOfThoseUnderItAtAnySize) {
  Raster src(13, 11);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 13; ++x) src.Set(x, y, static_cast<Colour>((x * 37 + y * 11) & 0xFF) * 0x010203u);
  auto under = [](int i, int n, int size) {
    int first = i * size / n, end = (i + 1) * size / n;
    if (end <= first) end = (first = (2 * i + 1) * size / (2 * n)) + 1;
    return std::make_pair(first, end);
  };
  const int rects[][4] = {{0, 0, 5, 3}, {0, 0, 13, 11}, {1, 2, 20, 17}, {-3, -2, 9, 14}, {2, -4, 30, 7}};
  for (const auto& r : rects) {
    Raster dst = Solid(12, 10, 0x00FF00);
    StretchRaster(src, dst, r[0], r[1], r[2], r[3]);
    for (int ty = 0; ty < r[3]; ++ty) {
      for (int tx = 0; tx < r[2]; ++tx) {
        const int x = r[0] + tx, y = r[1] + ty;
        if (x < 0 || y < 0 || x >= 12 || y >= 10) continue;
        const auto [x0, x1] = under(tx, r[2], 13);
        const auto [y0, y1] = under(ty, r[3], 11);
        std::uint32_t sum[3] = {}, n = static_cast<std::uint32_t>((x1 - x0) * (y1 - y0));
        for (int sy = y0; sy < y1; ++sy)
          for (int sx = x0; sx < x1; ++sx)
            for (int k = 0; k < 3; ++k) sum[k] += (src.Row(sy)[sx] >> (8 * k)) & 0xFF;
        Colour expected = 0;
        for (int k = 0; k < 3; ++k) expected |= ((sum[k] + n / 2) / n) << (8 * k);
        ASSERT_EQ(dst.Row(y)[x], expected) << r[2] << "x" << r[3] << " at " << tx << "," << ty;
      }
    }
  }
}

TEST(DrawThumbnailCell, WhiteCellFittedPictureSilverEdgeFromTheFullSize) {
  // A reduced decode of a 200 x 100 picture still fits as 200 x 100.
  const Raster picture = Solid(25, 13, 0x0000FF);
  Raster cell;
  DrawThumbnailCell(cell, 32, 32, picture, 200, 100);
  ASSERT_EQ(cell.width(), 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      Colour expected = 0xFFFFFF;
      if (x == 0 || y == 0 || x == 31 || y == 31) expected = 0xC0C0C0;
      else if (y >= 8 && y < 24) expected = 0x0000FF;
      ASSERT_EQ(cell.At(x, y), expected) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace velmora
