// Order of the file list's records and the search by name.
#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "browse/file_record.h"
#include "common/collation.h"

namespace velmora {

// Column indexes of the file list.
enum class SortColumn { Name = 0, Size = 1, Type = 2, Date = 3, Attributes = 4 };

// The text a column compares (the name for the size column, whose key is numeric).
const std::string& ColumnText(const FileRecord& record, SortColumn column);

// The list's comparator: folders before files; then the column's text through
// Collation::Compare (the size numerically); equal keys by name; the whole result,
// including the folder step, negated when descending. Gives -1, 0 or 1.
int CompareRecords(const FileRecord& a, const FileRecord& b, SortColumn column, bool ascending,
                   const Collation& collation);

// Sorts in place into exactly CompareRecords' order (unstable: records that compare equal
// may end in any order). Collation::SortKey runs once per name and once per distinct column
// text, and the keys are compared with memcmp, so Collation::Compare is never called. The
// keys are not kept: records are edited in place (rename, worker), and a kept key could go
// stale. Scratch while sorting: 64 bytes per record plus its name key.
void SortRecords(FileRecordList& records, SortColumn column, bool ascending,
                 const Collation& collation);

// Name sort keys made ahead of a sort, one per record in the records' order, while nothing
// could edit them yet (as a listing reads its folder).
class NameKeys {
 public:
  void Add(std::string_view name, const Collation& collation);
  std::size_t size() const { return spans_.size(); }
  std::string_view operator[](std::size_t i) const {
    return std::string_view(arena_).substr(spans_[i].first, spans_[i].second);
  }

 private:
  std::string arena_;
  std::vector<std::pair<std::size_t, std::size_t>> spans_;  // offset, length
};

// SortRecords by name ascending, with the keys made earlier instead of new ones.
void SortRecordsByName(FileRecordList& records, const NameKeys& keys);

// True when no neighbouring pair is out of CompareRecords' order.
bool IsInComparatorOrder(const FileRecordList& records, SortColumn column, bool ascending,
                         const Collation& collation);

// The list's one sort direction and the column-click rule.
class ListSort {
 public:
  bool ascending() const { return ascending_; }
  // The column the records were last sorted by and that sort's direction: what the
  // column header shows.
  SortColumn sortedColumn() const { return sortedColumn_; }
  bool sortedAscending() const { return sortedAscending_; }

  // After every listing: ascending again, sorted by name. Keys made while listing are used
  // when there is one for each record.
  void SortAfterListing(FileRecordList& records, const Collation& collation,
                        const NameKeys* keys = nullptr);

  // Columns 0 to 4 sort with the current direction and then invert it, so the direction
  // alternates whatever column is clicked. Returns false for any other index, which only
  // repaints; the caller repaints in both cases.
  bool ColumnClick(int column, FileRecordList& records, const Collation& collation);
  // The records came in SortAfterListing's order already (a listing merged batch by batch).
  void SortedByName() {
    ascending_ = sortedAscending_ = true;
    sortedColumn_ = SortColumn::Name;
  }

 private:
  bool ascending_ = true;
  SortColumn sortedColumn_ = SortColumn::Name;
  bool sortedAscending_ = true;
};

// The view's search by text: the first row from start on whose name equals text byte for
// byte; with wrap and nothing found, rows 0 to start - 1 as well. -1 when none matches.
// A start outside the rows is clamped rather than read past the list.
int SearchByName(const FileRecordList& records, std::string_view text, int start, bool wrap);

}  // namespace velmora
