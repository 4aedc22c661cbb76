#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/collation_contract.h"
#include "support/portable_collation.h"
#include "text/cp932.h"

namespace velmora {
namespace {

using collation_contract::ExpectAppendAndFoldsToAgree;
using collation_contract::ExpectKeysAgreeWithComparisons;

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

TEST(PortableCollation, OrderIsCaseInsensitiveFirstAndKeysAgree) {
  PortableCollation c;
  EXPECT_LT(c.Compare("a", "B"), 0);  // not byte order, where "B" comes first
  EXPECT_NE(c.Compare("Work", "work"), 0);
  EXPECT_LT(c.Compare("work", "work 1"), 0);
  for (const std::string& a : Samples())
    for (const std::string& b : Samples()) EXPECT_EQ(c.Compare(a, b) == 0, a == b) << a << " / " << b;
  ExpectKeysAgreeWithComparisons(c, Samples());
}

// Folding one character at a time: what the faster folding must give.
std::string ReferenceFold(const std::string& s) {
  std::string out = s;
  for (std::size_t i = 0; i < out.size();) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (CharLengthAt(out, i) == 2) {
      unsigned char t = static_cast<unsigned char>(out[i + 1]);
      if (c == 0x82 && t >= 0x60 && t <= 0x79) out[i + 1] = static_cast<char>(t + 0x21);
      i += 2;
    } else {
      if (c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + 0x20);
      ++i;
    }
  }
  return out;
}

TEST(PortableCollation, FoldingStepsOverDoubleByteCharacters) {
  PortableCollation c;
  // Runs of plain ASCII longer than eight bytes, next to characters whose trail byte is a
  // capital ("ア" is 83 41) or that end the text with a lone lead byte.
  EXPECT_EQ(c.FoldKey("ABCDEFGHIJKLMNOPQ"), "abcdefghijklmnopq");
  EXPECT_EQ(c.FoldKey("\x83" "ABCDEFGHIJ"), "\x83" "Abcdefghij");
  EXPECT_EQ(c.FoldKey("ア\x83" "ABCDEFGHI"), "ア\x83" "Abcdefghi");
  EXPECT_EQ(c.FoldKey("ABCDEFGＺ"), "abcdefgｚ");
  EXPECT_EQ(c.FoldKey("\xB1" "ABCDEFGHI"), "\xB1" "abcdefghi");
  EXPECT_EQ(c.FoldKey("ABCDEFGH\x83"), "abcdefgh\x83");
  EXPECT_EQ(c.FoldKey("D:\\ソフトＡＢＣ\\Report_FINAL.DOC"), "d:\\ソフトａｂｃ\\report_final.doc");

  std::mt19937 rng(5);
  const unsigned char bytes[] = {'A', 'Z', 'a', '@', '[', '\\', '=', 0x41, 0x60, 0x79, 0x7A,
                                 0x81, 0x82, 0x83, 0x9F, 0xB1, 0xE0, 0xFC};
  for (int n = 0; n < 3000; ++n) {
    std::string s;
    std::size_t length = rng() % 40;
    for (std::size_t i = 0; i < length; ++i) s += static_cast<char>(bytes[rng() % sizeof bytes]);
    ASSERT_EQ(c.FoldKey(s), ReferenceFold(s)) << n;
  }
}

// Only FoldKey of its own, and a key of another length than the text, as the platform's
// sort keys are.
class FoldKeyOnlyCollation : public Collation {
 public:
  int CompareIgnoreCase(std::string_view a, std::string_view b) const override {
    return FoldKey(a).compare(FoldKey(b));
  }
  std::string FoldKey(std::string_view s) const override { return "#" + ReferenceFold(std::string(s)) + "#"; }
  int Compare(std::string_view a, std::string_view b) const override { return a.compare(b); }
  std::string SortKey(std::string_view s) const override { return std::string(s); }
};

TEST(PortableCollation, AppendAndFoldsToAgreeWithFoldKey) {
  std::vector<std::string> samples = Samples();
  for (const char* extra : {"ABCDEFGHIJKLMNOPQ", "abcdefghijklmnopq", "\x83" "ABCDEFGHIJ", "\x83" "abcdefghij",
                            "ABCDEFGＺ", "abcdefgｚ", "ABCDEFGH\x83", "abcdefgh\x83", "x\x82"})
    samples.push_back(extra);
  ExpectAppendAndFoldsToAgree(PortableCollation(), samples);
  ExpectAppendAndFoldsToAgree(FoldKeyOnlyCollation(), samples);
}

}  // namespace
}  // namespace velmora
