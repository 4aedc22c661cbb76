// The owning handles: each handle is given back exactly once, by whoever holds it last, and
// a DC gets its earlier object back before the DC or the selected object is freed.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

#include "win32/owned_handle.h"

namespace velmora {
namespace {

HFONT MakeFont() { return CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"); }
bool Alive(HGDIOBJ object) { return GetObjectType(object) != 0; }

TEST(OwnedHandleTest, TheLastHolderFreesOnceAndResetAndReleaseHandOver) {
  const HFONT first = MakeFont();
  const HFONT second = MakeFont();
  {
    OwnedFont a(first);
    OwnedFont b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), first);
    b.Reset(first);  // the same handle again is kept, not freed
    EXPECT_TRUE(Alive(first));
    a = OwnedFont(second);
    a = std::move(b);  // the held font goes, the moved one stays
    EXPECT_FALSE(Alive(second));
    EXPECT_TRUE(Alive(first));
    EXPECT_EQ(a.Release(), first);
    EXPECT_FALSE(a);
  }
  EXPECT_TRUE(Alive(first));  // released: freed by no holder
  { OwnedFont again(first); }
  EXPECT_FALSE(Alive(first));

  EXPECT_FALSE(FindHandle(INVALID_HANDLE_VALUE));  // a failed search owns nothing
}

TEST(OwnedHandleTest, SelectedObjectsAreRestoredBeforeTheirOwnersFree) {
  const HDC screen = GetDC(nullptr);
  OwnedDc dc(CreateCompatibleDC(screen));
  const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_FONT);
  const HFONT font = MakeFont();
  {
    OwnedFont owner(font);
    const SelectedObject selected(dc.get(), font);
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), font);
  }
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), original);
  EXPECT_FALSE(Alive(font));

  // A memory bitmap frees its bitmap too: a bitmap still selected into a DC could not be.
  MemoryBitmap canvas;
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
  canvas.Hold(screen, bitmap);
  EXPECT_EQ(GetCurrentObject(canvas.dc.get(), OBJ_BITMAP), bitmap);
  canvas.Reset();
  EXPECT_FALSE(Alive(bitmap));
  EXPECT_FALSE(canvas);
  ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace velmora
