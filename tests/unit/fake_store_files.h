// An in-memory file system for the store: records writes and can refuse reads or writes.
#pragma once
#include <map>
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
    if (unwritable.count(path)) return false;
    files[path] = std::string(bytes);
    return true;
  }

  std::map<std::string, std::string> files;
  std::set<std::string> folders;
  std::set<std::string> unreadable, unwritable;
  std::vector<std::string> created, writes;
};

}  // namespace velmora
