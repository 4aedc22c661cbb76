// What every collation promises the store, the browser and the dialogs, checked over samples
// for the portable stand-in and for the platform's comparisons alike.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/collation.h"

namespace velmora {
namespace collation_contract {

inline int Sign(int v) { return (v > 0) - (v < 0); }

// Byte order of two keys, as a sorted index compares them.
inline int MemcmpOrder(const std::string& a, const std::string& b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  const int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
  if (c != 0) return Sign(c);
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Fold keys are equal exactly when the texts are equal ignoring case; sort keys order as the
// comparison does.
inline void ExpectKeysAgreeWithComparisons(const Collation& c, const std::vector<std::string>& samples) {
  for (const std::string& a : samples) {
    for (const std::string& b : samples) {
      EXPECT_EQ(c.FoldKey(a) == c.FoldKey(b), c.CompareIgnoreCase(a, b) == 0) << a << " / " << b;
      EXPECT_EQ(Sign(c.CompareIgnoreCase(a, b)), -Sign(c.CompareIgnoreCase(b, a))) << a << " / " << b;
      EXPECT_EQ(MemcmpOrder(c.SortKey(a), c.SortKey(b)), Sign(c.Compare(a, b))) << a << " / " << b;
    }
  }
}

// Appending and comparing folds, the way the store's indexes use them, give what FoldKey gives.
inline void ExpectAppendAndFoldsToAgree(const Collation& c, const std::vector<std::string>& samples) {
  for (const std::string& a : samples) {
    // Texts are views that may run on into other bytes: nothing past the end may count.
    std::string padded = a + "\x60";
    std::string_view view = std::string_view(padded).substr(0, a.size());
    std::string out = "kept";
    c.AppendFoldKey(view, out);
    EXPECT_EQ(out, "kept" + c.FoldKey(a)) << a;
    EXPECT_EQ(out.c_str()[out.size()], '\0') << a;
    for (const std::string& b : samples)
      EXPECT_EQ(c.FoldsTo(view, c.FoldKey(b)), c.FoldKey(a) == c.FoldKey(b)) << a << " / " << b;
  }
  // Folding part of the very string appended to, which may move while it grows.
  std::string self = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  self.shrink_to_fit();
  std::string expected = self + c.FoldKey(self);
  c.AppendFoldKey(self, self);
  EXPECT_EQ(self, expected);
}

}  // namespace collation_contract
}  // namespace velmora
