#include "about/picture_animation.h"

#include <algorithm>
#include <chrono>

namespace velmora {

ClockSeededRandom::ClockSeededRandom()
    : engine_(static_cast<std::uint_fast32_t>(std::chrono::steady_clock::now().time_since_epoch().count())) {}

int ClampJumpXY(int jumpXY) { return std::clamp(jumpXY, 0, kMaxJumpXY); }

int ClampStretchMax(int stretchMax) { return std::clamp(stretchMax, 0, kMaxStretch); }

int JitterOffset(int jumpXY, std::uint32_t random) {
  if (jumpXY <= 0) return 0;
  int r = static_cast<int>(random % static_cast<std::uint32_t>(jumpXY));
  if (r > jumpXY / 2) r -= jumpXY;
  return r;
}

int DriftSizeOffset(int sizeOffset, int stretchMax, std::uint32_t random) {
  const std::uint32_t r = random % 10;
  if (r > 5 && sizeOffset < stretchMax) return sizeOffset + 1;
  if (r <= 4 && sizeOffset > -stretchMax) return sizeOffset - 1;
  return sizeOffset;
}

PictureAnimation::PictureAnimation(int homeLeft, int homeTop, int jumpXY, int stretchMax, RandomSource& random)
    : homeLeft_(homeLeft),
      homeTop_(homeTop),
      jumpXY_(ClampJumpXY(jumpXY)),
      stretchMax_(ClampStretchMax(stretchMax)),
      random_(random) {
  place_.left = homeLeft;
  place_.top = homeTop;
}

int PictureAnimation::Tick() {
  const int drawn = frame_;
  frame_ = 1 - frame_;
  if (frame_ == 1) {
    place_.left = homeLeft_ + JitterOffset(jumpXY_, random_.Next());
    place_.top = homeTop_ + JitterOffset(jumpXY_, random_.Next());
  } else {
    sizeOffset_ = DriftSizeOffset(sizeOffset_, stretchMax_, random_.Next());
  }
  place_.size = kPictureSize + sizeOffset_;
  return drawn;
}

void PictureAnimation::PictureMouseMove() {
  if (!pressed_) sizeOffset_ = kHoverSizeOffset;
}

void PictureAnimation::PictureMouseDown() {
  sizeOffset_ = kPressedSizeOffset;
  pressed_ = true;
}

}  // namespace velmora
