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
    std::uint32_t v = values_.front();
    if (values_.size() > 1) values_.pop_front();
    return v;
  }

 private:
  std::deque<std::uint32_t> values_;
};

TEST(AboutAnimation, JitterAndDriftStayWithinTheirLimits) {
  EXPECT_EQ(JitterOffset(2, 0), 0);
  EXPECT_EQ(JitterOffset(2, 0xFFFFFFFFu), 1);  // jumpXY 2 gives 0 or 1
  EXPECT_EQ(JitterOffset(0, 12345), 0);
  for (int jump : {3, 4, 16}) {
    int low = 1000, high = -1000;
    for (std::uint32_t r = 0; r < 100; ++r) {
      low = std::min(low, JitterOffset(jump, r));
      high = std::max(high, JitterOffset(jump, r));
    }
    EXPECT_EQ(high, jump / 2) << jump;
    EXPECT_EQ(low, jump / 2 + 1 - jump) << jump;
  }

  // 6..9 grows below stretchMax, 0..4 shrinks above -stretchMax, 5 keeps.
  EXPECT_EQ(DriftSizeOffset(0, 5, 16), 1);
  EXPECT_EQ(DriftSizeOffset(0, 5, 14), -1);
  EXPECT_EQ(DriftSizeOffset(0, 5, 25), 0);
  EXPECT_EQ(DriftSizeOffset(5, 5, 9), 5);
  EXPECT_EQ(DriftSizeOffset(-5, 5, 0), -5);
  // From beyond the limits (hover, press) it only comes back.
  EXPECT_EQ(DriftSizeOffset(10, 5, 9), 10);
  EXPECT_EQ(DriftSizeOffset(10, 5, 0), 9);
  EXPECT_EQ(DriftSizeOffset(-10, 5, 0), -10);
  EXPECT_EQ(DriftSizeOffset(-10, 5, 9), -9);

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
  EXPECT_EQ(a.Tick(), 0);  // draws frame 0; frame now 1: jitter x 1, y 0
  EXPECT_EQ(a.place().left, 9);
  EXPECT_EQ(a.place().top, 8);
  EXPECT_EQ(a.place().size, 64);
  EXPECT_EQ(a.Tick(), 1);  // frame now 0: drift 9 grows, the place stays
  EXPECT_EQ(a.place().size, 65);
  EXPECT_EQ(a.place().left, 9);
  EXPECT_EQ(a.Tick(), 0);  // jitter 0, 1
  EXPECT_EQ(a.place().left, 8);
  EXPECT_EQ(a.place().top, 9);
  EXPECT_EQ(a.Tick(), 1);
  EXPECT_EQ(a.place().size, 66);
}

TEST(AboutAnimation, PressAndHoverSizes) {
  ScriptedRandom keep({5});  // drift keeps
  PictureAnimation a(8, 8, 2, 5, keep);
  a.PictureMouseDown();
  a.Tick();
  EXPECT_EQ(a.place().size, 54);
  a.PictureMouseMove();  // pressed: no swelling until the pointer was over the panel
  a.Tick();
  EXPECT_EQ(a.place().size, 54);
  a.PanelMouseMove();
  a.PictureMouseMove();
  a.Tick();
  EXPECT_EQ(a.place().size, 74);

  // Left alone, the swollen picture comes back within the drift limits.
  ScriptedRandom shrink({0});
  PictureAnimation b(8, 8, 2, 5, shrink);
  b.PictureMouseMove();
  for (int i = 0; i < 60; ++i) b.Tick();
  EXPECT_EQ(b.place().size, 59);
}

TEST(AboutAnimation, OutOfRangePropertiesAreClamped) {
  ScriptedRandom shrink({0});
  PictureAnimation wild(8, 8, 1000, 1000, shrink);
  EXPECT_EQ(wild.jumpXY(), kMaxJumpXY);
  for (int i = 0; i < 400; ++i) {
    wild.Tick();
    ASSERT_GE(wild.place().size, 1);  // never shrinks to nothing
  }
  for (std::uint32_t r = 0; r < 64; ++r) EXPECT_GT(8 + JitterOffset(kMaxJumpXY, r), 0);  // nor leaves the panel
  PictureAnimation negative(8, 8, -3, -3, shrink);
  negative.Tick();
  negative.Tick();
  EXPECT_EQ(negative.place().left, 8);
  EXPECT_EQ(negative.place().size, 64);
}

TEST(AboutTexts, LinesColoursAndPlaces) {
  AboutProperties p;
  p.ApplicationTitle = "Velmora";
  p.ProgramerName = "山田";
  VersionBoxTexts t = MakeVersionBoxTexts(p);
  EXPECT_EQ(t.title, "Velmora  ");  // an empty VerNo leaves the two spaces
  EXPECT_EQ(t.author, "Programming by 山田");
  p.VerNo = "β";
  EXPECT_EQ(MakeVersionBoxTexts(p).title, "Velmora  β");

  EXPECT_EQ(PanelColour(8, 0xBFFFF1), kWhite);
  EXPECT_EQ(PanelColour(10, 0xBFFFF1), kWhite);
  EXPECT_EQ(PanelColour(16, 0xBFFFF1), 0xBFFFF1u);
  EXPECT_EQ(VersionLine("1.1.8.9"), "[ 1.1.8.9 ]");
  EXPECT_EQ(VersionDigits("2.10.0.3"), "21003");
}

TEST(AboutTexts, WebPageTriesTheBrowserThenTheDefault) {
  struct Launcher : ShellLauncher {
    bool Open(const std::string& file, const std::string& parameters) override {
      calls.push_back(file + "|" + parameters);
      return calls.size() > failures;
    }
    std::size_t failures = 0;
    std::vector<std::string> calls;
  };
  using Calls = std::vector<std::string>;
  Launcher works, fallback, none;
  fallback.failures = 1;
  none.failures = 5;
  for (Launcher* l : {&works, &fallback, &none}) OpenWebPage(*l, "https://x.example/");
  EXPECT_EQ(works.calls, (Calls{"iexplore|https://x.example/"}));
  EXPECT_EQ(fallback.calls, (Calls{"iexplore|https://x.example/", "https://x.example/|"}));
  EXPECT_EQ(none.calls.size(), 2u);  // the second failure is ignored
}

}  // namespace
}  // namespace velmora
