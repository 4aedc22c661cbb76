// Completing a listing's records through the file information worker against asking the
// shell for the same paths in a plain loop, and what one record costs in memory.
//
//   worker_bench.exe [folder [repetitions]]
//
// Without a folder, 10,000 entries (files of many types and some sub-folders) are made in a
// temporary folder first and removed at the end.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "bench_util.h"
#include "browse/file_record.h"
#include "browse/win32/shell_file_info.h"
#include "text/cp932.h"

// Counts the bytes the program asks for with new, so that a record's cost is measured rather
// than guessed. Only allocations of this process's C++ code go through here; the shell's own
// heap is not counted.
namespace {
std::atomic<long long> g_liveBytes{0};
std::atomic<long long> g_liveBlocks{0};
constexpr std::size_t kHeader = 16;  // keeps the caller's block 16-byte aligned

void* CountedAlloc(std::size_t size) {
  void* p = std::malloc(size + kHeader);
  if (!p) return nullptr;
  *static_cast<std::size_t*>(p) = size;
  g_liveBytes += static_cast<long long>(size);
  ++g_liveBlocks;
  return static_cast<char*>(p) + kHeader;
}

void CountedFree(void* p) {
  if (!p) return;
  void* block = static_cast<char*>(p) - kHeader;
  g_liveBytes -= static_cast<long long>(*static_cast<std::size_t*>(block));
  --g_liveBlocks;
  std::free(block);
}
}  // namespace

void* operator new(std::size_t size) {
  if (void* p = CountedAlloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAlloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAlloc(size ? size : 1); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { CountedFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { CountedFree(p); }

namespace velmora {
namespace bench {
namespace {

constexpr int kFiles = 9900;
constexpr int kFolders = 100;
const char* const kExtensions[] = {".txt", ".jpg", ".png", ".bmp", ".doc", ".xls", ".pdf", ".zip", ".exe",
                                   ".bat", ".htm", ".ini", ".dat", ".csv", ".mp3", ".xyz", ""};
constexpr int kExtensionCount = sizeof(kExtensions) / sizeof(kExtensions[0]);

void MakeWorkerFolder(const std::string& folder) {
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string base = WithBackslash(folder);
  const std::vector<std::string> varied = VariedNames(kFiles / 10);
  for (int i = 0; i < kFiles; ++i) {
    char name[32];
    std::snprintf(name, sizeof(name), "item_%05d", i);
    // One name in ten from the varied set, with an extension of the list in any case.
    const std::string stem = i % 10 == 0 ? varied[static_cast<std::size_t>(i / 10)] : std::string(name);
    MakeEmptyFile(Widen(base + stem + kExtensions[i % kExtensionCount]));
  }
  for (int i = 0; i < kFolders; ++i) {
    char name[32];
    std::snprintf(name, sizeof(name), "folder_%03d", i);
    CreateDirectoryW(Widen(base + name).c_str(), nullptr);
  }
}

// A store with one binder holding the folder, so that a click on its node sets the root
// folder the way the program does (records then carry short relative paths).
void WriteStore(const std::string& exeDir, const std::string& folder) {
  CreateDirectoryA((exeDir + "data").c_str(), nullptr);
  WriteBytes(exeDir + "data\\titlelist.txt", "Bench\r\n");
  WriteBytes(exeDir + "data\\folderlist.ini", "[Bench]\r\n" + folder + "=2\r\ncmp=1\r\n\r\n");
}

bool ClickFolderNode(TOrvikBinder& window) {
  HWND tree = window.tree().hwnd();
  HTREEITEM root = TreeView_GetRoot(tree);
  HTREEITEM binder = root ? TreeView_GetChild(tree, root) : nullptr;
  HTREEITEM folder = binder ? TreeView_GetChild(tree, binder) : nullptr;
  if (!folder) return false;
  TreeView_SelectItem(tree, folder);
  // The selection change may already have been handled as a click.
  PumpPending(window);
  if (window.browser().rootFolder().empty()) window.TreeView1Click();
  WaitForListing(window);
  return !window.browser().rootFolder().empty();
}

std::size_t CompletedRecords(const TOrvikBinder& window) {
  std::size_t n = 0;
  for (const auto& r : window.browser().records())
    if (!r->typeText.empty()) ++n;
  return n;
}

// Heap block as the allocator rounds it: a header and 16-byte granularity.
std::size_t Block(std::size_t bytes) { return 16 + (bytes + 15) / 16 * 16; }

std::size_t StringHeap(const std::string& s) {
  // libstdc++ keeps up to 15 characters inside the string object itself.
  return s.capacity() > 15 ? Block(s.capacity() + 1) : 0;
}

struct Memory {
  long long bytes = 0, blocks = 0;
  std::size_t estimate = 0;
};

// One GetShellFileInfo taken apart into its shell calls, on a sample of the listed paths, so
// that the shell's own costs can be told from the program's.
struct StepCosts {
  double parseParent = 0, bind = 0, parseChild = 0, displayName = 0, attributes = 0, details = 0, icon = 0;
  double fallback = 0, whole = 0;
  int samples = 0;
  bool hasShellIcon = false;
};

StepCosts TimeShellSteps(TOrvikBinder& window, const std::vector<std::string>& paths) {
  StepCosts c;
  ComPtr<IShellFolder> desktop;
  ComPtr<IMalloc> allocator;
  if (FAILED(SHGetDesktopFolder(desktop.put())) || FAILED(SHGetMalloc(allocator.put()))) return c;
  const std::size_t stride = paths.size() / 100 + 1;
  for (std::size_t i = 0; i < paths.size(); i += stride) {
    const std::string& path = paths[i];
    ++c.samples;
    std::wstring parentWide = AnsiToWide(ParentFolder(path));
    std::wstring nameWide = AnsiToWide(LastComponent(path));
    LPITEMIDLIST parentItem = nullptr;
    c.parseParent += Time([&] { desktop->ParseDisplayName(nullptr, nullptr, &parentWide[0], nullptr, &parentItem, nullptr); });
    ComPtr<IShellFolder> folder;
    c.bind += Time([&] {
      if (parentItem) desktop->BindToObject(parentItem, nullptr, IID_IShellFolder, folder.put_void());
    });
    if (parentItem) allocator->Free(parentItem);
    if (!folder) continue;
    LPITEMIDLIST item = nullptr;
    c.parseChild += Time([&] { folder->ParseDisplayName(nullptr, nullptr, &nameWide[0], nullptr, &item, nullptr); });
    if (!item) continue;
    c.displayName += Time([&] {
      STRRET display = {};
      if (SUCCEEDED(folder->GetDisplayNameOf(item, SHGDN_NORMAL, &display))) StrRetToAnsi(display, item, allocator.get());
    });
    c.attributes += Time([&] {
      LPCITEMIDLIST items[1] = {item};
      SFGAOF attributes = SFGAO_FOLDER | SFGAO_SHARE | SFGAO_LINK;
      folder->GetAttributesOf(1, items, &attributes);
    });
    c.details += Time([&] {
      ComPtr<IShellFolder2> folder2;
      SHELLDETAILS details = {};
      if (SUCCEEDED(folder->QueryInterface(IID_IShellFolder2, folder2.put_void())) &&
          SUCCEEDED(folder2->GetDetailsOf(item, 2, &details)))
        StrRetToAnsi(details.str, item, allocator.get());
    });
    c.icon += Time([&] {
      ComPtr<IShellIcon> shellIcon;
      int index = -1;
      if (SUCCEEDED(folder->QueryInterface(IID_IShellIcon, shellIcon.put_void()))) {
        c.hasShellIcon = true;
        shellIcon->GetIconOf(item, 0, &index);
      }
    });
    allocator->Free(item);
    c.fallback += Time([&] {
      SHFILEINFOA info = {};
      SHGetFileInfoA(path.c_str(), 0, &info, sizeof(info),
                     SHGFI_SYSICONINDEX | SHGFI_ATTRIBUTES | SHGFI_TYPENAME | SHGFI_DISPLAYNAME);
    });
    c.whole += Time([&] { window.browser().shellInfo().GetShellFileInfo(path); });
  }
  return c;
}

Memory Measure(const TOrvikBinder& window, long long bytes0, long long blocks0) {
  Memory m;
  m.bytes = g_liveBytes - bytes0;
  m.blocks = g_liveBlocks - blocks0;
  for (const auto& r : window.browser().records()) {
    m.estimate += Block(sizeof(FileRecord)) + StringHeap(r->relativePath) + StringHeap(r->name) +
                  StringHeap(r->modifiedText) + StringHeap(r->typeText) + StringHeap(r->attributeText);
  }
  return m;
}

int Run(int argc, char** argv) {
  CheckCodePage();
  InitControls();
  const std::vector<std::string> args = Arguments(argc, argv);
  std::string folder = args.size() > 0 ? WithoutBackslash(args[0]) : std::string();
  // Each pass asks the shell 10,000 times, which takes minutes under Wine: few repetitions.
  const int reps = args.size() > 1 && std::atoi(args[1].c_str()) > 0 ? std::atoi(args[1].c_str()) : 2;

  std::string ownData;
  if (folder.empty()) {
    ownData = MakeTempFolder("worker-data");
    folder = ownData + "files";
    const double made = Time([&] { MakeWorkerFolder(folder); });
    std::printf("created %d files and %d folders in %.1f s\n", kFiles, kFolders, made);
  }
  const std::string exeDir = MakeTempFolder("worker-exe");
  WriteStore(exeDir, folder);

  QuietPrompter prompter;
  std::vector<double> listing, completion, plain, shown, ratios;
  std::size_t records = 0, completed = 0, plainTypeNames = 0, pathChars = 0;
  bool rootSet = false, allFinished = true, hourglassCleared = true;
  Memory listed, done;
  StepCosts steps;
  {
    AppEnvironment env;
    env.exeDir = exeDir;
    TOrvikBinder window(env, &prompter);
    window.Create(GetModuleHandleA(nullptr));
    rootSet = ClickFolderNode(window);
    window.browser().StopFileInfoWorker();
    PumpPending(window);

    for (int rep = 0; rep < reps; ++rep) {
      // The same questions in the same order, without the worker and its hand-over.
      auto plainPass = [&] {
        std::vector<std::string> paths;
        for (const auto& r : window.browser().records()) paths.push_back(RecordFullPath(window.browser().rootFolder(), r->relativePath));
        std::size_t answered = 0;
        plain.push_back(Time([&] {
          for (const std::string& path : paths) {
            if (!window.browser().shellInfo().GetShellFileInfo(path).typeName.empty()) ++answered;
          }
        }));
        plainTypeNames = answered;
      };
      auto workerPass = [&] {
        window.browser().ClearFileRecords();
        const long long bytes0 = g_liveBytes, blocks0 = g_liveBlocks;
        const double start = Seconds();
        window.browser().ListFolder(folder, false);
        WaitForListing(window);
        const double end = Seconds();
        // Read once the last row is in; the shell worker may have answered some rows already.
        const Memory asListed = Measure(window, bytes0, blocks0);
        const double measured = Seconds();
        const bool finished = PumpUntil(window, [&] { return !window.browser().WorkerRunning(); }, 1800);
        const double last = Seconds();
        allFinished = allFinished && finished;
        hourglassCleared = hourglassCleared && !window.browser().hourglass();
        listing.push_back(end - start);
        completion.push_back(last - measured);
        listed = asListed;
        done = Measure(window, bytes0, blocks0);
        records = window.browser().records().size();
        completed = CompletedRecords(window);
        pathChars = 0;
        for (const auto& r : window.browser().records()) pathChars += r->relativePath.size();
      };
      // Alternating which goes first spreads the warming of the shell's caches over both.
      if (rep % 2 == 0) {
        workerPass();
        plainPass();
      } else {
        plainPass();
        workerPass();
      }
      ratios.push_back(plain.back() > 0 ? completion.back() / plain.back() : 0);
    }

    std::vector<std::string> paths;
    for (const auto& r : window.browser().records()) paths.push_back(RecordFullPath(window.browser().rootFolder(), r->relativePath));
    steps = TimeShellSteps(window, paths);

    // With the window on screen each completed row is also drawn.
    window.Show(SW_SHOWNORMAL);
    PumpPending(window);
    window.browser().ClearFileRecords();
    window.browser().ListFolder(folder, false);
    WaitForListing(window);
    const double start = Seconds();
    allFinished = PumpUntil(window, [&] { return !window.browser().WorkerRunning(); }, 1800) && allFinished;
    shown.push_back(Seconds() - start);
    ShowWindow(window.hwnd(), SW_HIDE);
    PumpPending(window);
  }

  const double n = records ? static_cast<double>(records) : 1.0;
  std::printf("folder: %s (root folder set by a tree click: %s)\n", folder.c_str(), rootSet ? "yes" : "NO");
  std::printf("%s records, %s completed by the worker, %s type names in the plain loop; %d repetitions (medians)\n",
              Count(records).c_str(), Count(completed).c_str(), Count(plainTypeNames).c_str(), reps);
  std::printf("worker passes ended: %s; hourglass cleared at the end: %s\n", allFinished ? "all" : "NOT ALL (time-out)",
              hourglassCleared ? "yes" : "NO");

  const double base = Median(plain);
  Table table({"measurement", "median s", "per record ms", "vs plain loop"});
  auto add = [&](const char* name, double seconds) {
    table.Add({name, Fixed(seconds, 3), Fixed(seconds * 1000.0 / n, 3), Ratio(seconds, base)});
  };
  add("GetShellFileInfo plain loop", base);
  add("worker: ListFolder return to last row (hidden)", Median(completion));
  add("worker: same, window shown (rows drawn), 1 pass", Median(shown));
  add("ListFolder itself", Median(listing));
  table.Print("Completing 10,000 records");
  std::string perRep;
  for (double r : ratios) perRep += (perRep.empty() ? "" : ", ") + Fixed(r, 2);
  const double ratio = base > 0 ? Median(completion) / base : 0;
  std::printf("\nworker / plain loop: %.2f (per repetition: %s; target: at most 1.25) %s\n", ratio, perRep.c_str(),
              ratio <= 1.25 ? "within" : "ABOVE TARGET");

  const double k = steps.samples ? 1000.0 / steps.samples : 0;
  Table parts({"one GetShellFileInfo, step by step", "ms per call"});
  parts.Add({"desktop ParseDisplayName (parent folder)", Fixed(steps.parseParent * k, 3)});
  parts.Add({"BindToObject (parent folder)", Fixed(steps.bind * k, 3)});
  parts.Add({"ParseDisplayName (name in the folder)", Fixed(steps.parseChild * k, 3)});
  parts.Add({"GetDisplayNameOf", Fixed(steps.displayName * k, 3)});
  parts.Add({"GetAttributesOf", Fixed(steps.attributes * k, 3)});
  parts.Add({"IShellFolder2::GetDetailsOf (type column)", Fixed(steps.details * k, 3)});
  parts.Add({std::string("IShellIcon::GetIconOf (interface ") + (steps.hasShellIcon ? "present)" : "MISSING)"),
             Fixed(steps.icon * k, 3)});
  parts.Add({"SHGetFileInfoA 0x4E00 (the fallback's first call)", Fixed(steps.fallback * k, 3)});
  parts.Add({"GetShellFileInfo as a whole", Fixed(steps.whole * k, 3)});
  parts.Print(("Where one call's time goes (" + std::to_string(steps.samples) + " sampled paths)").c_str());
  if (!steps.hasShellIcon)
    std::printf("the folders give no IShellIcon, so every call also takes the SHGetFileInfoA fallback\n");

  Table memory({"record memory", "bytes per record"});
  memory.Add({"sizeof(velmora::FileRecord)", std::to_string(sizeof(FileRecord))});
  memory.Add({"list slot (std::unique_ptr)", std::to_string(sizeof(std::unique_ptr<FileRecord>))});
  memory.Add({"estimate as listed (16-byte header and granularity)", Fixed(static_cast<double>(listed.estimate) / n, 1)});
  memory.Add({"estimate once completed", Fixed(static_cast<double>(done.estimate) / n, 1)});
  memory.Add({"measured: bytes from new, as listed", Fixed(static_cast<double>(listed.bytes) / n, 1)});
  memory.Add({"measured: blocks from new, as listed", Fixed(static_cast<double>(listed.blocks) / n, 2)});
  memory.Add({"measured: bytes from new, once completed", Fixed(static_cast<double>(done.bytes) / n, 1)});
  memory.Add({"measured: blocks from new, once completed", Fixed(static_cast<double>(done.blocks) / n, 2)});
  memory.Add({"average relative path length (chars)", Fixed(static_cast<double>(pathChars) / n, 1)});
  memory.Print("Memory of one record (measured figures exclude the list's slot array, kept across listings)");

  RemoveTree(Widen(exeDir));
  if (!ownData.empty()) RemoveTree(Widen(ownData));
  std::fflush(stdout);
  return 0;
}

}  // namespace
}  // namespace bench
}  // namespace velmora

int main(int argc, char** argv) { return velmora::bench::Run(argc, argv); }
