// The child-window base: messages reach the object while both live, and whichever of the
// window and the object goes first, the other is left safe.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "win32/window_object.h"

namespace velmora {
namespace {

class Probe : public ChildWindow {
 public:
  bool Create(HWND parent) { return CreateChild("VelmoraChildProbe", parent, 7, WS_VISIBLE, 0, 0, 30, 20); }
  std::vector<UINT> seen;
  int painted = 0;

 private:
  void Paint(HDC dc) override {
    ++painted;
    RECT r = {0, 0, 30, 20};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
    seen.push_back(message);
    if (message != WM_USER) return false;
    result = 42;
    return true;
  }
};

class ChildWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 60, 40, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(parent);
  }
  void TearDown() override {
    if (IsWindow(parent)) DestroyWindow(parent);
  }
  HWND parent = nullptr;
};

TEST_F(ChildWindowTest, MessagesReachTheObjectAndPaintingCoversTheWhole) {
  Probe probe;
  ASSERT_TRUE(probe.Create(parent));
  EXPECT_EQ(GetDlgCtrlID(probe.hwnd()), 7);
  EXPECT_EQ(SendMessageA(probe.hwnd(), WM_USER, 0, 0), 42);
  EXPECT_EQ(SendMessageA(probe.hwnd(), WM_ERASEBKGND, 0, 0), 1);  // nothing erased under it
  EXPECT_NE(std::find(probe.seen.begin(), probe.seen.end(), static_cast<UINT>(WM_SIZE)), probe.seen.end());

  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 30, 20);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SetPixel(dc, 5, 5, RGB(255, 255, 255));
  SendMessageA(probe.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 0, 0));
  EXPECT_EQ(probe.painted, 1);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);

  // A second object of the same class registers nothing again.
  Probe second;
  EXPECT_TRUE(second.Create(parent));
}

TEST_F(ChildWindowTest, WhicheverGoesFirstTheOtherIsLeftSafe) {
  auto probe = std::make_unique<Probe>();
  ASSERT_TRUE(probe->Create(parent));
  const HWND child = probe->hwnd();
  probe.reset();
  EXPECT_FALSE(IsWindow(child));

  probe = std::make_unique<Probe>();
  ASSERT_TRUE(probe->Create(parent));
  DestroyWindow(parent);
  EXPECT_EQ(probe->hwnd(), nullptr);
  probe.reset();  // nothing left to destroy
}

}  // namespace
}  // namespace velmora
