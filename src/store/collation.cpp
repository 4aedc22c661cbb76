#include "store/collation.h"

#include <cstring>

#include "text/cp932.h"

namespace velmora {

namespace {

// Full-width Latin capitals 0x8260..0x8279 pair with the small letters 0x8281..0x829A.
constexpr unsigned char kWideLatinLead = 0x82;
constexpr unsigned char kWideUpperFirst = 0x60, kWideUpperLast = 0x79, kWideCaseShift = 0x21;

int CompareBytes(std::string_view a, std::string_view b) {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
  if (c != 0) return c < 0 ? -1 : 1;
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace

std::string PortableCollation::FoldKey(std::string_view s) const {
  std::string out(s);
  for (std::size_t i = 0; i < out.size();) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (CharLengthAt(out, i) == 2) {
      // Only the full-width Latin pair folds; other trail bytes such as the "A" of 0x8341
      // belong to their character and stay as they are.
      unsigned char t = static_cast<unsigned char>(out[i + 1]);
      if (c == kWideLatinLead && t >= kWideUpperFirst && t <= kWideUpperLast)
        out[i + 1] = static_cast<char>(t + kWideCaseShift);
      i += 2;
    } else {
      if (c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + ('a' - 'A'));
      ++i;
    }
  }
  return out;
}

int PortableCollation::CompareIgnoreCase(std::string_view a, std::string_view b) const {
  return CompareBytes(FoldKey(a), FoldKey(b));
}

int PortableCollation::Compare(std::string_view a, std::string_view b) const {
  int c = CompareIgnoreCase(a, b);
  return c != 0 ? c : CompareBytes(a, b);
}

std::string PortableCollation::SortKey(std::string_view s) const {
  // Folded text, a 0x00 separator, then the raw bytes for the tie-break. Bytes 0x00 and 0x01
  // of the folded part are escaped (0x01 0x01, 0x01 0x02) so the separator sorts below
  // every folded byte and a shorter folded text still sorts first.
  std::string folded = FoldKey(s);
  std::string key;
  key.reserve(folded.size() + 1 + s.size());
  for (char ch : folded) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c <= 0x01) {
      key += '\x01';
      key += static_cast<char>(c + 1);
    } else {
      key += ch;
    }
  }
  key += '\0';
  key.append(s.data(), s.size());
  return key;
}

}  // namespace velmora
