// TColorProgressBar: the self-drawn progress bar's properties, their rules and its drawing
// into an off-screen raster. The window that shows it lives in win32/.
#pragma once
#include <cstdint>
#include <string>

#include "thumbs/raster.h"

namespace velmora {

constexpr Colour kSystemColour = 0x80000000;
constexpr Colour kClBtnFace = kSystemColour + 15;
constexpr Colour kClHighlight = kSystemColour + 13;
constexpr Colour kClWindowText = kSystemColour + 8;

enum TProgressBarOrientation { pbHorizontal, pbVertical };
enum PAINTTYPE { btSolid, btGradetion };

// The text font as the platform builds it: an empty name and height 0 mean the system's
// interface font; height is the platform's font height (negative: character height in pixels).
struct BarFont {
  std::string name;
  int height = 0;
  bool bold = false;
  bool italic = false;
  Colour color = kClWindowText;

  bool operator==(const BarFont& o) const {
    return name == o.name && height == o.height && bold == o.bold && italic == o.italic && color == o.color;
  }
  bool operator!=(const BarFont& o) const { return !(*this == o); }
};

// What drawing needs from the platform: system colours and text.
class BarPainter {
 public:
  virtual ~BarPainter() = default;
  virtual Colour SystemColour(int index) = 0;
  virtual void TextSize(const std::string& text, const BarFont& font, int& width, int& height) = 0;
  // Transparent background; colour is already resolved.
  virtual void DrawText(Raster& raster, int x, int y, const std::string& text, const BarFont& font,
                        Colour colour) = 0;
};

// The window showing the bar: repaint some time soon, or before returning.
class ProgressBarHost {
 public:
  virtual ~ProgressBarHost() = default;
  virtual void Invalidate() = 0;
  virtual void RepaintNow() = 0;
};

// a × b / c truncated toward zero, without overflowing on the way; saturates at the int64 range.
std::int64_t MulDiv64(std::int64_t a, std::int64_t b, std::int64_t c);

class TColorProgressBar {
 public:
  explicit TColorProgressBar(ProgressBarHost* host = nullptr) : host_(host) {}

  // The control's size in pixels (created 150 × 16).
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int width, int height);

  std::int64_t Min() const { return min_; }
  std::int64_t Max() const { return max_; }
  std::int64_t Position() const { return position_; }
  int Step() const { return step_; }
  int BlockCount() const { return blockCount_; }
  std::int64_t ParValue() const { return parValue_; }
  int BlockSpace() const { return blockSpace_; }
  int LinePar() const { return linePar_; }
  const BarFont& Font() const { return font_; }

  // Min and Max keep Min <= Max and Max >= 1 and do not repaint. Position is kept inside the
  // range: a bound that moves past it takes it along (through SetPosition).
  void SetMin(std::int64_t value);
  void SetMax(std::int64_t value);
  // Clamped into Min..Max; repaints at once, but only when the whole percentage changes.
  void SetPosition(std::int64_t value);
  // Below 0 or above Max gives Max.
  void SetStep(int value);
  // 1 when Width / value is not positive.
  void SetBlockCount(int value);
  // Kept only below half a block; repaints either way.
  void SetBlockSpace(int value);
  // At most 100.
  void SetLinePar(int value);
  void SetSmooth(bool value) { Store(smooth_, value); }
  void SetOrientation(TProgressBarOrientation value) { Store(orientation_, value); }
  void SetBoxColor(Colour value) { Store(boxColor_, value); }
  void SetBarColor(Colour value) { Store(barColor_, value); }
  void SetLineColor(Colour value) { Store(lineColor_, value); }
  void SetLineParColor(Colour value) { Store(lineParColor_, value); }
  void SetBarStyle(PAINTTYPE value) { Store(barStyle_, value); }
  void SetShadow(bool value) { Store(shadow_, value); }
  void SetTextSwitch(bool value) { Store(textSwitch_, value); }
  void SetFlat(bool value) { Store(flat_, value); }
  void SetLineParVisible(bool value) { Store(lineParVisible_, value); }
  void SetFont(const BarFont& value) { Store(font_, value); }

  void StepIt() { StepBy(step_); }
  void StepBy(std::int64_t delta);
  std::int64_t GetPercentDone() const;

  // Draws the whole control into raster, which is sized to the control when it owns its
  // pixels (a raster over borrowed pixels must have the control's size already).
  void BarDraw(Raster& raster, BarPainter& painter) const;

 private:
  template <typename T>
  void Store(T& field, const T& value) {
    field = value;
    Invalidate();
  }
  void Invalidate() {
    if (host_) host_->Invalidate();
  }
  void DrawHorizontal(Raster& raster, int b, int g, int r, int left, int right) const;
  void DrawVertical(Raster& raster, int b, int g, int r, int bottom, int top) const;

  ProgressBarHost* host_;
  int width_ = 150;
  int height_ = 16;
  std::int64_t min_ = 0;
  std::int64_t max_ = 100;
  std::int64_t position_ = 0;
  int step_ = 10;
  bool smooth_ = false;
  TProgressBarOrientation orientation_ = pbHorizontal;
  int blockCount_ = 10;
  std::int64_t parValue_ = 0;
  int blockSpace_ = 1;
  bool shadow_ = false;
  Colour boxColor_ = kClBtnFace;
  Colour barColor_ = kClHighlight;
  Colour lineColor_ = kClBtnFace;
  Colour lineParColor_ = 0x0000FF;
  PAINTTYPE barStyle_ = btSolid;
  bool textSwitch_ = false;
  bool flat_ = false;
  bool lineParVisible_ = false;
  int linePar_ = 50;
  BarFont font_;
  Colour color_ = kClBtnFace;
};

// The look of the main window's bar on the tool bar: Max 100, ten blocks, white box, green
// bar, flat grey frame; everything else as created. Leaves the size alone.
constexpr int kThumbnailBarWidth = 89;
constexpr int kThumbnailBarHeight = 12;
void ApplyThumbnailBarLook(TColorProgressBar& bar);

}  // namespace velmora
