#include "thumbs/win32/thumbnail_mode.h"

namespace velmora {

void ThumbnailMode::SetUp(HWND notify, UINT completeMessage, const ShellContext& shell, int cellWidth,
                          int cellHeight, HIMAGELIST systemLarge) {
  notify_ = notify;
  completeMessage_ = completeMessage;
  pass_.SetUp(shell, cellWidth, cellHeight, systemLarge);
}

void ThumbnailMode::Run(bool fresh) {
  bool completed = false;
  // A pass that does not complete (stopped, or an exception) leaves thumbnail mode, unless a
  // listing already has: the list keeps usable icons and the pass can be started again.
  struct Leave {
    ThumbnailMode& mode;
    const bool& completed;
    ~Leave() {
      mode.restart_ = false;
      if (!completed && mode.window_.InThumbnailMode()) mode.window_.LeaveThumbnailMode();
    }
  } leave{*this, completed};
  for (;;) {
    restart_ = false;
    if (fresh) window_.EnterThumbnailMode();
    const bool highQuality = window_.HighQualityChecked();
    completed = !(fresh ? pass_.MakeThumbnails(highQuality) : pass_.CompleteThumbnails(highQuality));
    // The quality switched during the pass: it starts over with the new one.
    if (completed || !restart_ || !window_.InThumbnailMode()) break;
    if (!fresh) window_.LeaveThumbnailMode();
    fresh = true;
  }
  if (completed && fresh) window_.ShowThumbnails(pass_.images());
  if (!pass_.running()) window_.ThumbnailPassEnded();
}

void ThumbnailMode::Start() {
  if (busy()) return;
  // A pass stopped by a listing or a change of view may still be unwinding (its message pump
  // runs this press): it starts over once it has, as after a change of quality.
  if (pass_.running()) {
    window_.EnterThumbnailMode();
    restart_ = true;
    return;
  }
  Run(true);
}

void ThumbnailMode::RowsWantThumbnails() {
  // A pass under way takes them in its next sweep; after one, they get theirs as it would.
  if (pass_.running() || posted_) return;
  posted_ = true;
  PostMessageA(notify_, completeMessage_, 0, 0);
}

void ThumbnailMode::CompletePosted() {
  posted_ = false;
  if (window_.InThumbnailMode() && !pass_.running()) Run(false);
}

void ThumbnailMode::HighQualityChanged() {
  if (!window_.InThumbnailMode()) return;
  if (pass_.running()) {
    restart_ = true;
    return;
  }
  window_.LeaveThumbnailMode();
  Run(true);
}

void ThumbnailMode::PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // For the outer loop, which ends the program once the pass has returned.
      quitSeen_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (window_.PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace velmora
