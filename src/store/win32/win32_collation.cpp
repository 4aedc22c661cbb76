#include "store/win32/win32_collation.h"

#include <windows.h>

#include <climits>

namespace velmora {

namespace {

// The A functions reject a null pointer even for an empty string.
const char* Chars(std::string_view s) { return s.empty() ? "" : s.data(); }

int Length(std::string_view s) { return s.size() > INT_MAX ? INT_MAX : static_cast<int>(s.size()); }

int ByteOrder(std::string_view a, std::string_view b) {
  int c = a.compare(b);
  return (c > 0) - (c < 0);
}

std::string MapSortKey(std::string_view s, DWORD flags) {
  // An empty text has the empty key, which sorts before every other one.
  if (s.empty()) return std::string();
  int size = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | flags, s.data(), Length(s), nullptr, 0);
  if (size > 0) {
    std::string key(static_cast<std::size_t>(size), '\0');
    // For LCMAP_SORTKEY the destination is a byte buffer and its size is counted in bytes.
    size = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | flags, s.data(), Length(s), &key[0], size);
    if (size > 0) {
      key.resize(static_cast<std::size_t>(size));
      if (!key.empty() && key.back() == '\0') key.pop_back();  // the terminator
      return key;
    }
  }
  // Without a key the text itself, behind a marker byte no real key starts with.
  return std::string(1, '\xFF') + std::string(s);
}

}  // namespace

int Win32Collation::CompareIgnoreCase(std::string_view a, std::string_view b) const {
  int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, Chars(a), Length(a), Chars(b), Length(b));
  return r == 0 ? ByteOrder(a, b) : r - CSTR_EQUAL;
}

std::string Win32Collation::FoldKey(std::string_view s) const { return MapSortKey(s, NORM_IGNORECASE); }

int Win32Collation::Compare(std::string_view a, std::string_view b) const {
  // lstrcmpA needs terminated strings.
  std::string ta(a), tb(b);
  int r = lstrcmpA(ta.c_str(), tb.c_str());
  return (r > 0) - (r < 0);
}

std::string Win32Collation::SortKey(std::string_view s) const { return MapSortKey(s, 0); }

}  // namespace velmora
