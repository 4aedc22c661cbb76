// Browsing in velmora.exe as a user does it: a click on a registered folder, arrow keys,
// entering a sub-folder and going back up; the store files afterwards.
#include <gtest/gtest.h>

#include "app/win32/control_ids.h"
#include "e2e/app_driver.h"

using e2e::AppDriver;
using e2e::WaitFor;

namespace {

class BrowseE2E : public ::testing::Test {
 protected:
  // A content folder inside the application's temporary folder.
  std::string Content(const std::string& name) {
    const std::string path = app.appDir() + name;
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
  }
  void File(const std::string& path, std::size_t size) { e2e::WriteBytes(path, std::string(size, 'v')); }

  AppDriver app;
};

TEST_F(BrowseE2E, ClickListsTheFolderAndArrowKeysFollow) {
  const std::string docs = Content("docs");
  const std::string other = Content("other");
  File(docs + "\\b.txt", 10);
  File(docs + "\\a.txt", 2048);
  Content("docs\\sub");
  File(other + "\\only.dat", 1);
  app.WriteData("titlelist.txt", "Work\r\n");
  app.WriteData("folderlist.ini", "[Work]\r\n" + docs + "=2\r\n" + other + "=1\r\n\r\n");
  ASSERT_TRUE(app.Start());

  ASSERT_TRUE(app.ClickTreeNode(app.FindTreeNode("docs")));
  ASSERT_TRUE(WaitFor([&] { return app.ListRowCount() == 3; }));
  EXPECT_EQ(app.ListColumn(0), (std::vector<std::string>{"sub", "a.txt", "b.txt"}));
  EXPECT_EQ(app.ListCellText(1, 1), "2KB");
  EXPECT_EQ(app.StatusText(0), "3");
  EXPECT_EQ(app.StatusText(1), docs);
  // The worker fills in the type names.
  ASSERT_TRUE(WaitFor([&] { return !app.ListCellText(2, 2).empty(); }));

  // Down moves to the next registered folder and lists it like a click.
  app.PressKey(app.Control(velmora::IDC_TREE), VK_DOWN);
  ASSERT_TRUE(WaitFor([&] { return app.StatusText(1) == other; }));
  // The path shows as the listing starts; its rows come from the loader.
  EXPECT_TRUE(WaitFor([&] { return app.ListColumn(0) == std::vector<std::string>{"only.dat"}; }));
  // Home changes the selection but not the list.
  app.PressKey(app.Control(velmora::IDC_TREE), VK_HOME);
  ASSERT_TRUE(WaitFor([&] { return app.TreeSelection() == app.ReadTree()[0].handle; }));
  EXPECT_EQ(app.StatusText(1), other);
  ASSERT_EQ(app.Close(), 0);
}

TEST_F(BrowseE2E, EnterSubFolderGoUpAndRememberSelectionAndStyle) {
  const std::string docs = Content("docs");
  Content("docs\\inner");
  File(docs + "\\inner\\deep.txt", 1);
  File(docs + "\\top.txt", 1);
  app.WriteData("titlelist.txt", "Work\r\n");
  app.WriteData("folderlist.ini", "[Work]\r\n" + docs + "=2\r\n\r\n");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.ClickTreeNode(app.FindTreeNode("docs")));
  ASSERT_TRUE(WaitFor([&] { return app.ListRowCount() == 2; }));

  app.SelectListRow(0);
  app.PressKey(app.Control(velmora::IDC_LIST), VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return app.StatusText(1) == docs + "\\inner"; }));
  EXPECT_TRUE(WaitFor([&] { return app.ListColumn(0) == std::vector<std::string>{"deep.txt"}; }));

  // The list view button stores its style for the registered folder, even from below.
  ASSERT_TRUE(app.ClickToolbarButton(velmora::IDC_LISTBAR, velmora::IDM_VIEW_LIST));
  ASSERT_TRUE(WaitFor([&] {
    return (GetWindowLongA(app.Control(velmora::IDC_LIST), GWL_STYLE) & LVS_TYPEMASK) == LVS_LIST;
  }));

  app.PressKey(app.Control(velmora::IDC_LIST), VK_BACK);
  ASSERT_TRUE(WaitFor([&] { return app.ListRowCount() == 2 && app.IsListRowSelected(0); }));
  EXPECT_EQ(app.ListCellText(0, 0), "inner");
  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(app.ReadData("folderlist.ini"), "[Work]\r\n" + docs + "=1\r\ncmp=1\r\n\r\n[Orvik]\r\nFRG=0\r\nWID=152\r\n\r\n");
  EXPECT_EQ(app.ReadData("selectlist.ini"), "[Work-docs]\r\ninner=\r\n\r\n");
}

TEST_F(BrowseE2E, MissingFolderShowsTheNotFoundMarker) {
  const std::string gone = app.appDir() + "gone";
  app.WriteData("titlelist.txt", "Work\r\n");
  app.WriteData("folderlist.ini", "[Work]\r\n" + gone + "=0\r\n\r\n");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.ClickTreeNode(app.FindTreeNode("gone")));
  ASSERT_TRUE(WaitFor([&] { return app.StatusText(1) == "不明 > " + gone; }));
  EXPECT_EQ(app.ListRowCount(), 0);
  ASSERT_EQ(app.Close(), 0);
}

}  // namespace
