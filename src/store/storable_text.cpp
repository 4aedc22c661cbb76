#include "store/storable_text.h"

#include "text/cp932.h"

namespace velmora {

bool IsStorableText(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos && IsSpellable(text) &&
         !EndsWithLoneLeadByte(text);
}

bool IsStorableSelectionName(std::string_view name) {
  return !name.empty() && name.front() != ';' && name.front() != '[' && IsStorableText(name);
}

}  // namespace velmora
