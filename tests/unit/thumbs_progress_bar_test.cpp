// The colour progress bar: its property rules and its drawing, pixel for pixel.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "thumbs/color_progress_bar.h"

namespace velmora {
namespace {

constexpr Colour kFace = 0xD4D0C8;
constexpr Colour kHighlight = 0x6A240A;
constexpr Colour kText = 0x101010;

// Glyphs are 5 x 8 boxes on a 6-pixel advance; every text drawn is recorded.
class FakePainter : public BarPainter {
 public:
  struct Text {
    std::string text;
    int x, y;
    Colour colour;
    bool operator==(const Text& o) const { return text == o.text && x == o.x && y == o.y && colour == o.colour; }
  };
  Colour SystemColour(int index) override {
    if (index == 15) return kFace;
    if (index == 13) return kHighlight;
    if (index == 8) return kText;
    return 0x123456;
  }
  void TextSize(const std::string& text, const BarFont&, int& width, int& height) override {
    width = 6 * static_cast<int>(text.size());
    height = 8;
  }
  void DrawText(Raster& raster, int x, int y, const std::string& text, const BarFont&, Colour colour) override {
    texts.push_back({text, x, y, colour});
    for (std::size_t i = 0; i < text.size(); ++i) {
      const int left = x + 6 * static_cast<int>(i);
      raster.Fill(left, y, left + 5, y + 8, colour);
    }
  }
  std::vector<Text> texts;
};

class CountingHost : public ProgressBarHost {
 public:
  void Invalidate() override { ++invalidated; }
  void RepaintNow() override { ++repainted; }
  int invalidated = 0;
  int repainted = 0;
};

// Compares every pixel with what expected(x, y) says, reporting the first few differences.
void ExpectPixels(const Raster& r, const std::function<Colour(int, int)>& expected) {
  int wrong = 0;
  for (int y = 0; y < r.height(); ++y) {
    for (int x = 0; x < r.width(); ++x) {
      if (r.At(x, y) != expected(x, y) && ++wrong <= 5) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << r.At(x, y) << ", expected "
                      << expected(x, y);
      }
    }
  }
  EXPECT_EQ(wrong, 0);
}

// The tool bar's bar: 89 x 12, ten blocks, flat grey frame, white box, green bar.
void MakeToolBarBar(TColorProgressBar& bar) {
  bar.SetSize(89, 12);
  bar.SetMax(100);
  bar.SetSmooth(true);
  bar.SetBoxColor(0xFFFFFF);
  bar.SetBarColor(2342478);
  bar.SetLineColor(0x808080);
  bar.SetFlat(true);
}

TEST(ColorProgressBarDraw, ToolBarBarDrawsWholeBlocksAtTenPercentSteps) {
  // Block j covers these columns (end excluded), rows 2 to 9.
  const int blocks[10][2] = {{2, 9}, {10, 18}, {19, 26}, {27, 35}, {36, 43},
                             {44, 52}, {53, 60}, {61, 69}, {70, 77}, {78, 86}};
  TColorProgressBar bar;
  MakeToolBarBar(bar);
  FakePainter painter;
  Raster r;
  for (int position : {0, 9, 10, 19, 20, 55, 99, 100}) {
    SCOPED_TRACE(position);
    bar.SetPosition(position);
    bar.BarDraw(r, painter);
    ASSERT_EQ(r.width(), 89);
    ASSERT_EQ(r.height(), 12);
    ExpectPixels(r, [&](int x, int y) -> Colour {
      if (x == 0 || y == 0 || x == 88 || y == 11) return 0x808080;
      for (int j = 0; j < position / 10; ++j)
        if (x >= blocks[j][0] && x < blocks[j][1] && y >= 2 && y <= 9) return 0x23BE4E;
      return 0xFFFFFF;
    });
  }
  EXPECT_TRUE(painter.texts.empty());
}

TEST(ColorProgressBarDraw, RampBrightensTwentyFivePerRowUpwardsWhenTwelveHigh) {
  TColorProgressBar bar;
  bar.SetSize(40, 12);
  bar.SetBoxColor(0xFFFFFF);
  bar.SetLineColor(0x808080);
  bar.SetFlat(true);
  bar.SetBarStyle(btGradetion);
  bar.SetPosition(50);
  FakePainter painter;
  Raster r;

  // red 78, green 190, blue 35: less 64 above 64, then less 84 above 84.
  bar.SetBarColor(Rgb(78, 190, 35));
  bar.BarDraw(r, painter);
  // iw = 37; strip from column 2 to trunc(37 * 50 / 100 + 1) = 19, excluded.
  ExpectPixels(r, [&](int x, int y) -> Colour {
    if (x == 0 || y == 0 || x == 39 || y == 11) return 0x808080;
    if (x >= 2 && x < 19 && y >= 2 && y <= 9) {
      const int i = 9 - y;
      return Rgb(14 + 25 * i, 42 + 25 * i, 35 + 25 * i);
    }
    return 0xFFFFFF;
  });

  // White starts at 107 and each channel stops brightening before it would reach 255.
  bar.SetBarColor(0xFFFFFF);
  bar.BarDraw(r, painter);
  const int expected[8] = {107, 132, 157, 182, 207, 232, 232, 232};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(r.At(5, 9 - i), Rgb(expected[i], expected[i], expected[i])) << i;

  // In block mode every block carries the whole ramp.
  MakeToolBarBar(bar);
  bar.SetBarStyle(btGradetion);
  bar.SetPosition(20);
  bar.BarDraw(r, painter);
  EXPECT_EQ(r.At(2, 9), Rgb(14, 42, 35));
  EXPECT_EQ(r.At(10, 9), Rgb(14, 42, 35));
  EXPECT_EQ(r.At(17, 2), Rgb(14 + 175, 42 + 175, 35 + 175));
  EXPECT_EQ(r.At(9, 5), 0xFFFFFFu);
  EXPECT_EQ(r.At(19, 5), 0xFFFFFFu);
}

TEST(ColorProgressBarDraw, SunkenFrameAndMarkerTicks) {
  TColorProgressBar bar;
  bar.SetSize(89, 12);
  bar.SetBoxColor(0xFFFFFF);
  bar.SetLineParVisible(true);
  FakePainter painter;
  Raster r;
  bar.BarDraw(r, painter);
  // m = 88 * 50 / 100 = 44: ticks on rows 1-4 and 6-9 in red.
  ExpectPixels(r, [&](int x, int y) -> Colour {
    if (x == 0 && y >= 1) return 0x505050;
    if (y == 0) return x == 88 ? 0xFFFFFF : 0x505050;
    if (x == 88 || y == 11) return 0xFFFFFF;
    if (x == 87 && y >= 1 && y <= 9) return kFace;  // the control's own colour
    if (x == 44 && ((y >= 1 && y <= 4) || (y >= 6 && y <= 9))) return 0x0000FF;
    return 0xFFFFFF;
  });

  bar.SetLinePar(150);
  EXPECT_EQ(bar.LinePar(), 100);
  bar.SetLineParColor(0x00FF00);
  bar.BarDraw(r, painter);
  EXPECT_EQ(r.At(88, 1), 0x00FF00u);
  EXPECT_EQ(r.At(88, 9), 0x00FF00u);
  EXPECT_EQ(r.At(88, 5), 0xFFFFFFu);

  bar.SetLinePar(-20);  // no lower bound: the ticks fall outside
  bar.BarDraw(r, painter);
  EXPECT_EQ(r.At(0, 3), 0x505050u);

  // Upright: ticks across columns 1-4 and W-6 to W-3 on row (H - 1) * LinePar / 100.
  bar.SetOrientation(pbVertical);
  bar.SetSize(16, 41);
  bar.SetLinePar(25);
  bar.BarDraw(r, painter);
  for (int x : {1, 4, 10, 13}) EXPECT_EQ(r.At(x, 10), 0x00FF00u) << x;
  for (int x : {5, 9, 14}) EXPECT_NE(r.At(x, 10), 0x00FF00u) << x;
  EXPECT_EQ(r.At(5, 1), kFace);  // the inner line runs along the top when upright
}

TEST(ColorProgressBarDraw, PercentageTextIsCentredInFontColourOrWithShadow) {
  TColorProgressBar bar;
  MakeToolBarBar(bar);
  bar.SetTextSwitch(true);
  bar.SetPosition(42);
  EXPECT_EQ(bar.ParValue(), 42);
  FakePainter painter;
  Raster r;
  bar.BarDraw(r, painter);
  // "42%" is 18 wide and "H" 8 high: x = 44 - 9, y = 6 - 4.
  ASSERT_EQ(painter.texts.size(), 1u);
  EXPECT_EQ(painter.texts[0], (FakePainter::Text{"42%", 35, 2, kText}));
  EXPECT_EQ(r.At(35, 5), kText);  // drawn over the blocks
  EXPECT_EQ(r.At(34, 5), 0x23BE4Eu);

  painter.texts.clear();
  bar.SetShadow(true);
  bar.BarDraw(r, painter);
  ASSERT_EQ(painter.texts.size(), 2u);
  EXPECT_EQ(painter.texts[0], (FakePainter::Text{"42%", 36, 3, 0x23BE4E}));
  EXPECT_EQ(painter.texts[1], (FakePainter::Text{"42%", 35, 2, 0xFFFFFF}));

  // Nothing done still reads 0%; below zero there is no text.
  painter.texts.clear();
  bar.SetShadow(false);
  bar.SetPosition(0);
  bar.BarDraw(r, painter);
  ASSERT_EQ(painter.texts.size(), 1u);
  EXPECT_EQ(painter.texts[0].text, "0%");
  painter.texts.clear();
  bar.SetMin(-10);
  bar.SetPosition(-5);
  bar.BarDraw(r, painter);
  EXPECT_TRUE(painter.texts.empty());
}

TEST(ColorProgressBarDraw, UprightBlocksGrowFromTheBottom) {
  TColorProgressBar bar;
  bar.SetSize(16, 53);
  bar.SetOrientation(pbVertical);
  bar.SetSmooth(true);
  bar.SetFlat(true);
  bar.SetBoxColor(0xFFFFFF);
  bar.SetLineColor(0x808080);
  bar.SetBarColor(0x0000FF);
  bar.SetPosition(20);
  FakePainter painter;
  Raster r;
  bar.BarDraw(r, painter);
  // ih = 50, bh = 5: block 1 on rows 46-49, block 2 on rows 41-44, columns 2-13.
  ExpectPixels(r, [&](int x, int y) -> Colour {
    if (x == 0 || y == 0 || x == 15 || y == 52) return 0x808080;
    if (x >= 2 && x <= 13 && ((y >= 46 && y <= 49) || (y >= 41 && y <= 44))) return 0x0000FF;
    return 0xFFFFFF;
  });
}

TEST(ColorProgressBarDraw, SystemColoursAreResolvedAndTheRampUsesTheRawValue) {
  TColorProgressBar bar;  // button-face box and highlight bar by default
  bar.SetSize(30, 12);
  bar.SetPosition(100);
  FakePainter painter;
  Raster r;
  bar.BarDraw(r, painter);
  EXPECT_EQ(r.At(5, 5), kHighlight);
  EXPECT_EQ(r.At(28, 5), kFace);
  bar.SetBarStyle(btGradetion);
  bar.BarDraw(r, painter);
  EXPECT_EQ(r.At(5, 9), Rgb(13, 0, 0));  // 0x8000000D's own bytes
}

TEST(ColorProgressBarProperties, SettersClampAsDocumented) {
  TColorProgressBar bar;
  EXPECT_EQ(bar.Width(), 150);
  EXPECT_EQ(bar.Height(), 16);
  bar.SetMax(0);
  EXPECT_EQ(bar.Max(), 1);
  bar.SetMax(-5);
  EXPECT_EQ(bar.Max(), 1);
  bar.SetMax(100);
  bar.SetPosition(-3);
  EXPECT_EQ(bar.Position(), 0);
  bar.SetPosition(250);
  EXPECT_EQ(bar.Position(), 100);
  EXPECT_EQ(bar.ParValue(), 100);
  // A bound moved past the position takes it along.
  bar.SetMax(40);
  EXPECT_EQ(bar.Position(), 40);
  EXPECT_EQ(bar.ParValue(), 100);
  bar.SetMin(60);
  EXPECT_EQ(bar.Min(), 40);
  bar.SetMin(0);

  bar.SetStep(-1);
  EXPECT_EQ(bar.Step(), 40);
  bar.SetStep(41);
  EXPECT_EQ(bar.Step(), 40);
  bar.SetStep(5);
  EXPECT_EQ(bar.Step(), 5);

  bar.SetBlockCount(0);
  EXPECT_EQ(bar.BlockCount(), 1);
  bar.SetBlockCount(151);
  EXPECT_EQ(bar.BlockCount(), 1);
  bar.SetBlockCount(-4);
  EXPECT_EQ(bar.BlockCount(), 1);
  bar.SetSize(89, 12);
  bar.SetBlockCount(10);
  EXPECT_EQ(bar.BlockCount(), 10);
  // Blocks of (89 - 1) / 10 = 8: a space is kept only below 4.
  bar.SetBlockSpace(3);
  EXPECT_EQ(bar.BlockSpace(), 3);
  bar.SetBlockSpace(4);
  EXPECT_EQ(bar.BlockSpace(), 3);

  bar.SetMax(150);
  bar.SetMin(50);
  bar.SetPosition(100);
  EXPECT_EQ(bar.GetPercentDone(), 50);
  bar.SetMin(150);
  EXPECT_EQ(bar.GetPercentDone(), 0);  // an empty range
}

TEST(ColorProgressBarProperties, RepaintsAtOnceOnlyWhenTheWholePercentageChanges) {
  CountingHost host;
  TColorProgressBar bar(&host);
  bar.SetMax(3);
  bar.SetStep(1);
  EXPECT_EQ(host.invalidated, 0);  // range and step do not repaint
  const int expected[3] = {33, 66, 100};
  for (int i = 0; i < 3; ++i) {
    bar.StepIt();
    EXPECT_EQ(bar.ParValue(), expected[i]);
    EXPECT_EQ(host.repainted, i + 1);
  }
  bar.StepIt();  // already at Max
  EXPECT_EQ(host.repainted, 3);

  bar.SetPosition(0);
  bar.SetMax(100000);
  host.repainted = 0;
  for (int i = 0; i < 100000; ++i) bar.StepBy(1);
  EXPECT_EQ(host.repainted, 100);
  EXPECT_EQ(bar.ParValue(), 100);

  bar.SetBarColor(0x123456);
  bar.SetBlockSpace(1000);  // refused, still repaints
  EXPECT_EQ(host.invalidated, 2);
}

TEST(ColorProgressBarProperties, ExtremeValuesNeitherOverflowNorDrawOutside) {
  CountingHost host;
  TColorProgressBar bar(&host);
  bar.SetMax(INT64_MAX);
  bar.SetMin(INT64_MIN);
  bar.SetPosition(INT64_MAX);
  EXPECT_EQ(bar.ParValue(), 100);
  EXPECT_EQ(bar.GetPercentDone(), 100);
  bar.StepBy(INT64_MAX);
  EXPECT_EQ(bar.Position(), INT64_MAX);
  bar.StepBy(INT64_MIN);
  bar.StepBy(INT64_MIN);
  EXPECT_EQ(bar.Position(), INT64_MIN);
  EXPECT_EQ(bar.ParValue(), -100);
  FakePainter painter;
  Raster r;
  for (bool smooth : {false, true}) {
    bar.SetSmooth(smooth);
    bar.BarDraw(r, painter);
  }
  bar.SetSize(0, 0);
  bar.BarDraw(r, painter);
  EXPECT_EQ(r.width(), 0);
  EXPECT_EQ(MulDiv64(INT64_MAX, 100, INT64_MAX), 100);
  EXPECT_EQ(MulDiv64(-7, 10, 3), -23);
}

}  // namespace
}  // namespace velmora
