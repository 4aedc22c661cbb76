// The list following the disk, against a model of the folder: after each batch of changes the
// rows are the folder's entries, one row each, with their data, in the list's order (rows the
// list left out of place aside); a file that stays keeps its row, and a row that shows a new
// name or content is completed again.
#include <fuzzer/FuzzedDataProvider.h>

#include <set>
#include <unordered_map>

#include "fuzz/fuzz_check.h"
#include "support/model_folder.h"
#include "support/portable_collation.h"

namespace {

using namespace velmora;

const PortableCollation kCollation;

std::string Name(FuzzedDataProvider& in) {
  static const char* const kParts[] = {"a", "A", "b", "B", "\x82\x60", "\x82\x81"};  // full-width A and a
  static const char* const kTypes[] = {"", ".txt", ".TXT", ".jpg"};
  std::string name = kParts[in.ConsumeIntegralInRange(0, 5)];
  if (in.ConsumeBool()) name += kParts[in.ConsumeIntegralInRange(0, 5)];
  return name + kTypes[in.ConsumeIntegralInRange(0, 3)];
}

struct Run {
  ModelFolder folder{kCollation};
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
      rows.insert(record.get());
    }
    for (const FileRecord* row : outOfPlace) FUZZ_CHECK(rows.count(row) || placedBefore.count(row));
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
