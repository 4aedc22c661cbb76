#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <stdexcept>

#include "common/command_table.h"
#include "app/command_list.h"
#include "app/help_page.h"
#include "app/startup_faults.h"
#include "app/window_rules.h"
#include "browse/completion_cursor.h"
#include "browse/file_record.h"
#include "text/cp932.h"

namespace velmora {
namespace {

// One message for all start-up faults, a line for each, nothing when all went well.
TEST(StartupFaults, OneMessageWithALineForEachFault) {
  EXPECT_EQ(StartupFaultText({}), "");
  const std::string all = StartupFaultText({true, true, true});
  EXPECT_EQ(all.find("起動時に次の問題がありました。"), 0u);
  const char* marks[] = {"プログラムの場所", "OLE", "シェル"};
  for (int fault = 0; fault < 3; ++fault) {
    StartupFaults one;
    (fault == 0 ? one.noProgramPath : fault == 1 ? one.noOle : one.noShell) = true;
    const std::string text = StartupFaultText(one);
    for (int other = 0; other < 3; ++other) {
      EXPECT_EQ(text.find(marks[other]) != std::string::npos, other == fault) << fault << " " << other;
      EXPECT_NE(all.find(marks[other]), std::string::npos);
    }
  }
}

TEST(WindowRules, SystemLevelFromTheVersion) {
  EXPECT_EQ(SystemLevelFor(true, kPlatformNt, 10, 0), 2);
  EXPECT_EQ(SystemLevelFor(true, kPlatformNt, 5, 0), 2);
  EXPECT_EQ(SystemLevelFor(true, kPlatformNt, 4, 0), 0);
  EXPECT_EQ(SystemLevelFor(true, kPlatformWindows9x, 4, 90), 1);  // Me
  EXPECT_EQ(SystemLevelFor(true, kPlatformWindows9x, 4, 10), 0);  // 98
  EXPECT_EQ(SystemLevelFor(false, kPlatformNt, 10, 0), 0);
}

TEST(WindowRules, LayoutClampsACopyAndKeepsTheStoredWidth) {
  // Minimised: the client is 0 wide, the pane is laid out at its minimum.
  EXPECT_EQ(LaidOutLeftWidth(300, 0), kSplitterMinimum);
  // Restored: the same stored width gives the pane back.
  EXPECT_EQ(LaidOutLeftWidth(300, 800), 300);
  // Narrow: the list keeps its minimum.
  EXPECT_EQ(LaidOutLeftWidth(300, 200), 200 - kSplitterWidth - kSplitterMinimum);
  EXPECT_EQ(LaidOutLeftWidth(10, 800), kSplitterMinimum);
  // The splitter's drag is clamped the same way, and only it changes the stored width.
  EXPECT_EQ(DraggedLeftWidth(790, 800), 800 - kSplitterWidth - kSplitterMinimum);
  EXPECT_EQ(DraggedLeftWidth(-20, 800), kSplitterMinimum);
  EXPECT_EQ(DraggedLeftWidth(222, 800), 222);
}

TEST(WindowRules, PreviewHeightKeepsPaneAndTreeUsable) {
  EXPECT_EQ(LaidOutPreviewHeight(95, 400), 95);
  EXPECT_EQ(LaidOutPreviewHeight(10, 400), kSplitterMinimum);
  // A short window takes the height from the pane, never the tree's last 50 pixels.
  EXPECT_EQ(LaidOutPreviewHeight(300, 200), 200 - kSplitterWidth - kSplitterMinimum);
  // Too short for both: they share what there is, and nothing goes negative.
  EXPECT_EQ(LaidOutPreviewHeight(95, 80), (80 - kSplitterWidth) / 2);
  EXPECT_EQ(LaidOutPreviewHeight(95, 0), 0);
  // Dragging the splitter's top edge to y in a column from 26 to 426.
  EXPECT_EQ(DraggedPreviewHeight(226, 26, 426), 426 - 226 - kSplitterWidth);
  EXPECT_EQ(DraggedPreviewHeight(420, 26, 426), kSplitterMinimum);
  EXPECT_EQ(DraggedPreviewHeight(0, 26, 426), 400 - kSplitterWidth - kSplitterMinimum);
}

std::unique_ptr<FileRecord> Record(const std::string& name, const std::string& type) {
  auto r = std::make_unique<FileRecord>();
  r->name = name;
  r->typeText = type;
  return r;
}

TEST(HelpPage, ShellFailuresAreToldWithTheSystemsReason) {
  // The shell's own codes have no system text; they become the system errors they mean.
  const struct {
    std::intptr_t result;
    std::uint32_t error;
  } codes[] = {{0, 8},     {2, 2},     {3, 3},     {5, 5},     {8, 8},     {11, 11},  {26, 32},
               {27, 1155}, {28, 1156}, {29, 1156}, {30, 1156}, {31, 1155}, {32, 1157}};
  for (const auto& c : codes) EXPECT_EQ(ShellExecuteErrorCode(c.result), c.error) << c.result;
  const std::string page = HelpPagePath("C:\\表\\");
  EXPECT_EQ(page, "C:\\表\\Help\\Velmora.htm");
  EXPECT_EQ(HelpNotOpenedText(page, "関連付けがありません。\r\n"),
            "ヘルプを開けませんでした。\r\n\r\nC:\\表\\Help\\Velmora.htm\r\n\r\n関連付けがありません。");
}

TEST(CompletionCursor, FollowsRecordsAcrossReorders) {
  FileRecordList records;
  records.push_back(Record("a", "done"));
  records.push_back(Record("b", ""));
  records.push_back(Record("c", ""));
  CompletionCursor cursor;
  EXPECT_EQ(cursor.Next(records), 1u);
  records[1]->typeText = "done";
  EXPECT_EQ(cursor.Next(records), 2u);
  // A sort moves the incomplete record in front of the cursor: a rewind finds it.
  std::swap(records[0], records[2]);
  cursor.Rewind();
  EXPECT_EQ(cursor.Next(records), 0u);
  records[0]->typeText = "done";
  EXPECT_EQ(cursor.Next(records), CompletionCursor::kNone);
  records.clear();
  cursor.Rewind();
  EXPECT_EQ(cursor.Next(records), CompletionCursor::kNone);
}

TEST(CommandTable, OnlyCommandsWithAnActionRunAndTheirRulesHold) {
  CommandTable table;
  int runs = 0;
  bool allowed = false;
  Command open;
  open.id = 10;
  open.hint = "開く|ファイルを開く";
  open.run = [&] { ++runs; };
  open.available = [&] { return allowed; };
  table.Add(open);
  Command later;
  later.id = 11;
  table.Add(later);

  EXPECT_FALSE(table.Run(10));
  allowed = true;
  EXPECT_TRUE(table.Run(10));
  EXPECT_EQ(runs, 1);
  // A command whose feature is not there is never available.
  EXPECT_FALSE(table.IsAvailable(11));
  EXPECT_FALSE(table.Run(11));
  EXPECT_FALSE(table.Run(99));
  EXPECT_EQ(table.Hint(10), "開く|ファイルを開く");
  EXPECT_EQ(table.Hint(99), "");
  EXPECT_TRUE(table.IsVisible(11));
  // One declaration per id.
  EXPECT_THROW(table.Add(open), std::logic_error);
}

TEST(CommandList, EveryMenuItemHasItsOwnAccessLetter) {
  CommandTable table;
  DeclareCommands(table);
  auto letter = [](const std::string& caption) { return caption.substr(caption.find('&') + 1, 1); };
  for (MenuId menu : {MenuId::kFile, MenuId::kEdit, MenuId::kView, MenuId::kSettings, MenuId::kHelp, MenuId::kList,
                      MenuId::kTree, MenuId::kSort}) {
    std::set<std::string> letters;
    for (int id : table.MenuItems(menu)) {
      const Command* c = table.Find(id);
      if (!c) continue;
      EXPECT_NE(c->caption.find('&'), std::string::npos) << c->caption;
      // The list's paste and properties have shared P from the start.
      EXPECT_TRUE(letters.insert(letter(c->caption)).second || id == IDM_LIST_PROPERTIES) << c->caption;
    }
  }
}

TEST(PathRules, NetworkPathsAndTheirRoots) {
  EXPECT_TRUE(IsNetworkPath("\\\\server\\share"));
  EXPECT_FALSE(IsNetworkPath("C:\\a"));
  EXPECT_FALSE(IsNetworkPath("\\a"));
  EXPECT_EQ(DriveRoot("C:\\Program Files\\Velmora\\"), "C:\\");
  EXPECT_EQ(DriveRoot("\\\\server\\share\\dir\\x"), "\\\\server\\share\\");
  EXPECT_EQ(DriveRoot("\\\\server\\share"), "\\\\server\\share");
  // A trail byte 0x5C inside the server's name is not a delimiter.
  EXPECT_EQ(DriveRoot("\\\\ソ表\\能\\dir"), "\\\\ソ表\\能\\");
}

TEST(ShellOverlay, SharedFoldersAndShortcutFilesOnly) {
  EXPECT_EQ(ShellOverlayIndex(true, true, false), 0);
  EXPECT_EQ(ShellOverlayIndex(true, false, true), -1);  // a folder shortcut shows as a folder
  EXPECT_EQ(ShellOverlayIndex(false, false, true), 1);
  EXPECT_EQ(ShellOverlayIndex(false, true, false), -1);
  EXPECT_EQ(ShellOverlayIndex(false, false, false), -1);
}

}  // namespace
}  // namespace velmora
