// Start and end of the main window with a large store: 2,000 binders of 50 folders each
// (100,000 folder lines), against reading and writing the same bytes plainly. Two stores:
// one binder in twenty stored expanded, as a user who keeps most binders closed has, and
// every binder expanded.
//
//   startup_bench.exe [repetitions] [only-closed]   (any second argument: the first store alone)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_util.h"
#include "binders/binder_model.h"
#include "store/binder_store.h"
#include "store/win32/win32_collation.h"
#include "win32/win32_file_system.h"

namespace velmora {
namespace bench {
namespace {

constexpr int kBinders = 2000;
constexpr int kFoldersPerBinder = 50;
constexpr int kSelectionSections = 500;

struct StoreBytes {
  std::string titles, folders, selections;
  std::vector<std::string> paths;  // every registered folder, in file order
};

// The files exactly as the program writes them (sections, their lines, an empty line, CR LF;
// the settings section last with FRG before WID), so that an unchanged store must come back
// byte for byte.
StoreBytes MakeStore(const std::string& existingRoot, int expandedEvery) {
  static const char* const kTitleStems[] = {"バインダー", "Work", "work-", "ソフト表", "ｱｲｳ", "Ａｂｃ", "資料", "_x"};
  static const char* const kFolderStems[] = {"プロジェクト", "Projects", "ソフト", "表計算", "img", "ﾃﾞｰﾀ"};
  StoreBytes s;
  for (int b = 0; b < kBinders; ++b) {
    char number[16];
    std::snprintf(number, sizeof(number), "%04d", (b * 7919) % 10000);
    const std::string title = std::string(kTitleStems[b % 8]) + number;
    s.titles += title + "\r\n";
    s.folders += "[" + title + "]\r\n";
    for (int f = 0; f < kFoldersPerBinder; ++f) {
      char tail[32];
      std::snprintf(tail, sizeof(tail), "%02d", f);
      std::string path;
      if (b == 0) {
        // A few folders that exist, so that the tree's look-ups find something too.
        path = existingRoot + "folder" + tail;
      } else {
        path = std::string("C:\\データ\\") + kFolderStems[(b + f) % 6] + "\\" + title + "\\" +
               kFolderStems[f % 6] + tail;
      }
      s.paths.push_back(path);
      s.folders += path + "=" + std::to_string((b + f) % 3) + "\r\n";
    }
    s.folders += std::string("cmp=") + (b % expandedEvery ? "0" : "1") + "\r\n\r\n";
  }
  s.folders += "[Orvik]\r\nFRG=0\r\nWID=180\r\n\r\n";
  for (int i = 0; i < kSelectionSections; ++i) {
    s.selections += "[バインダー" + std::to_string(i) + "-フォルダ" + std::to_string(i) + "]\r\n";
    for (int k = 0; k < 5; ++k) s.selections += "file" + std::to_string(k) + ".txt=\r\n";
    s.selections += "\r\n";
  }
  return s;
}

// Messages left once the window is gone (the quit message its destruction posts, repaints).
void DrainMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

struct Series {
  std::vector<double> v;
  void Add(double x) { v.push_back(x); }
  double M() const { return Median(v); }
};

// The tree's steps on their own, on a tree control like the window's, so that the start and
// the end can be told apart step by step.
struct TreeSteps {
  Series readBinders, build, sort, restore, save, release, destroy;
  double firstNodeCall = 0, lastNodeCall = 0;  // seconds per TVM_GETITEMA
  std::size_t builtNodes = 0;
};

// One item message on a node made early and on one made last: the control finds a handle's
// record by its position among all nodes, so the cost of each per-node message shows here.
double ItemMessageCost(HWND control, HTREEITEM item) {
  constexpr int kCalls = 2000;
  return Time([&] {
           for (int i = 0; i < kCalls; ++i) {
             TVITEMA tvi = {};
             tvi.mask = TVIF_PARAM | TVIF_HANDLE;
             tvi.hItem = item;
             SendMessageA(control, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvi));
           }
         }) /
         kCalls;
}

// The tree's own notifications and messages reach it as the main window passes them on:
// binders ask whether they have folders and insert them on expanding. A window class of its
// own, as the main window has: a subclassed window pays a server round trip per message
// under Wine, which would be measured as the tree's cost.
LRESULT CALLBACK TreeHolderProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* tree = reinterpret_cast<BinderTree*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  LRESULT result = 0;
  if (tree && msg == WM_NOTIFY && tree->HandleNotify(reinterpret_cast<NMHDR*>(lp), result)) return result;
  if (tree && tree->HandleParentMessage(msg)) return 0;
  return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND CreateTreeHolder() {
  static const char* const kClass = "VelmoraBenchTreeHolder";
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &TreeHolderProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassA(&wc);  // fails harmlessly when already registered
  return CreateWindowExA(0, kClass, "", WS_OVERLAPPEDWINDOW, 0, 0, 640, 400, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void TimeTreeSteps(const std::string& exeDir, TreeSteps& steps) {
  Win32Collation collation;
  Win32FileSystem files;
  BinderStore store(collation, files);
  store.SetUpPaths(exeDir, "bench");
  store.Load();
  HWND parent = CreateTreeHolder();
  HWND control = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                     TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_EDITLABELS,
                                 0, 0, 150, 380, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  {
    BinderTree tree(collation);
    tree.Attach(control);
    SetWindowLongPtrA(parent, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&tree));
    std::vector<BinderEntry> binders;
    steps.readBinders.Add(Time([&] { binders = ReadBinders(store, collation); }));
    // As the window does: binders sorted before building, folders as they are inserted.
    steps.sort.Add(Time([&] { SortBinderTitles(binders, collation); }));
    std::vector<BinderEntry> built = binders;
    steps.build.Add(Time([&] { tree.Build(std::move(built), 0); }));
    steps.builtNodes = TreeView_GetCount(control);
    HTREEITEM root = TreeView_GetRoot(control);
    HTREEITEM lastBinder = nullptr;
    for (HTREEITEM b = TreeView_GetChild(control, root); b; b = TreeView_GetNextSibling(control, b)) lastBinder = b;
    HTREEITEM lastMade = nullptr;  // the binder written last in the store, after sorting anywhere
    for (HTREEITEM b = TreeView_GetChild(control, root); b; b = TreeView_GetNextSibling(control, b))
      if (tree.Text(b) == binders.back().title) lastMade = TreeView_GetChild(control, b);
    for (HTREEITEM f = lastMade; f; f = TreeView_GetNextSibling(control, f)) lastMade = f;
    steps.firstNodeCall = ItemMessageCost(control, root);
    steps.lastNodeCall = ItemMessageCost(control, lastMade ? lastMade : lastBinder);
    steps.restore.Add(Time([&] {
      tree.RestoreExpandedState(store.folders);
      tree.ExpandRoot();
    }));
    steps.save.Add(Time([&] { tree.SaveExpandedState(store.folders); }));
    steps.release.Add(Time([&] { tree.ReleasePaths(); }));
    SetWindowLongPtrA(parent, GWLP_USERDATA, 0);
    steps.destroy.Add(Time([&] { DestroyWindow(parent); }));
  }
  DrainMessages();
}

bool SameFile(const std::string& path, const std::string& expected, std::string& note) {
  std::string got;
  if (!ReadBytes(path, got)) {
    note = "missing";
    return false;
  }
  if (got == expected) return true;
  std::size_t i = 0;
  while (i < got.size() && i < expected.size() && got[i] == expected[i]) ++i;
  note = "differs at byte " + Count(i) + " (" + Count(got.size()) + " bytes, expected " + Count(expected.size()) + ")";
  return false;
}

struct Variant {
  const char* name;
  int expandedEvery;  // every n-th binder stored expanded
  const char* startBefore;
  const char* closeBefore;
};

void RunStore(const Variant& variant, int reps) {
  const std::string root = MakeTempFolder("startup");
  const std::string existing = root + "existing\\";
  CreateDirectoryA(existing.c_str(), nullptr);
  for (int f = 0; f < kFoldersPerBinder; ++f) {
    char name[32];
    std::snprintf(name, sizeof(name), "folder%02d", f);
    CreateDirectoryA((existing + name).c_str(), nullptr);
  }
  const StoreBytes store = MakeStore(existing, variant.expandedEvery);
  const std::string exeDir = root + "exe\\";
  const std::string emptyExeDir = root + "empty\\";
  CreateDirectoryA(exeDir.c_str(), nullptr);
  CreateDirectoryA(emptyExeDir.c_str(), nullptr);
  const std::string data = exeDir + "data\\";
  CreateDirectoryA(data.c_str(), nullptr);
  const std::string titlePath = data + "titlelist.txt", folderPath = data + "folderlist.ini",
                    selectPath = data + "selectlist.ini";

  QuietPrompter prompter;
  Series create, show, destroy, object, total, emptyCreate, emptyDestroy;
  TreeSteps treeSteps;
  Series plainRead, plainWrite, replacingWrite, storeLoad, storeSave, attributes;
  std::vector<std::string> roundTrip;
  std::size_t treeItems = 0;
  int visibleBinders = 0;
  unsigned long long found = 0;

  for (int rep = 0; rep < reps; ++rep) {
    WriteBytes(titlePath, store.titles);
    WriteBytes(folderPath, store.folders);
    WriteBytes(selectPath, store.selections);

    // The program's start and end with this store.
    {
      AppEnvironment env;
      env.exeDir = exeDir;
      const double t0 = Seconds();
      auto window = std::make_unique<TOrvikBinder>(env, &prompter);
      window->Create(GetModuleHandleA(nullptr));
      const double t1 = Seconds();
      window->Show(SW_SHOWNORMAL);
      const double t2 = Seconds();
      treeItems = TreeView_GetCount(window->tree().hwnd());
      visibleBinders = 0;
      HWND tree = window->tree().hwnd();
      for (HTREEITEM b = TreeView_GetChild(tree, TreeView_GetRoot(tree)); b; b = TreeView_GetNextSibling(tree, b))
        if (window->tree().IsExpanded(b)) ++visibleBinders;
      PumpPending(*window);
      const double t3 = Seconds();
      DestroyWindow(window->hwnd());
      const double t4 = Seconds();
      window.reset();
      const double t5 = Seconds();
      DrainMessages();
      create.Add(t1 - t0);
      show.Add(t2 - t1);
      destroy.Add(t4 - t3);
      object.Add(t5 - t4);
      total.Add((t2 - t0) + (t5 - t3));
    }
    std::string note;
    if (!SameFile(folderPath, store.folders, note)) roundTrip.push_back("folderlist.ini " + note);
    if (!SameFile(selectPath, store.selections, note)) roundTrip.push_back("selectlist.ini " + note);
    if (!SameFile(titlePath, store.titles, note)) roundTrip.push_back("titlelist.txt " + note);

    // The same window with no store at all: what start and end cost anyway.
    RemoveTree(Widen(emptyExeDir + "data"));
    {
      AppEnvironment env;
      env.exeDir = emptyExeDir;
      const double t0 = Seconds();
      auto window = std::make_unique<TOrvikBinder>(env, &prompter);
      window->Create(GetModuleHandleA(nullptr));
      emptyCreate.Add(Seconds() - t0);
      const double t1 = Seconds();
      DestroyWindow(window->hwnd());
      window.reset();
      emptyDestroy.Add(Seconds() - t1);
      DrainMessages();
    }

    // The same bytes read and written plainly.
    std::string a, b, c;
    plainRead.Add(Time([&] {
      ReadBytes(titlePath, a);
      ReadBytes(folderPath, b);
      ReadBytes(selectPath, c);
    }));
    plainWrite.Add(Time([&] {
      WriteBytes(titlePath, a);
      WriteBytes(folderPath, b);
      WriteBytes(selectPath, c);
    }));
    Win32FileSystem files;
    replacingWrite.Add(Time([&] {
      files.WriteFileReplacing(folderPath, b);
      files.WriteFileReplacing(selectPath, c);
      files.WriteFileReplacing(titlePath, a);
    }));

    // The store alone, without the window: parsing and serialising.
    Win32Collation collation;
    BinderStore alone(collation, files);
    alone.SetUpPaths(exeDir, "bench");
    storeLoad.Add(Time([&] { alone.Load(); }));
    storeSave.Add(Time([&] { alone.Save(); }));

    TimeTreeSteps(exeDir, treeSteps);

    // The tree looks every folder up on disk (hidden folders are drawn ghosted).
    attributes.Add(Time([&] {
      found = 0;
      for (const std::string& path : store.paths)
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) ++found;
    }));
  }

  std::printf("\n==== %s\nstore: %d binders x %d folders = %s folder lines; titlelist.txt %s bytes, folderlist.ini %s bytes, "
              "selectlist.ini %s bytes\n",
              variant.name, kBinders, kFoldersPerBinder, Count(store.paths.size()).c_str(), Count(store.titles.size()).c_str(),
              Count(store.folders.size()).c_str(), Count(store.selections.size()).c_str());
  std::printf("tree: %s nodes, %d binders expanded; %d repetitions (medians); folders found on disk: %s\n",
              Count(treeItems).c_str(), visibleBinders, reps, Count(found).c_str());

  const double io = plainRead.M() + plainWrite.M();
  Table table({"measurement", "median s", "vs plain read+write"});
  auto add = [&](const char* name, double s) { table.Add({name, Fixed(s, 3), Ratio(s, io)}); };
  add("Create (construction, store load, tree built)", create.M());
  add("Show (ShowWindow + UpdateWindow)", show.M());
  add("DestroyWindow (paths freed, store saved)", destroy.M());
  add("TOrvikBinder destructor after DestroyWindow", object.M());
  add("start + end in all", total.M());
  add("Create with no store", emptyCreate.M());
  add("DestroyWindow + destructor with no store", emptyDestroy.M());
  add("plain read of the three files", plainRead.M());
  add("plain write of the three files", plainWrite.M());
  add("write replacing (temp, flush, move) x3", replacingWrite.M());
  add("BinderStore::Load alone (parse)", storeLoad.M());
  add("BinderStore::Save alone", storeSave.M());
  add("GetFileAttributesA of every folder", attributes.M());
  table.Print("Start and end with 100,000 folder lines");
  const std::string which = std::string(" (") + variant.name + ")";
  Figure("start until the window is shown" + which, Fixed(create.M() + show.M(), 3) + " s",
         variant.expandedEvery > 1 ? "at most 1 s" : "reported", variant.startBefore);
  Figure("close (DestroyWindow and the destructor)" + which, Fixed(destroy.M() + object.M(), 3) + " s",
         variant.expandedEvery > 1 ? "at most 0.3 s" : "reported", variant.closeBefore);
  Table tree({"tree step alone (BinderTree on a tree control)", "median s"});
  tree.Add({"ReadBinders (folders of every binder from the store)", Fixed(treeSteps.readBinders.M(), 3)});
  tree.Add({"Build (" + Count(treeSteps.builtNodes) + " nodes inserted; folders looked up when drawn)",
            Fixed(treeSteps.build.M(), 3)});
  tree.Add({"SortBinderTitles (before building)", Fixed(treeSteps.sort.M(), 3)});
  tree.Add({"RestoreExpandedState + ExpandRoot (expanded binders' folders inserted)", Fixed(treeSteps.restore.M(), 3)});
  tree.Add({"SaveExpandedState", Fixed(treeSteps.save.M(), 3)});
  tree.Add({"ReleasePaths", Fixed(treeSteps.release.M(), 3)});
  tree.Add({"DestroyWindow of the tree control", Fixed(treeSteps.destroy.M(), 3)});
  tree.Print("Where the time goes");
  std::printf("one TVM_GETITEMA: %.1f us on the root node, %.1f us on a node inserted last\n",
              treeSteps.firstNodeCall * 1e6, treeSteps.lastNodeCall * 1e6);
  std::printf("\nstore round trip through the window: %s\n", roundTrip.empty() ? "IDENTICAL (all three files)" : "DIFFERS");
  for (const std::string& r : roundTrip) std::printf("  %s\n", r.c_str());
  std::printf("prompter messages: %d\n", prompter.messages);

  RemoveTree(Widen(root));
  std::fflush(stdout);
}

int Run(int argc, char** argv) {
  CheckCodePage();
  InitControls();
  const std::vector<std::string> args = Arguments(argc, argv);
  const int reps = args.size() > 0 && std::atoi(args[0].c_str()) > 0 ? std::atoi(args[0].c_str()) : 3;
  // Before: every folder node inserted and looked up at start, each look-up asking the
  // drive's kind (this machine under Wine, loaded by other work).
  RunStore({"5% of the binders expanded", 20, "73.9 s", "1.30 s"}, reps);
  if (args.size() < 2) RunStore({"every binder expanded", 1, "39.4 s", "1.97 s"}, reps);
  return 0;
}

}  // namespace
}  // namespace bench
}  // namespace velmora

int main(int argc, char** argv) { return velmora::bench::Run(argc, argv); }
