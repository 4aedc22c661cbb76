#include "support/companion_window.h"

namespace test_support {

CompanionWindow::CompanionWindow(const char* cls) : cls_(cls) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = cls;
  RegisterClassA(&wc);
  hwnd_ = CreateWindowExA(0, cls, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CompanionWindow::~CompanionWindow() {
  DestroyWindow(hwnd_);
  // Fails while another window of the class lives; the class then stays for it.
  UnregisterClassA(cls_, GetModuleHandleA(nullptr));
}

LRESULT CompanionWindow::SendFrom(HWND from, HWND to, ULONG_PTR code, const void* data, DWORD size) {
  COPYDATASTRUCT cds = {code, size, const_cast<void*>(data)};
  DWORD_PTR result = 0;
  SendMessageTimeoutA(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL,
                      60000, &result);
  return static_cast<LRESULT>(result);
}

LRESULT CALLBACK CompanionWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<CompanionWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_COPYDATA && self) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    self->codes.push_back(data->dwData);
    self->replies.emplace_back(static_cast<const char*>(data->lpData), data->cbData);
    self->senders.push_back(reinterpret_cast<HWND>(wp));
    return 1;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace test_support
