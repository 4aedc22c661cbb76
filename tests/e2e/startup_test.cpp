// velmora.exe started with prepared store files, inspected from outside and closed.
#include <gtest/gtest.h>

#include "app/win32/control_ids.h"
#include "e2e/app_driver.h"
#include "support/window_rect.h"

using e2e::AppDriver;
using e2e::TreeNode;

namespace {

using test_support::ChildRect;

const std::string kSettingsDefault = "[Orvik]\r\nFRG=0\r\nWID=152\r\n\r\n";

std::vector<std::string> Texts(const std::vector<TreeNode>& nodes) {
  std::vector<std::string> texts;
  for (const TreeNode& n : nodes) texts.push_back(n.text);
  return texts;
}

FILETIME WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

ULONGLONG Ticks(FILETIME t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

void SetWriteTime(const std::string& path, ULONGLONG ticks) {
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  FILETIME t = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SetFileTime(h, nullptr, nullptr, &t);
  CloseHandle(h);
}


}  // namespace

TEST(Startup, WithoutTitleListShowsOnlyTheCollapsedRoot) {
  AppDriver app;
  ASSERT_TRUE(app.Start());
  EXPECT_EQ(app.WindowText(app.window()), "Velmora");
  RECT r;
  GetWindowRect(app.window(), &r);
  EXPECT_EQ(r.right - r.left, 651);
  EXPECT_EQ(r.bottom - r.top, 428);
  // Centred on the screen.
  EXPECT_LE(std::abs((r.left + r.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
  EXPECT_LE(std::abs((r.top + r.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);

  const std::vector<TreeNode> tree = app.ReadTree();
  ASSERT_EQ(tree.size(), 1u);
  EXPECT_EQ(tree[0].text, "バインダー");
  EXPECT_TRUE(tree[0].children.empty());
  EXPECT_FALSE(tree[0].expanded);
  EXPECT_TRUE(e2e::Exists(app.appDir() + "data"));

  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(app.ReadData("folderlist.ini"), kSettingsDefault);
  EXPECT_EQ(app.ReadData("selectlist.ini"), "");
}

TEST(Startup, TitlesWithoutSectionsAndSectionsWithoutTitles) {
  AppDriver app;
  app.WriteData("titlelist.txt", "A\r\nB\r\n");
  app.WriteData("folderlist.ini", "[B]\r\nC:\\=0\r\n\r\n[C]\r\nX:\\keep=1\r\ncmp=0\r\n\r\n");
  ASSERT_TRUE(app.Start());
  const std::vector<TreeNode> tree = app.ReadTree();
  ASSERT_EQ(tree.size(), 1u);
  EXPECT_TRUE(tree[0].expanded);
  ASSERT_EQ(Texts(tree[0].children), (std::vector<std::string>{"A", "B"}));
  EXPECT_TRUE(tree[0].children[0].children.empty());
  ASSERT_EQ(Texts(tree[0].children[1].children), (std::vector<std::string>{"C:\\"}));
  EXPECT_TRUE(tree[0].children[1].expanded);  // no "cmp" reads as expanded
  ASSERT_EQ(app.Close(), 0);
  // C stays as it was; A, which had no section, gets one holding only its flag.
  EXPECT_EQ(app.ReadData("folderlist.ini"),
            "[B]\r\nC:\\=0\r\ncmp=1\r\n\r\n[C]\r\nX:\\keep=1\r\ncmp=0\r\n\r\n[A]\r\ncmp=0\r\n\r\n" + kSettingsDefault);
  EXPECT_EQ(app.ReadData("titlelist.txt"), "A\r\nB\r\n");
}

TEST(Startup, FolderNodesUseDisplayNamesAndTheStoredExpandedFlag) {
  AppDriver app;
  app.WriteData("titlelist.txt", "Work\r\n");
  app.WriteData("folderlist.ini", "[Work]\r\nD:\\Work=2\r\ncmp=0\r\nC:\\=0\r\n\r\n");
  ASSERT_TRUE(app.Start());
  std::vector<TreeNode> tree = app.ReadTree();
  ASSERT_EQ(tree.size(), 1u);
  ASSERT_EQ(tree[0].children.size(), 1u);
  EXPECT_EQ(tree[0].children[0].text, "Work");
  EXPECT_FALSE(tree[0].children[0].expanded);
  EXPECT_EQ(tree[0].children[0].image, 0);
  // Its folders as the user sees them on opening it; closed again, it is stored closed.
  HWND control = app.Control(velmora::IDC_TREE);
  const HTREEITEM node = app.FindTreeNode("Work");
  ASSERT_TRUE(SendMessageA(control, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node)));
  tree = app.ReadTree();
  SendMessageA(control, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(node));
  const TreeNode& binder = tree[0].children[0];
  ASSERT_EQ(Texts(binder.children), (std::vector<std::string>{"C:\\", "Work"}));
  for (const TreeNode& folder : binder.children) {
    EXPECT_EQ(folder.image, 2);
    EXPECT_FALSE(folder.ghosted) << folder.text;
  }
  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(app.ReadData("folderlist.ini"), "[Work]\r\nD:\\Work=2\r\ncmp=0\r\nC:\\=0\r\n\r\n" + kSettingsDefault);
}

TEST(Startup, BindersAreSortedWordWiseNotByBytes) {
  AppDriver app;
  app.WriteData("titlelist.txt", "B\r\na\r\n");
  ASSERT_TRUE(app.Start());
  const std::vector<TreeNode> tree = app.ReadTree();
  ASSERT_EQ(tree.size(), 1u);
  EXPECT_EQ(Texts(tree[0].children), (std::vector<std::string>{"a", "B"}));
  ASSERT_EQ(app.Close(), 0);
  // The title list keeps creation order; flags are written in tree order.
  EXPECT_EQ(app.ReadData("titlelist.txt"), "B\r\na\r\n");
  EXPECT_EQ(app.ReadData("folderlist.ini"), "[a]\r\ncmp=0\r\n\r\n[B]\r\ncmp=0\r\n\r\n" + kSettingsDefault);
}

TEST(Startup, StoredPaneWidthAndLargeIconsAreAppliedAndWrittenBack) {
  AppDriver app;
  app.WriteData("titlelist.txt", "Work\r\n");
  app.WriteData("folderlist.ini", "[Work]\r\nC:\\windows=1\r\n\r\n[Orvik]\r\nWID=300\r\nFRG=1\r\n\r\n");
  ASSERT_TRUE(app.Start());
  HWND tree = app.Control(velmora::IDC_TREE);
  HWND list = app.Control(velmora::IDC_LIST);
  EXPECT_EQ(ChildRect(app.window(), tree).right - ChildRect(app.window(), tree).left, 300);
  EXPECT_EQ(ChildRect(app.window(), list).left, 304);
  // The list tool bar starts where the file list does.
  EXPECT_EQ(ChildRect(app.window(), app.Control(velmora::IDC_LISTBAR)).left, 304);
  EXPECT_EQ(SendMessageA(app.Control(velmora::IDC_LAREG), BM_GETCHECK, 0, 0), BST_CHECKED);
  const std::vector<TreeNode> nodes = app.ReadTree();
  ASSERT_EQ(nodes.size(), 1u);
  EXPECT_EQ(nodes[0].image, 4);  // the root icon appended to the 32-pixel list
  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(app.ReadData("folderlist.ini"),
            "[Work]\r\nC:\\windows=1\r\ncmp=1\r\n\r\n[Orvik]\r\nWID=300\r\nFRG=1\r\n\r\n");
}

TEST(Startup, SmallIconsUseTheSixteenPixelRootIcon) {
  AppDriver app;
  ASSERT_TRUE(app.Start());
  const std::vector<TreeNode> nodes = app.ReadTree();
  ASSERT_EQ(nodes.size(), 1u);
  EXPECT_EQ(nodes[0].image, 28);
  EXPECT_EQ(ChildRect(app.window(), app.Control(velmora::IDC_TREE)).right, 152);
  ASSERT_EQ(app.Close(), 0);
}

TEST(Startup, UnchangedStoreIsRewrittenByteForByteInOrder) {
  AppDriver app;
  // Titles whose second byte is "\" or "|", an empty title, and a key holding "=".
  const std::string titles = "ソフト\r\n表計算\r\n\r\n能力ポ\r\n";
  const std::string folders =
      "[ソフト]\r\nC:\\ソフト=1\r\nC:\\a=b=2\r\ncmp=1\r\n\r\n"
      "[表計算]\r\ncmp=0\r\n\r\n"
      "[]\r\ncmp=0\r\n\r\n"
      "[能力ポ]\r\ncmp=0\r\n\r\n"
      "[Orvik]\r\nFRG=0\r\nWID=152\r\n\r\n";
  const std::string selections = "[ソフト-ソフト]\r\nx=y.txt=\r\n表.doc=\r\n\r\n";
  app.WriteData("titlelist.txt", titles);
  app.WriteData("folderlist.ini", folders);
  app.WriteData("selectlist.ini", selections);
  const ULONGLONG old = 116444736000000000ULL;  // 1970, long before this run
  for (const char* name : {"titlelist.txt", "folderlist.ini", "selectlist.ini"}) SetWriteTime(app.dataPath(name), old);
  ASSERT_TRUE(app.Start());
  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(app.ReadData("titlelist.txt"), titles);
  EXPECT_EQ(app.ReadData("folderlist.ini"), folders);
  EXPECT_EQ(app.ReadData("selectlist.ini"), selections);
  const ULONGLONG f = Ticks(WriteTime(app.dataPath("folderlist.ini")));
  const ULONGLONG s = Ticks(WriteTime(app.dataPath("selectlist.ini")));
  const ULONGLONG t = Ticks(WriteTime(app.dataPath("titlelist.txt")));
  EXPECT_GT(f, old);
  EXPECT_LE(f, s);
  EXPECT_LE(s, t);
}

