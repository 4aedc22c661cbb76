#include "support/portable_collation.h"

#include <cstdint>
#include <cstring>
#include <functional>

#include "text/cp932.h"

namespace velmora {

namespace {

// Full-width Latin capitals 0x8260..0x8279 pair with the small letters 0x8281..0x829A.
constexpr unsigned char kWideLatinLead = 0x82;
constexpr unsigned char kWideUpperFirst = 0x60, kWideUpperLast = 0x79, kWideCaseShift = 0x21;

struct FoldTables {
  bool lead[256];
  unsigned char lower[256];
  FoldTables() {
    for (int c = 0; c < 256; ++c) {
      lead[c] = IsLeadByte(static_cast<unsigned char>(c));
      lower[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
  }
};

const FoldTables& Tables() {
  static const FoldTables tables;
  return tables;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
constexpr std::uint64_t kEachByte = 0x0101010101010101ull;

// 0x80 in each byte of w that is an ASCII capital; every byte of w must be below 0x80, so
// that the sums below stay inside their bytes.
std::uint64_t UpperBits(std::uint64_t w) {
  std::uint64_t fromA = w + (0x80 - 'A') * kEachByte;       // high bit set from "A" on
  std::uint64_t pastZ = w + (0x80 - 'Z' - 1) * kEachByte;   // high bit set past "Z"
  return (fromA ^ pastZ) & kHighBits;
}

int CompareBytes(std::string_view a, std::string_view b) {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
  if (c != 0) return c < 0 ? -1 : 1;
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// Every key of a store passes through here when it is read, hence the tables instead of a
// call per character, and eight plain ASCII bytes at a time where there are some.
void AppendFolded(std::string_view s, std::string& out) {
  const FoldTables& tables = Tables();
  const char* outBegin = out.data();
  std::less<const char*> before;
  if (!s.empty() && !before(s.data(), outBegin) && before(s.data(), outBegin + out.capacity())) {
    // Appending may move out's bytes, and s with them.
    std::string copy(s);
    AppendFolded(copy, out);
    return;
  }
  std::size_t at = out.size();
  out.append(s.data(), s.size());
  if (s.empty()) return;
  // The bytes are read from s and only the changed ones written to out: a read of bytes
  // just written would wait for the writes.
  const unsigned char* in = reinterpret_cast<const unsigned char*>(s.data());
  unsigned char* p = reinterpret_cast<unsigned char*>(&out[at]);
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i + 1 < n) {
    if (i + 8 <= n) {
      std::uint64_t w;
      std::memcpy(&w, in + i, 8);
      if ((w & kHighBits) == 0) {
        if (std::uint64_t upper = UpperBits(w)) {
          w |= upper >> 2;  // 0x80 >> 2 is the 0x20 between the cases
          std::memcpy(p + i, &w, 8);
        }
        i += 8;
        continue;
      }
    }
    unsigned char c = in[i];
    if (!tables.lead[c]) {
      if (tables.lower[c] != c) p[i] = tables.lower[c];
      ++i;
      continue;
    }
    // Only the full-width Latin pair folds; other trail bytes such as the "A" of 0x8341
    // belong to their character and stay as they are.
    unsigned char t = in[i + 1];
    if (c == kWideLatinLead && t >= kWideUpperFirst && t <= kWideUpperLast)
      p[i + 1] = static_cast<unsigned char>(t + kWideCaseShift);
    i += 2;
  }
  // A lead byte at the very end stands alone, and lowering leaves it as it is.
  if (i < n) p[i] = tables.lower[in[i]];
}

bool FoldsToFolded(std::string_view s, std::string_view fold) {
  const FoldTables& tables = Tables();
  // Folding keeps the length and the character boundaries.
  if (s.size() != fold.size()) return false;
  const unsigned char* in = reinterpret_cast<const unsigned char*>(s.data());
  const unsigned char* f = reinterpret_cast<const unsigned char*>(fold.data());
  const std::size_t n = s.size();
  for (std::size_t i = 0; i < n;) {
    unsigned char c = in[i];
    if (tables.lead[c] && i + 1 < n) {
      unsigned char t = in[i + 1];
      if (c == kWideLatinLead && t >= kWideUpperFirst && t <= kWideUpperLast)
        t = static_cast<unsigned char>(t + kWideCaseShift);
      if (f[i] != c || f[i + 1] != t) return false;
      i += 2;
    } else {
      if (f[i] != tables.lower[c]) return false;
      ++i;
    }
  }
  return true;
}

}  // namespace

std::string PortableCollation::FoldKey(std::string_view s) const {
  std::string out;
  AppendFolded(s, out);
  return out;
}

void PortableCollation::AppendFoldKey(std::string_view s, std::string& out) const { AppendFolded(s, out); }

bool PortableCollation::FoldsTo(std::string_view s, std::string_view fold) const { return FoldsToFolded(s, fold); }

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
