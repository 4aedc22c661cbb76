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

}  // namespace velmora
