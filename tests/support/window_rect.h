// Where a child window lies in its parent's client area (also across processes).
#pragma once
#include <windows.h>

namespace test_support {

inline RECT ChildRect(HWND parent, HWND child) {
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace test_support
