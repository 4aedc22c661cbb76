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

namespace {

// Copies what the entry decides; true when the record shows anything new.
bool Update(FileRecord& listed, FileRecord& fresh) {
  const bool sameEntry = listed.size == fresh.size && listed.modifiedText == fresh.modifiedText;
  const bool same = sameEntry && listed.name == fresh.name && listed.relativePath == fresh.relativePath &&
                    listed.attributeText == fresh.attributeText && listed.isFile == fresh.isFile;
  if (same) return false;
  listed.name = std::move(fresh.name);
  listed.relativePath = std::move(fresh.relativePath);
  listed.attributeText = std::move(fresh.attributeText);
  listed.modifiedText = std::move(fresh.modifiedText);
  listed.size = fresh.size;
  listed.isFile = fresh.isFile;
  // The worker completes it again: its type and overlay may have changed with it.
  listed.typeText.clear();
  listed.overlayIndex = -1;
  if (!sameEntry) listed.thumbnailIndex = -1;
  return true;
}

}  // namespace

MergeCounts MergeIntoListing(FileRecordList& records, FileRecordList fresh, const std::vector<std::string>& goneKeys,
                             bool dropUnmatched, SortColumn column, bool ascending, const Collation& collation) {
  MergeCounts counts;
  std::unordered_map<std::string, std::size_t> freshByKey;
  for (std::size_t i = 0; i < fresh.size(); ++i) freshByKey.emplace(collation.FoldKey(fresh[i]->relativePath), i);
  const std::unordered_set<std::string> gone(goneKeys.begin(), goneKeys.end());
  const bool lookUp = dropUnmatched || !freshByKey.empty() || !gone.empty();

  FileRecordList kept, moved;
  kept.reserve(records.size());
  for (auto& record : records) {
    if (!lookUp) {
      kept.push_back(std::move(record));
      continue;
    }
    const std::string key = collation.FoldKey(record->relativePath);
    const auto found = freshByKey.find(key);
    if (found != freshByKey.end()) {
      std::unique_ptr<FileRecord>& match = fresh[found->second];
      if (Update(*record, *match)) {
        ++counts.changed;
        moved.push_back(std::move(record));
      } else {
        kept.push_back(std::move(record));
      }
      match.reset();
      continue;
    }
    if (dropUnmatched || gone.count(key)) {
      ++counts.removed;
      continue;
    }
    kept.push_back(std::move(record));
  }
  for (auto& record : fresh) {
    if (!record) continue;
    ++counts.added;
    moved.push_back(std::move(record));
  }
  if (moved.empty()) {
    records = std::move(kept);
    return counts;
  }
  SortRecords(moved, column, ascending, collation);
  records.clear();
  records.reserve(kept.size() + moved.size());
  std::merge(std::make_move_iterator(kept.begin()), std::make_move_iterator(kept.end()),
             std::make_move_iterator(moved.begin()), std::make_move_iterator(moved.end()), std::back_inserter(records),
             [&](const std::unique_ptr<FileRecord>& a, const std::unique_ptr<FileRecord>& b) {
               return CompareRecords(*a, *b, column, ascending, collation) < 0;
             });
  return counts;
}

}  // namespace velmora
