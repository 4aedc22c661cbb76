#include "store/win32/win32_collation.h"

#include <windows.h>

#include <climits>

#include "text/cp932.h"
#include "win32/strings.h"

namespace velmora {

namespace {

// The A functions reject a null pointer even for an empty string.
const char* Chars(std::string_view s) { return s.empty() ? "" : s.data(); }

int Length(std::string_view s) { return s.size() > INT_MAX ? INT_MAX : static_cast<int>(s.size()); }

int ByteOrder(std::string_view a, std::string_view b) {
  int c = a.compare(b);
  return (c > 0) - (c < 0);
}

// A sort key: map(nullptr, 0) gives its size, map(buffer, size) writes it. Without a key
// the text itself, behind a marker byte no real key starts with. Most names' keys fit a
// small buffer, which saves the call that only measures (a listing makes a key per name).
template <typename Map>
std::string KeyOf(std::string_view s, const Map& map) {
  alignas(wchar_t) char small[512];
  int size = map(small, static_cast<int>(sizeof(small)));
  if (size > 0) {
    if (small[size - 1] == '\0') --size;  // the terminator
    return std::string(small, static_cast<std::size_t>(size));
  }
  size = map(nullptr, 0);
  if (size > 0) {
    std::string key(static_cast<std::size_t>(size), '\0');
    // For LCMAP_SORTKEY the destination is a byte buffer and its size is counted in bytes.
    size = map(&key[0], size);
    if (size > 0) {
      key.resize(static_cast<std::size_t>(size));
      if (!key.empty() && key.back() == '\0') key.pop_back();  // the terminator
      return key;
    }
  }
  return std::string(1, '\xFF') + std::string(s);
}

std::string MapSortKey(std::string_view s, DWORD flags) {
  // An empty text has the empty key, which sorts before every other one.
  if (s.empty()) return std::string();
  if (IsSpellable(s)) {
    return KeyOf(s, [&](char* key, int size) {
      return LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | flags, s.data(), Length(s), key, size);
    });
  }
  // From the wide form: the marks of characters the code page cannot spell would be
  // ignored as control characters, and the text would fold like another.
  const std::wstring wide = AnsiToWide(std::string(s));
  return KeyOf(s, [&](char* key, int size) {
    return LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | flags, wide.c_str(), static_cast<int>(wide.size()),
                        reinterpret_cast<wchar_t*>(key), size);
  });
}

}  // namespace

int Win32Collation::CompareIgnoreCase(std::string_view a, std::string_view b) const {
  if (!IsSpellable(a) || !IsSpellable(b)) {
    const int c = MapSortKey(a, NORM_IGNORECASE).compare(MapSortKey(b, NORM_IGNORECASE));
    return (c > 0) - (c < 0);
  }
  int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, Chars(a), Length(a), Chars(b), Length(b));
  return r == 0 ? ByteOrder(a, b) : r - CSTR_EQUAL;
}

std::string Win32Collation::FoldKey(std::string_view s) const { return MapSortKey(s, NORM_IGNORECASE); }

int Win32Collation::Compare(std::string_view a, std::string_view b) const {
  // lstrcmpA needs terminated strings.
  std::string ta(a), tb(b);
  if (!IsSpellable(a) || !IsSpellable(b)) {
    const int r = lstrcmpW(AnsiToWide(ta).c_str(), AnsiToWide(tb).c_str());
    return (r > 0) - (r < 0);
  }
  int r = lstrcmpA(ta.c_str(), tb.c_str());
  return (r > 0) - (r < 0);
}

std::string Win32Collation::SortKey(std::string_view s) const { return MapSortKey(s, 0); }

}  // namespace velmora
