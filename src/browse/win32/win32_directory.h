// The directory search with the real calls: the wide search (with long-path prefix) at
// system level 2, the ANSI search below it.
#pragma once
#include "browse/enumeration.h"

namespace velmora {

class Win32DirectoryPort : public DirectoryPort {
 public:
  explicit Win32DirectoryPort(int systemLevel) : systemLevel_(systemLevel) {}
  void Search(const std::string& pattern, const std::function<bool(const FindEntry&)>& visit) override;
  std::string NameToAnsi(const std::wstring& name) const override;
  uint64_t ToLocalFileTime(uint64_t utcFileTime) const override;

 private:
  int systemLevel_;
};

// The system's date, time and thousands separators (GetLocaleInfoA of the user locale).
struct LocaleSeparators {
  std::string date = "/";
  std::string time = ":";
  std::string thousands = ",";
  static LocaleSeparators FromUserLocale();
};

}  // namespace velmora
