#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/portable_collation.h"
#include "text/cp932.h"

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

// Appending and comparing folds, the way the store's indexes use them, whether through a
// collation's own fast versions or through the ones built on FoldKey alone.
void ExpectAppendAndFoldsToAgree(const Collation& c, const std::vector<std::string>& samples) {
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
