// The system's locale texts the listing uses.
#pragma once
#include <string>

namespace velmora {

// The system's date, time and thousands separators (GetLocaleInfoA of the user locale).
struct LocaleSeparators {
  std::string date = "/";
  std::string time = ":";
  std::string thousands = ",";
  static LocaleSeparators FromUserLocale();
};

}  // namespace velmora
