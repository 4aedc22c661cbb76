// Sorting a large listing by each column: keys built once per record versus a comparator
// that asks the collation on every comparison.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "browse/record_sort.h"
#include "support/portable_collation.h"

namespace velmora {
namespace {

constexpr std::size_t kRecords = 100000;

struct Listing {
  FileRecordList records;
  std::vector<FileRecord*> shuffled;  // the order every run starts from

  Listing() {
    const char* parts[] = {"report", "Report", "img", "IMG_", "2024", "10", "9", "_", "-",
                           " ", "ソフト", "表", "あ", "ア", "ｱ", "Ａ", "ａ", "data", "(1)", "~"};
    const char* exts[] = {".txt", ".jpg", ".JPG", ".doc", ".xls", ".lnk", ".zip", ""};
    const char* types[] = {"テキスト ドキュメント", "JPEG イメージ", "Microsoft Word 文書",
                           "Microsoft Excel ワークシート", "ショートカット", "圧縮フォルダ",
                           " ファイル", "ファイル フォルダ"};
    const char* attrs[] = {"A", "RA", "HA", "SHA", "N", ""};
    std::mt19937 rng(42);
    for (std::size_t i = 0; i < kRecords; ++i) {
      auto r = std::make_unique<FileRecord>();
      r->isFile = rng() % 10 != 0;
      for (int n = 2 + static_cast<int>(rng() % 3); n > 0; --n) r->name += parts[rng() % 20];
      r->name += std::to_string(rng() % 100000);
      int ext = static_cast<int>(rng() % 8);
      if (r->isFile) r->name += exts[ext];
      r->size = r->isFile ? static_cast<int64_t>(rng() % 100000) << (rng() % 20) : 0;
      r->typeText = r->isFile ? types[ext % 7] : types[7];
      int year = 2000 + static_cast<int>(rng() % 25), month = 1 + static_cast<int>(rng() % 12);
      int day = 1 + static_cast<int>(rng() % 28), hour = static_cast<int>(rng() % 24);
      r->modifiedText = FormatModifiedText(year, month, day, hour, static_cast<int>(rng() % 60),
                                           "/", ":");
      r->attributeText = attrs[rng() % 6];
      r->relativePath = "\\sub\\" + r->name;
      shuffled.push_back(r.get());
      records.push_back(std::move(r));
    }
  }

  void Restore() {
    for (std::size_t i = 0; i < records.size(); ++i) records[i].release();
    for (std::size_t i = 0; i < records.size(); ++i) records[i].reset(shuffled[i]);
  }
};

Listing& SharedListing() {
  static Listing listing;
  return listing;
}

void BM_SortWithKeys(benchmark::State& state) {
  PortableCollation collation;
  Listing& listing = SharedListing();
  SortColumn column = static_cast<SortColumn>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    listing.Restore();
    state.ResumeTiming();
    SortRecords(listing.records, column, true, collation);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_SortDirectCompare(benchmark::State& state) {
  PortableCollation collation;
  Listing& listing = SharedListing();
  SortColumn column = static_cast<SortColumn>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    listing.Restore();
    state.ResumeTiming();
    std::sort(listing.records.begin(), listing.records.end(),
              [&](const auto& a, const auto& b) {
                return CompareRecords(*a, *b, column, true, collation) < 0;
              });
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

BENCHMARK(BM_SortWithKeys)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortDirectCompare)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
