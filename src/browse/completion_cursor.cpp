#include "browse/completion_cursor.h"

namespace velmora {

std::size_t CompletionCursor::Next(const FileRecordList& records) {
  while (next_ < records.size() && !records[next_]->typeText.empty()) ++next_;
  return next_ < records.size() ? next_ : kNone;
}

}  // namespace velmora
