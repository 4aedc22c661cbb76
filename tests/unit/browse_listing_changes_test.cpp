#include <gtest/gtest.h>

#include "browse/listing_changes.h"
#include "support/portable_collation.h"

namespace velmora {
namespace {

TEST(ChangeBatch, GathersDistinctNamesPairsRenamesAndRereadsPastItsLimit) {
  ChangeBatch batch(3);
  EXPECT_TRUE(batch.empty());
  batch.Add(ChangeKind::kAdded, L"a.txt");
  batch.Add(ChangeKind::kModified, L"a.txt");
  batch.Add(ChangeKind::kRenamedFrom, L"old.txt");
  batch.Add(ChangeKind::kRenamedTo, L"new.txt");
  EXPECT_EQ(batch.names(), (std::vector<std::wstring>{L"a.txt", L"old.txt", L"new.txt"}));
  ASSERT_EQ(batch.renames().size(), 1u);
  EXPECT_EQ(batch.renames()[0], (std::pair<std::wstring, std::wstring>{L"old.txt", L"new.txt"}));
  EXPECT_FALSE(batch.rereadAll());
  // A burst past the limit costs one reading of the folder, whatever its size.
  for (int i = 0; i < 10000; ++i) batch.Add(ChangeKind::kAdded, L"f" + std::to_wstring(i));
  EXPECT_TRUE(batch.rereadAll());
  EXPECT_TRUE(batch.names().empty());
  EXPECT_TRUE(batch.renames().empty());
  EXPECT_FALSE(batch.empty());

  ChangeBatch lost;
  lost.WatchLost();
  EXPECT_FALSE(lost.empty());
  EXPECT_TRUE(lost.watchLost());
}

TEST(ChangeBatch, HandsOverAfterQuietOrAtTheLatest) {
  // quiet 100, at most 500 after the first change
  EXPECT_EQ(HandOverDelay(1000, 1000, 1000, 100, 500), 100u);
  EXPECT_EQ(HandOverDelay(1100, 1000, 1000, 100, 500), 0u);
  EXPECT_EQ(HandOverDelay(1450, 1000, 1440, 100, 500), 50u);  // a steady stream still ends at 500
  EXPECT_EQ(HandOverDelay(1500, 1000, 1499, 100, 500), 0u);
}

std::unique_ptr<FileRecord> Rec(const std::string& name, int64_t size, bool isFile = true) {
  auto r = std::make_unique<FileRecord>();
  r->name = name;
  r->relativePath = "\\" + name;
  r->size = size;
  r->isFile = isFile;
  r->typeText = "type";
  r->iconIndex = 7;
  return r;
}

FileRecordList Listing(std::initializer_list<const char*> names) {
  FileRecordList records;
  for (const char* name : names) records.push_back(Rec(name, 1));
  return records;
}

std::vector<std::string> Names(const FileRecordList& records) {
  std::vector<std::string> names;
  for (const auto& r : records) names.push_back(r->name);
  return names;
}

TEST(MergeIntoListing, AddsInOrderRemovesGoneAndUpdatesInPlace) {
  PortableCollation collation;
  FileRecordList records = Listing({"b.txt", "d.txt", "f.txt"});
  records.insert(records.begin(), Rec("sub", 0, false));
  const FileRecord* d = records[2].get();
  FileRecordList fresh;
  fresh.push_back(Rec("a.txt", 1));
  fresh.push_back(Rec("e.txt", 1));
  fresh.push_back(Rec("D.TXT", 5));  // the same file, its size and letter case changed
  fresh.push_back(Rec("Zsub", 0, false));
  const MergeCounts counts = MergeIntoListing(records, std::move(fresh), {collation.FoldKey("\\f.txt")}, false,
                                              SortColumn::Name, true, collation);
  EXPECT_EQ(Names(records), (std::vector<std::string>{"sub", "Zsub", "a.txt", "b.txt", "D.TXT", "e.txt"}));
  EXPECT_EQ(counts.added, 3u);
  EXPECT_EQ(counts.removed, 1u);
  EXPECT_EQ(counts.changed, 1u);
  // The changed file is the same record, waiting for the worker again but keeping its icon.
  EXPECT_EQ(records[4].get(), d);
  EXPECT_EQ(d->size, 5);
  EXPECT_EQ(d->typeText, "");
  EXPECT_EQ(d->iconIndex, 7);
}

TEST(MergeIntoListing, ARereadDropsWhatIsNoLongerThereAndKeepsTheRest) {
  PortableCollation collation;
  FileRecordList records = Listing({"c.txt", "b.txt", "a.txt"});  // by size, descending
  records[0]->size = 30;
  records[1]->size = 20;
  records[2]->size = 10;
  const FileRecord* b = records[1].get();
  FileRecordList fresh;
  fresh.push_back(Rec("a.txt", 10));
  fresh.push_back(Rec("b.txt", 40));  // grew past c
  const MergeCounts counts = MergeIntoListing(records, std::move(fresh), {}, true, SortColumn::Size, false, collation);
  EXPECT_EQ(Names(records), (std::vector<std::string>{"b.txt", "a.txt"}));
  EXPECT_EQ(records[0].get(), b);
  EXPECT_EQ(counts.removed, 1u);
  EXPECT_EQ(counts.changed, 1u);
  EXPECT_EQ(counts.added, 0u);
  // The unchanged record kept its completed texts.
  EXPECT_EQ(records[1]->typeText, "type");
}

}  // namespace
}  // namespace velmora
