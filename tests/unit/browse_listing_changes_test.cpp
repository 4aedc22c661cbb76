#include <gtest/gtest.h>

#include <algorithm>

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


// Listings following a batch each: one row per entry on disk, in the list's order, the row of
// a file that stays being the same record, completed again when its name changed.
TEST(MergeIntoListing, FollowsEveryBatchWithOneRowPerEntryInOrder) {
  constexpr auto kFrom = ChangeKind::kRenamedFrom, kTo = ChangeKind::kRenamedTo, kAdded = ChangeKind::kAdded;
  struct Case {
    const char* what;
    bool caseSensitive, renamedHere;  // the second row was renamed in the program to as
    std::vector<std::string> listed, disk;
    std::vector<std::pair<ChangeKind, std::wstring>> notices;
    std::vector<std::string> rows;
    std::string kept, as;  // the row of kept ends as the row of as
  };
  const std::vector<std::string> abcd = {"a.txt", "b.txt", "c.txt", "d.txt"};
  const Case cases[] = {
      {"two names in two cases, one written", true, false, {"A", "a"}, {"A", "a"}, {{ChangeKind::kModified, L"a"}},
       {"A", "a"}, "a", "a"},
      {"a change of case by another program", false, false, {"a.txt"}, {"A.txt"}, {{kFrom, L"a.txt"}, {kTo, L"A.txt"}},
       {"A.txt"}, "a.txt", "A.txt"},
      {"a name removed and made in another case", false, false, {"A", "m"}, {"a", "m"},
       {{ChangeKind::kRemoved, L"A"}, {kAdded, L"a"}}, {"a", "m"}, "m", "m"},
      {"a rename to another type by another program", false, false, abcd, {"a.txt", "c.txt", "d.txt", "z.jpg"},
       {{kFrom, L"b.txt"}, {kTo, L"z.jpg"}}, {"a.txt", "c.txt", "d.txt", "z.jpg"}, "b.txt", "z.jpg"},
      {"a file made beside a folder in another case", true, false, {"A/"}, {"A/", "a"}, {{kAdded, L"a"}}, {"A", "a"},
       "A", "A"},
      {"a row renamed in the program stays", false, true, abcd, {"a.txt", "c.txt", "d.txt", "e.txt", "z.jpg"},
       {{kFrom, L"b.txt"}, {kTo, L"z.jpg"}, {kAdded, L"e.txt"}}, {"a.txt", "z.jpg", "c.txt", "d.txt", "e.txt"},
       "b.txt", "z.jpg"},
  };
  PortableCollation collation;
  auto entry = [](const std::string& name) {  // "/" ends a folder's name
    return name.back() == '/' ? Rec(name.substr(0, name.size() - 1), 0, false) : Rec(name, 0);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FileRecordList records;
    const FileRecord* kept = nullptr;
    for (const std::string& name : c.listed) {
      records.push_back(entry(name));
      if (records.back()->name == c.kept) kept = records.back().get();
    }
    RowsOutOfPlace outOfPlace;
    if (c.renamedHere) {
      ApplyRename(*records[1], "\\" + c.as, "");
      outOfPlace.insert(records[1].get());
    }
    ChangeBatch batch;
    for (const auto& notice : c.notices) batch.Add(notice.first, notice.second);
    auto read = [&](const std::string& path) {  // by its spelling, else letter case aside
      std::unique_ptr<FileRecord> found;
      for (const std::string& name : c.disk) {
        auto record = entry(name);
        if (record->relativePath == path ||
            (!found && !c.caseSensitive && collation.FoldKey(record->relativePath) == collation.FoldKey(path)))
          found = std::move(record);
      }
      return found;
    };
    auto path = [](const std::wstring& name) { return "\\" + std::string(name.begin(), name.end()); };
    MergeIntoListing(records, ReadChangedEntries(batch, records, collation, path, read), outOfPlace, SortColumn::Name,
                     true, collation);
    EXPECT_EQ(Names(records), c.rows);
    const auto row = std::find(c.rows.begin(), c.rows.end(), c.as) - c.rows.begin();
    ASSERT_LT(static_cast<std::size_t>(row), records.size());
    EXPECT_EQ(records[row].get(), kept);
    EXPECT_EQ(records[row]->typeText, c.kept != c.as && !c.renamedHere ? "" : "type");
  }
}

}  // namespace
}  // namespace velmora
