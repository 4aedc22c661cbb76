// Which record the worker completes next. Completion follows the records, not the row
// numbers: a sort or a removal in between must neither leave a record with its placeholder
// nor complete one twice. A record is complete once it has a type text, which a completion
// always gives.
#pragma once
#include <cstddef>

#include "browse/file_record.h"

namespace velmora {

class CompletionCursor {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  // After any reorder or removal of records.
  void Rewind() { next_ = 0; }
  // The first record in row order still to complete, or kNone.
  std::size_t Next(const FileRecordList& records);

 private:
  std::size_t next_ = 0;
};

}  // namespace velmora
