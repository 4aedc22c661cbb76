// TColorProgressBar on screen: a child window that draws the bar's raster into an off-screen
// bitmap of its own size and copies it to the screen in one blit, so the bar never flickers.
#pragma once
#include <windows.h>

#include <cstdint>

#include "thumbs/color_progress_bar.h"
#include "win32/owned_handle.h"
#include "win32/window_object.h"

namespace velmora {

class ColorProgressBarWindow : public ChildWindow, public ProgressBarHost {
 public:
  static constexpr const char* kClassName = "TColorProgressBar";

  ColorProgressBarWindow() : bar_(this) {}

  // A visible child of parent; the bar takes the window's size (and follows it).
  bool Create(HWND parent, int id, int x, int y, int width, int height);

  // The properties; every setter repaints as the bar's rules say.
  TColorProgressBar& bar() { return bar_; }
  // Takes a copy of the font's description (also what WM_SETFONT does).
  void SetFont(HFONT font);

  void Invalidate() override;
  void RepaintNow() override;

 private:
  // Draws the bar at (0, 0) of dc.
  void Paint(HDC dc) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool EnsureBuffer(int width, int height);
  void FreeBuffer();
  HFONT FontFor(const BarFont& font);
  friend class GdiBarPainter;

  TColorProgressBar bar_;
  MemoryBitmap buffer_;
  std::uint32_t* bits_ = nullptr;
  int bufferWidth_ = 0;
  int bufferHeight_ = 0;
  OwnedFont font_;  // made from fontMadeFrom_
  BarFont fontMadeFrom_;
};

}  // namespace velmora
