#include <gtest/gtest.h>

#include "browse/file_record.h"

namespace velmora {
namespace {

TEST(BrowseRecordTexts, AttributeLettersKeepFixedOrderAndIgnoreOtherBits) {
  EXPECT_EQ(FormatAttributes(0x80), "N");
  EXPECT_EQ(FormatAttributes(0x04 | 0x02 | 0x20), "SHA");
  EXPECT_EQ(FormatAttributes(0x21), "RA");
  EXPECT_EQ(FormatAttributes(0x10), "");              // directory bit adds nothing
  EXPECT_EQ(FormatAttributes(0xFFFFFF00u), "");       // only the low byte counts
  EXPECT_EQ(FormatAttributes(0xFF), "SHRAN");
}

TEST(BrowseRecordTexts, FilterNeedsEverySwitchTheEntryCarries) {
  struct Case { uint32_t attrs; bool s, h, r, passes; };
  const Case cases[] = {
      {0x20, false, false, false, true},   // no S/H/R bit: always listed
      {0x01, false, false, true, true},    // default switches list read-only
      {0x01, false, false, false, false},
      {0x02, false, false, true, false},   // default switches hide hidden
      {0x12, false, false, true, false},   // a hidden folder alike
      {0x04, false, true, true, false},
      {0x06, true, false, true, false},    // system + hidden needs both
      {0x06, false, true, true, false},
      {0x06, true, true, false, true},
      {0x07, true, true, false, false},
      {0x07, true, true, true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PassesAttributeFilter(c.attrs, {c.s, c.h, c.r}), c.passes)
        << std::hex << c.attrs << " S" << c.s << " H" << c.h << " R" << c.r;
  }
}

TEST(BrowseRecordTexts, SizeTextRoundsDownButNeverShowsZeroForData) {
  EXPECT_EQ(FormatSizeText(0, true, ","), "0KB");
  EXPECT_EQ(FormatSizeText(1, true, ","), "1KB");
  EXPECT_EQ(FormatSizeText(2047, true, ","), "1KB");
  EXPECT_EQ(FormatSizeText(2048, true, ","), "2KB");
  EXPECT_EQ(FormatSizeText(1023 * 1024, true, ","), "1,023KB");
  EXPECT_EQ(FormatSizeText(1048576, true, ","), "1,024KB");
  EXPECT_EQ(FormatSizeText(1048576, true, "."), "1.024KB");
  EXPECT_EQ(FormatSizeText(1048576, true, ""), "1024KB");
  EXPECT_EQ(FormatSizeText(int64_t{1} << 40, true, ","), "1,073,741,824KB");
  EXPECT_EQ(FormatSizeText(4096, false, ","), "");
}

TEST(BrowseRecordTexts, EntrySizeUsesBothHalves) {
  FindEntry big;
  big.sizeHigh = 1;
  big.sizeLow = 1u << 30;
  EXPECT_EQ(EntrySize(big, true), int64_t{5} << 30);
  EXPECT_EQ(FormatSizeText(EntrySize(big, true), true, ","), "5,242,880KB");
  EXPECT_EQ(EntrySize(big, false), 0);
  big.sizeLow = 0xFFFFFFFFu;  // the low half is unsigned
  EXPECT_EQ(EntrySize(big, true), (int64_t{2} << 32) - 1);
}

TEST(BrowseRecordTexts, FileTimeCalendarAndText) {
  constexpr uint64_t kTicks = 10000000, kUnixEpoch = 11644473600ull;
  CalendarTime t = FileTimeToCalendar(0);
  EXPECT_EQ(FormatModifiedText(t.year, t.month, t.day, t.hour, t.minute, "/", ":"),
            "1601/01/01 00:00");
  t = FileTimeToCalendar((951827696 + kUnixEpoch) * kTicks);  // 2000-02-29 12:34:56 UTC
  EXPECT_EQ(FormatModifiedText(t.year, t.month, t.day, t.hour, t.minute, "/", ":"),
            "2000/02/29 12:34");
  t = FileTimeToCalendar((1735689600 + kUnixEpoch) * kTicks - 1);  // last tick of 2024
  EXPECT_EQ(FormatModifiedText(t.year, t.month, t.day, t.hour, t.minute, "-", "."),
            "2024-12-31 23.59");
  t = FileTimeToCalendar((-2203891200ll + static_cast<int64_t>(kUnixEpoch)) * kTicks);
  EXPECT_EQ(t.month * 100 + t.day, 301);  // 1900-03-01: 1900 has no 29 February
  EXPECT_EQ(FormatModifiedText(987, 1, 2, 3, 4, "年", "時"), "0987年01年02 03時04");
}

TEST(BrowseRecordPaths, RelativePathJoinsBackToTheFullPath) {
  EXPECT_EQ(RelativePath("C:\\data\\sub\\a.txt", "C:\\data"), "\\sub\\a.txt");
  EXPECT_EQ(RelativePath("C:\\a.txt", "C:\\"), "a.txt");
  EXPECT_EQ(RelativePath("\\\\srv\\share\\ソ\\a", "\\\\srv\\share"), "\\ソ\\a");
  // A shortcut's target entered from inside the root must still address its own rows.
  EXPECT_EQ(RelativePath("D:\\work\\a.txt", "C:\\data"), "D:\\work\\a.txt");
  EXPECT_EQ(RelativePath("\\\\srv\\x\\a", "C:\\"), "\\\\srv\\x\\a");
  const char* roots[] = {"C:\\data", "C:\\", "\\\\srv\\share", "C:\\ソ"};
  const char* paths[] = {"C:\\data\\ソ\\表", "C:\\a.txt", "\\\\srv\\share\\b", "C:\\ソ\\c",
                         "D:\\work\\a.txt", "\\\\other\\s\\d"};
  for (const char* root : roots) {
    for (const char* path : paths)
      EXPECT_EQ(RecordFullPath(root, RelativePath(path, root)), path) << root << " " << path;
  }
}

TEST(BrowseRecordTexts, FallbackTypeTextUsesTheNamesExtension) {
  EXPECT_EQ(FallbackTypeText("report.xyz", true), "xyz ファイル");
  EXPECT_EQ(FallbackTypeText("a.tar.gz", true), "gz ファイル");
  EXPECT_EQ(FallbackTypeText("README", true), " ファイル");
  EXPECT_EQ(FallbackTypeText("ソ", true), " ファイル");  // trail byte 0x5C is no separator
  EXPECT_EQ(FallbackTypeText("表.ソ", true), "ソ ファイル");
  EXPECT_EQ(FallbackTypeText("x.txt", false), "フォルダ");
}

TEST(BrowseRecordRows, SubItemsStateAndOverlay) {
  FileRecord r;
  r.relativePath = "\\sub\\a.txt";
  r.typeText = "テキスト";
  r.modifiedText = "2024/01/02 03:04";
  r.attributeText = "HA";
  r.size = 1048576;
  EXPECT_EQ(SubItemText(r, 0, ","), "1,024KB");
  EXPECT_EQ(SubItemText(r, 4, ","), "\\sub\\a.txt");
  EXPECT_EQ(SubItemText(r, 5, ","), "1");
  EXPECT_EQ(SubItemText(r, 6, ","), "");
  EXPECT_TRUE(IsGhosted(r));
  r.isFile = false;
  r.attributeText = "S";
  EXPECT_EQ(SubItemText(r, 0, ","), "");
  EXPECT_EQ(SubItemText(r, 5, ","), "0");
  EXPECT_FALSE(IsGhosted(r));
  EXPECT_EQ(OverlayStateBits(-1), 0u);
  EXPECT_EQ(OverlayStateBits(0), 0x100u);
  EXPECT_EQ(OverlayStateBits(1), 0x200u);
  EXPECT_EQ(OverlayStateBits(99), 0u);
}

TEST(BrowseRecordMaking, ListedRecordAndRefresh) {
  RecordContext context{"C:\\data", "/", ":", 7, 3};
  FindEntry entry;
  entry.attributes = 0x10 | 0x02;
  entry.sizeLow = 4096;
  auto folder = MakeListedRecord(entry, "ソ", "C:\\data\\ソ", false, 0, context);
  EXPECT_FALSE(folder->isFile);
  EXPECT_EQ(folder->size, 0);
  EXPECT_EQ(folder->iconIndex, 3);
  EXPECT_EQ(folder->overlayIndex, -1);
  EXPECT_EQ(folder->typeText, "");
  EXPECT_EQ(folder->attributeText, "H");
  EXPECT_EQ(folder->relativePath, "\\ソ");
  EXPECT_EQ(folder->modifiedText, "1601/01/01 00:00");

  // A refresh changes what the entry decides and keeps the rest.
  folder->typeText = "フォルダ";
  folder->iconIndex = 12;
  entry.attributes = 0x20;
  ApplyEntry(*folder, entry, "b.txt", "C:\\data\\b.txt", true, 0, context);
  EXPECT_EQ(folder->name, "b.txt");
  EXPECT_EQ(folder->size, 4096);
  EXPECT_EQ(folder->attributeText, "A");
  EXPECT_FALSE(folder->isFile);
  EXPECT_EQ(folder->typeText, "フォルダ");
  EXPECT_EQ(folder->iconIndex, 12);
}

}  // namespace
}  // namespace velmora
