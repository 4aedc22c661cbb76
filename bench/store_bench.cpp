// Loading (file read + Parse) and saving (Text + file write) a large folder list, each next
// to a plain read or write of the same bytes in the same run, and key lookups that must not
// grow with the document. 2,000 binders of 50 folders is the size that matters; 200 shows
// the growth, and 20,000 the growth once the data outgrows the processor's nearer caches.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/portable_collation.h"
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

// Each size's folder list also as a file, written once and removed at exit, so that the
// plain read and write below really go through the file system.
class StoreFiles {
 public:
  ~StoreFiles() {
    std::error_code ignored;
    for (const auto& entry : inputs_) std::filesystem::remove(entry.second, ignored);
    if (!output_.empty()) std::filesystem::remove(output_, ignored);
  }
  const std::string& Input(int binders) {
    auto it = inputs_.find(binders);
    if (it == inputs_.end()) {
      std::string path = Name("in-" + std::to_string(binders));
      const std::string& text = FolderList(binders);
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      out.close();
      if (!out) throw std::runtime_error("cannot write " + path);
      it = inputs_.emplace(binders, path).first;
    }
    return it->second;
  }
  const std::string& Output() {
    if (output_.empty()) output_ = Name("out");
    return output_;
  }

 private:
  static std::string Name(const std::string& what) {
    std::random_device rd;
    auto dir = std::filesystem::temp_directory_path();
    return (dir / ("velmora-store-bench-" + std::to_string(rd()) + "-" + what + ".ini")).string();
  }
  std::map<int, std::string> inputs_;
  std::string output_;
};

StoreFiles& Files() {
  static StoreFiles files;
  return files;
}

// As the program reads a store file: its size, a buffer of that size, one read.
bool ReadWholeFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size < 0) return false;
  in.seekg(0, std::ios::beg);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (size > 0) in.read(&bytes[0], size);
  if (in.gcount() != size) return false;
  out.swap(bytes);
  return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

std::size_t CountLineEnds(const std::string& bytes) {
  return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

// Parsing text already in memory.
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

// Loading as the program does it: the file read whole, then parsed.
void BM_Load(benchmark::State& state) {
  int binders = static_cast<int>(state.range(0));
  const std::string& path = Files().Input(binders);
  PortableCollation c;
  for (auto _ : state) {
    std::string text;
    if (!ReadWholeFile(path, text)) state.SkipWithError("read failed");
    auto doc = std::make_unique<IniDocument>(c);
    doc->Parse(text);
    benchmark::DoNotOptimize(doc.get());
    state.PauseTiming();
    doc.reset();
    state.ResumeTiming();
  }
  SetBytes(state, FolderList(binders).size());
}

// The plain read Parse and Load are held against: the file's bytes read from disk into a
// string, and every line end found.
void BM_BaselineReadFile(benchmark::State& state) {
  int binders = static_cast<int>(state.range(0));
  const std::string& path = Files().Input(binders);
  for (auto _ : state) {
    std::string text;
    if (!ReadWholeFile(path, text)) state.SkipWithError("read failed");
    std::size_t lines = CountLineEnds(text);
    benchmark::DoNotOptimize(lines);
    benchmark::DoNotOptimize(text.data());
  }
  SetBytes(state, FolderList(binders).size());
}

// Without the file system: the bytes copied from memory and every line end found.
void BM_BaselineCopyInMemory(benchmark::State& state) {
  const std::string& text = FolderList(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::string copy(text);
    std::size_t lines = CountLineEnds(copy);
    benchmark::DoNotOptimize(lines);
    benchmark::DoNotOptimize(copy.data());
  }
  SetBytes(state, text.size());
}

// A fuller in-memory reference: the bytes split into one string per line.
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

// Building the text to save, in memory.
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

// Saving as the program does it: the text built, then written to a file.
void BM_Save(benchmark::State& state) {
  const std::string& text = FolderList(static_cast<int>(state.range(0)));
  const std::string& path = Files().Output();
  PortableCollation c;
  IniDocument doc(c);
  doc.Parse(text);
  for (auto _ : state) {
    if (!WriteWholeFile(path, doc.Text())) state.SkipWithError("write failed");
  }
  SetBytes(state, text.size());
}

// The plain write Save is held against: the same bytes written to a file. The parsed
// document stays alive as in BM_Save, so that both run with the heap in the same state.
void BM_BaselineWriteFile(benchmark::State& state) {
  const std::string& text = FolderList(static_cast<int>(state.range(0)));
  const std::string& path = Files().Output();
  PortableCollation c;
  IniDocument doc(c);
  doc.Parse(text);
  for (auto _ : state) {
    if (!WriteWholeFile(path, text)) state.SkipWithError("write failed");
  }
  SetBytes(state, text.size());
}

// The in-memory reference for Text: the same bytes copied into a new buffer.
void BM_BaselineCopyOut(benchmark::State& state) {
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
BENCHMARK(BM_Load)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineReadFile)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineCopyInMemory)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineSplitLines)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Text)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineWriteFile)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineCopyOut)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LookupKey)->Arg(200)->Arg(2000);
BENCHMARK(BM_LookupKeyInOneSection)->Arg(50)->Arg(100000);
BENCHMARK(BM_LookupByScanForContrast)->Arg(50)->Arg(100000);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
