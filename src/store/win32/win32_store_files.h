// The store's file operations on the real file system.
#pragma once
#include "store/store_files.h"

namespace velmora {

class Win32StoreFiles : public StoreFileSystem {
 public:
  // lockWaitMs: how long a save waits for another process's save before it goes ahead.
  explicit Win32StoreFiles(unsigned long lockWaitMs = kLockWaitMs) : lockWaitMs_(lockWaitMs) {}

  bool ReadFile(const std::string& path, std::string& out) override;
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  bool CreateFolderWithParents(const std::string& path) override;
  // Writes a temporary file beside the target, flushes it and moves it over the target;
  // on any failure the temporary file is removed and the target left untouched.
  bool WriteFileReplacing(const std::string& path, std::string_view bytes) override;
  // An exclusive handle on the hidden file "store.lock" in folder: it works across
  // sessions and machines sharing a data folder, and a process that dies lets go of it.
  std::unique_ptr<StoreLock> LockStore(const std::string& folder) override;

  static constexpr unsigned long kLockWaitMs = 10000;
  static constexpr const char* kLockFileName = "store.lock";

 private:
  unsigned long lockWaitMs_;
};

}  // namespace velmora
