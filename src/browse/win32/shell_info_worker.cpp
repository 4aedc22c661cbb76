#include "browse/win32/shell_info_worker.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "browse/win32/shell_file_info.h"
#include "win32/shell_context.h"
#include "win32/thread_stack.h"

namespace velmora {


struct ShellInfoWorker::Shared {
  std::mutex mutex;
  std::condition_variable wake;
  std::vector<ShellInfoRequest> requests;
  std::size_t next = 0;
  unsigned generation = 0;
  bool stop = false;

  void Run(HWND window, UINT message, int systemLevel);
};

ShellInfoWorker::~ShellInfoWorker() {
  if (!shared_) return;
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->stop = true;
  shared_->wake.notify_all();
}

void ShellInfoWorker::SetUp(HWND window, UINT message, int systemLevel) {
  window_ = window;
  message_ = message;
  systemLevel_ = systemLevel;
}

void ShellInfoWorker::Ask(unsigned generation, std::vector<ShellInfoRequest> requests) {
  if (!shared_) {
    shared_ = std::make_shared<Shared>();
    std::thread([shared = shared_, window = window_, message = message_, level = systemLevel_] {
      shared->Run(window, message, level);
    }).detach();
  }
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->requests = std::move(requests);
  shared_->next = 0;
  shared_->generation = generation;
  shared_->wake.notify_all();
}

void ShellInfoWorker::Forget() {
  if (!shared_) return;
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->requests.clear();
  shared_->next = 0;
}

void ShellInfoWorker::Shared::Run(HWND window, UINT message, int systemLevel) {
  GiveBackUnusedStack();
  // COM of this thread's own: the window's shell objects belong to its apartment.
  ShellContext shell;
  shell.Start();
  ShellFileInfo info;
  info.SetUp(&shell, systemLevel);
  unsigned boundGeneration = 0;
  std::unique_lock<std::mutex> lock(mutex);
  for (;;) {
    wake.wait(lock, [this] { return stop || next < requests.size(); });
    if (stop) break;
    auto batch = std::make_unique<ShellInfoBatch>();
    batch->generation = generation;
    std::vector<ShellInfoRequest> taken;
    while (next < requests.size() && taken.size() < kAnswersPerPost) taken.push_back(std::move(requests[next++]));
    lock.unlock();
    // A new listing sees its folder as it is now, not as a kept binding saw it.
    if (batch->generation != boundGeneration) info.ResetCache();
    boundGeneration = batch->generation;
    for (ShellInfoRequest& request : taken) {
      ShellItemInfo item = info.GetShellFileInfo(request.fullPath);
      ShellInfoAnswer answer;
      answer.record = request.record;
      answer.icon = item.icon;
      answer.typeText = std::move(item.typeName);
      answer.overlayIndex = item.overlayIndex;
      answer.hasDisplayName = !item.displayName.empty();
      batch->answers.push_back(std::move(answer));
    }
    lock.lock();
    if (stop) break;
    // Answers of a generation the window has left are not worth a message.
    if (batch->generation != generation) continue;
    batch->last = next >= requests.size();
    ShellInfoBatch* posted = batch.release();
    if (!PostMessageA(window, message, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
  }
  lock.unlock();
  info.ResetCache();
  shell.Stop();
}

}  // namespace velmora
