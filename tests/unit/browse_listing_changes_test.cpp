#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "browse/listing_changes.h"
#include "support/model_folder.h"
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
  FreshEntries fresh;
  fresh.LookedUp("\\a.txt", Rec("a.txt", 1));
  fresh.LookedUp("\\e.txt", Rec("e.txt", 1));
  fresh.LookedUp("\\d.txt", Rec("D.TXT", 5));  // the same file, its size and letter case changed
  fresh.LookedUp("\\Zsub", Rec("Zsub", 0, false));
  fresh.LookedUp("\\f.txt", nullptr);
  RowsOutOfPlace outOfPlace;
  const MergeCounts counts = MergeIntoListing(records, std::move(fresh), outOfPlace, SortColumn::Name, true, collation);
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
  FreshEntries fresh;
  fresh.entries.push_back(Rec("a.txt", 10));
  fresh.entries.push_back(Rec("b.txt", 40));  // grew past c
  fresh.whole = true;
  RowsOutOfPlace outOfPlace;
  const MergeCounts counts = MergeIntoListing(records, std::move(fresh), outOfPlace, SortColumn::Size, false, collation);
  EXPECT_EQ(Names(records), (std::vector<std::string>{"b.txt", "a.txt"}));
  EXPECT_EQ(records[0].get(), b);
  EXPECT_EQ(counts.removed, 1u);
  EXPECT_EQ(counts.changed, 1u);
  EXPECT_EQ(counts.added, 0u);
  // The unchanged record kept its completed texts.
  EXPECT_EQ(records[1]->typeText, "type");
}


// Listings following batches of changes: each row the folder's entry, one row per entry, in
// the list's order, the row of a file that stays being the same record.
TEST(MergeIntoListing, FollowsEveryBatchWithOneRowPerEntryInOrder) {
  struct Case {
    const char* what;
    bool caseSensitive;
    std::vector<std::string> listed;  // "/" ends a folder
    std::vector<std::function<void(ModelFolder&)>> batches;
    std::vector<std::string> rows;
    std::string kept, as;  // the row of kept ends as the row of as
    std::string renamedHere;  // renamed in the program before the batches
  };
  auto write = [](std::string name) { return [=](ModelFolder& f) { f.Write(name, 5); }; };
  auto rename = [](std::string from, std::string to) { return [=](ModelFolder& f) { f.Rename(from, to); }; };
  auto make = [](std::string name) { return [=](ModelFolder& f) { f.Create(name, true); }; };
  const Case cases[] = {
      {"two names in two cases, one written", true, {"A", "a"}, {write("a")}, {"A", "a"}, "a", "a", ""},
      {"a change of case by another program", false, {"a.txt"}, {rename("a.txt", "A.txt")}, {"A.txt"}, "a.txt", "A.txt", ""},
      {"one name removed and made in another case", false, {"A", "m"},
       {[](ModelFolder& f) { f.Remove("A");
         f.Create("a", true); }}, {"a", "m"}, "m", "m", ""},
      {"a rename to another type by another program", false, {"a.txt", "b.txt", "c.txt", "d.txt"},
       {rename("b.txt", "z.jpg"), make("e.txt")}, {"a.txt", "c.txt", "d.txt", "e.txt", "z.jpg"}, "b.txt", "z.jpg", ""},
      {"a file made beside a folder in another case", true, {"A/"}, {make("a")}, {"A", "a"}, "A", "A", ""},
      {"rows renamed in the program stay", false, {"a.txt", "b.txt", "c.txt", "d.txt"}, {make("e.txt")},
       {"a.txt", "z.jpg", "c.txt", "d.txt", "e.txt"}, "b.txt", "z.jpg", "b.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PortableCollation collation;
    ModelFolder folder(collation);
    folder.caseSensitive = c.caseSensitive;
    for (const std::string& name : c.listed)
      folder.Create(name.back() == '/' ? name.substr(0, name.size() - 1) : name, name.back() != '/');
    FileRecordList records = folder.Listing();
    SortRecords(records, SortColumn::Name, true, collation);
    folder.batch = ChangeBatch();
    const FileRecord* kept = nullptr;
    for (auto& record : records) {
      record->typeText = "done";
      if (record->name == c.kept) kept = record.get();
    }
    RowsOutOfPlace outOfPlace;
    if (!c.renamedHere.empty()) {
      folder.Rename(c.renamedHere, c.as);
      ApplyRename(*records[1], "\\" + c.as, "");
      outOfPlace.insert(records[1].get());
      MergeIntoListing(records, folder.Read(records), outOfPlace, SortColumn::Name, true, collation);
      folder.batch = ChangeBatch();
    }
    for (const auto& batch : c.batches) {
      batch(folder);
      MergeIntoListing(records, folder.Read(records), outOfPlace, SortColumn::Name, true, collation);
      folder.batch = ChangeBatch();
    }
    EXPECT_EQ(Names(records), c.rows);
    const auto row = std::find(c.rows.begin(), c.rows.end(), c.as) - c.rows.begin();
    ASSERT_LT(static_cast<std::size_t>(row), records.size());
    EXPECT_EQ(records[row].get(), kept);
    // Completed again under another name, unless the program renamed it and completes it itself.
    if (c.kept != c.as && c.renamedHere.empty()) {
      EXPECT_EQ(records[row]->typeText, "");
    }
  }
}

}  // namespace
}  // namespace velmora
