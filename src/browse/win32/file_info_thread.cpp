#include "browse/win32/file_info_thread.h"

#include "win32/thread_stack.h"

namespace velmora {

namespace {
// Long enough for the window to take a click or a key; short against a listing's completion.
constexpr DWORD kPauseMs = 5;
}  // namespace

TFileInfoThread::TFileInfoThread(HWND window, UINT workMessage, UINT doneMessage, unsigned id)
    : window_(window), workMessage_(workMessage), doneMessage_(doneMessage), id_(id) {}

TFileInfoThread::~TFileInfoThread() {
  if (thread_) {
    StopAndWait();
    CloseHandle(thread_);
  }
}

bool TFileInfoThread::Start() {
  thread_ = CreateThread(nullptr, 0, &TFileInfoThread::Run, this, CREATE_SUSPENDED, nullptr);
  if (!thread_) return false;
  ResumeThread(thread_);
  return true;
}

DWORD WINAPI TFileInfoThread::Run(void* param) {
  GiveBackUnusedStack();
  auto* self = static_cast<TFileInfoThread*>(param);
  for (int step = 0; !self->finished.load(); ++step) {
    // Sent, not posted: the worker waits until the item has run on the interface thread.
    DWORD_PTR answer = kDone;
    if (!SendMessageTimeoutA(self->window_, self->workMessage_, static_cast<WPARAM>(step),
                             static_cast<LPARAM>(self->id_), SMTO_NORMAL, INFINITE, &answer) ||
        answer == static_cast<DWORD_PTR>(kDone))
      break;
    if (answer == static_cast<DWORD_PTR>(kLater)) {
      // The window gets to its queue while this thread is off it; the item is asked again.
      Sleep(kPauseMs);
      --step;
    }
  }
  PostMessageA(self->window_, self->doneMessage_, static_cast<WPARAM>(self->id_), 0);
  return 0;
}

bool TFileInfoThread::InterfaceHasMessagesWaiting() {
  return HIWORD(GetQueueStatus(QS_INPUT | QS_ALLPOSTMESSAGE | QS_HOTKEY)) != 0;
}

void TFileInfoThread::StopAndWait() {
  finished.store(true);
  if (!thread_) return;
  for (;;) {
    const DWORD r = MsgWaitForMultipleObjects(1, &thread_, FALSE, INFINITE, QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1) break;
    // Runs only the messages other threads sent; posted input waits for the loop.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace velmora
