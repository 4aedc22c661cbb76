#include "app/hint_text.h"

#include "text/cp932.h"

namespace velmora {

namespace {
// "|" can be the trail byte of a double-byte character, so it is searched as a delimiter.
std::size_t BarPosition(std::string_view hint) {
  std::size_t pos = 0;
  while (pos < hint.size()) {
    const unsigned char c = static_cast<unsigned char>(hint[pos]);
    if (IsLeadByte(c) && pos + 1 < hint.size()) {
      pos += 2;
      continue;
    }
    if (c == '|') return pos;
    ++pos;
  }
  return std::string_view::npos;
}
}  // namespace

std::string ShortHint(std::string_view hint) {
  const std::size_t bar = BarPosition(hint);
  return std::string(bar == std::string_view::npos ? hint : hint.substr(0, bar));
}

std::string LongHint(std::string_view hint) {
  const std::size_t bar = BarPosition(hint);
  return std::string(bar == std::string_view::npos ? hint : hint.substr(bar + 1));
}

}  // namespace velmora
