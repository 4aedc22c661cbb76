#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "browse/record_sort.h"
#include "support/portable_collation.h"

namespace velmora {
namespace {

class CountingCollation : public PortableCollation {
 public:
  mutable int compares = 0, keys = 0;
  int Compare(std::string_view a, std::string_view b) const override {
    ++compares;
    return PortableCollation::Compare(a, b);
  }
  std::string SortKey(std::string_view s) const override {
    ++keys;
    return PortableCollation::SortKey(s);
  }
};

std::unique_ptr<FileRecord> Rec(std::string name, bool isFile, int64_t size = 0,
                                std::string type = "", std::string date = "",
                                std::string attrs = "") {
  auto r = std::make_unique<FileRecord>();
  r->name = std::move(name);
  r->isFile = isFile;
  r->size = size;
  r->typeText = std::move(type);
  r->modifiedText = std::move(date);
  r->attributeText = std::move(attrs);
  return r;
}

std::vector<std::string> Names(const FileRecordList& records) {
  std::vector<std::string> names;
  for (const auto& r : records) names.push_back(r->name);
  return names;
}

class BrowseSort : public ::testing::Test {
 protected:
  void SetUp() override {
    records.push_back(Rec("b.txt", true, 5LL << 30, "TXT", "2024/01/02 03:04", "A"));
    records.push_back(Rec("Sub", false));
    records.push_back(Rec("a.txt", true, 10, "TXT", "2024/01/02 03:04", "A"));
    records.push_back(Rec("c.bin", true, 1LL << 30, "BIN", "2023/12/31 23:59", "RA"));
    records.push_back(Rec("abc", false));
  }
  PortableCollation collation;
  FileRecordList records;
};

// The header's arrow: the column last sorted and the direction that sort used.
void ExpectShown(const ListSort& sort, SortColumn column, bool ascending) {
  EXPECT_EQ(sort.sortedColumn(), column);
  EXPECT_EQ(sort.sortedAscending(), ascending);
}

TEST_F(BrowseSort, ListingOrderAndClickDirections) {
  ListSort sort;
  sort.SortAfterListing(records, collation);
  EXPECT_EQ(Names(records), (std::vector<std::string>{"abc", "Sub", "a.txt", "b.txt", "c.bin"}));
  EXPECT_TRUE(sort.ascending());
  ExpectShown(sort, SortColumn::Name, true);
  EXPECT_TRUE(sort.ColumnClick(0, records, collation));  // first click: ascending, no change
  EXPECT_EQ(Names(records), (std::vector<std::string>{"abc", "Sub", "a.txt", "b.txt", "c.bin"}));
  EXPECT_FALSE(sort.ascending());
  ExpectShown(sort, SortColumn::Name, true);
  EXPECT_TRUE(sort.ColumnClick(1, records, collation));  // any next click: descending
  EXPECT_EQ(Names(records), (std::vector<std::string>{"b.txt", "c.bin", "a.txt", "Sub", "abc"}));
  ExpectShown(sort, SortColumn::Size, false);
  EXPECT_FALSE(sort.ColumnClick(5, records, collation));
  EXPECT_FALSE(sort.ColumnClick(-1, records, collation));
  EXPECT_TRUE(sort.ascending());  // other indexes leave the direction alone
  ExpectShown(sort, SortColumn::Size, false);
  sort.ColumnClick(1, records, collation);
  EXPECT_EQ(Names(records), (std::vector<std::string>{"abc", "Sub", "a.txt", "c.bin", "b.txt"}));
  ExpectShown(sort, SortColumn::Size, true);
  sort.ColumnClick(2, records, collation);
  ExpectShown(sort, SortColumn::Type, false);
  sort.SortAfterListing(records, collation);
  EXPECT_TRUE(sort.ascending());
  ExpectShown(sort, SortColumn::Name, true);
}

TEST_F(BrowseSort, EqualKeysFallBackToNameInTheCurrentDirection) {
  for (SortColumn column : {SortColumn::Type, SortColumn::Date, SortColumn::Attributes}) {
    SortRecords(records, column, true, collation);
    auto names = Names(records);
    EXPECT_LT(std::find(names.begin(), names.end(), "a.txt"),
              std::find(names.begin(), names.end(), "b.txt")) << static_cast<int>(column);
    SortRecords(records, column, false, collation);
    names = Names(records);
    EXPECT_GT(std::find(names.begin(), names.end(), "a.txt"),
              std::find(names.begin(), names.end(), "b.txt")) << static_cast<int>(column);
    EXPECT_EQ(names.back(), "abc");  // descending puts folders last
  }
}

// Names that stress the collation: case, digits, kana of both widths, symbols, full-width
// Latin, CP932 characters with a 0x5C trail byte, prefixes of one another.
std::vector<std::unique_ptr<FileRecord>> VariedRecords(std::size_t count, unsigned seed) {
  const char* parts[] = {"a", "A", "b", "B", "work", "Work", "10", "9", "0", "_", "-", "=",
                         " ", ".", "~", "Ａ", "ａ", "ｱ", "ア", "あ", "ソ", "ソフト", "表",
                         "能", "ー", "!", "[", "z", "Z", "ﾞ"};
  const char* types[] = {"", "TXT ファイル", "txt ファイル", "フォルダ", "テキスト", "Ａ"};
  const char* dates[] = {"2024/01/02 03:04", "2023/12/31 23:59", "1999/09/09 09:09"};
  const char* attrs[] = {"", "A", "RA", "HA", "SHA", "N"};
  std::mt19937 rng(seed);
  std::vector<std::unique_ptr<FileRecord>> records;
  for (std::size_t i = 0; i < count; ++i) {
    std::string name;
    for (int n = 1 + static_cast<int>(rng() % 4); n > 0; --n) name += parts[rng() % 30];
    records.push_back(Rec(name, rng() % 4 != 0, static_cast<int64_t>(rng() % 5) << (rng() % 40),
                          types[rng() % 6], dates[rng() % 3], attrs[rng() % 6]));
  }
  return records;
}

TEST(BrowseSortKeys, GiveExactlyTheComparatorOrderWithoutCallingCompare) {
  CountingCollation collation;
  for (int column = 0; column <= 4; ++column) {
    for (bool ascending : {true, false}) {
      FileRecordList keyed = VariedRecords(3000, 7 + column);
      FileRecordList direct = VariedRecords(3000, 7 + column);
      SortColumn c = static_cast<SortColumn>(column);
      collation.compares = collation.keys = 0;
      SortRecords(keyed, c, ascending, collation);
      EXPECT_EQ(collation.compares, 0);
      EXPECT_LE(collation.keys, 2 * 3000);
      std::sort(direct.begin(), direct.end(), [&](const auto& a, const auto& b) {
        return CompareRecords(*a, *b, c, ascending, collation) < 0;
      });
      ASSERT_EQ(keyed.size(), direct.size());
      for (std::size_t i = 0; i < keyed.size(); ++i) {
        ASSERT_EQ(CompareRecords(*keyed[i], *direct[i], c, ascending, collation), 0)
            << "column " << column << " ascending " << ascending << " row " << i;
      }
      EXPECT_TRUE(IsInComparatorOrder(keyed, c, ascending, collation));
    }
  }
}

// Names' sort keys are the dear part of a sort: by size or date, only records whose number
// ties with another's need them.
TEST(BrowseSortKeys, SizeAndDateSortsMakeNameKeysOnlyForTies) {
  CountingCollation collation;
  for (SortColumn column : {SortColumn::Size, SortColumn::Date}) {
    FileRecordList records;
    for (int i = 0; i < 50; ++i) {
      const int64_t size = i < 28 ? i : 7;  // the rest tie with one another and with the eighth
      char date[20];
      std::snprintf(date, sizeof(date), "2024/01/%02d 03:04", static_cast<int>(size) + 1);
      records.push_back(Rec("n" + std::to_string(i), true, size, "", date));
    }
    collation.keys = 0;
    SortRecords(records, column, false, collation);
    EXPECT_EQ(collation.keys, 23) << static_cast<int>(column);  // 22 late records + their first twin
    EXPECT_TRUE(IsInComparatorOrder(records, column, false, collation));
  }
}

// Dates are sorted as numbers only where every text has one layout; any other mix of texts
// must still come out in the collation's order of the texts.
TEST(BrowseSortKeys, DatesInAnyLayoutMixGiveTheComparatorOrder) {
  PortableCollation collation;
  const std::vector<std::vector<const char*>> sets = {
      {"2024/01/02 03:04", "2023/12/31 23:59", "1999/09/09 09:09", "2024/01/02 03:05"},
      {"2024/01/02 03:04", "", "2023/12/31 23:59"},
      {"2024/01/02 03:04", "10000/01/01 00:00", "9999/12/31 23:59"},
      {"2024-01-02 03.04", "2024/01/02 03:04", "2023-12-31 23.59"},
      {"2024/01/02 03:04", "2024/01/0x 03:04", "2024/01/02 03:0"},
  };
  for (std::size_t set = 0; set < sets.size(); ++set) {
    for (bool ascending : {true, false}) {
      std::mt19937 rng(static_cast<unsigned>(set));
      FileRecordList records;
      for (int i = 0; i < 300; ++i) {
        const char* date = sets[set][rng() % sets[set].size()];
        records.push_back(Rec("n" + std::to_string(rng() % 1000), rng() % 5 != 0, 0, "", date));
      }
      SortRecords(records, SortColumn::Date, ascending, collation);
      EXPECT_TRUE(IsInComparatorOrder(records, SortColumn::Date, ascending, collation))
          << "set " << set << " ascending " << ascending;
    }
  }
}

TEST(BrowseSortKeys, OrderCheckSpotsOneSwappedPair) {
  PortableCollation collation;
  FileRecordList records = VariedRecords(200, 3);
  SortRecords(records, SortColumn::Name, true, collation);
  std::size_t i = 1;
  while (CompareRecords(*records[i - 1], *records[i], SortColumn::Name, true, collation) == 0) ++i;
  std::swap(records[i - 1], records[i]);
  EXPECT_FALSE(IsInComparatorOrder(records, SortColumn::Name, true, collation));
}

TEST(BrowseSearch, WholeNameMatchAndWrapRules) {
  FileRecordList records;
  for (const char* n : {"abcd", "ABC", "abc", "ソ", "abc"}) records.push_back(Rec(n, true));
  EXPECT_EQ(SearchByName(records, "abc", 0, false), 2);
  EXPECT_EQ(SearchByName(records, "abc", 3, false), 4);
  EXPECT_EQ(SearchByName(records, "ABC", 2, false), -1);
  EXPECT_EQ(SearchByName(records, "ABC", 2, true), 1);
  EXPECT_EQ(SearchByName(records, "ソ", 0, false), 3);
  EXPECT_EQ(SearchByName(records, "ab", 0, true), -1);
  EXPECT_EQ(SearchByName(records, "abcd", 99, true), 0);  // out-of-range start is clamped
  EXPECT_EQ(SearchByName(records, "abcd", -5, false), 0);
  EXPECT_EQ(SearchByName(FileRecordList(), "x", 0, true), -1);
}

}  // namespace
}  // namespace velmora
