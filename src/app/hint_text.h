// Hints of the form "short|long": the short part is the tooltip, the long part goes to the
// status bar. A hint without "|" serves whole as both.
#pragma once
#include <string>
#include <string_view>

namespace velmora {

std::string ShortHint(std::string_view hint);
std::string LongHint(std::string_view hint);

}  // namespace velmora
