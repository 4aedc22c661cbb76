#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "browse/enumeration.h"
#include "support/fake_file_system.h"

namespace velmora {
namespace {

FindEntry Entry(const std::string& name, uint32_t attrs = 0x20) {
  FindEntry e;
  e.name = FakeFileSystem::Wide(name);
  e.attributes = attrs;
  return e;
}
FindEntry Dir(const std::string& name, uint32_t attrs = 0) { return Entry(name, attrs | 0x10); }

std::vector<std::string> Names(const FileRecordList& records) {
  std::vector<std::string> names;
  for (const auto& r : records) names.push_back(r->name);
  return names;
}

TEST(BrowseEnumeration, PatternPrefixesOnlyLocalPathsAtLevelTwo) {
  EXPECT_EQ(EnumerationPattern("C:\\dir", 2), "\\\\?\\C:\\dir\\*.*");
  EXPECT_EQ(EnumerationPattern("C:\\", 2), "\\\\?\\C:\\*.*");
  EXPECT_EQ(EnumerationPattern("\\\\server\\share\\dir", 2), "\\\\server\\share\\dir\\*.*");
  EXPECT_EQ(EnumerationPattern("C:\\dir", 1), "C:\\dir\\*.*");
  EXPECT_EQ(EnumerationPattern("C:\\ソ", 0), "C:\\ソ\\*.*");  // trail 0x5C is no backslash
}

TEST(BrowseEnumeration, FolderListingSkipsDotsAndFilteredEntries) {
  FakeFileSystem fs;
  fs.listings["\\\\?\\C:\\data\\*.*"] = {
      Dir("."), Dir(".."), Entry("a.txt"), Entry("hidden", 0x22), Entry("sys", 0x24),
      Entry("ro.txt", 0x21), Dir("ソ"), Dir("secret", 0x02), Entry("5g")};
  fs.listings["\\\\?\\C:\\data\\*.*"].back().sizeHigh = 1;
  ListingOptions options;
  options.record.rootFolder = "C:\\data";
  FileRecordList records;
  EXPECT_EQ(EnumerateFolder("C:\\data", fs, options, records), 4u);
  EXPECT_EQ(Names(records), (std::vector<std::string>{"a.txt", "ro.txt", "ソ", "5g"}));
  EXPECT_EQ(records[2]->relativePath, "\\ソ");
  EXPECT_FALSE(records[2]->isFile);
  EXPECT_EQ(records[3]->size, int64_t{1} << 32);
  EXPECT_EQ(records[0]->modifiedText, "1601/01/01 09:00");  // local time, not UTC

  options.switches = {true, true, false};
  records.clear();
  EnumerateFolder("C:\\data", fs, options, records);
  EXPECT_EQ(Names(records), (std::vector<std::string>{"a.txt", "hidden", "sys", "ソ", "secret", "5g"}));

  records.clear();
  EXPECT_EQ(EnumerateFolder("C:\\gone", fs, options, records), 0u);
}

class BrowseFlatListing : public ::testing::Test {
 protected:
  void SetUp() override { options.systemLevel = 1; options.record.rootFolder = "C:\\r"; }
  void Files(const std::string& folder, int count, std::vector<FindEntry> extra = {}) {
    auto& entries = fs.listings[folder + "\\*.*"];
    entries = {Dir("."), Dir("..")};
    for (int i = 0; i < count; ++i) entries.push_back(Entry(std::to_string(i)));
    entries.insert(entries.end(), extra.begin(), extra.end());
  }
  FakeFileSystem fs;
  ListingOptions options;
  FileRecordList records;
};

TEST_F(BrowseFlatListing, DepthFirstOwnFilesFirstNoFoldersNoFilter) {
  fs.listings["C:\\r\\a\\*.*"] = {Dir("."), Dir(".."), Dir("x"), Entry("a1"), Dir("y"),
                                 Entry("a2", 0x06)};
  fs.listings["C:\\r\\a\\x\\*.*"] = {Entry("x1"), Dir("z")};
  fs.listings["C:\\r\\a\\x\\z\\*.*"] = {Entry("z1")};
  fs.listings["C:\\r\\a\\y\\*.*"] = {Entry("y1")};
  fs.listings["C:\\r\\b\\*.*"] = {Entry("b1")};
  FlatListingResult result = CollectFilesFlat({"C:\\r\\a", "C:\\r\\b"}, fs, options, records);
  EXPECT_FALSE(result.limitExceeded);
  EXPECT_EQ(result.filesAdded, 6);
  EXPECT_EQ(Names(records), (std::vector<std::string>{"a1", "a2", "x1", "z1", "y1", "b1"}));
  EXPECT_EQ(records[3]->relativePath, "\\a\\x\\z\\z1");
}

TEST_F(BrowseFlatListing, StopsJustPastTheLimitAndReadsNoFurtherFolder) {
  Files("C:\\r\\a", 6, {Dir("s")});
  Files("C:\\r\\a\\s", 5);
  Files("C:\\r\\b", 10);
  FlatListingResult result = CollectFilesFlat({"C:\\r\\a", "C:\\r\\b"}, fs, options, records, 10);
  EXPECT_TRUE(result.limitExceeded);
  EXPECT_EQ(records.size(), 11u);
  for (const std::string& p : fs.searched) EXPECT_EQ(p.find("C:\\r\\b"), std::string::npos);
}

TEST_F(BrowseFlatListing, ExactlyTheLimitIsNoOverflow) {
  Files("C:\\r\\a", 10000);
  FlatListingResult result = CollectFilesFlat({"C:\\r\\a"}, fs, options, records);
  EXPECT_FALSE(result.limitExceeded);
  EXPECT_EQ(records.size(), 10000u);
}

TEST_F(BrowseFlatListing, FolderLoopEndsWhereThePlatformRefusesThePath) {
  // Each level of the loop costs a path as long as the depth, so a lower limit keeps the
  // walk short; the walk itself keeps no frame per level.
  fs.loop = true;
  fs.longestAccepted = 4000;
  options.systemLevel = 2;
  FlatListingResult result = CollectFilesFlat({"C:\\r"}, fs, options, records);
  EXPECT_EQ(result.filesAdded, 0);
  EXPECT_GT(fs.longestPattern, 4000u);  // walked to the end, without a stack overflow
}

}  // namespace
}  // namespace velmora
