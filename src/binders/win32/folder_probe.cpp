#include "binders/win32/folder_probe.h"

#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "text/cp932.h"
#include "win32/strings.h"

namespace velmora {

namespace {
// Checks at once at most: one unreachable share does not hold up the others.
constexpr int kMaxCheckThreads = 4;

struct Answer {
  std::string path;
  DWORD attributes;
};
}  // namespace

// What the window's thread and the check threads share; the threads hold it alive.
struct FolderProbe::Shared {
  std::mutex lock;
  std::deque<std::string> queue;
  std::vector<Answer> answers;
  std::function<DWORD(const std::string&)> attributes;
  HWND notify = nullptr;
  UINT message = 0;
  bool posted = false;  // a notice is on its way; later answers ride with it
  int threads = 0;
};

namespace {
bool IsSlowDrive(char letter) {
  const char root[] = {letter, ':', '\\', 0};
  switch (GetDriveTypeA(root)) {
    case DRIVE_REMOTE:
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM:
    case DRIVE_UNKNOWN:
      return true;
    default:
      return false;  // fixed and RAM drives, and letters no drive has, answer at once
  }
}

bool IsSlowPathOn(const std::string& path, const std::function<bool(char)>& isSlowDrive) {
  if (IsNetworkPath(path)) return true;
  if (path.size() < 2 || path[1] != ':') return false;
  return isSlowDrive(path[0]);
}
}  // namespace

bool IsSlowPath(const std::string& path) { return IsSlowPathOn(path, &IsSlowDrive); }

FolderProbe::Calls FolderProbe::PlatformCalls() {
  // The drive's kind is kept for a few seconds, as the answers about slow folders are.
  auto drives = std::make_shared<DriveKindCache>(&IsSlowDrive);
  return {[drives](const std::string& path) {
            return IsSlowPathOn(path, [&](char letter) { return drives->IsSlow(letter, DriveKindCache::Clock::now()); });
          },
          [](const std::string& path) { return GetFileAttributesW(AnsiToWide(path).c_str()); }};
}

FolderProbe::FolderProbe() : calls_(PlatformCalls()), shared_(std::make_shared<Shared>()) {
  shared_->attributes = calls_.attributes;
}

FolderProbe::~FolderProbe() {
  std::lock_guard<std::mutex> hold(shared_->lock);
  shared_->notify = nullptr;
  shared_->queue.clear();
}

void FolderProbe::SetCalls(Calls calls) {
  calls_ = std::move(calls);
  std::lock_guard<std::mutex> hold(shared_->lock);
  shared_->attributes = calls_.attributes;
}

void FolderProbe::SetNotify(HWND window, UINT message) {
  std::lock_guard<std::mutex> hold(shared_->lock);
  shared_->notify = window;
  shared_->message = message;
}

FolderPresence FolderProbe::Probe(const std::string& path) {
  if (!calls_.isSlow(path)) {
    const DWORD attributes = calls_.attributes(path);
    const bool found = attributes != INVALID_FILE_ATTRIBUTES;
    return {true, found, found ? attributes : 0};
  }
  bool startCheck = false;
  const FolderPresence known = cache_.Look(path, FolderPresenceCache::Clock::now(), startCheck);
  if (startCheck) StartCheck(path);
  return known;
}

void FolderProbe::StartCheck(const std::string& path) {
  std::shared_ptr<Shared> shared = shared_;
  std::lock_guard<std::mutex> hold(shared->lock);
  shared->queue.push_back(path);
  if (shared->threads >= kMaxCheckThreads) return;
  ++shared->threads;
  auto work = [shared] {
    std::unique_lock<std::mutex> guard(shared->lock);
    while (!shared->queue.empty()) {
      const std::string next = shared->queue.front();
      shared->queue.pop_front();
      const std::function<DWORD(const std::string&)> attributes = shared->attributes;
      guard.unlock();
      const DWORD answer = attributes(next);
      guard.lock();
      shared->answers.push_back({next, answer});
      if (shared->notify && !shared->posted)
        shared->posted = PostMessageA(shared->notify, shared->message, 0, 0) != FALSE;
    }
    --shared->threads;
  };
  try {
    std::thread(work).detach();
  } catch (const std::system_error&) {
    // No thread now: the path waits in the queue for the next check's thread.
    --shared->threads;
  }
}

std::vector<std::string> FolderProbe::TakeAnswers() {
  std::vector<Answer> answers;
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    answers.swap(shared_->answers);
    shared_->posted = false;
  }
  std::vector<std::string> changed;
  const auto now = FolderPresenceCache::Clock::now();
  for (const Answer& a : answers) {
    const bool found = a.attributes != INVALID_FILE_ATTRIBUTES;
    if (cache_.Answer(a.path, found, found ? a.attributes : 0, now)) changed.push_back(a.path);
  }
  return changed;
}

}  // namespace velmora
