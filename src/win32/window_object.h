// The object behind a window of one of the program's own classes: handed over as the
// creation parameter with WM_NCCREATE and kept in the window's user data from then on.
#pragma once
#include <windows.h>

namespace velmora {

// The window's object, or null for the messages that come before WM_NCCREATE.
template <class T>
T* WindowObject(HWND hwnd, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    return self;
  }
  return reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// The paint messages of a window whose drawing covers every pixel: no erasing, and both
// WM_PAINT and WM_PRINTCLIENT drawn by paint(dc). True when the message was one of them.
template <class Paint>
bool HandleOwnPaint(HWND hwnd, UINT message, WPARAM wParam, Paint paint, LRESULT& result) {
  switch (message) {
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      paint(dc);
      EndPaint(hwnd, &ps);
      result = 0;
      return true;
    }
    case WM_PRINTCLIENT:
      paint(reinterpret_cast<HDC>(wParam));
      result = 0;
      return true;
    default:
      return false;
  }
}

// A child window of one of the program's own classes, drawn whole by its object: the class
// registered once, the messages reaching the object until either of the two goes first.
class ChildWindow {
 public:
  ChildWindow(const ChildWindow&) = delete;
  ChildWindow& operator=(const ChildWindow&) = delete;
  HWND hwnd() const { return hwnd_; }

 protected:
  ChildWindow() = default;
  // The window goes with the object, its last messages no longer reaching it.
  virtual ~ChildWindow();
  bool CreateChild(const char* className, HWND parent, int id, DWORD style, int x, int y, int width, int height);
  // The whole client area, for WM_PAINT and WM_PRINTCLIENT; nothing is erased first.
  virtual void Paint(HDC dc) = 0;
  // The messages other than painting; those not taken go to DefWindowProc.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

}  // namespace velmora
