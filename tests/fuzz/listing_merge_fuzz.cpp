// The list following the disk, against a model of the folder: after each batch of changes the
// rows are the folder's entries, one row each, with their data, in the list's order (rows the
// list left out of place aside); a file that stays keeps its row, and a row that shows a new
// name or content is completed again.
#include <fuzzer/FuzzedDataProvider.h>

#include <map>
#include <set>
#include <unordered_map>

#include "browse/listing_changes.h"
#include "fuzz/fuzz_check.h"
#include "support/portable_collation.h"

namespace {

using namespace velmora;

const PortableCollation kCollation;

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }  // byte for byte
std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

// The folder: its entries, the notices each change gives, and look-ups answered as the system
// answers them (letter case aside, unless the folder is case-sensitive).
struct ModelFolder {
  struct Entry {
    int id;  // the file, whatever its name
    int64_t size;
    bool isFile;
  };
  bool caseSensitive = false;
  std::map<std::string, Entry> entries;
  ChangeBatch batch;
  int made = 0;

  std::map<std::string, Entry>::iterator Find(const std::string& name) {
    auto it = entries.find(name);
    if (it != entries.end() || caseSensitive) return it;
    for (it = entries.begin(); it != entries.end(); ++it)
      if (kCollation.FoldKey(it->first) == kCollation.FoldKey(name)) break;
    return it;
  }
  std::unique_ptr<FileRecord> Record(const std::string& name) {
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
  void Create(const std::string& name, bool isFile) {
    if (Find(name) != entries.end()) return;
    entries[name] = Entry{made++, 0, isFile};
    batch.Add(ChangeKind::kAdded, Wide(name));
  }
  void Remove(const std::string& name) {
    if (entries.erase(name)) batch.Add(ChangeKind::kRemoved, Wide(name));
  }
  void Write(const std::string& name, int64_t size) {
    const auto it = entries.find(name);
    if (it == entries.end() || !it->second.isFile) return;
    it->second.size = size;
    batch.Add(ChangeKind::kModified, Wide(name));
  }
  // A file in the way is replaced, as mv does; the letter case alone may change.
  bool Rename(const std::string& from, const std::string& to) {
    const auto source = entries.find(from), target = Find(to);
    if (source == entries.end() || from == to ||
        (target != entries.end() && target != source && !(target->second.isFile && source->second.isFile)))
      return false;
    const Entry moved = source->second;
    entries.erase(source);
    if (Find(to) != entries.end()) entries.erase(Find(to));
    entries[to] = moved;
    batch.Add(ChangeKind::kRenamedFrom, Wide(from));
    batch.Add(ChangeKind::kRenamedTo, Wide(to));
    return true;
  }
  FileRecordList Listing() {
    FileRecordList records;
    for (const auto& entry : entries) records.push_back(Record(entry.first));
    return records;
  }
  // The entries the batch names, read again as the list reads them.
  FreshEntries Read(const FileRecordList& records) {
    FreshEntries fresh;
    if (!batch.rereadAll())
      return ReadChangedEntries(batch, records, kCollation, [](const std::wstring& name) { return "\\" + Narrow(name); },
                                [&](const std::string& path) { return Record(path.substr(1)); });
    fresh.entries = Listing();
    fresh.whole = true;
    return fresh;
  }
};

std::string Name(FuzzedDataProvider& in) {
  static const char* const kParts[] = {"a", "A", "b", "B", "\x82\x60", "\x82\x81"};  // full-width A and a
  static const char* const kTypes[] = {"", ".txt", ".TXT", ".jpg"};
  std::string name = kParts[in.ConsumeIntegralInRange(0, 5)];
  if (in.ConsumeBool()) name += kParts[in.ConsumeIntegralInRange(0, 5)];
  return name + kTypes[in.ConsumeIntegralInRange(0, 3)];
}

struct Run {
  ModelFolder folder;
  std::size_t nameLimit = 1;
  SortColumn column = SortColumn::Name;
  bool ascending = true;
  FileRecordList records;
  RowsOutOfPlace outOfPlace;
  std::unordered_map<int, FileRecord*> rowOf;     // each file's row
  std::map<std::string, std::set<int>> namedBy;  // the files each folded name stood for in the batch

  void NoteNames() {
    for (const auto& entry : folder.entries) namedBy[kCollation.FoldKey(entry.first)].insert(entry.second.id);
  }
  void Start() {
    rowOf.clear();
    namedBy.clear();
    for (const auto& record : records) rowOf[folder.entries.at(record->name).id] = record.get();
    NoteNames();
  }
  void RenameHere(const std::string& from, const std::string& to) {
    const auto entry = folder.entries.find(from);
    const auto target = folder.Find(to);
    if (entry == folder.entries.end() || !rowOf.count(entry->second.id) || (target != folder.entries.end() && target != entry)) return;
    FileRecord* row = rowOf[entry->second.id];
    if (row->name != from || !folder.Rename(from, to)) return;
    ApplyRename(*row, "\\" + to, "");
    outOfPlace.insert(row);
  }
  void Follow(bool whole) {
    if (whole) folder.batch.RereadAll();
    whole = folder.batch.rereadAll();
    const RowsOutOfPlace placedBefore = outOfPlace;
    std::unordered_map<const FileRecord*, std::pair<std::string, int64_t>> before;
    for (const auto& record : records) before[record.get()] = {record->name, record->size};
    MergeIntoListing(records, folder.Read(records), outOfPlace, column, ascending, kCollation);
    FUZZ_CHECK(records.size() == folder.entries.size());
    std::set<std::string> names;
    std::set<const FileRecord*> rows;
    const FileRecord* last = nullptr;
    for (const auto& record : records) {
      rows.insert(record.get());
      const auto entry = folder.entries.find(record->name);
      FUZZ_CHECK(entry != folder.entries.end() && names.insert(record->name).second);
      FUZZ_CHECK(record->relativePath == "\\" + record->name);
      FUZZ_CHECK(record->size == entry->second.size && record->isFile == entry->second.isFile);
      const auto was = before.find(record.get());
      if (was != before.end() && was->second != std::make_pair(record->name, record->size))
        FUZZ_CHECK(record->typeText.empty() && record->thumbnailIndex == -1);
      if (placedBefore.count(record.get())) continue;
      if (last) FUZZ_CHECK(CompareRecords(*last, *record, column, ascending, kCollation) <= 0);
      last = record.get();
    }
    for (const FileRecord* row : outOfPlace) FUZZ_CHECK(rows.count(row));
    // A file no other file shared a name with keeps its row; a whole reading, which knows no
    // renames, only across a change of letter case.
    for (const auto& entry : folder.entries) {
      const auto row = rowOf.find(entry.second.id);
      if (row == rowOf.end()) continue;
      bool alone = true;
      for (const auto& named : namedBy) alone = alone && (!named.second.count(entry.second.id) || named.second.size() == 1);
      if (!alone || (whole && kCollation.FoldKey(before[row->second].first) != kCollation.FoldKey(entry.first))) continue;
      FUZZ_CHECK(row->second->name == entry.first);
    }
    folder.batch = ChangeBatch(nameLimit);
    Start();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  Run run;
  run.folder.caseSensitive = in.ConsumeBool();
  run.column = static_cast<SortColumn>(in.ConsumeIntegralInRange(0, 4));
  run.ascending = in.ConsumeBool();
  // Past this many names a batch is read whole, as after the system lost notices.
  run.nameLimit = in.ConsumeIntegralInRange<std::size_t>(1, 12);
  for (int n = in.ConsumeIntegralInRange(0, 8); n > 0; --n) {
    const std::string name = Name(in);
    run.folder.Create(name, in.ConsumeBool());
  }
  run.records = run.folder.Listing();
  for (const auto& record : run.records) {
    record->typeText = FallbackTypeText(record->name, record->isFile);
    record->thumbnailIndex = 0;
  }
  SortRecords(run.records, run.column, run.ascending, kCollation);
  run.folder.batch = ChangeBatch(run.nameLimit);
  run.Start();
  while (in.remaining_bytes() > 0) {
    const int kind = in.ConsumeIntegralInRange(0, 6);
    const std::string name = Name(in);
    switch (kind) {
      case 0: run.folder.Create(name, in.ConsumeBool()); break;
      case 1: run.folder.Remove(name); break;
      case 2: run.folder.Write(name, in.ConsumeIntegralInRange(0, 9)); break;
      case 3: run.folder.Rename(name, Name(in)); break;
      case 4: run.RenameHere(name, Name(in)); break;
      default: run.Follow(kind == 6); break;
    }
    run.NoteNames();
  }
  run.Follow(false);
  return 0;
}
