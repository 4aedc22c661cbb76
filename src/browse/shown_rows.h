// Which records the list shows: all of them, or those a filter let through. Row i of the
// view is record RecordOf(i); the records themselves are neither copied nor moved.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "browse/file_record.h"

namespace velmora {

class ShownRows {
 public:
  bool filtered() const { return filtered_; }
  void ShowAll() {
    filtered_ = false;
    records_.clear();
  }
  // Record indexes, ascending.
  void ShowOnly(std::vector<uint32_t> records) {
    filtered_ = true;
    records_ = std::move(records);
  }

  std::size_t RowCount(std::size_t recordCount) const { return filtered_ ? records_.size() : recordCount; }
  // The record of a row; npos for a row outside the view.
  std::size_t RecordOf(int row, std::size_t recordCount) const;
  // The row of a record; -1 when the filter hides it or it is outside the records.
  int RowOf(std::size_t record, std::size_t recordCount) const;

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

 private:
  bool filtered_ = false;
  std::vector<uint32_t> records_;
};

// The record a row shows, or null.
const FileRecord* RowRecord(const FileRecordList& records, const ShownRows& rows, int row);

// SearchByName over the shown rows: a row number, or -1.
int SearchShownByName(const FileRecordList& records, const ShownRows& rows, std::string_view text, int start,
                      bool wrap);

}  // namespace velmora
