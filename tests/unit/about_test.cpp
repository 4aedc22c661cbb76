#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "about/about_texts.h"
#include "about/picture_animation.h"

namespace velmora {
namespace {

// Hands out the given numbers, then repeats the last one.
class ScriptedRandom : public RandomSource {
 public:
  explicit ScriptedRandom(std::deque<std::uint32_t> values) : values_(std::move(values)) {}
  std::uint32_t Next() override {
    ++calls;
    if (values_.size() > 1) {
      std::uint32_t v = values_.front();
      values_.pop_front();
      return v;
    }
    return values_.empty() ? 0 : values_.front();
  }
  int calls = 0;

 private:
  std::deque<std::uint32_t> values_;
};

TEST(AboutAnimation, JitterStaysWithinItsRange) {
  // jumpXY 2: 0 or 1; odd and larger ranges reach below zero; 0 never moves.
  EXPECT_EQ(JitterOffset(2, 0), 0);
  EXPECT_EQ(JitterOffset(2, 1), 1);
  EXPECT_EQ(JitterOffset(2, 7), 1);
  EXPECT_EQ(JitterOffset(0, 12345), 0);
  EXPECT_EQ(JitterOffset(1, 99), 0);
  for (int jump : {3, 4, 5, 16}) {
    int low = 1000, high = -1000;
    for (std::uint32_t r = 0; r < 100; ++r) {
      int offset = JitterOffset(jump, r);
      low = std::min(low, offset);
      high = std::max(high, offset);
    }
    EXPECT_EQ(high, jump / 2) << jump;
    EXPECT_EQ(low, jump / 2 + 1 - jump) << jump;
  }
  EXPECT_EQ(JitterOffset(4, 3), -1);
  EXPECT_EQ(JitterOffset(2, 0xFFFFFFFFu), 1);  // the whole unsigned range
}

TEST(AboutAnimation, DriftStopsAtItsLimits) {
  // 6..9 grows, 0..4 shrinks, 5 keeps.
  EXPECT_EQ(DriftSizeOffset(0, 5, 6), 1);
  EXPECT_EQ(DriftSizeOffset(0, 5, 19), 1);
  EXPECT_EQ(DriftSizeOffset(0, 5, 4), -1);
  EXPECT_EQ(DriftSizeOffset(0, 5, 10), -1);
  EXPECT_EQ(DriftSizeOffset(0, 5, 5), 0);
  EXPECT_EQ(DriftSizeOffset(0, 5, 25), 0);
  EXPECT_EQ(DriftSizeOffset(5, 5, 9), 5);    // no further than stretchMax
  EXPECT_EQ(DriftSizeOffset(-5, 5, 0), -5);  // no lower than -stretchMax
  EXPECT_EQ(DriftSizeOffset(5, 5, 0), 4);
  EXPECT_EQ(DriftSizeOffset(-5, 5, 9), -4);
  // From outside the limits (hover, press) it only comes back.
  EXPECT_EQ(DriftSizeOffset(10, 5, 9), 10);
  EXPECT_EQ(DriftSizeOffset(10, 5, 0), 9);
  EXPECT_EQ(DriftSizeOffset(-10, 5, 0), -10);
  EXPECT_EQ(DriftSizeOffset(-10, 5, 9), -9);
  EXPECT_EQ(DriftSizeOffset(0, 0, 9), 0);
  EXPECT_EQ(DriftSizeOffset(0, 0, 0), 0);

  // Any long run stays within the limits and reaches both.
  ClockSeededRandom random;
  int offset = 0, low = 0, high = 0;
  for (int i = 0; i < 20000; ++i) {
    offset = DriftSizeOffset(offset, 5, random.Next());
    low = std::min(low, offset);
    high = std::max(high, offset);
  }
  EXPECT_EQ(low, -5);
  EXPECT_EQ(high, 5);
}

TEST(AboutAnimation, TicksAlternateFramesJitterThenDrift) {
  ScriptedRandom random({1, 0, 9, 0, 1, 9});
  PictureAnimation a(8, 8, 2, 5, random);
  EXPECT_EQ(a.place().left, 8);
  EXPECT_EQ(a.place().size, 64);

  EXPECT_EQ(a.Tick(), 0);  // draws frame 0, frame now 1: jitter x 1, y 0
  EXPECT_EQ(a.frame(), 1);
  EXPECT_EQ(a.place().left, 9);
  EXPECT_EQ(a.place().top, 8);
  EXPECT_EQ(a.place().size, 64);
  EXPECT_EQ(random.calls, 2);

  EXPECT_EQ(a.Tick(), 1);  // frame now 0: drift 9 grows, the place stays
  EXPECT_EQ(a.sizeOffset(), 1);
  EXPECT_EQ(a.place().size, 65);
  EXPECT_EQ(a.place().left, 9);
  EXPECT_EQ(random.calls, 3);

  EXPECT_EQ(a.Tick(), 0);  // jitter 0, 1
  EXPECT_EQ(a.place().left, 8);
  EXPECT_EQ(a.place().top, 9);
  EXPECT_EQ(a.Tick(), 1);
  EXPECT_EQ(a.place().size, 66);
}

TEST(AboutAnimation, PressAndHoverSizes) {
  ScriptedRandom keep({5});  // drift keeps, jitter 1
  PictureAnimation a(8, 8, 2, 5, keep);

  a.PictureMouseDown();
  EXPECT_TRUE(a.pressed());
  a.Tick();
  EXPECT_EQ(a.place().size, 54);
  a.PictureMouseMove();  // pressed: no swelling
  a.Tick();
  EXPECT_EQ(a.place().size, 54);

  a.PanelMouseMove();
  EXPECT_FALSE(a.pressed());
  a.PictureMouseMove();
  a.Tick();
  EXPECT_EQ(a.place().size, 74);
  a.PictureMouseDown();  // a press wins over the hover
  a.Tick();
  EXPECT_EQ(a.place().size, 54);

  // Left alone, the swollen picture comes back within the drift limits.
  ScriptedRandom shrink({0});
  PictureAnimation b(8, 8, 2, 5, shrink);
  b.PictureMouseMove();
  for (int i = 0; i < 60; ++i) b.Tick();
  EXPECT_EQ(b.place().size, 59);
}

TEST(AboutAnimation, OutOfRangePropertiesAreClamped) {
  ScriptedRandom random({0xFFFFFFFFu});
  PictureAnimation wild(8, 8, 1000, 1000, random);
  EXPECT_EQ(wild.jumpXY(), kMaxJumpXY);
  EXPECT_EQ(wild.stretchMax(), kMaxStretch);
  ScriptedRandom shrink({0});
  PictureAnimation small(8, 8, 2, 1000, shrink);
  for (int i = 0; i < 400; ++i) {
    small.Tick();
    ASSERT_GE(small.place().size, 1);  // never shrinks to nothing
  }
  EXPECT_EQ(small.place().size, 1);

  PictureAnimation negative(8, 8, -3, -3, random);
  EXPECT_EQ(negative.jumpXY(), 0);
  EXPECT_EQ(negative.stretchMax(), 0);
  negative.Tick();
  EXPECT_EQ(negative.place().left, 8);
  negative.Tick();
  EXPECT_EQ(negative.place().size, 64);
  // The jitter never takes the picture out of the panel's left or top edge.
  for (std::uint32_t r = 0; r < 64; ++r) EXPECT_GT(8 + JitterOffset(kMaxJumpXY, r), 0);
}

TEST(AboutTexts, LinesColoursAndPlaces) {
  AboutProperties p;
  p.ApplicationTitle = "Velmora";
  p.ProgramerName = "山田";
  p.VerNoMain = "[ 1.1.8.9 ]";
  p.Year = "2026";
  p.Corp = "Velmora Project";
  VersionBoxTexts t = MakeVersionBoxTexts(p);
  EXPECT_EQ(t.title, "Velmora  ");  // an empty VerNo leaves the two spaces
  EXPECT_EQ(t.author, "Programming by 山田");
  EXPECT_EQ(t.version, "[ 1.1.8.9 ]");
  EXPECT_EQ(t.year, "2026");
  EXPECT_EQ(t.maker, "Velmora Project");
  p.VerNo = "β";
  EXPECT_EQ(MakeVersionBoxTexts(p).title, "Velmora  β");

  EXPECT_EQ(PanelColour(8, 0xBFFFF1), kWhite);
  EXPECT_EQ(PanelColour(10, 0xBFFFF1), kWhite);
  EXPECT_EQ(PanelColour(16, 0xBFFFF1), 0xBFFFF1u);
  EXPECT_EQ(PanelColour(32, 0x123456), 0x123456u);

  EXPECT_EQ(MakerLineLeft(297, 100), 181);
  EXPECT_EQ(MakerLineLeft(297, 100) + 100, 297 - 16);

  EXPECT_EQ(VersionLine("1.1.8.9"), "[ 1.1.8.9 ]");
  EXPECT_EQ(VersionDigits("1.1.8.9"), "1189");
  EXPECT_EQ(VersionDigits("2.10.0.3"), "21003");
  EXPECT_EQ(VersionDigits(""), "");
}

class RecordingLauncher : public ShellLauncher {
 public:
  bool Open(const std::string& file, const std::string& parameters) override {
    calls.emplace_back(file, parameters);
    return calls.size() > failures;
  }
  std::size_t failures = 0;
  std::vector<std::pair<std::string, std::string>> calls;
};

TEST(AboutTexts, WebPageTriesTheBrowserThenTheDefault) {
  using Calls = std::vector<std::pair<std::string, std::string>>;
  RecordingLauncher works;
  OpenWebPage(works, "https://x.example/");
  EXPECT_EQ(works.calls, (Calls{{"iexplore", "https://x.example/"}}));

  RecordingLauncher fallback;
  fallback.failures = 1;
  OpenWebPage(fallback, "https://x.example/");
  EXPECT_EQ(fallback.calls, (Calls{{"iexplore", "https://x.example/"}, {"https://x.example/", ""}}));

  RecordingLauncher none;
  none.failures = 5;
  OpenWebPage(none, "https://x.example/");  // the second failure is ignored
  EXPECT_EQ(none.calls.size(), 2u);
}

}  // namespace
}  // namespace velmora
