// A folder as the list's watch sees it, for the tests of the listing's merge: its entries, the
// notices each change gives, and look-ups answered as the system answers them (letter case
// aside, unless the folder is case-sensitive).
#pragma once
#include <map>
#include <memory>
#include <string>

#include "browse/listing_changes.h"

namespace velmora {

struct ModelFolder {
  struct Entry {
    int id;  // the file, whatever its name
    int64_t size;
    bool isFile;
  };
  explicit ModelFolder(const Collation& c) : collation(c) {}
  const Collation& collation;
  bool caseSensitive = false;
  std::map<std::string, Entry> entries;
  ChangeBatch batch;
  int made = 0;

  // Names travel byte for byte in the notices' wide characters.
  static std::wstring Wide(const std::string& s) {
    std::wstring wide;
    for (unsigned char c : s) wide += static_cast<wchar_t>(c);
    return wide;
  }
  static std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

  // The entry a name finds, or end().
  std::map<std::string, Entry>::const_iterator Find(const std::string& name) const {
    auto it = entries.find(name);
    if (it != entries.end() || caseSensitive) return it;
    for (it = entries.begin(); it != entries.end(); ++it)
      if (collation.FoldKey(it->first) == collation.FoldKey(name)) break;
    return it;
  }
  std::unique_ptr<FileRecord> Record(const std::string& name) const {
    const auto it = Find(name);
    if (it == entries.end()) return nullptr;
    auto record = std::make_unique<FileRecord>();
    record->name = it->first;
    record->relativePath = "\\" + it->first;
    record->size = it->second.size;
    record->isFile = it->second.isFile;
    record->modifiedText = std::to_string(it->second.size % 3);
    return record;
  }
  bool Create(const std::string& name, bool isFile) {
    if (Find(name) != entries.end()) return false;
    entries[name] = Entry{made++, 0, isFile};
    batch.Add(ChangeKind::kAdded, Wide(name));
    return true;
  }
  bool Remove(const std::string& name) {
    if (!entries.erase(name)) return false;
    batch.Add(ChangeKind::kRemoved, Wide(name));
    return true;
  }
  bool Write(const std::string& name, int64_t size) {
    const auto it = entries.find(name);
    if (it == entries.end() || !it->second.isFile) return false;
    it->second.size = size;
    batch.Add(ChangeKind::kModified, Wide(name));
    return true;
  }
  // A file in the way is replaced, as mv does; the letter case alone may change.
  bool Rename(const std::string& from, const std::string& to) {
    const auto source = entries.find(from);
    const auto target = Find(to);
    if (source == entries.end() || from == to) return false;
    if (target != entries.end() && target != source && !(target->second.isFile && source->second.isFile)) return false;
    const Entry moved = source->second;
    entries.erase(source);
    const auto victim = Find(to);
    if (victim != entries.end()) entries.erase(victim);
    entries[to] = moved;
    batch.Add(ChangeKind::kRenamedFrom, Wide(from));
    batch.Add(ChangeKind::kRenamedTo, Wide(to));
    return true;
  }
  // Every entry, as a listing makes it (unsorted).
  FileRecordList Listing() const {
    FileRecordList records;
    for (const auto& entry : entries) records.push_back(Record(entry.first));
    return records;
  }
  // The entries the batch names, read again as the list reads them.
  FreshEntries Read(const FileRecordList& records) const {
    if (!batch.rereadAll()) {
      return ReadChangedEntries(
          batch, records, collation, [](const std::wstring& name) { return "\\" + Narrow(name); },
          [&](const std::string& path) { return Record(path.substr(1)); });
    }
    FreshEntries fresh;
    fresh.entries = Listing();
    fresh.whole = true;
    return fresh;
  }
};

}  // namespace velmora
