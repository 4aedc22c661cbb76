#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "store/binder_store.h"
#include "support/portable_collation.h"
#include "support/fake_file_system.h"
#include "text/cp932.h"

namespace velmora {
namespace {

const std::string kData = kFakeDataDir;
const std::string& kTitles = kFakeTitleList;
const std::string& kFolders = kFakeFolderList;
const std::string& kSelect = kFakeSelectList;

class BinderStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { store.SetUpPaths(kFakeExeDir, "taro"); }
  PortableCollation collation;
  FakeFileSystem fs;
  BinderStore store{collation, fs};
};

TEST_F(BinderStoreTest, PathSetUpCreatesDataAndUserFolders) {
  const StorePaths& p = store.paths();
  EXPECT_EQ(p.exeDir, kFakeExeDir);
  EXPECT_EQ(p.dataFolder, kData);
  EXPECT_EQ(p.titleListPath, kTitles);
  EXPECT_EQ(p.folderListPath, kFolders);
  EXPECT_EQ(p.selectListPath, kSelect);
  EXPECT_EQ(fs.created, (std::vector<std::string>{"C:\\App\\data", "C:\\App\\data\\taro"}));

  // Existing folders are not created again; a folder whose name ends in "ソ" (0x5C) still
  // gets its own backslash.
  FakeFileSystem fs2;
  fs2.folders = {"D:\\ソ\\data", "D:\\ソ\\data\\表"};
  BinderStore other(collation, fs2);
  other.SetUpPaths("D:\\ソ", "表");
  EXPECT_TRUE(fs2.created.empty());
  EXPECT_EQ(other.paths().dataFolder, "D:\\ソ\\data\\");
  EXPECT_EQ(other.paths().exeDir, "D:\\ソ\\");
}

TEST_F(BinderStoreTest, MissingFilesGiveAnEmptyStoreWithoutBinders) {
  store.folders.WriteString("stale", "k", "v");
  EXPECT_FALSE(store.Load());
  EXPECT_EQ(store.titles.Count(), 0);
  EXPECT_TRUE(store.folders.SectionNames().empty());
  EXPECT_TRUE(store.selections.SectionNames().empty());
}

TEST_F(BinderStoreTest, LoadAndSaveKeepEveryByte) {
  // Titles A and B, sections B and C: C belongs to no binder and still survives a save.
  const std::string titles = "A\r\nB\r\n\r\nソ表\r\n";
  const std::string folders =
      "[B]\r\nD:\\Work=2\r\ncmp=0\r\nC:\\=0\r\n\r\n[C]\r\nE:\\x=1\r\n\r\n"
      "[ソ表]\r\nD:\\能\\ポ=1\r\n\r\n[Orvik]\r\nFRG=0\r\nWID=300\r\n\r\n";
  const std::string selections = "[B-Work]\r\nx=y.txt=\r\n表.doc=\r\n\r\n";
  fs.files = {{kTitles, titles}, {kFolders, folders}, {kSelect, selections}};
  ASSERT_TRUE(store.Load());
  EXPECT_EQ(store.titles.Count(), 4);
  EXPECT_FALSE(store.folders.SectionExists("A"));
  EXPECT_EQ(store.folders.ReadInteger(BinderStore::kSettingsSection, BinderStore::kWidthKey,
                                      BinderStore::kDefaultWidth),
            300);
  EXPECT_TRUE(store.Save().empty());
  EXPECT_EQ(fs.writes, (std::vector<std::string>{kFolders, kSelect, kTitles}));
  EXPECT_EQ(fs.files[kTitles], titles);
  EXPECT_EQ(fs.files[kFolders], folders);
  EXPECT_EQ(fs.files[kSelect], selections);
}

TEST_F(BinderStoreTest, FailedWriteKeepsOldFileAndOthersAreStillWritten) {
  fs.files = {{kTitles, "A\r\n"}, {kFolders, "[A]\r\ncmp=1\r\n\r\n"}, {kSelect, "[A-x]\r\na=\r\n\r\n"}};
  ASSERT_TRUE(store.Load());
  store.titles.Add("B");
  store.folders.WriteBool("B", "cmp", true);
  store.selections.EraseSection("A-x");
  fs.unwritable = {kSelect};
  EXPECT_EQ(store.Save(), (std::vector<std::string>{kSelect}));
  EXPECT_EQ(fs.files[kSelect], "[A-x]\r\na=\r\n\r\n");
  EXPECT_EQ(fs.files[kFolders], "[A]\r\ncmp=1\r\n\r\n[B]\r\ncmp=1\r\n\r\n");
  EXPECT_EQ(fs.files[kTitles], "A\r\nB\r\n");
}

TEST_F(BinderStoreTest, FileThatCouldNotBeReadIsNotOverwritten) {
  // A locked title list must not be replaced by the empty list that stood in for it.
  fs.files = {{kTitles, "A\r\nB\r\n"}, {kFolders, "[A]\r\ncmp=1\r\n\r\n"}};
  fs.unreadable = {kTitles};
  EXPECT_TRUE(store.Load());  // the file exists, so binders exist
  EXPECT_EQ(store.titles.Count(), 0);
  EXPECT_EQ(store.Save(), (std::vector<std::string>{kTitles}));
  EXPECT_EQ(fs.files[kTitles], "A\r\nB\r\n");
  EXPECT_EQ(fs.files[kFolders], "[A]\r\ncmp=1\r\n\r\n");
  EXPECT_EQ(fs.files[kSelect], "");  // missing at load: an empty document is written

  // Once it can be read again, the next load and save treat it normally.
  fs.unreadable.clear();
  ASSERT_TRUE(store.Load());
  EXPECT_EQ(store.titles.Count(), 2);
  EXPECT_TRUE(store.Save().empty());
}

// Reads and writes happen only under the store's lock, which is let go afterwards; a lock
// that cannot be had (another process stuck in its save) does not cost this one its changes.
TEST_F(BinderStoreTest, LoadAndSaveHoldTheLockAndSaveWithoutItWhenItCannotBeHad) {
  fs.files = {{kTitles, "A\r\n"}};
  ASSERT_TRUE(store.Load());
  store.titles.Add("B");
  EXPECT_TRUE(store.Save().empty());
  EXPECT_EQ(fs.unlockedAccesses, 0);
  EXPECT_FALSE(fs.locked);
  EXPECT_EQ(fs.lockedFolders, (std::vector<std::string>{kData, kData}));

  fs.lockRefused = true;
  store.titles.Add("C");
  EXPECT_TRUE(store.Save().empty());
  EXPECT_EQ(fs.files[kTitles], "A\r\nB\r\nC\r\n");
}

TEST_F(BinderStoreTest, RememberedSelectionsLeaveOutWhatTheFilesCannotSpell) {
  std::string cafe = "caf";
  AppendUnspellable(cafe, 0x00E9);
  // A name starting with ";" or "[" would read back as a comment or a section: left out,
  // the rest of the selection kept.
  store.RememberSelection("D:\\Data", {"a.txt", cafe, ";memo.txt", "[1].txt", "ソ.txt", "b;[.txt"});
  EXPECT_EQ(store.SelectionOf("D:\\Data"), (std::vector<std::string>{"a.txt", "ソ.txt", "b;[.txt"}));
  store.Save();
  BinderStore again{collation, fs};
  again.SetUpPaths(kFakeExeDir, "taro");
  again.Load();
  EXPECT_EQ(again.SelectionOf("D:\\Data"), (std::vector<std::string>{"a.txt", "ソ.txt", "b;[.txt"}));
  store.RememberSelection("D:\\" + cafe, {"a.txt"});
  EXPECT_FALSE(store.selections.SectionExists("D:\\" + cafe));
}

// The files come from outside: a 0x01 another program wrote there is no mark of ours. The
// title, section or key holding it is left out, and the next save writes the files without it.
TEST_F(BinderStoreTest, TitlesSectionsAndKeysHoldingTheMarkByteAreLeftOutAtLoad) {
  fs.files[kTitles] = "A\r\nB\x01" "00FCro\r\nC\r\n";
  fs.files[kFolders] = "[A]\r\nD:\\Data=0\r\nD:\\caf\x01" "00E9=1\r\n\r\n[B\x01" "00FCro]\r\nD:\\x=0\r\n\r\n"
                       "[C]\r\nD:\\y=2\r\n\r\n";
  fs.files[kSelect] = "[A-Data]\r\na.txt=\r\nb\x01" "00E9.txt=\r\n\r\n[A-caf\x01" "00E9]\r\nx=\r\n\r\n";
  ASSERT_TRUE(store.Load());
  ASSERT_EQ(store.titles.Count(), 2);
  EXPECT_EQ(store.titles[0], "A");
  EXPECT_EQ(store.titles[1], "C");
  EXPECT_EQ(store.folders.SectionNames(), (std::vector<std::string>{"A", "C"}));
  std::vector<std::string> keys;
  store.folders.ReadSectionKeys("A", keys);
  EXPECT_EQ(keys, std::vector<std::string>{"D:\\Data"});
  EXPECT_EQ(store.SelectionOf("A-Data"), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(store.selections.SectionNames(), std::vector<std::string>{"A-Data"});
  EXPECT_TRUE(store.Save().empty());
  for (const std::string& file : {kTitles, kFolders, kSelect}) EXPECT_TRUE(IsSpellable(fs.files[file])) << file;
  EXPECT_EQ(fs.files[kTitles], "A\r\nC\r\n");
}

}  // namespace
}  // namespace velmora
