// Keeping a listing current: the changes a folder's watch reports, gathered until the list
// takes them, and the merge of freshly read entries into the sorted records.
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
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

// Entries read again for a listing, and what each looked-up path gave. Paths are relative
// paths (RelativePath) spelled as they were looked up; an entry's own path is its spelling
// on disk, which may differ in letter case from the one looked up.
struct FreshEntries {
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  FileRecordList entries;  // an entry read twice (under two spellings) is one entry
  // Each path looked up, with the index in entries of what it found, or kNone: gone, or not
  // listed under the attribute switches.
  std::vector<std::pair<std::string, std::size_t>> lookedUp;
  // Renames by another program whose both halves arrived: old path, new path.
  std::vector<std::pair<std::string, std::string>> renames;
  // The entries are the whole listing: a row without one is gone.
  bool whole = false;

  void LookedUp(std::string path, std::unique_ptr<FileRecord> entry);
};

// The entries a batch names, read again (for a batch that does not reread all), and those of
// rows spelled otherwise than a name of the batch (letter case aside). pathOf gives a name's
// relative path; read gives the entry at a relative path as the listing makes it, or null.
FreshEntries ReadChangedEntries(const ChangeBatch& batch, const FileRecordList& records, const Collation& collation,
                                const std::function<std::string(const std::wstring&)>& pathOf,
                                const std::function<std::unique_ptr<FileRecord>(const std::string&)>& read);

// Rows the list leaves where they are although the sort would put them elsewhere (renamed in
// the program, read again or added by a file command), until the next sort.
using RowsOutOfPlace = std::unordered_set<const FileRecord*>;

// Merges entries read again into the listing. Each entry is one row: the row of its own path,
// else the row of the path it was found under (a change of letter case, a rename by another
// program), else a new one. A row keeps its identity (the selection follows it) and its icon
// until the worker completes it again; a row whose entry shows anything new takes the entry,
// loses its type text, overlay and picture, and moves to its place in the listing's order, as
// new rows do. Rows whose paths were looked up and found nothing, rows of an entry another
// row holds, and, when the entries are whole, rows without an entry are removed. The other
// rows keep their order; rows out of place are never taken as a guide to where rows go, and
// leave outOfPlace when they are removed or placed.
MergeCounts MergeIntoListing(FileRecordList& records, FreshEntries fresh, RowsOutOfPlace& outOfPlace,
                             SortColumn column, bool ascending, const Collation& collation);

}  // namespace velmora
