#include "browse/listing_changes.h"

#include <algorithm>
#include <unordered_map>

namespace velmora {

void ChangeBatch::Note(const std::wstring& name) {
  if (rereadAll_) return;
  if (!seen_.insert(name).second) return;
  names_.push_back(name);
  if (names_.size() > nameLimit_) RereadAll();
}

void ChangeBatch::Add(ChangeKind kind, const std::wstring& name) {
  if (kind == ChangeKind::kRenamedFrom) {
    renamedFrom_ = name;
  } else if (kind == ChangeKind::kRenamedTo && !renamedFrom_.empty()) {
    if (!rereadAll_) renames_.emplace_back(renamedFrom_, name);
    Note(renamedFrom_);
    renamedFrom_.clear();
  }
  Note(name);
}

void ChangeBatch::RereadAll() {
  rereadAll_ = true;
  names_.clear();
  seen_.clear();
  renames_.clear();
}

unsigned HandOverDelay(unsigned long long now, unsigned long long firstChange, unsigned long long lastChange,
                       unsigned quietMs, unsigned maxDelayMs) {
  const unsigned long long quietAt = lastChange + quietMs;
  const unsigned long long latestAt = firstChange + maxDelayMs;
  const unsigned long long at = quietAt < latestAt ? quietAt : latestAt;
  return at <= now ? 0 : static_cast<unsigned>(at - now);
}

void FreshEntries::LookedUp(std::string path, std::unique_ptr<FileRecord> entry) {
  std::size_t index = kNone;
  if (entry) {
    index = entries.size();
    entries.push_back(std::move(entry));
  }
  lookedUp.emplace_back(std::move(path), index);
}

FreshEntries ReadChangedEntries(const ChangeBatch& batch, const FileRecordList& records, const Collation& collation,
                                const std::function<std::string(const std::wstring&)>& pathOf,
                                const std::function<std::unique_ptr<FileRecord>(const std::string&)>& read) {
  FreshEntries fresh;
  std::unordered_set<std::string> asked, folds;
  auto ask = [&](const std::string& path) {
    if (asked.insert(path).second) fresh.LookedUp(path, read(path));
  };
  for (const std::wstring& name : batch.names()) {
    const std::string path = pathOf(name);
    folds.insert(collation.FoldKey(path));
    ask(path);
  }
  // Where the folder ignores letter case, such a row is the same entry, and a file renamed
  // onto it replaced it without a notice of its own.
  for (const auto& record : records)
    if (folds.count(collation.FoldKey(record->relativePath))) ask(record->relativePath);
  for (const auto& rename : batch.renames()) fresh.renames.emplace_back(pathOf(rename.first), pathOf(rename.second));
  return fresh;
}

namespace {

constexpr std::size_t kNone = FreshEntries::kNone;
constexpr std::size_t kUntouched = kNone - 1;  // a row no entry speaks of

// Copies what the entry decides; true when the row shows anything new.
bool Update(FileRecord& listed, FileRecord& fresh) {
  const bool sameEntry = listed.size == fresh.size && listed.modifiedText == fresh.modifiedText &&
                         listed.isFile == fresh.isFile && listed.name == fresh.name &&
                         listed.relativePath == fresh.relativePath;
  if (sameEntry && listed.attributeText == fresh.attributeText) return false;
  listed.name = std::move(fresh.name);
  listed.relativePath = std::move(fresh.relativePath);
  listed.attributeText = std::move(fresh.attributeText);
  listed.modifiedText = std::move(fresh.modifiedText);
  listed.size = fresh.size;
  listed.isFile = fresh.isFile;
  // The worker completes it again: its type and overlay may have changed with it.
  listed.typeText.clear();
  listed.overlayIndex = -1;
  // Another name may be another type, another content another picture.
  if (!sameEntry) listed.thumbnailIndex = -1;
  return true;
}

// What each looked-up path stands for now: the index of its entry, or kNone.
std::unordered_map<std::string, std::size_t> Answers(const FreshEntries& fresh, const std::vector<std::size_t>& entryOf) {
  std::unordered_map<std::string, std::size_t> answer;
  for (const auto& lookedUp : fresh.lookedUp)
    answer[lookedUp.first] = lookedUp.second == kNone ? kNone : entryOf[lookedUp.second];
  // A row renamed by another program follows its entry; the latest rename first, so that a
  // row renamed twice reaches the last name.
  for (auto it = fresh.renames.rbegin(); it != fresh.renames.rend(); ++it) {
    const auto to = answer.find(it->second);
    if (to == answer.end() || to->second == kNone) continue;
    const auto from = answer.emplace(it->first, kNone).first;
    if (from->second == kNone) from->second = to->second;
  }
  return answer;
}

}  // namespace

MergeCounts MergeIntoListing(FileRecordList& records, FreshEntries fresh, RowsOutOfPlace& outOfPlace,
                             SortColumn column, bool ascending, const Collation& collation) {
  MergeCounts counts;
  FileRecordList& entries = fresh.entries;
  // One entry per path on disk (the later reading is the newer): on a folder that ignores
  // letter case, two spellings of one name find the same entry.
  std::unordered_map<std::string, std::size_t> entryOfPath;
  std::vector<std::size_t> entryOf(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto found = entryOfPath.emplace(entries[i]->relativePath, i);
    if (!found.second) entries[found.first->second] = std::move(entries[i]);
    entryOf[i] = found.first->second;
  }
  const std::unordered_map<std::string, std::size_t> answer = Answers(fresh, entryOf);

  // Which entry each row holds (kNone: the row goes). A row of the entry's own path first;
  // then rows found under another spelling or name; one row per entry.
  std::vector<std::size_t> claim(records.size(), kUntouched);
  std::vector<std::size_t> holder(entries.size(), kNone);
  auto take = [&](std::size_t row, std::size_t entry) {
    if (entry != kNone && holder[entry] == kNone) {
      holder[entry] = row;
      claim[row] = entry;
    } else {
      claim[row] = kNone;
    }
  };
  if (!entryOfPath.empty())
    for (std::size_t row = 0; row < records.size(); ++row) {
      const auto own = entryOfPath.find(records[row]->relativePath);
      if (own != entryOfPath.end()) take(row, own->second);
    }
  // A whole reading finds a row whose name changed letter case under the folded path.
  std::unordered_multimap<std::string, std::size_t> byFold;
  if (fresh.whole)
    for (const auto& path : entryOfPath) byFold.emplace(collation.FoldKey(path.first), path.second);
  for (std::size_t row = 0; row < records.size(); ++row) {
    if (claim[row] != kUntouched) continue;
    const auto found = answer.find(records[row]->relativePath);
    if (found != answer.end()) {
      take(row, found->second);
    } else if (fresh.whole) {
      std::size_t entry = kNone;
      const auto range = byFold.equal_range(collation.FoldKey(records[row]->relativePath));
      for (auto it = range.first; it != range.second && entry == kNone; ++it)
        if (holder[it->second] == kNone) entry = it->second;
      take(row, entry);
    }
  }

  FileRecordList kept, moved;
  kept.reserve(records.size());
  for (std::size_t row = 0; row < records.size(); ++row) {
    std::unique_ptr<FileRecord>& record = records[row];
    if (claim[row] == kUntouched) {
      kept.push_back(std::move(record));
    } else if (claim[row] == kNone) {
      ++counts.removed;
      outOfPlace.erase(record.get());
    } else if (Update(*record, *entries[claim[row]])) {
      ++counts.changed;
      outOfPlace.erase(record.get());
      moved.push_back(std::move(record));
    } else {
      kept.push_back(std::move(record));
    }
  }
  for (std::size_t entry = 0; entry < entries.size(); ++entry) {
    if (!entries[entry] || holder[entry] != kNone) continue;
    ++counts.added;
    moved.push_back(std::move(entries[entry]));
  }
  if (moved.empty()) {
    records = std::move(kept);
    return counts;
  }
  // Each moved row goes before the first kept row that sorts after it. The kept rows are not
  // taken to be in order: a row out of place guides nothing, and any order gives one result.
  SortRecords(moved, column, ascending, collation);
  records.clear();
  records.reserve(kept.size() + moved.size());
  std::size_t next = 0;
  for (std::unique_ptr<FileRecord>& row : kept) {
    if (!outOfPlace.count(row.get()))
      while (next < moved.size() && CompareRecords(*moved[next], *row, column, ascending, collation) < 0)
        records.push_back(std::move(moved[next++]));
    records.push_back(std::move(row));
  }
  while (next < moved.size()) records.push_back(std::move(moved[next++]));
  return counts;
}

}  // namespace velmora
