// Loading (Parse) and saving (Text) a large folder list, each next to a plain pass over the
// same bytes, and key lookups that must not grow with the document. 2,000 binders of 50
// folders is the size that matters; 200 shows the growth, and 20,000 the growth once
// neither size fits in the processor's caches.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "store/collation.h"
#include "store/ini_document.h"
#include "text/cp932.h"

namespace velmora {
namespace {

constexpr int kFoldersPerBinder = 50;

std::string Title(int b) { return "案件ソフト表" + std::to_string(b) + "ポ"; }

std::string FolderPath(int b, int f) {
  // Kana and kanji whose trail bytes are 0x5C and 0x7C, as real paths carry them.
  return "D:\\共有フォルダ\\ソフト開発部\\表計算_能力" + std::to_string(b) + "\\ポータル資料" +
         std::to_string(f) + "\\見積書";
}

// binders sections of kFoldersPerBinder folders and a "cmp" line, then the settings.
std::string MakeFolderList(int binders) {
  std::string text;
  for (int b = 0; b < binders; ++b) {
    text += "[" + Title(b) + "]\r\n";
    for (int f = 0; f < kFoldersPerBinder; ++f) text += FolderPath(b, f) + "=" + std::to_string(f % 3) + "\r\n";
    text += "cmp=1\r\n\r\n";
  }
  text += "[Orvik]\r\nFRG=0\r\nWID=152\r\n\r\n";
  return text;
}

const std::string& FolderList(int binders) {
  static std::map<int, std::string> made;
  auto it = made.find(binders);
  if (it == made.end()) it = made.emplace(binders, MakeFolderList(binders)).first;
  return it->second;
}

// Another letter case for every ASCII letter, stepping over double-byte characters.
std::string OtherCase(const std::string& s) {
  std::string out = s;
  for (std::size_t i = 0; i < out.size(); i += CharLengthAt(out, i)) {
    char& c = out[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

void SetBytes(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}

void BM_Parse(benchmark::State& state) {
  const std::string& text = FolderList(static_cast<int>(state.range(0)));
  PortableCollation c;
  for (auto _ : state) {
    auto doc = std::make_unique<IniDocument>(c);
    doc->Parse(text);
    benchmark::DoNotOptimize(doc.get());
    state.PauseTiming();
    doc.reset();
    state.ResumeTiming();
  }
  SetBytes(state, text.size());
}

// The plain read: copy the bytes and find every line end.
void BM_BaselineRead(benchmark::State& state) {
  const std::string& text = FolderList(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::string copy(text);
    std::size_t lines = 0;
    for (char ch : copy) lines += ch == '\n';
    benchmark::DoNotOptimize(lines);
    benchmark::DoNotOptimize(copy.data());
  }
  SetBytes(state, text.size());
}

// A fuller reference: the bytes split into one string per line.
void BM_BaselineSplitLines(benchmark::State& state) {
  const std::string& text = FolderList(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t end = text.find('\r', pos);
      if (end == std::string::npos) end = text.size();
      lines.emplace_back(text, pos, end - pos);
      pos = end + 2;
    }
    benchmark::DoNotOptimize(lines.data());
    state.PauseTiming();
    lines = {};
    state.ResumeTiming();
  }
  SetBytes(state, text.size());
}

void BM_Text(benchmark::State& state) {
  const std::string& text = FolderList(static_cast<int>(state.range(0)));
  PortableCollation c;
  IniDocument doc(c);
  doc.Parse(text);
  if (doc.Text() != text) state.SkipWithError("round trip changed the text");
  for (auto _ : state) {
    std::string out = doc.Text();
    benchmark::DoNotOptimize(out.data());
  }
  SetBytes(state, text.size());
}

// The plain write: the same bytes copied into a new buffer. The parsed document stays alive
// as in BM_Text, so that both allocate their output from a heap in the same state.
void BM_BaselineWrite(benchmark::State& state) {
  const std::string& text = FolderList(static_cast<int>(state.range(0)));
  PortableCollation c;
  IniDocument doc(c);
  doc.Parse(text);
  for (auto _ : state) {
    std::string out;
    out.reserve(text.size());
    out.append(text);
    benchmark::DoNotOptimize(out.data());
  }
  SetBytes(state, text.size());
}

// Section and key looked up in another letter case, in a store of 200 or 2,000 binders.
void BM_LookupKey(benchmark::State& state) {
  int binders = static_cast<int>(state.range(0));
  PortableCollation c;
  IniDocument doc(c);
  doc.Parse(FolderList(binders));
  std::mt19937 rng(42);
  std::vector<std::pair<std::string, std::string>> queries;
  for (int i = 0; i < 1024; ++i) {
    int b = static_cast<int>(rng() % static_cast<unsigned>(binders));
    int f = static_cast<int>(rng() % kFoldersPerBinder);
    queries.emplace_back(OtherCase(Title(b)), OtherCase(FolderPath(b, f)));
  }
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& q = queries[i++ & 1023];
    int mode = doc.ReadInteger(q.first, q.second, -1);
    if (mode < 0) state.SkipWithError("lookup missed");
    benchmark::DoNotOptimize(mode);
  }
}

// One section of 50 or 100,000 keys (a large remembered selection).
void BM_LookupKeyInOneSection(benchmark::State& state) {
  int keys = static_cast<int>(state.range(0));
  PortableCollation c;
  IniDocument doc(c);
  std::string text = "[案件-資料]\r\n";
  for (int k = 0; k < keys; ++k) text += "ソフト表_Report" + std::to_string(k) + ".doc=\r\n";
  doc.Parse(text);
  std::mt19937 rng(7);
  std::vector<std::string> queries;
  for (int i = 0; i < 1024; ++i)
    queries.push_back(OtherCase("ソフト表_Report" + std::to_string(rng() % static_cast<unsigned>(keys)) + ".doc"));
  std::size_t i = 0;
  for (auto _ : state) {
    bool found = doc.ValueExists("案件-資料", queries[i++ & 1023]);
    if (!found) state.SkipWithError("lookup missed");
    benchmark::DoNotOptimize(found);
  }
}

// For contrast: what a lookup costs when it compares key after key.
void BM_LookupByScanForContrast(benchmark::State& state) {
  int keys = static_cast<int>(state.range(0));
  PortableCollation c;
  std::vector<std::string> section;
  for (int k = 0; k < keys; ++k) section.push_back("ソフト表_Report" + std::to_string(k) + ".doc");
  std::mt19937 rng(7);
  std::vector<std::string> queries;
  for (int i = 0; i < 1024; ++i)
    queries.push_back(OtherCase("ソフト表_Report" + std::to_string(rng() % static_cast<unsigned>(keys)) + ".doc"));
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& q = queries[i++ & 1023];
    std::size_t at = 0;
    while (at < section.size() && c.CompareIgnoreCase(section[at], q) != 0) ++at;
    benchmark::DoNotOptimize(at);
  }
}

BENCHMARK(BM_Parse)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineRead)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineSplitLines)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Text)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineWrite)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LookupKey)->Arg(200)->Arg(2000);
BENCHMARK(BM_LookupKeyInOneSection)->Arg(50)->Arg(100000);
BENCHMARK(BM_LookupByScanForContrast)->Arg(50)->Arg(100000);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
