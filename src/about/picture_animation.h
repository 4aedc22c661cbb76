// The about window's lively picture, tick by tick: which frame to draw, where the picture
// stands and how big it is. The random numbers come from outside so tests can choose them.
#pragma once
#include <cstdint>
#include <random>

namespace velmora {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // A pseudo-random non-negative integer.
  virtual std::uint32_t Next() = 0;
};

// The window's own source, seeded from the clock.
class ClockSeededRandom : public RandomSource {
 public:
  ClockSeededRandom();
  std::uint32_t Next() override { return static_cast<std::uint32_t>(engine_()); }

 private:
  std::minstd_rand engine_;
};

constexpr int kPictureSize = 64;
constexpr int kHoverSizeOffset = 10;
constexpr int kPressedSizeOffset = -10;
// Beyond these the picture would leave the panel or shrink to nothing.
constexpr int kMaxJumpXY = 16;
constexpr int kMaxStretch = kPictureSize - 1;

int ClampJumpXY(int jumpXY);
int ClampStretchMax(int stretchMax);

// One axis of the jitter: random mod jumpXY, taken below zero when above jumpXY / 2, so
// that jumpXY 2 gives 0 or 1 and jumpXY 4 gives -1..2.
int JitterOffset(int jumpXY, std::uint32_t random);

// The size offset after one drift step: random mod 10 above 5 grows it while it is below
// stretchMax, 4 or less shrinks it while it is above -stretchMax, 5 keeps it.
int DriftSizeOffset(int sizeOffset, int stretchMax, std::uint32_t random);

struct PicturePlace {
  int left = 0;
  int top = 0;
  int size = kPictureSize;  // width and height; the picture grows toward right and bottom
};

class PictureAnimation {
 public:
  // jumpXY and stretchMax are clamped to the ranges above.
  PictureAnimation(int homeLeft, int homeTop, int jumpXY, int stretchMax, RandomSource& random);

  // One timer tick. Returns the frame to draw now (0 or 1), then toggles the frame and
  // jitters (frame now 1) or drifts (frame now 0), and sets the size from the offset.
  int Tick();

  // The pointer moves over the picture: it swells unless it was pressed.
  void PictureMouseMove();
  // A button goes down on the picture: it shrinks as if pushed, and stops swelling.
  void PictureMouseDown();
  // The pointer moves over the panel beside the picture.
  void PanelMouseMove() { pressed_ = false; }

  int frame() const { return frame_; }
  int sizeOffset() const { return sizeOffset_; }
  bool pressed() const { return pressed_; }
  int jumpXY() const { return jumpXY_; }
  int stretchMax() const { return stretchMax_; }
  const PicturePlace& place() const { return place_; }

 private:
  int homeLeft_;
  int homeTop_;
  int jumpXY_;
  int stretchMax_;
  RandomSource& random_;
  int frame_ = 0;
  int sizeOffset_ = 0;
  bool pressed_ = false;
  PicturePlace place_;
};

}  // namespace velmora
