#include <gtest/gtest.h>

#include "browse/name_filter.h"
#include "browse/shown_rows.h"

namespace velmora {
namespace {

struct MatchCase {
  const wchar_t* typed;
  const wchar_t* name;
  bool matches;
};

TEST(NameFilter, ContainsIgnoringCaseAndWidthWithWildcards) {
  const MatchCase cases[] = {
      {L"rep", L"Annual Report.txt", true},  // anywhere, any case
      {L"REP", L"annual report.txt", true},
      {L"xyz", L"Annual Report.txt", false},
      {L"ＲＥＰ", L"report.txt", true},  // full-width letters
      {L"rep", L"ｒｅｐｏｒｔ.txt", true},
      {L"１２", L"file12.txt", true},  // full-width digits
      {L"カタ", L"ｶﾀｶﾅ.txt", true},  // half-width kana
      {L"ｶﾞｲﾄﾞ", L"ガイド.pdf", true},  // sound marks join their kana
      {L"パン", L"ﾊﾟﾝ", true},
      {L"ガ", L"ｶ.txt", false},
      {L"かた", L"カタ", false},  // hiragana and katakana stay apart
      {L"é", L"CAFÉ", true},  // letters beyond ASCII
      {L"δ", L"ΑΒΓΔ", true},
      {L"ж", L"ЖУК", true},
      {L"a b", L"a\u3000b", true},  // the ideographic space
      {L"*.txt", L"notes.txt", true},
      {L"*.txt", L"notes.doc", false},
      {L"r*t.t", L"report.txt", true},
      {L"r*t.t", L"tr.t", false},
      {L"a?c", L"xabcx", true},
      {L"a?c", L"ac", false},
      {L"a??", L"ab", false},
      {L"?", L"", false},
      {L"a?c", L"a\U0001F600c", true},  // one character, whatever its code units
      {L"**", L"", true},  // wildcards alone take every name
      {L"", L"anything", true},
      {L"ab*ab", L"xabx", false},  // a piece is not matched twice over the same characters
      {L"ab*ab", L"abab", true},
      {L"＊", L"star＊.txt", true},  // a full-width star in a name is no wildcard
  };
  PortableNameFolding folding;
  for (const MatchCase& c : cases) {
    NameMatcher matcher(c.typed, folding);
    EXPECT_EQ(matcher.Matches(c.name), c.matches) << "typed \"" << testing::PrintToString(std::wstring(c.typed))
                                                  << "\" name " << testing::PrintToString(std::wstring(c.name));
  }
}

TEST(NameFilter, ShownRowsMapRowsToRecordsWithoutCopying) {
  FileRecordList records;
  for (const char* name : {"alpha.txt", "beta.doc", "gamma.txt", "delta.doc"}) {
    records.push_back(std::make_unique<FileRecord>());
    records.back()->name = name;
  }
  PortableNameFolding folding;
  const WideNameOf nameOf = [](const FileRecord& r, std::wstring& scratch) -> std::wstring_view {
    scratch.assign(r.name.begin(), r.name.end());
    return scratch;
  };
  ShownRows rows;
  EXPECT_EQ(rows.RowCount(records.size()), 4u);
  EXPECT_EQ(RowRecord(records, rows, 3), records[3].get());
  rows.ShowOnly(MatchingRecords(records, NameMatcher(L".DOC", folding), nameOf));
  ASSERT_EQ(rows.RowCount(records.size()), 2u);
  EXPECT_EQ(RowRecord(records, rows, 0), records[1].get());
  EXPECT_EQ(RowRecord(records, rows, 1), records[3].get());
  EXPECT_EQ(RowRecord(records, rows, 2), nullptr);
  EXPECT_EQ(RowRecord(records, rows, -1), nullptr);
  EXPECT_EQ(rows.RowOf(3, records.size()), 1);
  EXPECT_EQ(rows.RowOf(2, records.size()), -1);  // hidden
  EXPECT_EQ(rows.RowOf(9, records.size()), -1);
  // The view's search by name counts shown rows, wrapping within them.
  EXPECT_EQ(SearchShownByName(records, rows, "delta.doc", 0, false), 1);
  EXPECT_EQ(SearchShownByName(records, rows, "beta.doc", 1, true), 0);
  EXPECT_EQ(SearchShownByName(records, rows, "beta.doc", 1, false), -1);
  EXPECT_EQ(SearchShownByName(records, rows, "alpha.txt", 0, true), -1);
  rows.ShowAll();
  EXPECT_EQ(rows.RowCount(records.size()), 4u);
  EXPECT_EQ(SearchShownByName(records, rows, "alpha.txt", 0, true), 0);
}

}  // namespace
}  // namespace velmora
