#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_list.h"
#include "support/fake_file_system.h"
#include "shellops/list_menu.h"
#include "shellops/open_rules.h"

namespace velmora {
namespace {

// Captions of the items the state shows, top to bottom; "-" for a separator.
std::vector<std::string> Shown(const ListMenuState& state) {
  CommandTable table;
  DeclareCommands(table);
  std::vector<std::string> captions;
  for (int id : table.MenuItems(MenuId::kList)) {
    if (id == kSeparator)
      captions.push_back("-");
    else if (ListMenuItemShown(id, state))
      captions.push_back(table.Find(id)->caption);
  }
  return captions;
}

TEST(ShellopsListMenu, ItemsShowForWhatIsUnderTheCursorAndSelected) {
  ListMenuState folderRow{true, false, 1, false, true};
  EXPECT_EQ(Shown(folderRow), (std::vector<std::string>{"開く(&O)", "-", "送る(&N)", "-", "コピー(&C)", "-",
                                                        "フォルダの作成(&F)", "名前の変更(&M)", "削除(&D)", "-",
                                                        "プロパティ(&P)"}));
  ListMenuState fileRow{true, true, 2, true, true};
  EXPECT_EQ(Shown(fileRow),
            (std::vector<std::string>{"開く(&O)", "アプリケーションから開く(&H)", "-", "送る(&N)", "-", "コピー(&C)",
                                      "貼り付け(&P)", "-", "フォルダの作成(&F)", "削除(&D)", "-", "プロパティ(&P)"}));
  // A file under the cursor but nothing selected: no open-with.
  ListMenuState nothing{true, true, 0, false, true};
  EXPECT_EQ(Shown(nothing), (std::vector<std::string>{"-", "-", "-", "フォルダの作成(&F)", "-"}));
  ListMenuState nothingListed{false, false, 0, true, false};
  EXPECT_EQ(Shown(nothingListed), (std::vector<std::string>{"-", "-", "貼り付け(&P)", "-", "-"}));
  // Selected rows but the menu opened over empty space: open-with needs a file row there.
  ListMenuState emptySpace{false, false, 3, false, true};
  EXPECT_FALSE(ListMenuItemShown(IDM_LIST_OPEN_WITH, emptySpace));
  EXPECT_TRUE(ListMenuItemShown(IDM_LIST_PROPERTIES, emptySpace));
}

class ShellopsOpen : public ::testing::Test {
 protected:
  void SetUp() override {
    fs.AddFolder("C:\\r\\sub");
    fs.AddFile("C:\\r\\a.txt");
    fs.AddFile("C:\\r\\x.lnk");
    fs.AddFile("C:\\r\\x.LNK");
    fs.AddFolder("D:\\work");
    fs.AddFile("C:\\top.txt");
  }
  OpenDecision Open(const std::string& path) {
    followed.clear();
    return DecideOpen(path, fs, [this](std::string& p) {
      followed.push_back(p);
      if (linkResult == 0 && (fs.IsExistingFile(linkTarget) || fs.IsExistingFolder(linkTarget))) p = linkTarget;
      return linkResult;
    });
  }
  FakeFileSystem fs;
  std::string linkTarget = "D:\\work";
  int linkResult = 0;
  std::vector<std::string> followed;
};

TEST_F(ShellopsOpen, FoldersAreEnteredAndFilesStarted) {
  OpenDecision d = Open("C:\\r\\sub");
  EXPECT_EQ(d.kind, OpenKind::kEnterFolder);
  EXPECT_EQ(d.path, "C:\\r\\sub");
  d = Open("C:\\r\\a.txt");
  EXPECT_EQ(d.kind, OpenKind::kStartFile);
  EXPECT_EQ(d.workingFolder, "C:\\r");
  EXPECT_EQ(Open("C:\\top.txt").workingFolder, "C:\\");  // a drive root keeps its backslash
  EXPECT_EQ(Open("::{shell-only}").kind, OpenKind::kProbeFolder);
  EXPECT_EQ(Open("").kind, OpenKind::kNothing);
  EXPECT_TRUE(followed.empty());
  // The Open-with fallback reads the rest of its command line as the path: no quotes.
  EXPECT_EQ(OpenWithParameters("C:\\my files\\data.xyz"), "shell32.dll,OpenAs_RunDLL C:\\my files\\data.xyz");
}

TEST_F(ShellopsOpen, ShortcutsInExactCaseAreFollowed) {
  OpenDecision d = Open("C:\\r\\x.lnk");
  EXPECT_EQ(followed, std::vector<std::string>{"C:\\r\\x.lnk"});
  EXPECT_EQ(d.kind, OpenKind::kEnterFolder);
  EXPECT_EQ(d.path, "D:\\work");

  // Upper case: the shell opens the file itself.
  d = Open("C:\\r\\x.LNK");
  EXPECT_TRUE(followed.empty());
  EXPECT_EQ(d.kind, OpenKind::kStartFile);
  EXPECT_EQ(d.path, "C:\\r\\x.LNK");

  // Target gone: the shortcut itself goes to the shell.
  linkTarget = "D:\\gone";
  d = Open("C:\\r\\x.lnk");
  EXPECT_EQ(d.kind, OpenKind::kStartFile);
  EXPECT_EQ(d.path, "C:\\r\\x.lnk");

  // A shortcut to an item without a file-system path (a Control Panel item): the shell
  // opens the shortcut itself.
  linkResult = kLinkToShellItem;
  d = Open("C:\\r\\x.lnk");
  EXPECT_EQ(d.kind, OpenKind::kOpenShortcut);
  EXPECT_EQ(d.path, "C:\\r\\x.lnk");

  // A shortcut that cannot be resolved: nothing at all.
  linkResult = static_cast<int>(0x80004005);  // E_FAIL
  EXPECT_EQ(Open("C:\\r\\x.lnk").kind, OpenKind::kNothing);
  // No follower: the shell gets the shortcut.
  EXPECT_EQ(DecideOpen("C:\\r\\x.lnk", fs, nullptr).kind, OpenKind::kStartFile);
}

}  // namespace
}  // namespace velmora
