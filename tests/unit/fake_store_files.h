// An in-memory file system for the store: records writes and can refuse reads, writes or
// its lock; counts the reads and writes made without the lock.
#pragma once
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "store/store_files.h"

namespace velmora {

// Where a store set up with the executable folder kFakeExeDir keeps its files.
inline const std::string kFakeExeDir = "C:\\App\\";
inline const std::string kFakeDataDir = kFakeExeDir + "data\\";
inline const std::string kFakeTitleList = kFakeDataDir + "titlelist.txt";
inline const std::string kFakeFolderList = kFakeDataDir + "folderlist.ini";
inline const std::string kFakeSelectList = kFakeDataDir + "selectlist.ini";

class FakeStoreFiles : public StoreFileSystem {
 public:
  bool ReadFile(const std::string& path, std::string& out) override {
    if (!locked) ++unlockedAccesses;
    auto it = files.find(path);
    if (it == files.end() || unreadable.count(path)) return false;
    out = it->second;
    return true;
  }
  bool FileExists(const std::string& path) override { return files.count(path) != 0; }
  bool FolderExists(const std::string& path) override { return folders.count(path) != 0; }
  bool CreateFolderWithParents(const std::string& path) override {
    created.push_back(path);
    folders.insert(path);
    return true;
  }
  bool WriteFileReplacing(const std::string& path, std::string_view bytes) override {
    writes.push_back(path);
    if (!locked) ++unlockedAccesses;
    if (unwritable.count(path)) return false;
    files[path] = std::string(bytes);
    return true;
  }

  std::unique_ptr<StoreLock> LockStore(const std::string& folder) override {
    lockedFolders.push_back(folder);
    if (lockRefused || locked) return nullptr;
    return std::make_unique<Lock>(*this);
  }

  std::map<std::string, std::string> files;
  std::set<std::string> folders;
  std::set<std::string> unreadable, unwritable;
  std::vector<std::string> created, writes, lockedFolders;
  bool locked = false, lockRefused = false;
  int unlockedAccesses = 0;

 private:
  struct Lock : StoreLock {
    explicit Lock(FakeStoreFiles& owner) : owner(owner) { owner.locked = true; }
    ~Lock() override { owner.locked = false; }
    FakeStoreFiles& owner;
  };
};

}  // namespace velmora
