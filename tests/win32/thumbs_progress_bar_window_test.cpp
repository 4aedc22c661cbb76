// The progress bar window: what it puts on screen is the raster, in one blit, and a step
// that changes the percentage shows before the call returns.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "thumbs/win32/color_progress_bar_window.h"
#include "thumbs/win32/raster_bitmap.h"

namespace velmora {
namespace {

constexpr int kW = 89, kH = 12;

// No text: the system colours only.
class SystemColours : public BarPainter {
 public:
  Colour SystemColour(int index) override { return GetSysColor(index); }
  void TextSize(const std::string&, const BarFont&, int& w, int& h) override { w = h = 0; }
  void DrawText(Raster&, int, int, const std::string&, const BarFont&, Colour) override {}
};

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Pump();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

class ProgressBarWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VelmoraBarTestParent";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassA(&wc);
    parent_ = CreateWindowExA(0, wc.lpszClassName, "bar", WS_POPUP | WS_VISIBLE, 40, 40, 200, 60, nullptr,
                              nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(parent_);
    ASSERT_TRUE(window_.Create(parent_, 100, 10, 10, kW, kH));
    TColorProgressBar& bar = window_.bar();
    bar.SetMax(100);
    bar.SetSmooth(true);
    bar.SetBoxColor(0xFFFFFF);
    bar.SetBarColor(2342478);
    bar.SetLineColor(0x808080);
    bar.SetFlat(true);
    Pump();
  }
  void TearDown() override {
    if (parent_) DestroyWindow(parent_);
    Pump();
  }

  // What the window draws, through WM_PRINTCLIENT into a bitmap of its size.
  Raster Printed() {
    Raster blank(kW, kH);
    blank.Fill(0, 0, kW, kH, 0x00FF00);
    HBITMAP bitmap = CreateBitmapFromRaster(blank);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageA(window_.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SelectObject(dc, old);
    DeleteDC(dc);
    Raster out;
    EXPECT_TRUE(RasterFromBitmap(bitmap, out));
    DeleteObject(bitmap);
    return out;
  }

  HWND parent_ = nullptr;
  ColorProgressBarWindow window_;
};

TEST_F(ProgressBarWindowTest, DrawsExactlyTheRaster) {
  for (int position : {0, 35, 100}) {
    window_.bar().SetPosition(position);
    Raster expected;
    SystemColours colours;
    window_.bar().BarDraw(expected, colours);
    const Raster got = Printed();
    ASSERT_EQ(got.width(), kW);
    ASSERT_EQ(got.height(), kH);
    int wrong = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) wrong += got.At(x, y) != expected.At(x, y);
    EXPECT_EQ(wrong, 0) << "position " << position;
  }
  // Follows the window's size.
  SetWindowPos(window_.hwnd(), nullptr, 0, 0, 120, 16, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(window_.bar().Width(), 120);
  EXPECT_EQ(window_.bar().Height(), 16);
  SetWindowPos(window_.hwnd(), nullptr, 0, 0, kW, kH, SWP_NOMOVE | SWP_NOZORDER);
}

TEST_F(ProgressBarWindowTest, PercentageTextIsDrawnInTheMiddle) {
  window_.bar().SetTextSwitch(true);
  window_.bar().SetPosition(42);
  const Raster got = Printed();
  const Colour text = GetSysColor(COLOR_WINDOWTEXT);
  int inside = 0, outside = 0;
  for (int y = 1; y < kH - 1; ++y) {
    for (int x = 1; x < kW - 1; ++x) {
      if (got.At(x, y) != text) continue;
      (x >= 25 && x < 64 ? inside : outside)++;
    }
  }
  EXPECT_GT(inside, 10);
  EXPECT_EQ(outside, 0);
}

TEST_F(ProgressBarWindowTest, AStepThatChangesThePercentageIsOnScreenAtOnce) {
  ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(window_.hwnd(), nullptr, FALSE); }));
  window_.bar().SetMax(1000);
  window_.bar().SetPosition(0);
  Pump();
  // No message runs between the step and the check: the repaint happened inside the call.
  HDC dc = GetDC(window_.hwnd());
  const COLORREF before = GetPixel(dc, 4, 5);
  window_.bar().StepBy(5);  // 0%: nothing to repaint
  EXPECT_EQ(GetPixel(dc, 4, 5), before);
  window_.bar().StepBy(95);  // 10%: the first block
  EXPECT_EQ(GetPixel(dc, 4, 5), 0x23BE4Eu);
  EXPECT_FALSE(GetUpdateRect(window_.hwnd(), nullptr, FALSE));
  ReleaseDC(window_.hwnd(), dc);
  EXPECT_EQ(before, 0xFFFFFFu);

  // Other setters only ask for a repaint.
  window_.bar().SetBarColor(0x0000FF);
  EXPECT_TRUE(GetUpdateRect(window_.hwnd(), nullptr, FALSE));
}

TEST(RasterBitmap, RoundTripsThroughGdi) {
  Raster r(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) r.Set(x, y, Rgb(x * 50, y * 100, 7));
  HBITMAP bitmap = CreateBitmapFromRaster(r);
  ASSERT_TRUE(bitmap);
  Raster back;
  ASSERT_TRUE(RasterFromBitmap(bitmap, back));
  DeleteObject(bitmap);
  ASSERT_EQ(back.width(), 5);
  ASSERT_EQ(back.height(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(back.At(x, y), r.At(x, y));
  EXPECT_FALSE(CreateBitmapFromRaster(Raster()));
  EXPECT_FALSE(RasterFromBitmap(nullptr, back));
}

}  // namespace
}  // namespace velmora
