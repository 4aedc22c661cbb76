// The file operations the binder store needs, as a port: the program passes the Win32
// implementation, tests an in-memory one.
#pragma once
#include <memory>
#include <string>
#include <string_view>

namespace velmora {

// Held while one process reads or saves the store; other processes' attempts wait for it.
class StoreLock {
 public:
  virtual ~StoreLock() = default;
};

class StoreFileSystem {
 public:
  virtual ~StoreFileSystem() = default;
  // The whole file; false when it is missing or cannot be read.
  virtual bool ReadFile(const std::string& path, std::string& out) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // Creates the folder and every missing parent; true when the folder exists afterwards.
  virtual bool CreateFolderWithParents(const std::string& path) = 0;
  // Replaces the file by bytes as one step: on failure the old file is left as it was.
  virtual bool WriteFileReplacing(const std::string& path, std::string_view bytes) = 0;
  // The lock of the store in folder, waited for a bounded time; null when it could not be
  // had, in time or at all. Released when the result is destroyed.
  virtual std::unique_ptr<StoreLock> LockStore(const std::string& folder) = 0;
};

}  // namespace velmora
