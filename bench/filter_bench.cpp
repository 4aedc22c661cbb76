// One keystroke in the filter box over a folder of 100,000 names: the typed text matched
// against every name, and the list of shown rows built.
#include <benchmark/benchmark.h>

#include <random>

#include "browse/name_filter.h"
#include "browse/shown_rows.h"

namespace velmora {
namespace {

constexpr std::size_t kRecords = 100000;

struct Folder {
  FileRecordList records;
  std::vector<std::wstring> wideNames;  // the names as the records hold them in UTF-16

  Folder() {
    const wchar_t* parts[] = {L"report", L"Report", L"img", L"IMG_", L"2024", L"10", L"_", L"-", L" ",
                              L"ソフト", L"表", L"あ", L"ア", L"ｱ", L"Ａ", L"ａ", L"data", L"(1)", L"ｶﾞｲﾄﾞ", L"~"};
    const wchar_t* exts[] = {L".txt", L".jpg", L".JPG", L".doc", L".xls", L".lnk", L".zip", L""};
    std::mt19937 rng(7);
    for (std::size_t i = 0; i < kRecords; ++i) {
      std::wstring name;
      for (int n = 2 + static_cast<int>(rng() % 3); n > 0; --n) name += parts[rng() % 20];
      name += std::to_wstring(rng() % 100000);
      name += exts[rng() % 8];
      wideNames.push_back(name);
      records.push_back(std::make_unique<FileRecord>());
    }
  }
};

void BM_FilterKeystroke(benchmark::State& state) {
  static Folder folder;
  const wchar_t* typed[] = {L"rep", L"ＲＥＰＯ", L"*.jpg", L"ｶﾞｲ", L"a?c*1"};
  const wchar_t* text = typed[state.range(0)];
  PortableNameFolding folding;
  // Each stand-in record's size is its name's index.
  const WideNameOf nameOf = [&](const FileRecord& record, std::wstring&) -> std::wstring_view {
    return folder.wideNames[static_cast<std::size_t>(record.size)];
  };
  for (std::size_t i = 0; i < kRecords; ++i) folder.records[i]->size = static_cast<int64_t>(i);
  ShownRows rows;
  for (auto _ : state) {
    NameMatcher matcher(text, folding);
    rows.ShowOnly(MatchingRecords(folder.records, matcher, nameOf));
    benchmark::DoNotOptimize(rows.RowCount(kRecords));
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_FilterKeystroke)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
