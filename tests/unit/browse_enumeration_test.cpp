#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <stdexcept>
#include <thread>
#include <vector>

#include "browse/enumeration.h"
#include "support/fake_file_system.h"
#include "support/portable_collation.h"

namespace velmora {
namespace {

FindEntry Entry(const std::string& name, uint32_t attrs = 0x20) { return FakeFileSystem::Entry(name, attrs); }
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

// Everything a row shows or is found by, in one text per record.
std::vector<std::string> Rows(const FileRecordList& records) {
  std::vector<std::string> rows;
  for (const auto& r : records)
    rows.push_back(r->relativePath + "|" + r->name + "|" + r->modifiedText + "|" + r->attributeText + "|" +
                   std::to_string(r->size) + "|" + (r->isFile ? "f" : "d") + "|" + std::to_string(r->iconIndex));
  return rows;
}

TEST(BrowseEnumeration, ListingReadAlongsideGivesTheSequentialRecordsAndOrder) {
  // Several hand-overs' worth of mixed names: letter case, digits, double-byte names,
  // folders among files, dots, and entries the switches hide.
  FakeFileSystem fs;
  auto& entries = fs.listings["\\\\?\\C:\\data\\*.*"];
  entries = {Dir("."), Dir("..")};
  const char* stems[] = {"b", "A", "ソ", "a", "_x", "表", "B10", "b2"};
  const uint32_t attrs[] = {0x20, 0x22, 0x24, 0x21, 0x10, 0x12, 0x00, 0x26};
  for (int i = 0; i < 5000; ++i) {
    FindEntry e = Entry(stems[i % 8] + std::to_string(i * 7919 % 5000), attrs[(i / 8) % 8]);
    e.lastWriteTime = 130000000000000000ull + static_cast<uint64_t>(i) * 600000000ull;
    e.sizeLow = static_cast<uint32_t>(i * 37);
    entries.push_back(e);
  }
  PortableCollation collation;
  ListingOptions options;
  options.record.rootFolder = "C:\\data";
  options.record.defaultFileIcon = 3;
  options.record.defaultFolderIcon = 4;
  for (AttributeSwitches switches : {AttributeSwitches{}, AttributeSwitches{true, true, true}}) {
    options.switches = switches;
    FileRecordList sequential, alongside;
    const std::size_t listed = EnumerateFolder("C:\\data", fs, options, sequential);
    ListSort().SortAfterListing(sequential, collation);
    NameKeys keys;
    // The platform's start-up work runs once, on the reading thread.
    std::vector<std::thread::id> starts;
    EXPECT_EQ(EnumerateFolderWithNameKeys("C:\\data", fs, options, collation, alongside, keys,
                                          [&] { starts.push_back(std::this_thread::get_id()); }),
              listed);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_NE(starts[0], std::this_thread::get_id());
    EXPECT_EQ(keys.size(), listed);
    ListSort().SortAfterListing(alongside, collation, &keys);
    EXPECT_GT(listed, 2000u);
    EXPECT_EQ(Rows(alongside), Rows(sequential)) << switches.hidden;
  }

  // A folder the search cannot read is listed empty, as before.
  NameKeys keys;
  FileRecordList none;
  EXPECT_EQ(EnumerateFolderWithNameKeys("C:\\gone", fs, options, collation, none, keys), 0u);
  EXPECT_TRUE(none.empty());
}

// A search with no end of its own: it stops only when told to.
class EndlessFolder : public FakeFileSystem {
 public:
  void Search(const std::string&, const std::function<bool(const FindEntry&)>& visit) override {
    for (int i = 0; i < (1 << 24); ++i) {
      if (throwAt == i) throw std::runtime_error("search failed");
      if (!visit(Entry("f" + std::to_string(i)))) {
        stoppedByListing = true;
        break;
      }
    }
    ended = true;
  }
  int throwAt = -1;
  std::atomic<bool> stoppedByListing{false}, ended{false};
};

class FailingCollation : public PortableCollation {
 public:
  std::string SortKey(std::string_view s) const override {
    if (++keys > 3000) throw std::runtime_error("no key");
    return PortableCollation::SortKey(s);
  }
  mutable int keys = 0;
};

TEST(BrowseEnumeration, AListingThatFailsEndsItsSearchAndPassesTheErrorOn) {
  ListingOptions options;
  FileRecordList records;
  {
    // This side fails: the search is stopped, not left running.
    EndlessFolder fs;
    FailingCollation collation;
    NameKeys keys;
    EXPECT_THROW(EnumerateFolderWithNameKeys("C:\\big", fs, options, collation, records, keys), std::runtime_error);
    EXPECT_TRUE(fs.ended);
    EXPECT_TRUE(fs.stoppedByListing);
  }
  {
    // The search fails: what it read is kept, and the error reaches the caller.
    EndlessFolder fs;
    fs.throwAt = 2500;
    PortableCollation collation;
    NameKeys keys;
    records.clear();
    EXPECT_THROW(EnumerateFolderWithNameKeys("C:\\big", fs, options, collation, records, keys), std::runtime_error);
    EXPECT_EQ(records.size(), 2500u);
  }
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
