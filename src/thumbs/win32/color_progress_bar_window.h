// TColorProgressBar on screen: a child window that draws the bar's raster into an off-screen
// bitmap of its own size and copies it to the screen in one blit, so the bar never flickers.
#pragma once
#include <windows.h>

#include <cstdint>

#include "thumbs/color_progress_bar.h"

namespace velmora {

class ColorProgressBarWindow : public ProgressBarHost {
 public:
  static constexpr const char* kClassName = "TColorProgressBar";

  ColorProgressBarWindow() : bar_(this) {}
  ~ColorProgressBarWindow() override;
  ColorProgressBarWindow(const ColorProgressBarWindow&) = delete;
  ColorProgressBarWindow& operator=(const ColorProgressBarWindow&) = delete;

  // A visible child of parent; the bar takes the window's size (and follows it).
  bool Create(HWND parent, int id, int x, int y, int width, int height);
  HWND hwnd() const { return hwnd_; }

  // The properties; every setter repaints as the bar's rules say.
  TColorProgressBar& bar() { return bar_; }
  // Takes a copy of the font's description (also what WM_SETFONT does).
  void SetFont(HFONT font);
  // Draws the bar at (0, 0) of dc, as WM_PAINT and WM_PRINTCLIENT do.
  void PaintTo(HDC dc);

  void Invalidate() override;
  void RepaintNow() override;

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool EnsureBuffer(int width, int height);
  void FreeBuffer();
  HFONT FontFor(const BarFont& font);
  friend class GdiBarPainter;

  HWND hwnd_ = nullptr;
  TColorProgressBar bar_;
  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  int bufferWidth_ = 0;
  int bufferHeight_ = 0;
  HFONT font_ = nullptr;  // made from fontMadeFrom_, owned
  BarFont fontMadeFrom_;
};

}  // namespace velmora
