// The worker that paces the completion of a listing's records: it hands one work item at a
// time to the user-interface thread and waits until it has run. It touches no record and
// calls no shell function itself.
#pragma once
#include <windows.h>

#include <atomic>

namespace velmora {

class TFileInfoThread {
 public:
  // Work items are sent to window as workMessage (wParam = step, lParam = id); the answer is
  // kMore while work remains, kDone at the end, kLater when the item was put off. The end is
  // posted as doneMessage with wParam = id.
  TFileInfoThread(HWND window, UINT workMessage, UINT doneMessage, unsigned id);
  ~TFileInfoThread();
  TFileInfoThread(const TFileInfoThread&) = delete;
  TFileInfoThread& operator=(const TFileInfoThread&) = delete;

  static constexpr LRESULT kDone = 0, kMore = 1, kLater = 2;
  // For the window, before it runs an item: true when the user's input or posted messages are
  // waiting. Sent items come before those in the queue, so an item sent the moment the last
  // one was answered would keep a click waiting until the whole listing is complete.
  static bool InterfaceHasMessagesWaiting();

  bool Start();
  // Asks the thread to stop after the item in hand and waits for it to end, meanwhile
  // running the item it may already have handed over; otherwise both would wait forever.
  void StopAndWait();
  unsigned id() const { return id_; }

  std::atomic<bool> finished{false};

 private:
  static DWORD WINAPI Run(void* self);

  HWND window_;
  UINT workMessage_;
  UINT doneMessage_;
  unsigned id_;
  HANDLE thread_ = nullptr;
};

}  // namespace velmora
