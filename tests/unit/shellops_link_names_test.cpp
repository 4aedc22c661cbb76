// How shortcut files are named, decided without the shell.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/link_names.h"

namespace velmora {
namespace {

TEST(FileMogChk, ReplacesWhatAFileNameCannotHoldAndEveryDot) {
  EXPECT_EQ(FileMogChk("a.b:c"), "a．b：c");
  EXPECT_EQ(FileMogChk("v1.2.3"), "v1．2．3");
  EXPECT_EQ(FileMogChk("a/b\"c:d;e*f<g>h?i\\j|k"), "a／b”c：d；e＊f＜g＞h？i￥j｜k");
  EXPECT_EQ(FileMogChk("..x.."), "．．x．．");
  EXPECT_EQ(FileMogChk("plain name"), "plain name");
  EXPECT_EQ(FileMogChk(""), "");
}

TEST(MogChange, ByteThatEndsADoubleByteCharacterIsNeverReplaced) {
  // ソ is 0x83 0x5C and ポ is 0x83 0x7C: their second bytes look like "\" and "|".
  std::string s = "ソ\\ソ";
  MogChange(s, "\\", "￥");
  EXPECT_EQ(s, "ソ￥ソ");
  // An ASCII "\" after such a character is still a character of its own and goes; a name
  // keeping it would put the shortcut into a sub-folder.
  EXPECT_EQ(FileMogChk("ソ\\x|ポ|"), "ソ￥x｜ポ｜");
  EXPECT_EQ(FileMogChk("表ソ能ポ"), "表ソ能ポ");
  // A replacement that holds what it replaces is not replaced again.
  s = "a-b-";
  MogChange(s, "-", "--");
  EXPECT_EQ(s, "a--b--");
  // "\ソ" is 5C 83 5C: the same bytes inside "ソソ" (its trail, then the next "ソ") do not match.
  s = "ソソ\\ソ";
  MogChange(s, "\\ソ", "x");
  EXPECT_EQ(s, "ソソx");
}

TEST(PathToSetKugiriMog, ExactlyOneDelimiterBeforeTheName) {
  EXPECT_EQ(PathToSetKugiriMog("C:\\dir", false), "C:\\dir\\");
  EXPECT_EQ(PathToSetKugiriMog("C:\\dir\\", false), "C:\\dir\\");
  EXPECT_EQ(PathToSetKugiriMog("C:\\ソ", false), "C:\\ソ\\");  // its 0x5C is no delimiter
  EXPECT_EQ(PathToSetKugiriMog("", false), "\\");
  EXPECT_EQ(PathToSetKugiriMog("C:\\file.txt", true), "C:\\file.txt");
}

TEST(ShortcutNames, FromTheCallerOrFromTheTarget) {
  EXPECT_EQ(ShortcutNameForPath("", "C:\\x\\report.txt"), "report");
  EXPECT_EQ(ShortcutNameForPath("", "C:\\x\\my.dir"), "my");
  EXPECT_EQ(ShortcutNameForPath("", "C:\\x\\my.dir\\"), "my");
  EXPECT_EQ(ShortcutNameForPath("Notes 1.2", "C:\\x\\report.txt"), "Notes 1．2");
  EXPECT_EQ(ShortcutNameForPath("", "C:\\ソ\\表.txt"), "表");
  EXPECT_EQ(ShortcutNameForPath("", "C:\\x\\.profile"), "．profile");
  EXPECT_EQ(ShortcutNameForPath("", "C:\\"), "C：");
  EXPECT_EQ(ShortcutNameForItem("", "readme.txt", false), "readme");
  EXPECT_EQ(ShortcutNameForItem("", "Local Disk (C:)", true), "Local Disk (C：)");
  EXPECT_EQ(ShortcutNameForItem("", "v1.5", true), "v1．5");
  EXPECT_EQ(ShortcutNameForItem("Mine", "v1.5", true), "Mine");
}

TEST(ShortcutNames, TakenNamesAreNumbered) {
  std::set<std::string> present;
  auto exists = [&present](const std::string& p) { return present.count(p) != 0; };
  EXPECT_EQ(NumberedLinkPath("D:\\s\\", "Name", exists), "D:\\s\\Name.lnk");
  present = {"D:\\s\\Name.lnk", "D:\\s\\Name(1).lnk"};
  EXPECT_EQ(NumberedLinkPath("D:\\s\\", "Name", exists), "D:\\s\\Name(2).lnk");
  present = {"D:\\s\\Name(1).lnk"};  // a gap: the plain name is free
  EXPECT_EQ(NumberedLinkPath("D:\\s\\", "Name", exists), "D:\\s\\Name.lnk");
}

TEST(ShortcutNames, ShortcutPathsByExtension) {
  EXPECT_TRUE(IsShortcutPath("C:\\a\\b.lnk"));
  EXPECT_TRUE(IsShortcutPath("C:\\a\\B.LNK"));
  EXPECT_FALSE(IsShortcutPath("C:\\a.lnk\\b"));
  EXPECT_FALSE(IsShortcutPath("C:\\a\\b.lnkx"));
  EXPECT_FALSE(IsShortcutPath("C:\\a\\lnk"));
}

}  // namespace
}  // namespace velmora
