#include "win32/window_object.h"

namespace velmora {

ChildWindow::~ChildWindow() {
  if (hwnd_) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool ChildWindow::CreateChild(const char* className, HWND parent, int id, DWORD style, int x, int y, int width,
                              int height) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  if (!GetClassInfoA(instance, className, &wc)) {
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    if (!RegisterClassA(&wc)) return false;
  }
  CreateWindowExA(0, className, "", WS_CHILD | style, x, y, width, height, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this);
  return hwnd_ != nullptr;
}

bool ChildWindow::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT CALLBACK ChildWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = WindowObject<ChildWindow>(hwnd, message, lParam);
  if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCCREATE) self->hwnd_ = hwnd;
  LRESULT result = 0;
  if (HandleOwnPaint(hwnd, message, wParam, [self](HDC dc) { self->Paint(dc); }, result)) return result;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  } else if (self->OnMessage(message, wParam, lParam, result)) {
    return result;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace velmora
