// The watch over the listed folders: the system's change notices, read on a thread of its
// own, gathered into one batch, and handed to the window once the folder has been quiet for
// a moment (or a burst has gone on for a while), never once per file.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "browse/listing_changes.h"

namespace velmora {

class FolderWatcher {
 public:
  struct Timing {
    unsigned quietMs = 150;
    unsigned maxDelayMs = 700;
    // Past this many names in one batch the listing is read again instead.
    std::size_t nameLimit = ChangeBatch::kDefaultNameLimit;
    // After a burst of at least this many notices the listing is read again once it is quiet:
    // the system may drop a few notices of a burst without saying so.
    std::size_t burstReread = 256;
  };

  // When a batch is ready and the one before has been taken, posts message to window with
  // wParam = id.
  FolderWatcher(HWND window, UINT message, unsigned id);
  ~FolderWatcher();
  FolderWatcher(const FolderWatcher&) = delete;
  FolderWatcher& operator=(const FolderWatcher&) = delete;

  // Watches each folder (with its sub-folders when subtree). False, and nothing watched,
  // when any of them cannot be watched, as a network folder without notices.
  bool Start(const std::vector<std::string>& folders, bool subtree, Timing timing);
  // Ends the thread; no message is posted afterwards.
  void Stop();
  // How the message is posted (PostMessageW); tests make it fail. Set before Start.
  using Poster = std::function<bool(HWND window, UINT message, WPARAM id)>;
  void SetPoster(Poster poster) { poster_ = std::move(poster); }
  // Everything gathered so far; the next change posts again.
  ChangeBatch Take();
  unsigned id() const { return id_; }

 private:
  struct Watch {
    HANDLE directory = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
    OVERLAPPED overlapped = {};
    std::vector<DWORD> buffer;
  };
  static DWORD WINAPI Run(void* self);
  void Loop();
  bool Read(Watch& watch);
  // The number of notices gathered.
  std::size_t Gather(const Watch& watch, DWORD bytes);
  void Close();
  // Posts the message; false when it could not be posted.
  bool Post() const;
  // A batch whose message could not be posted is handed over again later: until then it
  // is not taken, so the watch must not count it as posted.
  void PostFailed();
  // The last message of a watch that ends on its own, posted until it goes through.
  void PostUntilTaken();

  HWND window_;
  UINT message_;
  Poster poster_;
  unsigned id_;
  bool subtree_ = false;
  Timing timing_;
  std::vector<Watch> watches_;
  HANDLE stop_ = nullptr;
  HANDLE thread_ = nullptr;
  SRWLOCK lock_ = SRWLOCK_INIT;
  ChangeBatch batch_;         // under lock_
  bool posted_ = false;       // under lock_
  unsigned long long firstChange_ = 0, lastChange_ = 0;  // the thread's own
  std::size_t burstNotices_ = 0;                          // the thread's own: since it was last quiet
};

}  // namespace velmora
