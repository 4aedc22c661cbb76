// An in-memory file system: entries case-insensitive like the platform's, with moves it
// refuses and a log of the moves it made; whole files by exact path, with reads, writes or
// its lock refused on request, counting the accesses made without the lock; directory
// listings by search pattern; shortcuts by path.
#pragma once
#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/file_system.h"
#include "text/cp932.h"

namespace velmora {

// Where a store set up with the executable folder kFakeExeDir keeps its files.
inline const std::string kFakeExeDir = "C:\\App\\";
inline const std::string kFakeDataDir = kFakeExeDir + "data\\";
inline const std::string kFakeTitleList = kFakeDataDir + "titlelist.txt";
inline const std::string kFakeFolderList = kFakeDataDir + "folderlist.ini";
inline const std::string kFakeSelectList = kFakeDataDir + "selectlist.ini";

class FakeFileSystem : public FileSystem {
 public:
  static constexpr uint32_t kNotFound = 2;
  static constexpr uint32_t kAlreadyExists = 183;

  // Entries, matched without regard to letter case.
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
    return (it != entries_.end() && !it->second.second) || files.count(path) != 0;
  }
  bool IsExistingFolder(const std::string& path) override {
    auto it = entries_.find(Fold(path));
    return (it != entries_.end() && it->second.second) || roots_.count(Fold(path)) != 0 || folders.count(path) != 0;
  }
  bool EntryExists(const std::string& path) override {
    return entries_.count(Fold(path)) != 0 || files.count(path) != 0 || folders.count(path) != 0;
  }
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
    created.push_back(path);
    folders.insert(path);
    AddFolder(path);
    return true;
  }
  std::string ErrorText(uint32_t code) override { return "error " + std::to_string(code) + "\r\n"; }

  bool ReadFile(const std::string& path, std::string& out) override {
    if (!locked) ++unlockedAccesses;
    auto it = files.find(path);
    if (it == files.end() || unreadable.count(path)) return false;
    out = it->second;
    return true;
  }
  std::FILE* OpenToRead(const std::string&) override { return nullptr; }
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

  // Delivers the entries listed under the pattern; with loop set, every search finds "."
  // and one sub-folder "J", like a junction to its parent, until the pattern grows longer
  // than the platform accepts.
  void Search(const std::string& pattern, const std::function<bool(const FindEntry&)>& visit) override {
    if (loop) {
      longestPattern = std::max(longestPattern, pattern.size());
      if (pattern.size() > longestAccepted) return;
      FindEntry dot, junction;
      dot.name = L".";
      junction.name = L"J";
      dot.attributes = junction.attributes = 0x10;
      visit(dot);
      visit(junction);
      return;
    }
    searched.push_back(pattern);
    auto found = listings.find(pattern);
    if (found == listings.end()) return;
    for (const FindEntry& e : found->second)
      if (!visit(e)) return;
  }
  // Nine hours east of UTC.
  uint64_t ToLocalFileTime(uint64_t utc) const override { return utc + 9 * 36000000000ull; }
  // Names are held as one wide unit per code-page byte, so no tables are needed.
  std::string NameToAnsi(const std::wstring& name) const override {
    std::string s;
    for (wchar_t c : name) s += static_cast<char>(c);
    return s;
  }
  static std::wstring Wide(const std::string& ansi) {
    std::wstring w;
    for (char c : ansi) w += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return w;
  }
  // An entry as a search of this file system delivers it.
  static FindEntry Entry(const std::string& name, uint32_t attrs = 0x20) {
    FindEntry e;
    e.name = Wide(name);
    e.attributes = attrs;
    return e;
  }

  std::string ResolveShortcut(const std::string& path) override {
    auto it = links.find(path);
    return it == links.end() ? path : it->second;
  }
  std::string FullPath(const std::string& path) override { return path; }

  std::vector<std::pair<std::string, std::string>> moves;
  std::map<std::string, std::string> files;  // whole files by exact path
  std::set<std::string> folders;             // folders by exact path
  std::set<std::string> unreadable, unwritable;
  std::vector<std::string> created, writes, lockedFolders;
  bool locked = false, lockRefused = false;
  int unlockedAccesses = 0;
  std::map<std::string, std::vector<FindEntry>> listings;  // by search pattern
  std::vector<std::string> searched;
  bool loop = false;
  std::size_t longestAccepted = 32767;  // the platform's limit; tests may lower it
  std::size_t longestPattern = 0;
  std::map<std::string, std::string> links;  // shortcut -> target

 private:
  struct Lock : StoreLock {
    explicit Lock(FakeFileSystem& owner) : owner(owner) { owner.locked = true; }
    ~Lock() override { owner.locked = false; }
    FakeFileSystem& owner;
  };
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
