// The title list: any text reads into titles that save and read back the same, edits of
// storable titles survive the file, and IndexOf finds what a plain search finds.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "store/title_list.h"
#include "support/portable_collation.h"

namespace {

using velmora::TitleList;

const velmora::PortableCollation kCollation;

std::vector<std::string> Titles(const TitleList& list) {
  std::vector<std::string> titles;
  for (int i = 0; i < list.Count(); ++i) titles.push_back(list[i]);
  return titles;
}

int PlainIndexOf(const std::vector<std::string>& titles, const std::string& s, int start) {
  for (int i = start < 0 ? 0 : start; i < static_cast<int>(titles.size()); ++i)
    if (kCollation.CompareIgnoreCase(titles[i], s) == 0) return i;
  return -1;
}

void CheckReadsBack(const TitleList& list) {
  TitleList again(kCollation);
  again.Parse(list.Text());
  FUZZ_CHECK(Titles(again) == Titles(list));
  FUZZ_CHECK(again.Text() == list.Text());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  TitleList list(kCollation);
  const std::string text = in.ConsumeRandomLengthString(4096);
  list.Parse(text);
  // Every line is a title; only the line end after the last one starts none.
  std::size_t ends = 0;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++ends;
  const bool lastEnded = !text.empty() && (text.back() == '\n' || text.back() == '\r');
  FUZZ_CHECK(list.Count() == static_cast<int>(ends + (text.empty() || lastEnded ? 0 : 1)));
  for (int i = 0; i < list.Count(); ++i) FUZZ_CHECK(TitleList::IsStorable(list[i]));
  CheckReadsBack(list);

  std::vector<std::string> model = Titles(list);
  for (int steps = 0; steps < 100 && in.remaining_bytes() > 0; ++steps) {
    std::string title = in.ConsumeRandomLengthString(16);
    const int index = in.ConsumeIntegralInRange(-1, list.Count());
    switch (in.ConsumeIntegralInRange(0, 3)) {
      case 0:
        if (!TitleList::IsStorable(title)) continue;
        list.Add(title);
        model.push_back(title);
        break;
      case 1:
        if (!TitleList::IsStorable(title)) continue;
        list.Replace(index, title);
        if (index >= 0 && index < static_cast<int>(model.size())) model[index] = title;
        break;
      case 2:
        list.Delete(index);
        if (index >= 0 && index < static_cast<int>(model.size())) model.erase(model.begin() + index);
        break;
      default:
        FUZZ_CHECK(list.IndexOf(title, index) == PlainIndexOf(model, title, index));
        if (!model.empty()) {
          const std::string& some = model[static_cast<std::size_t>(steps) % model.size()];
          FUZZ_CHECK(list.IndexOf(some) == PlainIndexOf(model, some, 0));
        }
        break;
    }
    FUZZ_CHECK(Titles(list) == model);
  }
  CheckReadsBack(list);
  return 0;
}
