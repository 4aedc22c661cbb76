// Folder attributes for painting the tree. A local path is read at once, as before; a slow
// one (a network share, a remote, removable or optical drive) is answered from the cache,
// and when that has no fresh answer the path is read on a background thread, whose answer
// is posted to a window. Painting therefore never waits on the network.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "binders/folder_presence.h"

namespace velmora {

// True for paths whose reading may wait on a device or the network.
bool IsSlowPath(const std::string& path);

class FolderProbe {
 public:
  // The two platform calls, replaceable by tests: whether a path is slow, and its
  // attributes (INVALID_FILE_ATTRIBUTES when it cannot be read), which may block.
  struct Calls {
    std::function<bool(const std::string&)> isSlow;
    std::function<DWORD(const std::string&)> attributes;
  };
  static Calls PlatformCalls();

  FolderProbe();
  // Answers still under way are dropped; their threads end on their own.
  ~FolderProbe();
  FolderProbe(const FolderProbe&) = delete;
  FolderProbe& operator=(const FolderProbe&) = delete;

  void SetCalls(Calls calls);
  // Where the news that answers came is posted (message, no parameters).
  void SetNotify(HWND window, UINT message);

  // What is known of path now; may start a background check.
  FolderPresence Probe(const std::string& path);
  // On the posted message: takes in the answers that came; gives the paths whose presence
  // changed.
  std::vector<std::string> TakeAnswers();

 private:
  struct Shared;
  void StartCheck(const std::string& path);

  Calls calls_;
  FolderPresenceCache cache_;
  std::shared_ptr<Shared> shared_;
};

}  // namespace velmora
