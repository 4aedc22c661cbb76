// The store's merge with files another process saved: whatever the three versions hold, our
// changes are in the result, what we removed is gone, and the result saves and reads back.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "store/store_merge.h"
#include "support/portable_collation.h"

namespace {

using velmora::IniDocument;
using velmora::TitleList;

const velmora::PortableCollation kCollation;
constexpr const char* kSettings = "Orvik";
constexpr const char* kExpanded = "cmp";

std::vector<std::string> Keys(const IniDocument& doc, const std::string& section) {
  std::vector<std::string> keys;
  doc.ReadSectionKeys(section, keys);
  return keys;
}

void CheckReadsBack(const IniDocument& doc) {
  IniDocument again(kCollation);
  again.Parse(doc.Text());
  FUZZ_CHECK(again.Text() == doc.Text());
}

void CheckTitles(const TitleList& base, const TitleList& ours, const TitleList& theirs) {
  for (int i = 0; i < ours.Count(); ++i)
    if (base.IndexOf(ours[i]) < 0) FUZZ_CHECK(theirs.IndexOf(ours[i]) >= 0);
  for (int i = 0; i < base.Count(); ++i)
    if (ours.IndexOf(base[i]) < 0) FUZZ_CHECK(theirs.IndexOf(base[i]) < 0);
  TitleList again(kCollation);
  again.Parse(theirs.Text());
  FUZZ_CHECK(again.Text() == theirs.Text());
}

void CheckFolderList(const IniDocument& base, const IniDocument& ours, const IniDocument& theirsBefore,
                     const IniDocument& merged) {
  for (const std::string& section : base.SectionNames())
    if (!ours.SectionExists(section)) FUZZ_CHECK(!merged.SectionExists(section));
  for (const std::string& section : ours.SectionNames()) {
    const bool inBase = base.SectionExists(section);
    const bool theyRemoved = inBase && !theirsBefore.SectionExists(section);
    const bool binder = kCollation.CompareIgnoreCase(section, kSettings) != 0;
    if (inBase)
      for (const std::string& key : Keys(base, section))
        if (!ours.ValueExists(section, key)) FUZZ_CHECK(!merged.ValueExists(section, key));
    for (const std::string& key : Keys(ours, section)) {
      const std::string value = ours.ReadString(section, key, "");
      const bool added = !inBase || !base.ValueExists(section, key);
      if (!added && base.ReadString(section, key, "") == value) continue;
      const bool folder = binder && kCollation.CompareIgnoreCase(key, kExpanded) != 0;
      // A binder they removed comes back only for the folders we added to it.
      if (theyRemoved && !(added && folder)) continue;
      FUZZ_CHECK(merged.ReadString(section, key, "\x01") == value);
    }
  }
  CheckReadsBack(merged);
}

void CheckSelections(const IniDocument& base, const IniDocument& ours, const IniDocument& merged) {
  for (const std::string& section : base.SectionNames())
    if (!ours.SectionExists(section)) FUZZ_CHECK(!merged.SectionExists(section));
  for (const std::string& section : ours.SectionNames()) {
    const std::vector<std::string> keys = Keys(ours, section);
    bool same = base.SectionExists(section) && Keys(base, section) == keys;
    for (std::size_t i = 0; same && i < keys.size(); ++i)
      same = base.ReadString(section, keys[i], "") == ours.ReadString(section, keys[i], "");
    if (same) continue;
    // Ours replaces theirs whole.
    FUZZ_CHECK(Keys(merged, section) == keys);
    for (const std::string& key : keys)
      FUZZ_CHECK(merged.ReadString(section, key, "\x01") == ours.ReadString(section, key, ""));
  }
  CheckReadsBack(merged);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const int which = in.ConsumeIntegralInRange(0, 2);
  const std::string baseText = in.ConsumeRandomLengthString(2048);
  const std::string ourText = in.ConsumeRandomLengthString(2048);
  const std::string theirText = in.ConsumeRandomLengthString(2048);
  std::vector<velmora::BinderRename> renames;
  while (in.remaining_bytes() > 0 && renames.size() < 8) {
    std::string from = in.ConsumeRandomLengthString(8);
    std::string to = in.ConsumeRandomLengthString(8);
    if (TitleList::IsStorable(from) && TitleList::IsStorable(to)) renames.push_back({from, to});
  }
  if (which == 2) {
    TitleList base(kCollation), ours(kCollation), theirs(kCollation);
    base.Parse(baseText);
    ours.Parse(ourText);
    theirs.Parse(theirText);
    velmora::ReplayRenames(renames, 0, base);
    velmora::ReplayRenames(renames, 0, theirs);
    velmora::MergeTitles(base, ours, theirs, kCollation);
    CheckTitles(base, ours, theirs);
    return 0;
  }
  IniDocument base(kCollation), ours(kCollation), theirs(kCollation), before(kCollation);
  base.Parse(baseText);
  ours.Parse(ourText);
  theirs.Parse(theirText);
  if (which == 0) {
    velmora::ReplayRenames(renames, 0, base);
    velmora::ReplayRenames(renames, 0, theirs);
    before.Parse(theirs.Text());
    TitleList ourTitles(kCollation);
    ourTitles.Parse(in.ConsumeRemainingBytesAsString());
    const std::vector<std::string> keep =
        velmora::MergeFolderList(base, ours, theirs, ourTitles, kCollation, kSettings, kExpanded);
    for (const std::string& title : keep) FUZZ_CHECK(ourTitles.IndexOf(title) >= 0);
    CheckFolderList(base, ours, before, theirs);
  } else {
    velmora::MergeSelections(base, ours, theirs);
    CheckSelections(base, ours, theirs);
  }
  return 0;
}
