#include "thumbs/color_progress_bar.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace velmora {

namespace {

// Float to pixel coordinate, truncating toward zero; far-off values are pinned so that the
// conversion stays defined (everything beyond the raster is clipped anyway).
int Trunc(float v) {
  if (!(v > -1e8f)) return -100000000;
  if (v > 1e8f) return 100000000;
  return static_cast<int>(v);
}

// Calls line(i, colour) for lines 0, 1, ... of a ramp across extent pixels (extent - 4 lines,
// at least one): from the start colour, less 84 per channel above 84, each line brighter by
// 150 / (extent / 2), each channel on its own until it would reach 255.
template <typename DrawLine>
void ColourRamp(int b, int g, int r, int extent, DrawLine line) {
  if (b > 84) b -= 84;
  if (g > 84) g -= 84;
  if (r > 84) r -= 84;
  float step = 150.0f / (static_cast<float>(extent) * 0.5f);
  if (step < 1.0f) step = 1.0f;
  float ob = 0.0f, og = 0.0f, orr = 0.0f;
  const int lines = std::max(extent - 4, 1);
  for (int i = 0; i < lines; ++i) {
    line(i, Rgb(Trunc(r + orr), Trunc(g + og), Trunc(b + ob)));
    if (b + ob + step < 255.0f) ob += step;
    if (g + og + step < 255.0f) og += step;
    if (r + orr + step < 255.0f) orr += step;
  }
}

}  // namespace

std::int64_t MulDiv64(std::int64_t a, std::int64_t b, std::int64_t c) {
  if (c == 0) return 0;
#ifdef __SIZEOF_INT128__
  const __int128 q = static_cast<__int128>(a) * b / c;
  if (q > INT64_MAX) return INT64_MAX;
  if (q < INT64_MIN) return INT64_MIN;
  return static_cast<std::int64_t>(q);
#else
  // Exact while a × b fits; beyond that close enough for a bar.
  const long double wide = static_cast<long double>(a) * b;
  if (wide < static_cast<long double>(INT64_MAX) && wide > static_cast<long double>(INT64_MIN)) {
    const std::int64_t p = a * b;
    return c == -1 ? (p == INT64_MIN ? INT64_MAX : -p) : p / c;
  }
  const long double q = wide / c;
  if (q >= static_cast<long double>(INT64_MAX)) return INT64_MAX;
  if (q <= static_cast<long double>(INT64_MIN)) return INT64_MIN;
  return static_cast<std::int64_t>(q);
#endif
}

void TColorProgressBar::SetSize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  Invalidate();
}

void TColorProgressBar::SetMin(std::int64_t value) {
  min_ = std::min(value, max_);
  if (position_ < min_) SetPosition(min_);
}

void TColorProgressBar::SetMax(std::int64_t value) {
  max_ = std::max(value, min_);
  if (max_ <= 0) max_ = 1;
  if (position_ > max_) SetPosition(max_);
  parValue_ = MulDiv64(position_, 100, max_);
}

void TColorProgressBar::SetPosition(std::int64_t value) {
  value = std::clamp(value, min_, max_);
  const std::int64_t before = GetPercentDone();
  if (value == position_) return;
  position_ = value;
  parValue_ = MulDiv64(value, 100, max_);
  if (GetPercentDone() != before && host_) host_->RepaintNow();
}

void TColorProgressBar::SetStep(int value) {
  step_ = (value < 0 || value > max_) ? static_cast<int>(std::min<std::int64_t>(max_, INT_MAX)) : value;
}

void TColorProgressBar::SetBlockCount(int value) {
  blockCount_ = (value > 0 && width_ / value > 0) ? value : 1;
  Invalidate();
}

void TColorProgressBar::SetBlockSpace(int value) {
  const int b = ((orientation_ == pbVertical ? height_ : width_) - 1) / blockCount_;
  if (value < b / 2) blockSpace_ = value;
  Invalidate();
}

void TColorProgressBar::SetLinePar(int value) {
  linePar_ = std::min(value, 100);
  Invalidate();
}

void TColorProgressBar::StepBy(std::int64_t delta) {
  std::int64_t target;
  if (delta > 0 && position_ > INT64_MAX - delta) target = INT64_MAX;
  else if (delta < 0 && position_ < INT64_MIN - delta) target = INT64_MIN;
  else target = position_ + delta;
  SetPosition(target);
}

std::int64_t TColorProgressBar::GetPercentDone() const {
  if (max_ == min_) return 0;
  const double done = (static_cast<double>(position_) - static_cast<double>(min_)) * 100.0 /
                      (static_cast<double>(max_) - static_cast<double>(min_));
  return static_cast<std::int64_t>(std::floor(done));
}

void TColorProgressBar::BarDraw(Raster& raster, BarPainter& painter) const {
  const int W = width_, H = height_;
  if (raster.width() != W || raster.height() != H) raster.Resize(W, H);
  if (W <= 0 || H <= 0) return;
  auto resolve = [&](Colour c) -> Colour {
    if ((c & 0xFF000000) == kSystemColour) return painter.SystemColour(static_cast<int>(c & 0xFFFFFF)) & 0xFFFFFF;
    return c & 0xFFFFFF;
  };
  const Colour box = resolve(boxColor_);
  const Colour bar = resolve(barColor_);
  raster.Fill(0, 0, W, H, box);

  if (max_ > 0 && position_ != 0) {
    // The ramp starts from the raw value's bytes, a system colour's index included.
    int r = RedOf(barColor_), g = GreenOf(barColor_), b = BlueOf(barColor_);
    if (r > 64) r -= 64;
    if (g > 64) g -= 64;
    if (b > 64) b -= 64;
    const int iw = W - 2 - (smooth_ ? 1 : 0) - 1;
    const int ih = H - 3;
    const float bw = static_cast<float>(iw) / static_cast<float>(blockCount_);
    const float bl = static_cast<float>(static_cast<double>(iw) * static_cast<double>(position_) /
                                        static_cast<double>(max_)) + (flat_ ? 1.0f : 0.0f);
    const float bh = static_cast<float>(ih) / static_cast<float>(blockCount_);
    const float vl = static_cast<float>(static_cast<double>(ih) * static_cast<double>(position_) /
                                        static_cast<double>(max_));
    const std::int64_t pct = MulDiv64(100, position_, max_);
    const bool ramp = barStyle_ == btGradetion;
    auto blockDone = [&](int j) { return 100LL * j / blockCount_ <= pct; };

    if (orientation_ == pbHorizontal) {
      if (smooth_) {
        float x = 2.0f;
        for (int j = 1; j <= blockCount_; ++j) {
          if (blockDone(j)) {
            const int left = Trunc(x), right = Trunc(x + bw - static_cast<float>(blockSpace_));
            if (ramp) DrawHorizontal(raster, b, g, r, left, right);
            else raster.Fill(left, 2, right, H - 2, bar);
          }
          x += bw;
        }
      } else if (ramp) {
        DrawHorizontal(raster, b, g, r, 2, Trunc(bl));
      } else {
        raster.Fill(2, 2, Trunc(bl), H - 2, bar);
      }
    } else {
      if (smooth_) {
        float y = static_cast<float>(H - 3);
        for (int j = 1; j <= blockCount_; ++j) {
          if (blockDone(j)) {
            const int top = Trunc(y - bh + static_cast<float>(blockSpace_)), bottom = Trunc(y);
            if (ramp) DrawVertical(raster, b, g, r, bottom, top);
            else raster.Fill(2, top, W - 2, bottom, bar);
          }
          y -= bh;
        }
      } else {
        const int top = Trunc(static_cast<float>(H) - vl);
        if (ramp) DrawVertical(raster, b, g, r, H - 3, top);
        else raster.Fill(2, top, W - 2, H - 3, bar);
      }
    }
  }

  if (flat_) {
    raster.Frame(0, 0, W, H, resolve(lineColor_));
  } else {
    const Colour dark = 0x505050, light = 0xFFFFFF;
    raster.Line(0, H - 1, 0, 0, dark);
    raster.Line(0, 0, W - 1, 0, dark);
    raster.Line(W - 1, 0, W - 1, H - 1, light);
    raster.Line(W - 1, H - 1, 0, H - 1, light);
    if (orientation_ == pbHorizontal) raster.Line(W - 2, 1, W - 2, H - 2, resolve(color_));
    else raster.Line(1, 1, W - 2, 1, resolve(color_));
  }

  if (lineParVisible_) {
    const Colour pen = resolve(lineParColor_);
    if (orientation_ == pbHorizontal) {
      const int m = static_cast<int>(std::max<std::int64_t>(static_cast<std::int64_t>(W - 1) * linePar_ / 100, -1));
      raster.Line(m, 1, m, 5, pen);
      raster.Line(m, H - 6, m, H - 2, pen);
    } else {
      const int m = static_cast<int>(std::max<std::int64_t>(static_cast<std::int64_t>(H - 1) * linePar_ / 100, -1));
      raster.Line(1, m, 5, m, pen);
      raster.Line(W - 6, m, W - 2, m, pen);
    }
  }

  if (max_ > 0 && textSwitch_ && position_ >= 0) {
    const std::string text = std::to_string(parValue_) + "%";
    int tw = 0, th = 0, unused = 0;
    painter.TextSize(text, font_, tw, unused);
    painter.TextSize("H", font_, unused, th);
    const int x = W / 2 - tw / 2, y = H / 2 - th / 2;
    if (shadow_) {
      painter.DrawText(raster, x + 1, y + 1, text, font_, bar);
      painter.DrawText(raster, x, y, text, font_, box);
    } else {
      painter.DrawText(raster, x, y, text, font_, resolve(font_.color));
    }
  }
}

void TColorProgressBar::DrawHorizontal(Raster& raster, int b, int g, int r, int left, int right) const {
  const int bottom = height_ - 3;
  ColourRamp(b, g, r, height_, [&](int i, Colour c) { raster.Line(left, bottom - i, right, bottom - i, c); });
}

void TColorProgressBar::DrawVertical(Raster& raster, int b, int g, int r, int bottom, int top) const {
  const int right = width_ - 3;
  ColourRamp(b, g, r, width_, [&](int i, Colour c) { raster.Line(right - i, top, right - i, bottom, c); });
}

}  // namespace velmora
