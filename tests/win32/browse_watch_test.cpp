// The list following the disk while a folder is listed, and the filter box narrowing it, in
// the real main window over real folders.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <set>

#include "win32/window_fixture.h"

namespace velmora {
namespace {

using testing_support::MainWindowTest;
using testing_support::MakeFile;
using testing_support::MakeFolder;
using testing_support::PumpUntil;
using testing_support::RunUnixShell;
using testing_support::UnixPath;

std::string NoSlash(const std::string& path) { return path.substr(0, path.size() - 1); }

// Quoted for the Unix shell.
std::string Quoted(const std::string& text) { return "'" + text + "'"; }

class WatchTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    unix_ = UnixPath(content.path());
    if (unix_.empty()) GTEST_SKIP() << "not under Wine";
    if (unix_.back() != '/') unix_ += '/';
  }
  // Lists the folder (a sub-folder of the temporary one, holding these files) through its
  // tree node.
  void ListFolder(const std::string& name, const std::vector<std::string>& files = {}, const std::string& style = "2") {
    MakeFolder(content + name);
    folder_ = content + name + "\\";
    name_ = name;
    for (const std::string& file : files) MakeFile(folder_ + file, 1);
    Open("Work\r\n", "[Work]\r\n" + NoSlash(folder_) + "=" + style + "\r\n\r\n");
    ClickNode(name);
    ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().watching(); }));
  }
  std::string UnixFolder() const { return unix_ + name_; }
  bool WaitForNames(const std::set<std::string>& wanted) {
    return PumpUntil(window.get(), [&] { return ShownNames() == wanted; });
  }
  std::set<std::string> ShownNames() const {
    std::set<std::string> names;
    for (int row = 0; row < RowCount(); ++row) names.insert(CellText(row, 0));
    return names;
  }
  int RowCount() const { return ListView_GetItemCount(window->control(IDC_LIST)); }
  int RowNamed(const std::string& name) const {
    for (int row = 0; row < RowCount(); ++row)
      if (CellText(row, 0) == name) return row;
    return -1;
  }
  std::set<std::string> SelectedNames() const {
    std::set<std::string> names;
    for (int row : window->browser().listView().SelectedRows()) names.insert(CellText(row, 0));
    return names;
  }
  void Select(const std::string& name) { window->browser().listView().SelectRow(RowNamed(name), false); }
  std::string CountText() const {
    char text[128] = "";
    SendMessageA(window->control(IDC_STATUS), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
  }
  // Runs cmd.exe, another Wine process, and waits for it.
  void RunCmd(const std::string& commandLine) {
    std::string line = "cmd.exe /c " + commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                               folder_.c_str(), &startup, &process));
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }

  std::string unix_;    // the temporary folder's Unix path
  std::string folder_;  // the listed folder, with its backslash
  std::string name_;    // its name in the temporary folder
};

TEST_F(WatchTest, FilesMadeDeletedRenamedAndChangedFromLinuxShowWithTheSelectionKept) {
  ListFolder("linux", {"a.txt", "c.txt", "e.txt"});
  Select("c.txt");
  Select("e.txt");
  const std::size_t rereads = window->browser().rereads();
  const std::string dir = Quoted(UnixFolder());
  ASSERT_TRUE(RunUnixShell("cd " + dir + " && : > b.txt && mkdir sub && rm a.txt && mv c.txt d.txt && "
                           "head -c 5000 /dev/zero > e.txt"));
  ASSERT_TRUE(WaitForNames({"sub", "b.txt", "d.txt", "e.txt"}));
  // A few changes are followed name by name; only a burst ends with reading the folder again.
  EXPECT_EQ(window->browser().rereads(), rereads);
  // New rows take their places in the name order, folders first.
  EXPECT_EQ(CellText(0, 0), "sub");
  EXPECT_EQ(CellText(1, 0), "b.txt");
  // The renamed row and the changed one stay selected; the new ones are not.
  EXPECT_EQ(SelectedNames(), (std::set<std::string>{"d.txt", "e.txt"}));
  EXPECT_TRUE(PumpUntil(window.get(), [&] { return CellText(RowNamed("e.txt"), 1) == "4KB"; }));
  EXPECT_EQ(CountText(), "4");
  // The worker completes new rows as at listing time.
  EXPECT_TRUE(PumpUntil(window.get(), [&] { return CellText(RowNamed("sub"), 2) != ""; }));
}

TEST_F(WatchTest, AFileRenamedOutsideMovesToItsPlaceWithItsNewTypeAndANewFileLandsInOrder) {
  ListFolder("renamed", {"a.txt", "b.txt", "c.txt", "d.txt", "y.jpg"});
  ASSERT_TRUE(WaitForWorker());
  Select("b.txt");
  const std::string dir = Quoted(UnixFolder());
  ASSERT_TRUE(RunUnixShell("cd " + dir + " && mv b.txt z.jpg"));
  ASSERT_TRUE(WaitForNames({"a.txt", "c.txt", "d.txt", "y.jpg", "z.jpg"}));
  EXPECT_EQ(CellText(4, 0), "z.jpg");
  EXPECT_EQ(SelectedNames(), (std::set<std::string>{"z.jpg"}));
  EXPECT_TRUE(PumpUntil(window.get(), [&] { return CellText(4, 2) != "" && CellText(4, 2) == CellText(3, 2); }));
  ASSERT_TRUE(RunUnixShell("cd " + dir + " && : > e.txt"));
  ASSERT_TRUE(WaitForNames({"a.txt", "c.txt", "d.txt", "e.txt", "y.jpg", "z.jpg"}));
  EXPECT_EQ(CellText(3, 0), "e.txt");
}

TEST_F(WatchTest, NamesDifferingOnlyInLetterCaseStayOneRowEachWhenOneChanges) {
  ListFolder("cases");
  const std::string dir = Quoted(UnixFolder());
  ASSERT_TRUE(RunUnixShell("cd " + dir + " && : > a.txt && : > A.txt && : > m.txt"));
  ASSERT_TRUE(WaitForNames({"a.txt", "A.txt", "m.txt"}));
  ASSERT_TRUE(RunUnixShell("cd " + dir + " && head -c 5000 /dev/zero >> a.txt"));
  EXPECT_TRUE(PumpUntil(window.get(), [&] { return CellText(RowNamed("a.txt"), 1) == "4KB"; }));
  EXPECT_EQ(RowCount(), 3);
  EXPECT_EQ(ShownNames(), (std::set<std::string>{"a.txt", "A.txt", "m.txt"}));
}

TEST_F(WatchTest, TheFocusedRowAndTheScrollPositionStayWhereTheUserLeftThem) {
  ListFolder("scroll");
  for (int i = 100; i < 300; ++i) MakeFile(folder_ + "m" + std::to_string(i) + ".txt", 1);
  Command(IDM_REFRESH);
  HWND list = window->control(IDC_LIST);
  ListView_EnsureVisible(list, 199, FALSE);
  const int top = ListView_GetTopIndex(list);
  ASSERT_GT(top, 0);
  const std::string topName = CellText(top, 0);
  ListView_SetItemState(list, top + 2, LVIS_FOCUSED, LVIS_FOCUSED);
  const std::string focusedName = CellText(top + 2, 0);
  // Rows that sort above the visible ones push nothing out of view.
  ASSERT_TRUE(RunUnixShell("cd " + Quoted(UnixFolder()) + " && : > a1.txt && : > a2.txt && : > a3.txt"));
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return RowCount() == 203; }));
  EXPECT_EQ(CellText(ListView_GetTopIndex(list), 0), topName);
  EXPECT_EQ(CellText(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 0), focusedName);
}

TEST_F(WatchTest, AFlatListingFollowsFilesInSubFolders) {
  ListFolder("flat");
  MakeFolder(folder_ + "one");
  MakeFolder(folder_ + "one\\deep");
  MakeFile(folder_ + "one\\a.txt", 1);
  Command(IDM_REFRESH);
  Select("one");
  window->browser().ListFolder(window->browser().currentFolder(), true);
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().watching(); }));
  ASSERT_TRUE(WaitForNames({"a.txt"}));
  ASSERT_TRUE(RunUnixShell("cd " + Quoted(UnixFolder() + "/one") + " && : > c.txt"));
  EXPECT_TRUE(WaitForNames({"a.txt", "c.txt"}));
  ASSERT_TRUE(RunUnixShell("cd " + Quoted(UnixFolder() + "/one/deep") + " && : > b.txt"));
  EXPECT_TRUE(WaitForNames({"a.txt", "b.txt", "c.txt"}));
}

TEST_F(WatchTest, ChangesFromAnotherWineProcessShow) {
  ListFolder("wine", {"old.txt", "keep.txt"});
  RunCmd("echo made> new.txt & del old.txt & ren keep.txt kept.txt");
  EXPECT_TRUE(WaitForNames({"new.txt", "kept.txt"}));
}

TEST_F(WatchTest, TwoThousandFilesCopiedAtOnceCostAFewRefreshesAndKeepTheSelection) {
  MakeFolder(content + "staging");
  ListFolder("burst", {"mine.txt"});
  // Wide enough windows that a copy slowed by a busy machine still falls into a few batches;
  // one refresh per file would be two thousand.
  FolderWatcher::Timing timing;
  timing.quietMs = 500;
  timing.maxDelayMs = 4000;
  window->browser().SetWatchTiming(timing);
  Command(IDM_REFRESH);  // watches with these windows
  Select("mine.txt");
  const std::size_t before = window->browser().followedChanges(), rereadsBefore = window->browser().rereads();
  ASSERT_TRUE(RunUnixShell("cd " + Quoted(unix_ + "staging") + " && i=0; while [ $i -lt 2000 ]; do : > f$i.txt; "
                           "i=$((i+1)); done && cp ./* " + Quoted(UnixFolder())));
  // Wine sometimes drops a few notices of such a burst without saying so: the listing is read
  // again once the folder is quiet, and then has every file.
  ASSERT_TRUE(PumpUntil(window.get(), [&] {
    return window->browser().records().size() == 2001 && window->browser().rereads() > rereadsBefore;
  })) << window->browser().records().size() << " records, watching " << window->browser().watching() << ", "
      << window->browser().followedChanges() - before << " refreshes, " << window->browser().rereads() << " rereads";
  const std::size_t refreshes = window->browser().followedChanges() - before;
  EXPECT_GE(refreshes, 1u);
  EXPECT_LE(refreshes, 5u);
  EXPECT_EQ(SelectedNames(), (std::set<std::string>{"mine.txt"}));
  EXPECT_EQ(CountText(), "2001");
}

TEST_F(WatchTest, ABurstPastTheNameLimitIsOneRereadThatKeepsTheSelection) {
  ListFolder("reread", {"gone.txt", "mine.txt"});
  FolderWatcher::Timing timing;
  timing.nameLimit = 10;
  window->browser().SetWatchTiming(timing);
  Command(IDM_REFRESH);  // watches with the lower limit
  Select("mine.txt");
  const std::size_t before = window->browser().rereads();
  ASSERT_TRUE(RunUnixShell("cd " + Quoted(UnixFolder()) + " && rm gone.txt && i=0; while [ $i -lt 50 ]; do "
                           ": > f$i.txt; i=$((i+1)); done"));
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().records().size() == 51; }));
  EXPECT_GE(window->browser().rereads(), before + 1);
  EXPECT_EQ(RowNamed("gone.txt"), -1);
  EXPECT_EQ(SelectedNames(), (std::set<std::string>{"mine.txt"}));
}

TEST_F(WatchTest, AFolderThatCannotBeWatchedIsListedAsBefore) {
  // No notices for a folder that is not there: the watch ends as it starts, with no change.
  FolderWatcher watcher(window ? window->hwnd() : nullptr, WM_APP_FOLDER_CHANGED, 1);
  EXPECT_TRUE(watcher.Start({content + "missing"}, false, FolderWatcher::Timing()));
  EXPECT_TRUE(PumpUntil(window.get(), [&] { return watcher.failed(); }));
  EXPECT_TRUE(watcher.Take().empty());
  EXPECT_TRUE(prompter.messages.empty());
}

// A message that cannot be posted (a full queue) is posted again later: the watch never goes
// silent with a batch nobody was told of.
TEST_F(WatchTest, APostThatFailsIsMadeAgainAndTheWatchGoesOn) {
  MakeFolder(content + "posts");
  MSG none;
  PeekMessageA(&none, nullptr, 0, 0, PM_NOREMOVE);  // this thread has its queue
  const DWORD thread = GetCurrentThreadId();
  FolderWatcher watcher(nullptr, WM_APP_FOLDER_CHANGED, 7);
  // Held by the watch's thread, which may outlive this test once stopped.
  auto tries = std::make_shared<std::atomic<int>>(0);
  watcher.SetPoster([tries, thread](HWND, UINT message, WPARAM id) {
    // The first attempt fails; the rest go through, to this thread's queue.
    return ++*tries > 1 && PostThreadMessageW(thread, message, id, 0) != FALSE;
  });
  FolderWatcher::Timing timing;
  timing.quietMs = 50;
  timing.maxDelayMs = 200;
  ASSERT_TRUE(watcher.Start({content + "posts"}, false, timing));
  // The folder is opened on the watch's thread: a change made before that goes unseen.
  const auto armedBy = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!watcher.armed() && std::chrono::steady_clock::now() < armedBy) Sleep(10);
  ASSERT_TRUE(watcher.armed());
  auto posted = [&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    MSG msg;
    while (std::chrono::steady_clock::now() < deadline) {
      if (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), WM_APP_FOLDER_CHANGED, WM_APP_FOLDER_CHANGED, PM_REMOVE))
        return msg.wParam == 7;
      Sleep(10);
    }
    return false;
  };
  MakeFile(content + "posts\\a.txt", 1);
  ASSERT_TRUE(posted());
  EXPECT_GE(tries->load(), 2);
  EXPECT_FALSE(watcher.Take().empty());
  // The next change is handed over as before.
  MakeFile(content + "posts\\b.txt", 1);
  ASSERT_TRUE(posted());
  EXPECT_FALSE(watcher.Take().empty());
  watcher.Stop();
}

TEST_F(WatchTest, ClosingWhileChangesArriveEndsCleanly) {
  ListFolder("closing");
  const std::string dir = Quoted(UnixFolder());
  ASSERT_TRUE(RunUnixShell("cd " + dir + " && i=0; while [ $i -lt 3000 ]; do : > f$i; i=$((i+1)); done; : > done",
                           false));
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return !window->browser().records().empty(); }));
  Close();
  // The writer ends before the folder is removed.
  EXPECT_TRUE(PumpUntil(nullptr, [&] { return GetFileAttributesA((folder_ + "done").c_str()) != INVALID_FILE_ATTRIBUTES; }));
}

TEST_F(WatchTest, AFolderThatGoesAwayIsShownAsMissingAndNoLongerWatched) {
  ListFolder("going", {"a.txt"});
  ASSERT_TRUE(RunUnixShell("rm -rf " + Quoted(UnixFolder())));
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return !window->browser().watching(); }));
  EXPECT_TRUE(window->browser().records().empty());
  char text[512] = "";
  SendMessageA(window->control(IDC_STATUS), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(std::string(text), "不明 > " + NoSlash(folder_));
}

TEST_F(WatchTest, ANewListingWatchesOnlyItsOwnFolder) {
  MakeFolder(content + "other");
  ListFolder("first");
  MakeFile(content + "other\\sub.txt", 1);
  // Entering a sub-folder lists it, and the watch moves with the listing.
  window->browser().EnterFolder(-1, content + "other");
  ASSERT_TRUE(WaitForListing());
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().watching(); }));
  ASSERT_TRUE(RunUnixShell("cd " + Quoted(unix_) + " && : > first/unseen.txt && : > other/seen.txt"));
  EXPECT_TRUE(WaitForNames({"sub.txt", "seen.txt"}));
}

// ---- the filter box

class FilterTest : public WatchTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    ListFolder("filter", {"Report.txt", "ｶﾀﾛｸﾞ.pdf", "notes.doc", "report2.TXT", "image.jpg"});
  }
  HWND Box() const { return window->control(IDC_FILTER); }
  void Type(const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(Box(), WM_CHAR, c, 0);
  }
  void Key(HWND target, WPARAM key, bool control = false) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG msg = {target, WM_KEYDOWN, key, 0, 0, {}};
    if (!window->PreTranslateMessage(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
  }
};

TEST_F(FilterTest, TypingNarrowsByCaseWidthAndWildcardsAndTheCountShowsBoth) {
  Key(window->control(IDC_LIST), 'F', true);
  EXPECT_EQ(GetFocus(), Box());
  Type(L"rep");
  EXPECT_EQ(ShownNames(), (std::set<std::string>{"Report.txt", "report2.TXT"}));
  EXPECT_EQ(CountText(), "2 / 5");
  struct Case {
    const wchar_t* typed;
    std::set<std::string> shown;
  } cases[] = {
      {L"ＲＥＰＯＲＴ２", {"report2.TXT"}},
      {L"カタログ", {"ｶﾀﾛｸﾞ.pdf"}},
      {L"*.txt", {"Report.txt", "report2.TXT"}},
      {L"r?port.", {"Report.txt"}},
      {L"zzz", {}},
  };
  for (const Case& c : cases) {
    SetWindowTextW(Box(), c.typed);
    EXPECT_EQ(ShownNames(), c.shown) << testing::PrintToString(std::wstring(c.typed));
  }
  EXPECT_EQ(CountText(), "0 / 5");
}

TEST_F(FilterTest, EscapeGivesTheWholeListBackWithTheSelectionKept) {
  SetWindowTextW(Box(), L"txt");
  ASSERT_EQ(RowCount(), 2);
  Select("report2.TXT");
  Key(Box(), VK_ESCAPE);
  EXPECT_EQ(GetWindowTextLengthW(Box()), 0);
  EXPECT_EQ(RowCount(), 5);
  EXPECT_EQ(CountText(), "5");
  EXPECT_EQ(SelectedNames(), (std::set<std::string>{"report2.TXT"}));
  // After "select all", the narrowed rows are all selected and the hidden ones are not.
  Command(IDM_SELECT_ALL);
  SetWindowTextW(Box(), L"txt");
  EXPECT_EQ(SelectedNames(), (std::set<std::string>{"Report.txt", "report2.TXT"}));
  Key(Box(), VK_ESCAPE);
  EXPECT_EQ(SelectedNames(), (std::set<std::string>{"Report.txt", "report2.TXT"}));
  // Commands reach the row the user sees: its path is that of the record shown.
  EXPECT_EQ(window->browser().RowFullPath(RowNamed("notes.doc")), folder_ + "notes.doc");
}

TEST_F(FilterTest, RowsHiddenByTheFilterLeaveTheSelectionAndNewFilesObeyIt) {
  Select("notes.doc");
  Select("Report.txt");
  SetWindowTextW(Box(), L"report");
  EXPECT_EQ(SelectedNames(), (std::set<std::string>{"Report.txt"}));
  EXPECT_EQ(window->browser().SelectedPaths(), (std::vector<std::string>{folder_ + "Report.txt"}));
  // A file made meanwhile shows only when its name passes.
  MakeFile(folder_ + "report3.txt", 1);
  MakeFile(folder_ + "other.txt", 1);
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().records().size() == 7; }));
  EXPECT_EQ(ShownNames(), (std::set<std::string>{"Report.txt", "report2.TXT", "report3.txt"}));
  EXPECT_EQ(CountText(), "3 / 7");
}

TEST_F(FilterTest, OpeningSeveralRowsWithoutAFolderLeavesTheListTheFilterAndTheWatchAsTheyWere) {
  SetWindowTextW(Box(), L"rep");
  ASSERT_EQ(RowCount(), 2);
  Select("Report.txt");
  Select("report2.TXT");
  const std::size_t listings = window->browser().listings();
  Command(IDM_LIST_OPEN);
  EXPECT_EQ(window->browser().listings(), listings);
  EXPECT_FALSE(window->browser().flatListing());
  EXPECT_EQ(RowCount(), 2);
  EXPECT_EQ(ShownNames(), (std::set<std::string>{"Report.txt", "report2.TXT"}));
  EXPECT_EQ(SelectedNames(), (std::set<std::string>{"Report.txt", "report2.TXT"}));
  EXPECT_EQ(CountText(), "2 / 5");
  EXPECT_EQ(GetWindowTextLengthW(Box()), 3);
  for (int row = 0; row < RowCount(); ++row) EXPECT_EQ(window->browser().RowFullPath(row), folder_ + CellText(row, 0));
  // The folder is still watched: a file made there shows, as the filter lets it.
  ASSERT_TRUE(window->browser().watching());
  MakeFile(folder_ + "report3.txt", 1);
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().records().size() == 6; }));
  EXPECT_EQ(ShownNames(), (std::set<std::string>{"Report.txt", "report2.TXT", "report3.txt"}));
}

// The selected folder is gone when the flat listing reads it: the folder listing stays,
// watched, and follows the disk.
TEST_F(WatchTest, OpeningRowsWhoseFolderWentMeanwhileLeavesTheListingWatched) {
  ListFolder("vanish", {"a.txt"});
  MakeFolder(folder_ + "sub");
  ASSERT_TRUE(WaitForNames({"a.txt", "sub"}));
  Select("a.txt");
  Select("sub");
  ASSERT_TRUE(RemoveDirectoryA((folder_ + "sub").c_str()));
  Command(IDM_LIST_OPEN);
  EXPECT_FALSE(window->browser().flatListing());
  ASSERT_TRUE(WaitForNames({"a.txt"}));
  ASSERT_TRUE(window->browser().watching());
  MakeFile(folder_ + "b.txt", 1);
  EXPECT_TRUE(WaitForNames({"a.txt", "b.txt"}));
}

TEST_F(FilterTest, NamesTheCodePageCannotSpellAreMatchedAsShown) {
  // "ė" has no code page 932 spelling, not even a look-alike the filter could match instead.
  testing_support::MakeFile(AnsiToWide(folder_) + L"caf\u0117 menu.txt", "x");
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().records().size() == 6; }));
  SetWindowTextW(Box(), L"\u0116 M");
  ASSERT_EQ(RowCount(), 1);
  wchar_t shown[64] = L"";
  LVITEMW item = {};
  item.pszText = shown;
  item.cchTextMax = 64;
  SendMessageW(window->control(IDC_LIST), LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(std::wstring(shown), L"caf\u0117 menu.txt");
  SetWindowTextW(Box(), L"cafe");
  EXPECT_EQ(RowCount(), 0);
}

TEST_F(FilterTest, ANewListingClearsTheBox) {
  SetWindowTextW(Box(), L"notes");
  ASSERT_EQ(RowCount(), 1);
  Command(IDM_REFRESH);
  EXPECT_EQ(GetWindowTextLengthW(Box()), 0);
  EXPECT_EQ(RowCount(), 5);
  EXPECT_EQ(CountText(), "5");
}

}  // namespace
}  // namespace velmora
