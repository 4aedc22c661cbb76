#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/portable_collation.h"
#include "store/title_list.h"

namespace velmora {
namespace {

std::vector<std::string> All(const TitleList& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]);
  return out;
}

using Titles = std::vector<std::string>;

TEST(TitleList, ReadsEveryLineEndAndEmptyLines) {
  PortableCollation c;
  TitleList list(c);
  list.Parse("A\r\nB\nC\rD");
  EXPECT_EQ(All(list), (Titles{"A", "B", "C", "D"}));
  // An empty line is a binder with an empty title; the last line end adds nothing.
  list.Parse("A\r\n\r\nB\r\n");
  EXPECT_EQ(All(list), (Titles{"A", "", "B"}));
  list.Parse("A\r\r\nB\n\n");
  EXPECT_EQ(All(list), (Titles{"A", "", "B", ""}));
  list.Parse("\r\n");
  EXPECT_EQ(All(list), (Titles{""}));
  list.Parse("");
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Text(), "");
}

TEST(TitleList, TextRoundTripsByteForByte) {
  PortableCollation c;
  TitleList list(c);
  const std::string text = "ソフト\r\n\r\n表示|能\r\nポ\r\nWork\r\n";
  list.Parse(text);
  EXPECT_EQ(list.Count(), 5);
  EXPECT_EQ(list[2], "表示|能");
  EXPECT_EQ(list.Text(), text);
  list.Parse("A\nB");  // written back with CR LF after every title, the last included
  EXPECT_EQ(list.Text(), "A\r\nB\r\n");
}

TEST(TitleList, IndexOfIgnoresCaseAndFollowsChanges) {
  PortableCollation c;
  TitleList list(c);
  list.Parse("Work\r\nＡｂｃ\r\nソ\r\n");
  EXPECT_EQ(list.IndexOf("WORK"), 0);
  EXPECT_EQ(list.IndexOf("ａＢｃ"), 1);
  EXPECT_EQ(list.IndexOf("ソ"), 2);
  EXPECT_EQ(list.IndexOf("Wor"), -1);
  EXPECT_EQ(list.IndexOf(""), -1);

  list.Replace(0, "Play");  // renaming keeps the place
  EXPECT_EQ(list.IndexOf("work"), -1);
  EXPECT_EQ(list.IndexOf("play"), 0);
  list.Delete(1);
  EXPECT_EQ(list.IndexOf("ソ"), 1);
  list.Add("");
  EXPECT_EQ(list.IndexOf(""), 2);
  list.Replace(9, "x");
  list.Delete(-1);
  EXPECT_EQ(list.Text(), "Play\r\nソ\r\n\r\n");
}

TEST(TitleList, TitlesWithLineBreaksAreNotStorable) {
  EXPECT_TRUE(TitleList::IsStorable("ソフト"));
  EXPECT_TRUE(TitleList::IsStorable(""));
  EXPECT_FALSE(TitleList::IsStorable("a\r\nb"));
  EXPECT_FALSE(TitleList::IsStorable("a\nb"));
}

}  // namespace
}  // namespace velmora
