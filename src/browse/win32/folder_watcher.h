// The watch over the listed folders: the system's change notices, read on a thread of its
// own, gathered into one batch, and handed to the window once the folder has been quiet for
// a moment (or a burst has gone on for a while), never once per file. Opening the folders
// and ending the watch happen on that thread too: both may wait on a slow or hung drive.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
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

  // Watches each folder (with its sub-folders when subtree), from a thread of its own. When
  // any of them cannot be watched, as a network folder without notices, nothing is watched:
  // failed() turns true and the message is posted. False when no thread could start.
  bool Start(const std::vector<std::string>& folders, bool subtree, Timing timing);
  // Tells the thread to end and lets it go, without waiting for it; a message it posts
  // meanwhile carries an id the window no longer knows.
  void Stop();
  // How the message is posted (PostMessageW); tests make it fail. Set before Start.
  using Poster = std::function<bool(HWND window, UINT message, WPARAM id)>;
  void SetPoster(Poster poster);
  // Everything gathered so far; the next change posts again.
  ChangeBatch Take();
  bool failed() const;
  // Every folder is open and its notices are being read.
  bool armed() const;
  unsigned id() const { return id_; }

 private:
  struct Shared;
  // The thread; held is a heap std::shared_ptr<Shared> it takes over.
  static DWORD WINAPI Run(void* held);
  std::shared_ptr<Shared> shared_;
  unsigned id_;
};

}  // namespace velmora
