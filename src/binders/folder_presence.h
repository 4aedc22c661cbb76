// What the tree knows about registered folders on slow paths (network shares, remote and
// removable drives), where asking can take the network's whole time-out. The window paints
// from the last answer and has a check made elsewhere only when there is none yet or it is
// older than a few seconds, so painting never waits and a path is not asked about again
// and again.
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>

namespace velmora {

struct FolderPresence {
  bool known = false;            // an answer has come
  bool found = false;            // the path could be read
  std::uint32_t attributes = 0;  // its attributes then
};

// Drawn in the missing colour: known to be absent, or no folder.
bool IsMissingFolder(const FolderPresence& presence);
// Ghosted by the tree's rule, once the attributes are known.
bool IsGhostedPresence(const std::string& path, const FolderPresence& presence);

class FolderPresenceCache {
 public:
  using Clock = std::chrono::steady_clock;
  // How long an answer stands before the path is asked about again.
  static constexpr std::chrono::seconds kFreshFor{5};

  explicit FolderPresenceCache(Clock::duration freshFor = kFreshFor) : freshFor_(freshFor) {}

  // What is known of path at now. startCheck is set when the caller is to start a check: no
  // answer yet, or a stale one, and no check under way.
  FolderPresence Look(const std::string& path, Clock::time_point now, bool& startCheck);
  // A check's answer; true when it changes what is known.
  bool Answer(const std::string& path, bool found, std::uint32_t attributes, Clock::time_point now);

 private:
  struct Entry {
    FolderPresence presence;
    Clock::time_point answeredAt;
    bool checking = false;
  };
  std::unordered_map<std::string, Entry> entries_;
  Clock::duration freshFor_;
};

// Whether a drive letter's paths are slow, asked of the system once per letter while the
// answer is fresh: the question is far dearer than a folder's own look-up, and the tree
// asks it for every folder node it inserts or paints.
class DriveKindCache {
 public:
  using Clock = std::chrono::steady_clock;

  explicit DriveKindCache(std::function<bool(char letter)> isSlowDrive,
                          Clock::duration freshFor = FolderPresenceCache::kFreshFor)
      : isSlowDrive_(std::move(isSlowDrive)), freshFor_(freshFor) {}

  // Letters are told apart without regard to case.
  bool IsSlow(char letter, Clock::time_point now);

 private:
  struct Entry {
    bool slow;
    Clock::time_point askedAt;
  };
  std::function<bool(char)> isSlowDrive_;
  Clock::duration freshFor_;
  std::unordered_map<char, Entry> entries_;
};

}  // namespace velmora
