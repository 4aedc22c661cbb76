// The send-to menu's rows, the text programs receive and the kind of each entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/file_attributes.h"
#include "shellops/send_to.h"

namespace velmora {
namespace {

std::vector<std::string> Captions(const std::vector<SendToRow>& rows) {
  std::vector<std::string> out;
  for (const SendToRow& row : rows) out.push_back(row.caption);
  return out;
}

TEST(SendToRows, VisibleEntriesInTheListingsOrder) {
  const std::vector<ListedEntry> listing = {
      {".", kAttrDirectory},
      {"..", kAttrDirectory},
      {"zeta.lnk", kAttrArchive},
      {"desktop.ini", kAttrHidden | kAttrSystem},
      {"Backup.2024", kAttrDirectory},
      {"secret.lnk", kAttrHidden},
      {"sys.exe", kAttrSystem},
      {"デスクトップ (ショートカットを作成).DeskLink", kAttrArchive},
      {"Alpha.txt", kAttrReadOnly},
      {"R&D.lnk", 0},
      {".profile", 0},
  };
  const std::vector<SendToRow> rows = SendToRows("C:\\Users\\me\\SendTo", listing);
  EXPECT_EQ(Captions(rows), (std::vector<std::string>{"zeta", "Backup.2024", "デスクトップ (ショートカットを作成)",
                                                      "Alpha", "R&&D", ".profile"}));
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0].path, "C:\\Users\\me\\SendTo\\zeta.lnk");
  EXPECT_EQ(rows[1].path, "C:\\Users\\me\\SendTo\\Backup.2024");
  EXPECT_EQ(SendToRows("C:\\ソ\\", {{"a.lnk", 0}})[0].path, "C:\\ソ\\a.lnk");
  EXPECT_TRUE(SendToRows("C:\\x", {}).empty());
  EXPECT_TRUE(SendToRows("C:\\x", {{".", kAttrDirectory}, {"desktop.ini", kAttrHidden}}).empty());
  // Every "&" doubles, after a double-byte character too.
  EXPECT_EQ(SendToRows("C:\\x", {{"表&&.lnk", 0}})[0].caption, "表&&&&");
}

TEST(SendToParameters, QuotedAndJoinedByOneLineFeed) {
  EXPECT_EQ(SendToParameters({}), "");
  EXPECT_EQ(SendToParameters({"C:\\a b\\c.txt"}), "\"C:\\a b\\c.txt\"");
  EXPECT_EQ(SendToParameters({"C:\\a", "C:\\ソ\\表.txt", "\\\\srv\\share\\d"}),
            "\"C:\\a\"\n\"C:\\ソ\\表.txt\"\n\"\\\\srv\\share\\d\"");
}

TEST(ClassifySendTarget, ByTheTargetsOwnNameThenByWhatItIs) {
  const std::string base = "C:\\Users\\me\\SendTo\\";
  EXPECT_EQ(ClassifySendTarget(base + "デスクトップ (ショートカットを作成).DeskLink", false), SendToKind::kDeskLink);
  EXPECT_EQ(ClassifySendTarget(base + "マイ ドキュメント.MyDocs", false), SendToKind::kMyDocs);
  EXPECT_EQ(ClassifySendTarget(base + "メール受信者.MAPIMail", false), SendToKind::kMailRecipient);
  EXPECT_EQ(ClassifySendTarget(base + "Mail.mapimail", false), SendToKind::kMailRecipient);
  EXPECT_EQ(ClassifySendTarget("D:\\Archive", true), SendToKind::kFolder);
  EXPECT_EQ(ClassifySendTarget("D:\\Archive\\", true), SendToKind::kFolder);
  EXPECT_EQ(ClassifySendTarget("C:\\Tools\\edit.exe", false), SendToKind::kProgram);
  // The folders above the target are not looked at.
  EXPECT_EQ(ClassifySendTarget("C:\\Users\\mydocs\\SendTo\\edit.lnk", false), SendToKind::kProgram);
  EXPECT_EQ(ClassifySendTarget("C:\\desklink\\backup", true), SendToKind::kFolder);
  // The special names win over being a folder, in their order.
  EXPECT_EQ(ClassifySendTarget("C:\\x\\mydocs.desklink", true), SendToKind::kDeskLink);
  // Letters of double-byte characters are not lowered: "ＭｙＤｏｃｓ" is no match.
  EXPECT_EQ(ClassifySendTarget("C:\\x\\ＭｙＤｏｃｓ", false), SendToKind::kProgram);
}

TEST(DeskLinkName, NameOfTheFirstPathAndTheSuffix) {
  EXPECT_EQ(DeskLinkName("C:\\x\\report.txt", false), "report へのショートカット");
  EXPECT_EQ(DeskLinkName("C:\\x\\v1.2", true), "v1.2 へのショートカット");
  EXPECT_EQ(DeskLinkName("C:\\x\\v1.2\\", true), "v1.2 へのショートカット");
  EXPECT_EQ(DeskLinkName("C:\\ソ\\表.txt", false), "表 へのショートカット");
  EXPECT_EQ(DeskLinkName("C:\\", true), "C: へのショートカット");
}

TEST(DropHandlerClassId, OnlyTheClassFormOfTheValue) {
  EXPECT_EQ(DropHandlerClassId("CLSID\\{9E56BE60-C50F-11CF-9A2C-00A0C90A90CE}"),
            "{9E56BE60-C50F-11CF-9A2C-00A0C90A90CE}");
  EXPECT_EQ(DropHandlerClassId("clsid\\{1}"), "{1}");
  EXPECT_EQ(DropHandlerClassId(""), "");
  EXPECT_EQ(DropHandlerClassId("CLSID\\"), "");
  EXPECT_EQ(DropHandlerClassId("mapimailfile"), "");
  EXPECT_EQ(DropHandlerClassId("CLSID\\{unterminated"), "");
  EXPECT_EQ(SendToOptionImage(false), 26);
  EXPECT_EQ(SendToOptionImage(true), 27);
}

}  // namespace
}  // namespace velmora
