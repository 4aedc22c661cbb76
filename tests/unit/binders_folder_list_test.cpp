// The folder list of a binder: rows, removals kept until OK, and what OK takes away.
#include <gtest/gtest.h>

#include "binders/folder_list.h"
#include "store/binder_store.h"
#include "support/portable_collation.h"
#include "support/fake_file_system.h"

namespace velmora {
namespace {

class FolderListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store.titles.Parse("Work\r\nOther\r\n");
    store.folders.Parse(
        "[Work]\r\nD:\\Work=2\r\ncmp=1\r\nC:\\=0\r\nD:\\ソ=0\r\nD:\\Last=0\r\n\r\n[Other]\r\nD:\\Work=0\r\n");
  }
  std::vector<std::string> Paths(const FolderListEdit& edit) {
    std::vector<std::string> out;
    for (const FolderEntry& row : edit.rows()) out.push_back(row.path);
    return out;
  }
  PortableCollation collation;
  FakeFileSystem files;
  BinderStore store{collation, files};
};

TEST_F(FolderListTest, RowsAreTheBindersFoldersWithoutTheFlag) {
  FolderListEdit edit(store, "work", collation);
  EXPECT_EQ(Paths(edit), (std::vector<std::string>{"D:\\Work", "C:\\", "D:\\ソ", "D:\\Last"}));
  EXPECT_EQ(edit.rows()[2].displayName, "ソ");
  EXPECT_EQ(FolderListCaption("Work"), "Workバインダーが管理するフォルダ");
  // Copy takes the selected rows from top to bottom, whatever order they were picked in.
  EXPECT_EQ(edit.PathsOf({3, 0, 2, 9, -1}), (std::vector<std::string>{"D:\\Work", "D:\\ソ", "D:\\Last"}));
}

TEST_F(FolderListTest, RemovalsReachTheStoreOnlyThroughApply) {
  const std::string before = store.folders.Text();
  {
    FolderListEdit edit(store, "Work", collation);
    edit.RemoveRows({0, 2});
    EXPECT_EQ(Paths(edit), (std::vector<std::string>{"C:\\", "D:\\Last"}));
    EXPECT_EQ(edit.removed(), (std::vector<std::string>{"D:\\ソ", "D:\\Work"}));  // last row first
    // Cancel: the edit goes, the store never saw it.
  }
  EXPECT_EQ(store.folders.Text(), before);

  FolderListEdit edit(store, "Work", collation);
  edit.RemoveRows({1});
  edit.RemoveRows({0, 0, 7});  // indices of the rows left now
  EXPECT_EQ(edit.Apply(), (std::vector<std::string>{"C:\\", "D:\\Work"}));
  EXPECT_TRUE(edit.removed().empty());
  std::vector<std::string> keys;
  store.folders.ReadSectionKeys("Work", keys);
  EXPECT_EQ(keys, (std::vector<std::string>{"cmp", "D:\\ソ", "D:\\Last"}));
  // The same folder in another binder stays.
  EXPECT_TRUE(store.folders.ValueExists("Other", "D:\\Work"));
}

TEST(FolderRowLook, IconWhenReadableGhostWhenHidden) {
  EXPECT_FALSE(LookOfFolderRow(false, 0x12).hasIcon);
  EXPECT_FALSE(LookOfFolderRow(false, 0x12).ghosted);
  EXPECT_TRUE(LookOfFolderRow(true, 0x10).hasIcon);
  EXPECT_FALSE(LookOfFolderRow(true, 0x10).ghosted);
  EXPECT_TRUE(LookOfFolderRow(true, 0x16).ghosted);  // a hidden drive root is ghosted here
}

}  // namespace
}  // namespace velmora
