// An in-memory file system for the file commands: case-insensitive like the platform's,
// with moves it refuses and a log of the moves it made.
#pragma once
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/file_system.h"
#include "text/cp932.h"

namespace velmora {

class FakeFileSystem : public FileSystem {
 public:
  static constexpr uint32_t kNotFound = 2;
  static constexpr uint32_t kAlreadyExists = 183;

  void AddFile(const std::string& path) { entries_[Fold(path)] = {path, false}; }
  void AddFolder(const std::string& path) { entries_[Fold(path)] = {path, true}; }
  // Moves of this entry fail with the error code.
  void RefuseMoveOf(const std::string& source, uint32_t code) { refused_[Fold(source)] = code; }
  // The entry's name as stored (its letter case), empty when absent.
  std::string Stored(const std::string& path) const {
    auto it = entries_.find(Fold(path));
    return it == entries_.end() ? std::string() : it->second.first;
  }

  bool IsExistingFile(const std::string& path) override {
    auto it = entries_.find(Fold(path));
    return it != entries_.end() && !it->second.second;
  }
  bool IsExistingFolder(const std::string& path) override {
    auto it = entries_.find(Fold(path));
    return (it != entries_.end() && it->second.second) || roots_.count(Fold(path)) != 0;
  }
  bool EntryExists(const std::string& path) override { return entries_.count(Fold(path)) != 0; }
  uint32_t MoveEntry(const std::string& from, const std::string& to) override {
    auto refused = refused_.find(Fold(from));
    if (refused != refused_.end()) return refused->second;
    auto it = entries_.find(Fold(from));
    if (it == entries_.end()) return kNotFound;
    if (Fold(from) != Fold(to) && entries_.count(Fold(to))) return kAlreadyExists;
    const bool folder = it->second.second;
    entries_.erase(it);
    entries_[Fold(to)] = {to, folder};
    moves.emplace_back(from, to);
    return 0;
  }
  bool CreateFolderWithParents(const std::string& path) override {
    if (IsExistingFile(path)) return false;
    AddFolder(path);
    return true;
  }
  std::string ErrorText(uint32_t code) override { return "error " + std::to_string(code) + "\r\n"; }

  std::vector<std::pair<std::string, std::string>> moves;

 private:
  static std::string Fold(const std::string& s) {
    std::string out = s;
    for (std::size_t i = 0; i < out.size(); i += CharLengthAt(out, i))
      out[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(out[i])));
    return out;
  }
  std::map<std::string, std::pair<std::string, bool>> entries_;  // folded -> (path, folder)
  std::map<std::string, uint32_t> refused_;
  std::set<std::string> roots_ = {"c:\\", "c:"};
};

}  // namespace velmora
