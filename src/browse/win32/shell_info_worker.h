// The shell's type text, icon and overlay of listed records, asked on a thread of its own:
// the shell may read a slow share for every item. The thread starts COM for itself and posts
// its answers to the window in batches; it never sends to the window nor waits for it, and
// the window never waits for it either.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace velmora {

struct ShellInfoRequest {
  const void* record;  // the window's record; only compared, never read here
  std::string fullPath;
};

struct ShellInfoAnswer {
  const void* record;
  int icon = -1;
  std::string typeText;  // empty when the shell gave none
  int overlayIndex = -1;
  bool hasDisplayName = false;
};

// Posted as message with lParam a ShellInfoBatch*, which the receiver deletes (TakeBatch).
struct ShellInfoBatch {
  unsigned generation = 0;
  std::vector<ShellInfoAnswer> answers;
  bool last = false;  // every request of its Ask has been answered
};

class ShellInfoWorker {
 public:
  // Answers per post: enough that a listing of thousands is not a message per row, few enough
  // that the first rows get their icons while the user looks at them.
  static constexpr std::size_t kAnswersPerPost = 48;
  ShellInfoWorker() = default;
  // Lets the thread go without waiting for it: a shell call may be stuck on a hung share.
  ~ShellInfoWorker();
  ShellInfoWorker(const ShellInfoWorker&) = delete;
  ShellInfoWorker& operator=(const ShellInfoWorker&) = delete;

  // Starts the thread at the first Ask.
  void SetUp(HWND window, UINT message, int systemLevel);
  // Asks for these records' information under this generation; earlier requests not yet
  // answered are dropped (their generation is no longer the window's).
  void Ask(unsigned generation, std::vector<ShellInfoRequest> requests);
  // Drops every request not yet answered.
  void Forget();
  static std::unique_ptr<ShellInfoBatch> TakeBatch(LPARAM lp) {
    return std::unique_ptr<ShellInfoBatch>(reinterpret_cast<ShellInfoBatch*>(lp));
  }

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  HWND window_ = nullptr;
  UINT message_ = 0;
  int systemLevel_ = 2;
};

}  // namespace velmora
