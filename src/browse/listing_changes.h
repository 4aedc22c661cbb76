// Keeping a listing current: the changes a folder's watch reports, gathered until the list
// takes them, and the merge of freshly read entries into the sorted records.
#pragma once
#include <cstddef>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "browse/file_record.h"
#include "browse/record_sort.h"
#include "common/collation.h"

namespace velmora {

enum class ChangeKind { kAdded, kRemoved, kModified, kRenamedFrom, kRenamedTo };

// What the watch saw since the list last followed it. Past nameLimit distinct names the
// batch asks for the folder to be read again, which is cheaper than one search per name
// and needs no memory per change.
class ChangeBatch {
 public:
  static constexpr std::size_t kDefaultNameLimit = 4000;
  explicit ChangeBatch(std::size_t nameLimit = kDefaultNameLimit) : nameLimit_(nameLimit) {}

  void Add(ChangeKind kind, const std::wstring& name);
  // The system lost notices (its buffer overflowed), or the listing cannot be followed name
  // by name (a flat listing): the whole listing is read again.
  void RereadAll();
  // The watch itself ended (the folder went away, or the system stopped reporting).
  void WatchLost() { watchLost_ = true; }

  bool empty() const { return names_.empty() && !rereadAll_ && !watchLost_; }
  bool rereadAll() const { return rereadAll_; }
  bool watchLost() const { return watchLost_; }
  // Distinct names in the order first seen; empty once the batch rereads all.
  const std::vector<std::wstring>& names() const { return names_; }
  // Renames whose both halves arrived: old name, new name.
  const std::vector<std::pair<std::wstring, std::wstring>>& renames() const { return renames_; }

 private:
  void Note(const std::wstring& name);

  std::size_t nameLimit_;
  std::vector<std::wstring> names_;
  std::unordered_set<std::wstring> seen_;
  std::vector<std::pair<std::wstring, std::wstring>> renames_;
  std::wstring renamedFrom_;
  bool rereadAll_ = false;
  bool watchLost_ = false;
};

// When a watch thread hands a batch over: once the folder has been quiet for quietMs, or
// once the oldest change has waited maxDelayMs, whichever comes first. Returns how long to
// wait still (0: hand over now).
unsigned HandOverDelay(unsigned long long now, unsigned long long firstChange, unsigned long long lastChange,
                       unsigned quietMs, unsigned maxDelayMs);

struct MergeCounts {
  std::size_t added = 0;
  std::size_t removed = 0;
  std::size_t changed = 0;
};

// Merges records read again into the listing. A fresh record whose relative path (letter case
// aside) matches a listed one updates that record in place, so that it keeps its identity
// (the selection follows it) and its icon until the worker completes it again; the others
// are added. Listed records whose keys are in gone, or all listed records not matched when
// dropUnmatched, are removed. Added and changed records take their places in the listing's
// order; the rest keep theirs.
MergeCounts MergeIntoListing(FileRecordList& records, FileRecordList fresh, const std::vector<std::string>& goneKeys,
                             bool dropUnmatched, SortColumn column, bool ascending, const Collation& collation);

}  // namespace velmora
