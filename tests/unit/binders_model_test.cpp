// What the binder tree shows, decided from the store alone.
#include <gtest/gtest.h>

#include "app/hint_text.h"
#include "binders/binder_model.h"
#include "store/binder_store.h"
#include "support/portable_collation.h"
#include "support/fake_file_system.h"

namespace velmora {
namespace {

class BinderModelTest : public ::testing::Test {
 protected:
  PortableCollation collation;
  FakeFileSystem files;
  BinderStore store{collation, files};
};

TEST_F(BinderModelTest, FoldersInStoreOrderWithDisplayNamesAndNoFlag) {
  store.titles.Parse("Work\r\nEmpty\r\n");
  store.folders.Parse("[work]\r\nD:\\Work=2\r\nCMP=0\r\nC:\\=0\r\n\\\\server\\share\\ソ=1\r\n\r\n[Other]\r\nX:\\y=0\r\n");
  const std::vector<BinderEntry> binders = ReadBinders(store, collation);
  ASSERT_EQ(binders.size(), 2u);
  EXPECT_EQ(binders[0].title, "Work");
  ASSERT_EQ(binders[0].folders.size(), 3u);
  EXPECT_EQ(binders[0].folders[0].displayName, "Work");
  EXPECT_EQ(binders[0].folders[0].path, "D:\\Work");
  EXPECT_EQ(binders[0].folders[1].displayName, "C:\\");  // a drive root shows whole
  EXPECT_EQ(binders[0].folders[2].displayName, "ソ");    // its trail byte is not a separator
  EXPECT_TRUE(binders[1].folders.empty());               // a title without a section
}

TEST_F(BinderModelTest, SortingOrdersBindersAndTheirFolders) {
  std::vector<BinderEntry> binders = {{"B", {{"z", "C:\\z"}, {"a", "C:\\a"}}}, {"a", {}}};
  SortBinders(binders, collation);
  EXPECT_EQ(binders[0].title, "a");
  EXPECT_EQ(binders[1].title, "B");
  EXPECT_EQ(binders[1].folders[0].path, "C:\\a");
}

TEST(BinderNodeRules, Ghosting) {
  const std::uint32_t hidden = 0x2 | 0x10;
  EXPECT_TRUE(IsGhostedFolder("C:\\secret", true, hidden));
  EXPECT_FALSE(IsGhostedFolder("C:\\", true, hidden));        // drive roots never
  EXPECT_FALSE(IsGhostedFolder("C:\\secret", false, hidden));  // attributes unreadable
  EXPECT_FALSE(IsGhostedFolder("C:\\plain", true, 0x10));
}

TEST(HintText, ShortAndLongParts) {
  EXPECT_EQ(ShortHint("更新|最新の情報に更新"), "更新");
  EXPECT_EQ(LongHint("更新|最新の情報に更新"), "最新の情報に更新");
  EXPECT_EQ(ShortHint("全て展開"), "全て展開");
  EXPECT_EQ(LongHint("全て展開"), "全て展開");
  // "ポ" ends in the byte of "|": it does not split the hint.
  EXPECT_EQ(ShortHint("ポイント"), "ポイント");
  EXPECT_EQ(LongHint("ポ|ヒント"), "ヒント");
}

}  // namespace
}  // namespace velmora
