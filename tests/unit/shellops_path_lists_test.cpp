#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/path_lists.h"
#include "support/recording_prompter.h"
#include "text/cp932.h"

namespace velmora {
namespace {

using namespace std::string_literals;

TEST(ShellopsPathLists, DoubleNulListFromPathText) {
  EXPECT_EQ(MakeDoubleNulList("C:\\a\r\nC:\\b\r\n"), "C:\\a\0C:\\b\0\0\0"s);
  EXPECT_EQ(MakeDoubleNulList("C:\\a\r\nC:\\b\r\n").size(), 12u);
  // A last line without CR LF still ends with its own NUL before the closing pair.
  EXPECT_EQ(MakeDoubleNulList("C:\\a"), "C:\\a\0\0\0"s);
  // Empty lines would end the list early for the shell.
  EXPECT_EQ(MakeDoubleNulList("\r\nC:\\a\r\n\r\nC:\\b\r\n"), "C:\\a\0C:\\b\0\0\0"s);
  EXPECT_EQ(MakeDoubleNulList(""), "\0\0"s);
  // "ソ" ends in byte 0x5C and stays whole.
  EXPECT_EQ(MakeDoubleNulList("C:\\ソ\r\n"), "C:\\\x83\x5C\0\0\0"s);
}

TEST(ShellopsPathLists, PathTextEndsEveryPathWithCrLf) {
  const std::vector<std::string> paths = {"C:\\a.txt", "D:\\表\\ソ"};
  EXPECT_EQ(PathText(paths), "C:\\a.txt\r\nD:\\表\\ソ\r\n");
}

TEST(ShellopsPathLists, DropFilesBlockByteForByte) {
  const std::string block = BuildDropFilesBlock("C:\\a\r\n");
  const std::string expected =
      "\x14\0\0\0"   // list offset 20
      "\0\0\0\0"     // pt.x
      "\0\0\0\0"     // pt.y
      "\0\0\0\0"     // not in a non-client area
      "\0\0\0\0"     // ANSI names
      "C:\\a\0\0\0"s;
  EXPECT_EQ(block.size(), 27u);
  EXPECT_EQ(block, expected);
  EXPECT_TRUE(BuildDropFilesBlock("").empty());
  EXPECT_TRUE(BuildDropFilesBlock("\r\n\r\n").empty());
}

TEST(ShellopsPathLists, DropFilesBlockReadsBack) {
  const std::vector<std::string> paths = {"C:\\a.txt", "C:\\表\\ソ能", "C:\\b c"};
  const std::string block = BuildDropFilesBlock(PathText(paths));
  auto names = ParseDropFilesBlock(block.data(), block.size());
  ASSERT_TRUE(names);
  EXPECT_FALSE(names->wide);
  EXPECT_EQ(names->ansi, paths);

  // A wide block another program wrote: offset 20, fWide 1, UTF-16LE names.
  std::string wide = "\x14\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x01\0\0\0"s;
  for (char c : "C:\\x"s) wide += std::string{c, '\0'};
  wide += "\0\0\0\0"s;
  names = ParseDropFilesBlock(wide.data(), wide.size());
  ASSERT_TRUE(names);
  EXPECT_TRUE(names->wide);
  ASSERT_EQ(names->utf16.size(), 1u);
  EXPECT_EQ(names->utf16[0], u"C:\\x");
}

TEST(ShellopsPathLists, MalformedDropFilesBlocksStayInBounds) {
  const std::string header = "\x14\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"s;
  EXPECT_FALSE(ParseDropFilesBlock(header.data(), 19));
  EXPECT_FALSE(ParseDropFilesBlock(nullptr, 40));
  std::string farOffset = header;
  farOffset[0] = '\x40';
  EXPECT_FALSE(ParseDropFilesBlock(farOffset.data(), farOffset.size()));
  // An offset inside the header would read names from the header's own bytes (here a point
  // whose bytes spell a path); such a block comes from a faulty program and is refused.
  for (char offset : {'\x00', '\x04', '\x08', '\x13'}) {
    std::string inside = "\x04\0\0\0" "C:\\w" "\0\0\0\0\0\0\0\0\0\0\0\0" "C:\\a\0\0"s;
    inside[0] = offset;
    EXPECT_FALSE(ParseDropFilesBlock(inside.data(), inside.size())) << static_cast<int>(offset);
  }
  // Header only: no names. A list cut off mid-name keeps the names before it.
  EXPECT_EQ(ParseDropFilesBlock(header.data(), header.size())->size(), 0u);
  const std::string cut = header + "C:\\a\0C:\\b"s;
  EXPECT_EQ(ParseDropFilesBlock(cut.data(), cut.size())->ansi, std::vector<std::string>{"C:\\a"});
}

TEST(ShellopsPathLists, PathsLongerThanTheShellsBuffersAreRefusedByName) {
  // 259 characters fit a MAX_PATH buffer with its closing NUL; counted in characters, so that
  // double-byte names fit as far as single-byte ones.
  const std::string fits = "C:\\" + std::string(256, 'a');
  std::string wideFits = "C:\\";
  for (int i = 0; i < 256; ++i) wideFits += "表";
  EXPECT_FALSE(PathTooLong(fits));
  EXPECT_FALSE(PathTooLong(wideFits));
  EXPECT_TRUE(PathTooLong(fits + "b"));
  EXPECT_TRUE(PathTooLong(wideFits + "表"));

  RecordingPrompter prompter;
  EXPECT_FALSE(RefuseTooLongPaths({"C:\\a", fits, wideFits}, prompter, "Velmora"));
  EXPECT_TRUE(prompter.texts.empty());
  EXPECT_TRUE(RefuseTooLongPaths({"C:\\a", wideFits + "表", fits + "b"}, prompter, "Velmora"));
  ASSERT_EQ(prompter.texts.size(), 1u);
  EXPECT_EQ(prompter.texts[0].rfind("[ " + wideFits + "表 ]\n", 0), 0u);
}

TEST(ShellopsPathLists, CopyTargetsInTheDestination) {
  EXPECT_EQ(JoinPath("C:\\", "a.txt"), "C:\\a.txt");
  EXPECT_EQ(JoinPath("C:\\dir", "a.txt"), "C:\\dir\\a.txt");
  EXPECT_EQ(JoinPath("C:\\dir\\", "a.txt"), "C:\\dir\\a.txt");
  EXPECT_EQ(JoinPath("C:\\ソ", "a.txt"), "C:\\ソ\\a.txt");  // 0x5C trail byte is no separator

  const CopyPlan plan = PlanCopyInto("C:\\", {"D:\\x\\a.txt", "D:\\x\\sub\\", "D:\\", "\\\\srv\\s\\表"});
  EXPECT_EQ(plan.sources, (std::vector<std::string>{"D:\\x\\a.txt", "D:\\x\\sub\\", "\\\\srv\\s\\表"}));
  EXPECT_EQ(plan.targets, (std::vector<std::string>{"C:\\a.txt", "C:\\sub", "C:\\表"}));
}

TEST(ShellopsPathLists, WideDropFilesBlockReadsBackAndMarksCountAsOneCharacter) {
  const std::vector<std::u16string> names = {u"C:\\caf\u00e9", u"C:\\\ud55c"};
  const std::string block = BuildWideDropFilesBlock(names);
  auto read = ParseDropFilesBlock(block.data(), block.size());
  ASSERT_TRUE(read.has_value());
  EXPECT_TRUE(read->wide);
  EXPECT_EQ(read->utf16, names);
  EXPECT_TRUE(BuildWideDropFilesBlock({}).empty());

  // A name of 259 characters fits the shell's buffers however many of them are marked.
  std::string marked = "C:\\";
  while (marked.size() < 4 + 255 * 5) AppendUnspellable(marked, 0xD55C);
  EXPECT_FALSE(PathTooLong(marked));
  AppendUnspellable(marked, 0xD55C);
  EXPECT_TRUE(PathTooLong(marked));
}

}  // namespace
}  // namespace velmora
