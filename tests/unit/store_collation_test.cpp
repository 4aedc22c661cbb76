#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "store/collation.h"

namespace velmora {
namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

int MemcmpOrder(const std::string& a, const std::string& b) {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
  if (c != 0) return Sign(c);
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

const std::vector<std::string>& Samples() {
  static const std::vector<std::string> samples = {
      "", "a", "A", "B", "b", "Work", "work", "WORK", "work 1", "Work 1", "Ａ", "ａ", "Ｚ", "ｚ",
      "ア", "ヂ", "ソ", "ソフト", "表", "能", "ポ", "C:\\", "a=b", std::string("a\0b", 3),
      std::string("a\x01", 2), std::string("a\x02", 2), "\xB1", "x\x83"};
  return samples;
}

TEST(PortableCollation, IgnoreCaseFoldsLatinOnly) {
  PortableCollation c;
  EXPECT_EQ(c.CompareIgnoreCase("Work", "work"), 0);
  EXPECT_EQ(c.CompareIgnoreCase("Ａ", "ａ"), 0);
  EXPECT_EQ(c.CompareIgnoreCase("D:\\Projects", "d:\\PROJECTS"), 0);
  EXPECT_NE(c.CompareIgnoreCase("a", "b"), 0);
  // "ア" is 83 41 and "ヂ" is 83 61: folding the trail byte "A" would make them equal.
  EXPECT_NE(c.CompareIgnoreCase("ア", "ヂ"), 0);
  EXPECT_NE(c.CompareIgnoreCase("Ａ", "A"), 0);
}

TEST(PortableCollation, FoldKeyEqualExactlyWhenIgnoreCaseEqual) {
  PortableCollation c;
  for (const std::string& a : Samples()) {
    for (const std::string& b : Samples()) {
      EXPECT_EQ(c.FoldKey(a) == c.FoldKey(b), c.CompareIgnoreCase(a, b) == 0) << a << " / " << b;
      EXPECT_EQ(Sign(c.CompareIgnoreCase(a, b)), -Sign(c.CompareIgnoreCase(b, a)));
    }
  }
}

TEST(PortableCollation, OrderIsCaseInsensitiveFirstAndSortKeysAgree) {
  PortableCollation c;
  EXPECT_LT(c.Compare("a", "B"), 0);  // not byte order, where "B" comes first
  EXPECT_NE(c.Compare("Work", "work"), 0);
  EXPECT_LT(c.Compare("work", "work 1"), 0);
  for (const std::string& a : Samples()) {
    for (const std::string& b : Samples()) {
      int order = Sign(c.Compare(a, b));
      EXPECT_EQ(order == 0, a == b) << a << " / " << b;
      EXPECT_EQ(MemcmpOrder(c.SortKey(a), c.SortKey(b)), order) << a << " / " << b;
    }
  }
}

}  // namespace
}  // namespace velmora
