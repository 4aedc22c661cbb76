#include <gtest/gtest.h>

#include <string>

#include "text/cp932.h"

namespace velmora {
namespace {

// Literals compile to code page 932: each of these ends in the byte 0x5C or 0x7C.
const std::string kSo = "ソ";     // 83 5C
const std::string kHyo = "表";    // 95 5C
const std::string kNou = "能";    // 94 5C
const std::string kPo = "ポ";     // 83 7C

TEST(Cp932, LiteralsAreShiftJis) {
  ASSERT_EQ(kSo, "\x83\x5C");
  ASSERT_EQ(kHyo, "\x95\x5C");
  ASSERT_EQ(kNou, "\x94\x5C");
  ASSERT_EQ(kPo, "\x83\x7C");
}

TEST(Cp932, LeadByteRanges) {
  for (int c : {0x81, 0x9F, 0xE0, 0xFC}) EXPECT_TRUE(IsLeadByte(static_cast<unsigned char>(c))) << c;
  // 0xA1..0xDF are single-byte half-width katakana.
  for (int c : {0x00, 0x5C, 0x7F, 0x80, 0xA0, 0xA1, 0xB1, 0xDF, 0xFD, 0xFF})
    EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(c))) << c;
}

TEST(Cp932, TrailBytesAreNotDelimiters) {
  EXPECT_EQ(LastDelimiter("C:\\" + kSo, "\\"), 2u);
  EXPECT_EQ(LastDelimiter(kSo + kHyo + kNou, "\\"), std::string::npos);
  EXPECT_EQ(LastDelimiter("a|" + kPo, "|"), 1u);
  EXPECT_EQ(LastDelimiter(kPo, "|"), std::string::npos);
  // Half-width katakana is single-byte: the byte after it is a character of its own.
  EXPECT_EQ(LastDelimiter("\xB1\\", "\\"), 1u);
  // A lead byte cut off at the end steps alone and hides nothing.
  EXPECT_EQ(LastDelimiter("a\\\x83", "\\"), 1u);
  EXPECT_TRUE(IsTrailByteAt(kSo, 1));
  EXPECT_FALSE(IsTrailByteAt("\\" + kSo, 0));
}

TEST(Cp932, LastComponentAndDisplayName) {
  EXPECT_EQ(LastComponent("D:\\Work"), "Work");
  EXPECT_EQ(LastComponent("D:\\" + kNou + "\\" + kHyo), kHyo);
  EXPECT_EQ(LastComponent("D:\\a\\" + kSo), kSo);
  EXPECT_EQ(LastComponent("C:\\"), "");
  EXPECT_EQ(LastComponent("C:file"), "file");
  EXPECT_EQ(LastComponent("\\\\srv\\share"), "share");
  EXPECT_EQ(FolderDisplayName("D:\\Projects"), "Projects");
  EXPECT_EQ(FolderDisplayName("C:\\"), "C:\\");
  EXPECT_EQ(FolderDisplayName("D:\\a\\"), "D:\\a\\");
  // The folder "ソ" directly under a drive is named "ソ", not the whole path.
  EXPECT_EQ(FolderDisplayName("D:\\" + kSo), kSo);
}

TEST(Cp932, TrailingBackslash) {
  EXPECT_FALSE(EndsWithBackslash("D:\\" + kSo));
  EXPECT_TRUE(EndsWithBackslash("D:\\" + kSo + "\\"));
  EXPECT_FALSE(EndsWithBackslash(""));
  EXPECT_EQ(IncludeTrailingBackslash("D:\\" + kHyo), "D:\\" + kHyo + "\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\"), "C:\\");
  EXPECT_EQ(IncludeTrailingBackslash(""), "\\");
  EXPECT_EQ(ExcludeTrailingBackslash("D:\\" + kNou), "D:\\" + kNou);
  EXPECT_EQ(ExcludeTrailingBackslash("D:\\" + kNou + "\\"), "D:\\" + kNou);
  EXPECT_TRUE(EndsWithChar("[" + kSo + "]", ']'));
  EXPECT_FALSE(EndsWithChar("[\x83]", ']'));  // 0x5D here is the trail of "ゾ"
}

TEST(Cp932, ParentAndFolderPart) {
  EXPECT_EQ(ParentFolder("C:\\sub"), "C:\\");
  EXPECT_EQ(ParentFolder("C:\\a\\b"), "C:\\a");
  EXPECT_EQ(ParentFolder("C:\\"), "C:\\");
  EXPECT_EQ(ParentFolder("C:\\" + kSo + "\\" + kHyo), "C:\\" + kSo);
  EXPECT_EQ(ParentFolder("C:\\" + kSo), "C:\\");
  EXPECT_EQ(ParentFolder("\\\\srv\\share\\dir"), "\\\\srv\\share");
  EXPECT_EQ(ParentFolder("\\a"), "\\");
  EXPECT_EQ(ParentFolder("name"), "");
  EXPECT_EQ(FolderPart("C:\\a\\b.txt"), "C:\\a\\");
  EXPECT_EQ(FolderPart("C:\\" + kSo), "C:\\");
  EXPECT_EQ(FolderPart("b.txt"), "");
}

TEST(Cp932, ExtensionAndBaseName) {
  EXPECT_EQ(FileExtension("a.txt"), ".txt");
  EXPECT_EQ(FileExtension("a.b.TXT"), ".TXT");
  EXPECT_EQ(FileExtension("C:\\dir.x\\file"), "");
  EXPECT_EQ(FileExtension(kSo + ".doc"), ".doc");
  EXPECT_EQ(FileExtension(".txt"), ".txt");
  EXPECT_EQ(FileExtension("noext"), "");
  EXPECT_EQ(FileBaseName("C:\\a\\report.doc"), "report");
  EXPECT_EQ(FileBaseName("C:\\a\\" + kHyo + ".xls"), kHyo);
  EXPECT_EQ(FileBaseName("C:\\a\\plain"), "plain");
}

TEST(Cp932, UnspellableMarksReadBackAndNeverSplitAPath) {
  struct Case {
    unsigned unit;
    const char* text;
  };
  for (const Case& c : {Case{0x00E9, "\x01" "00E9"}, Case{0xD55C, "\x01" "D55C"}, Case{0xD83D, "\x01" "D83D"}}) {
    std::string text = "C:\\a";
    AppendUnspellable(text, c.unit);
    EXPECT_EQ(text, std::string("C:\\a") + c.text);
    EXPECT_EQ(UnspellableAt(text, 4), static_cast<int>(c.unit));
    EXPECT_FALSE(IsSpellable(text));
    EXPECT_EQ(ParentFolder(text + "\\b"), text);
    EXPECT_EQ(LastComponent(text), "a" + std::string(c.text));
  }
  // A mark cut short or with other than upper-case hex digits reads as no mark.
  for (const char* text : {"\x01" "00E", "\x01" "00e9", "\x01" "00G9", "x"}) EXPECT_EQ(UnspellableAt(text, 0), -1) << text;
  EXPECT_TRUE(IsSpellable("C:\\" + kSo));
}

}  // namespace
}  // namespace velmora
