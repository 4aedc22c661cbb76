#include "win32/modal_loop.h"

namespace velmora {

bool RunModalLoop(HWND window, HWND owner, const std::function<void()>& show, const std::function<bool()>& ended) {
  const bool disableOwner = owner && IsWindowEnabled(owner);
  if (disableOwner) EnableWindow(owner, FALSE);
  show();
  bool running = true;
  while (!ended()) {
    MSG msg;
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      running = false;
      break;
    }
    if (!IsDialogMessageA(window, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (disableOwner && IsWindow(owner)) EnableWindow(owner, TRUE);
  return running;
}

}  // namespace velmora
