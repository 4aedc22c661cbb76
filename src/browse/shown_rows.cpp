#include "browse/shown_rows.h"

#include <algorithm>

#include "browse/record_sort.h"

namespace velmora {

std::size_t ShownRows::RecordOf(int row, std::size_t recordCount) const {
  if (row < 0) return npos;
  const auto at = static_cast<std::size_t>(row);
  if (!filtered_) return at < recordCount ? at : npos;
  return at < records_.size() && records_[at] < recordCount ? records_[at] : npos;
}

int ShownRows::RowOf(std::size_t record, std::size_t recordCount) const {
  if (record >= recordCount) return -1;
  if (!filtered_) return static_cast<int>(record);
  const auto it = std::lower_bound(records_.begin(), records_.end(), record);
  return it != records_.end() && *it == record ? static_cast<int>(it - records_.begin()) : -1;
}

const FileRecord* RowRecord(const FileRecordList& records, const ShownRows& rows, int row) {
  const std::size_t record = rows.RecordOf(row, records.size());
  return record == ShownRows::npos ? nullptr : records[record].get();
}

int SearchShownByName(const FileRecordList& records, const ShownRows& rows, std::string_view text, int start,
                      bool wrap) {
  if (!rows.filtered()) return SearchByName(records, text, start, wrap);
  const int count = static_cast<int>(rows.RowCount(records.size()));
  if (count == 0) return -1;
  if (start < 0) start = 0;
  if (start > count) start = count;
  for (int pass = 0; pass < (wrap ? 2 : 1); ++pass) {
    const int from = pass == 0 ? start : 0;
    const int to = pass == 0 ? count : start;
    for (int row = from; row < to; ++row)
      if (RowRecord(records, rows, row)->name == text) return row;
  }
  return -1;
}

}  // namespace velmora
