// A file-system port that answers late for paths under one folder, as a slow or hung share
// does, and passes everything else to another port. Release() ends every wait at once (the
// share wakes up), so that a test's threads end before its folders go.
#pragma once
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "common/file_system.h"

namespace test_support {

using velmora::FileSystem; using velmora::FindEntry; using velmora::StoreLock;

class SlowFileSystem : public FileSystem {
 public:
  SlowFileSystem(FileSystem& inner, std::string slowFolder, std::chrono::milliseconds delay)
      : inner_(inner), slow_(Fold(std::move(slowFolder))), delay_(delay) {}
  ~SlowFileSystem() override { Release(); }

  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    wake_.notify_all();
  }
  // Look-ups that went through the slow folder so far.
  int slowCalls() const { return slowCalls_; }

  bool IsExistingFile(const std::string& path) override { return Wait(path), inner_.IsExistingFile(path); }
  bool IsExistingFolder(const std::string& path) override { return Wait(path), inner_.IsExistingFolder(path); }
  bool EntryExists(const std::string& path) override { return Wait(path), inner_.EntryExists(path); }
  uint32_t MoveEntry(const std::string& from, const std::string& to) override { return inner_.MoveEntry(from, to); }
  bool CreateFolderWithParents(const std::string& path) override { return inner_.CreateFolderWithParents(path); }
  std::string ErrorText(uint32_t code) override { return inner_.ErrorText(code); }
  bool ReadFile(const std::string& path, std::string& out) override { return Wait(path), inner_.ReadFile(path, out); }
  std::FILE* OpenToRead(const std::string& path) override { return Wait(path), inner_.OpenToRead(path); }
  bool WriteFileReplacing(const std::string& path, std::string_view bytes) override {
    return inner_.WriteFileReplacing(path, bytes);
  }
  std::unique_ptr<StoreLock> LockStore(const std::string& folder) override { return inner_.LockStore(folder); }
  void Search(const std::string& pattern, const std::function<bool(const FindEntry&)>& visit) override {
    Wait(pattern);
    inner_.Search(pattern, visit);
  }
  uint64_t ToLocalFileTime(uint64_t utc) const override { return inner_.ToLocalFileTime(utc); }
  std::string NameToAnsi(const std::wstring& name) const override { return inner_.NameToAnsi(name); }
  std::string ResolveShortcut(const std::string& path) override { return inner_.ResolveShortcut(path); }
  std::string FullPath(const std::string& path) override { return inner_.FullPath(path); }

 private:
  static std::string Fold(std::string path) {
    if (path.rfind("\\\\?\\", 0) == 0) path.erase(0, 4);
    for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return path;
  }
  void Wait(const std::string& path) {
    if (Fold(path).rfind(slow_, 0) != 0) return;
    ++slowCalls_;
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait_for(lock, delay_, [this] { return released_; });
  }

  FileSystem& inner_;
  std::string slow_;
  std::chrono::milliseconds delay_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool released_ = false;
  std::atomic<int> slowCalls_{0};
};

}  // namespace test_support
