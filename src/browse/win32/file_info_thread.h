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
  // non-zero while work remains. The end is posted as doneMessage with wParam = id.
  TFileInfoThread(HWND window, UINT workMessage, UINT doneMessage, unsigned id);
  ~TFileInfoThread();
  TFileInfoThread(const TFileInfoThread&) = delete;
  TFileInfoThread& operator=(const TFileInfoThread&) = delete;

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
