#include <gtest/gtest.h>

#include "browse/navigation.h"

namespace velmora {
namespace {

TEST(BrowseNavigation, GoUpSelectsTheFolderJustLeft) {
  struct Case { const char* current; const char* parent; const char* name; };
  const Case cases[] = {
      {"C:\\sub", "C:\\", "sub"},
      {"C:\\a\\b", "C:\\a", "b"},
      {"C:\\", "C:\\", "C:\\"},               // a root selects its own text
      {"C:\\a\\b\\", "C:\\a", "b"},           // not back into the same folder
      {"C:\\ソ", "C:\\", "ソ"},                // ソ ends in byte 0x5C
      {"C:\\ソ\\表", "C:\\ソ", "表"},
      {"C:\\表能\\ソ\\", "C:\\表能", "ソ"},
      {"\\\\srv\\share\\dir", "\\\\srv\\share", "dir"},
  };
  for (const Case& c : cases) {
    UpTarget t = GoUpTarget(c.current);
    EXPECT_EQ(t.parent, c.parent) << c.current;
    EXPECT_EQ(t.nameToSelect, c.name) << c.current;
  }
}

TEST(BrowseNavigation, UpStopsAtTheRegisteredFolderAndAtRoots) {
  EXPECT_FALSE(CanGoUp("C:\\data", "C:\\data"));
  EXPECT_TRUE(CanGoUp("C:\\data\\x", "C:\\data"));
  EXPECT_FALSE(CanGoUp("C:\\ソ", "C:\\ソ"));
  EXPECT_TRUE(CanGoUp("C:\\ソ\\表", "C:\\ソ"));
  // Reached through a shortcut's target outside the registered folder.
  EXPECT_TRUE(CanGoUp("D:\\work", "C:\\data"));
  EXPECT_FALSE(CanGoUp("D:\\", "C:\\data"));
  EXPECT_FALSE(CanGoUp("\\\\srv\\share", "C:\\data"));
  EXPECT_TRUE(CanGoUp("\\\\srv\\share\\d", "C:\\data"));
  EXPECT_FALSE(CanGoUp("", ""));
}

TEST(BrowseNavigation, RememberedSelectionRoundTrip) {
  FileRecordList records;
  for (const char* n : {"b", "ソ", "a", "dup", "dup"}) {
    records.push_back(std::make_unique<FileRecord>());
    records.back()->name = n;
  }
  EXPECT_EQ(SelectionSection("仕事", "ソ"), "仕事-ソ");
  EXPECT_EQ(SelectionKeys(records, {4, 1, 3, 9, -1}),
            (std::vector<std::string>{"ソ", "dup"}));  // row order, each name once

  Reselection r = RowsToReselect(records, {"ソ", "gone", "dup", "A"});
  EXPECT_EQ(r.rows, (std::vector<int>{1, 3}));
  EXPECT_EQ(r.scrollTo, 1);
  r = RowsToReselect(records, {"gone", "a"});
  EXPECT_EQ(r.rows, (std::vector<int>{2}));
  EXPECT_EQ(r.scrollTo, -1);  // only the first remembered name is scrolled to
}

}  // namespace
}  // namespace velmora
