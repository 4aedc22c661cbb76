// Folder browsing in the real main window over real folders: listing, filters, row texts,
// sorting, the worker, navigation and the remembered selection.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winioctl.h>

#include <algorithm>
#include <functional>
#include <set>
#include <thread>

#include "store/win32/win32_collation.h"
#include "text/cp932.h"
#include "win32/clipboard_files.h"
#include "win32/drop_source.h"
#include "win32/window_fixture.h"

namespace velmora {
namespace {

using testing_support::MainWindowTest;
using testing_support::MakeFile;
using testing_support::MakeFolder;
using testing_support::PumpPending;
using testing_support::PumpUntil;
using testing_support::TempDir;

std::string Folders(const std::string& binder, const std::string& path, const std::string& style = "0") {
  return "[" + binder + "]\r\n" + path + "=" + style + "\r\n\r\n";
}

std::string NoSlash(const std::string& path) { return path.substr(0, path.size() - 1); }

class BrowseTest : public MainWindowTest {
 protected:
  void OpenOn(const std::string& folder, const std::string& style = "0", const std::string& selections = "") {
    Open("Work\r\n", Folders("Work", folder, style), selections);
  }
  // Each column header's sort arrow format bits.
  std::vector<int> SortArrows() const {
    HWND header = ListView_GetHeader(window->control(IDC_LIST));
    std::vector<int> arrows;
    for (int i = 0; i < Header_GetItemCount(header); ++i) {
      HDITEMA item = {};
      item.mask = HDI_FORMAT;
      SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
      arrows.push_back(item.fmt & (HDF_SORTUP | HDF_SORTDOWN));
    }
    return arrows;
  }
  int RowOf(const std::string& name) const {
    const auto names = Names();
    auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
  }
};

TEST_F(BrowseTest, AttributeSwitchesFilterTheNextListing) {
  MakeFile(content + "normal.txt", 1);
  MakeFile(content + "hidden.txt", 1, FILE_ATTRIBUTE_HIDDEN);
  MakeFile(content + "system.txt", 1, FILE_ATTRIBUTE_SYSTEM);
  MakeFile(content + "both.txt", 1, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  MakeFile(content + "readonly.txt", 1, FILE_ATTRIBUTE_READONLY);
  MakeFolder(content + "hiddendir");
  SetFileAttributesA((content + "hiddendir").c_str(), FILE_ATTRIBUTE_HIDDEN);
  OpenOn(NoSlash(content.path()));
  ClickNode(LastComponent(NoSlash(content.path())));
  std::vector<std::string> listed = Names();
  std::set<std::string> names(listed.begin(), listed.end());
  EXPECT_EQ(names, (std::set<std::string>{"normal.txt", "readonly.txt"}));
  EXPECT_EQ(CellText(RowOf("readonly.txt"), 4), "RA");

  // Switches take effect at the next listing only.
  SendMessageA(window->control(IDC_ATTR_R), BM_SETCHECK, BST_UNCHECKED, 0);
  SendMessageA(window->control(IDC_ATTR_H), BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(window->browser().records().size(), 2u);
  Command(IDM_REFRESH);
  listed = Names();
  names = std::set<std::string>(listed.begin(), listed.end());
  EXPECT_EQ(names, (std::set<std::string>{"normal.txt", "hidden.txt", "hiddendir"}));
  // A listed hidden row is drawn cut; the others are not.
  HWND list = window->control(IDC_LIST);
  EXPECT_EQ(ListView_GetItemState(list, RowOf("hidden.txt"), LVIS_CUT), static_cast<UINT>(LVIS_CUT));
  EXPECT_EQ(ListView_GetItemState(list, RowOf("normal.txt"), LVIS_CUT), 0u);

  SendMessageA(window->control(IDC_ATTR_S), BM_SETCHECK, BST_CHECKED, 0);
  Command(IDM_REFRESH);
  ASSERT_GE(RowOf("both.txt"), 0);
  EXPECT_EQ(CellText(RowOf("both.txt"), 4), "SHA");
  EXPECT_LT(RowOf("readonly.txt"), 0);
}

TEST_F(BrowseTest, RowsShowSizesDatesAndFoldersFirst) {
  MakeFile(content + "zero.bin", 0);
  MakeFile(content + "k1023.bin", 1023);
  MakeFile(content + "k1024.bin", 1024);
  MakeFile(content + "k2048.bin", 2048);
  MakeFile(content + "mega.bin", 1048576);
  MakeFolder(content + "Zsub");
  MakeFolder(content + "asub");
  // A sparse file above 4 GiB: its size must not be cut to 32 bits.
  HANDLE big = CreateFileA((content + "huge.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD ignored = 0;
  DeviceIoControl(big, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER five;
  five.QuadPart = 5LL << 30;
  SetFilePointerEx(big, five, nullptr, FILE_BEGIN);
  SetEndOfFile(big);
  CloseHandle(big);

  OpenOn(NoSlash(content.path()), "2");
  ClickNode(LastComponent(NoSlash(content.path())));
  const std::vector<std::string> names = Names();
  ASSERT_EQ(names.size(), 8u);
  // Folders first, each group in word-sort order.
  EXPECT_EQ(names[0], "asub");
  EXPECT_EQ(names[1], "Zsub");
  EXPECT_EQ(CellText(RowOf("zero.bin"), 1), "0KB");
  EXPECT_EQ(CellText(RowOf("k1023.bin"), 1), "1KB");
  EXPECT_EQ(CellText(RowOf("k1024.bin"), 1), "1KB");
  EXPECT_EQ(CellText(RowOf("k2048.bin"), 1), "2KB");
  EXPECT_EQ(CellText(RowOf("mega.bin"), 1), "1,024KB");
  EXPECT_EQ(CellText(RowOf("huge.bin"), 1), "5,242,880KB");
  EXPECT_EQ(CellText(RowOf("asub"), 1), "");
  EXPECT_EQ(CellText(RowOf("asub"), 6), "0");
  EXPECT_EQ(CellText(RowOf("mega.bin"), 6), "1");
  EXPECT_EQ(CellText(RowOf("mega.bin"), 5), "\\mega.bin");
  // "yyyy/mm/dd hh:nn" of today's local time.
  SYSTEMTIME now;
  GetLocalTime(&now);
  char today[16];
  wsprintfA(today, "%04d/%02d/%02d", now.wYear, now.wMonth, now.wDay);
  const std::string date = CellText(RowOf("mega.bin"), 3);
  EXPECT_EQ(date.size(), 16u);
  EXPECT_EQ(date.substr(0, 10), today);
  ASSERT_TRUE(WaitForWorker());
  EXPECT_FALSE(window->browser().hourglass());

  // Size ascending keeps folders first; the next click on any column goes descending. The
  // header shows the sorted column's direction.
  EXPECT_EQ(SortArrows(), (std::vector<int>{HDF_SORTUP, 0, 0, 0, 0}));
  ClickColumn(1);
  EXPECT_EQ(Names()[0], "asub");
  EXPECT_EQ(Names()[2], "zero.bin");
  EXPECT_EQ(Names().back(), "huge.bin");
  EXPECT_EQ(SortArrows(), (std::vector<int>{0, HDF_SORTUP, 0, 0, 0}));
  ClickColumn(1);
  EXPECT_EQ(Names()[0], "huge.bin");
  EXPECT_EQ(Names().back(), "asub");
  EXPECT_EQ(SortArrows(), (std::vector<int>{0, HDF_SORTDOWN, 0, 0, 0}));
}

TEST_F(BrowseTest, ChangingTheViewRepaintsTheWholeList) {
  for (int i = 0; i < 30; ++i) MakeFile(content + "file" + std::to_string(i) + ".txt", 1);
  OpenOn(NoSlash(content.path()), "2");
  ClickNode(LastComponent(NoSlash(content.path())));
  ASSERT_TRUE(WaitForWorker());
  HWND list = window->control(IDC_LIST);
  UpdateWindow(list);
  Command(IDM_VIEW_LIST);
  PumpPending(window.get());
  UpdateWindow(list);
  // Below the list style's lowest row there is nothing but background.
  ASSERT_EQ(GetWindowLongA(list, GWL_STYLE) & WS_HSCROLL, 0);
  RECT client;
  GetClientRect(list, &client);
  LONG rowsEnd = 0;
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
    RECT r = {};
    ListView_GetItemRect(list, i, &r, LVIR_BOUNDS);
    rowsEnd = std::max(rowsEnd, r.bottom);
  }
  ASSERT_LT(rowsEnd, client.bottom);
  const COLORREF background = ListView_GetBkColor(list);
  HDC dc = GetDC(list);
  int stale = 0;
  for (LONG y = rowsEnd; y < client.bottom; ++y)
    for (LONG x = 0; x < client.right; ++x) stale += GetPixel(dc, x, y) != background;
  ReleaseDC(list, dc);
  EXPECT_EQ(stale, 0) << "pixels of the detail view left below the rows";
}

TEST_F(BrowseTest, WorkerCompletesEveryRecordOnceWhileTheUserSorts) {
  for (int i = 0; i < 300; ++i) MakeFile(content + "f" + std::to_string(i) + (i % 3 ? ".txt" : ".zzq"), static_cast<std::size_t>(i % 7));
  OpenOn(NoSlash(content.path()), "2");
  const std::size_t before = window->browser().completions();
  ClickNode(LastComponent(NoSlash(content.path())));
  int clicks = 0;
  // Sort by every column again and again while rows are being completed.
  ASSERT_TRUE(PumpUntil(window.get(), [&] {
    if (window->browser().WorkerRunning()) ClickColumn(clicks++ % 5);
    return !window->browser().WorkerRunning();
  }));
  EXPECT_EQ(window->browser().completions() - before, 300u);
  for (const auto& r : window->browser().records()) {
    ASSERT_FALSE(r->typeText.empty()) << r->name;
    EXPECT_NE(r->iconIndex, -1) << r->name;
  }
  // No registration for ".zzq": the type names the extension, the shell's text or ours.
  const auto& records = window->browser().records();
  auto unknown = std::find_if(records.begin(), records.end(), [](const auto& r) { return r->name == "f0.zzq"; });
  ASSERT_NE(unknown, records.end());
  std::string type = (*unknown)->typeText;
  CharLowerA(&type[0]);
  EXPECT_NE(type.find("zzq"), std::string::npos);
}

// A message posted to this thread's window, with what the listing had completed when it
// was taken from the queue.
struct PostedProbe {
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP) {
      auto* self = reinterpret_cast<PostedProbe*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
      self->takenAt = self->completions();
      self->taken = true;
      return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  explicit PostedProbe(std::function<std::size_t()> count) : completions(std::move(count)) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VelmoraPostedProbe";
    RegisterClassA(&wc);
    hwnd = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~PostedProbe() { DestroyWindow(hwnd); }
  std::function<std::size_t()> completions;
  HWND hwnd = nullptr;
  bool taken = false;
  std::size_t takenAt = 0;
};

TEST_F(BrowseTest, AClickPostedWhileRecordsAreCompletedIsTakenBeforeTheNextBatch) {
  for (int i = 0; i < 300; ++i) MakeFile(content + "f" + std::to_string(i) + ".txt", 1);
  OpenOn(NoSlash(content.path()), "2");
  PostedProbe probe([&] { return window->browser().completions(); });
  ASSERT_NE(probe.hwnd, nullptr);
  const std::size_t before = window->browser().completions();
  ClickNode(LastComponent(NoSlash(content.path())));
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().completions() > before; }));
  // Posted as the mouse's clicks would be: each waits for no more than the batch of answers in hand.
  for (int click = 0; click < 20 && window->browser().WorkerRunning(); ++click) {
    probe.taken = false;
    const std::size_t postedAt = window->browser().completions();
    PostMessageA(probe.hwnd, WM_APP, 0, 0);
    ASSERT_TRUE(PumpUntil(window.get(), [&] { return probe.taken; }));
    EXPECT_LE(probe.takenAt - postedAt, ShellInfoWorker::kAnswersPerPost) << "click " << click;
  }
  ASSERT_TRUE(WaitForWorker());
  EXPECT_EQ(window->browser().completions() - before, 300u);
}

TEST_F(BrowseTest, NewListingsStopTheWorkerCleanlyUnderLoad) {
  MakeFolder(content + "a");
  MakeFolder(content + "b");
  // Each listing outlasts the latest stop below, so every round stops the worker mid-way:
  // its answers come a few dozen at a time.
  for (int i = 0; i < 200; ++i) MakeFile(content + "a\\" + std::to_string(i) + ".txt", 1);
  for (int i = 0; i < 150; ++i) MakeFile(content + "b\\" + std::to_string(i) + ".dat", 1);
  Open("Work\r\n", "[Work]\r\n" + (content + "a=2\r\n") + (content + "b=2\r\n\r\n"));
  for (std::size_t round = 0; round < 8; ++round) {
    // Stop at a different point of each listing: a few rows later each round.
    const std::size_t from = window->browser().completions();
    ClickNode(round % 2 ? "b" : "a");
    ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().completions() >= from + 1 + 3 * round; }));
    Command(IDM_REFRESH);
  }
  ClickNode("a");
  ASSERT_TRUE(WaitForWorker());
  EXPECT_EQ(window->browser().records().size(), 200u);
  for (const auto& r : window->browser().records()) ASSERT_FALSE(r->typeText.empty());
  // Closing in the middle of a listing stops the worker too.
  ClickNode("b");
  Close();
}

// A tree click sent from another thread while a refresh changes the listing is handled once
// the refresh is over: the clicked node's folder is listed, with its rows completed.
TEST_F(BrowseTest, AListingAskedForWhileAnotherChangesStartsAfterIt) {
  MakeFolder(content + "a");
  MakeFolder(content + "b");
  for (int i = 0; i < 40; ++i) MakeFile(content + "a\\" + std::to_string(i) + ".txt", 1);
  MakeFile(content + "b\\only.txt", 1);
  Open("Work\r\n", "[Work]\r\n" + (content + "a=2\r\n") + (content + "b=2\r\n\r\n"));
  ClickNode("a");
  TreeView_SelectItem(window->control(IDC_TREE), FindNode("b"));
  HANDLE sending = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread other([&] {
    SetEvent(sending);
    SendMessageA(window->hwnd(), WM_APP_TREE_CLICK, 0, 0);
  });
  WaitForSingleObject(sending, 10000);
  Sleep(200);
  window->browser().Refresh();
  EXPECT_EQ(window->browser().currentFolder(), content + "a");
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().currentFolder() == content + "b"; }));
  other.join();
  CloseHandle(sending);
  ASSERT_TRUE(WaitForListing());
  ASSERT_TRUE(WaitForWorker());
  ASSERT_EQ(Names(), std::vector<std::string>{"only.txt"});
  EXPECT_FALSE(window->browser().records()[0]->typeText.empty());
}

TEST_F(BrowseTest, ShortcutsGetTheShortcutOverlay) {
  MakeFile(content + "target.txt", 10);
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                            reinterpret_cast<void**>(&link)));
  link->SetPath((content + "target.txt").c_str());
  IPersistFile* file = nullptr;
  link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  const std::wstring name = AnsiToWide(content + "link.lnk", 1024);
  ASSERT_HRESULT_SUCCEEDED(file->Save(name.c_str(), TRUE));
  file->Release();
  link->Release();
  CoUninitialize();
  OpenOn(NoSlash(content.path()));
  ClickNode(LastComponent(NoSlash(content.path())));
  // The overlay comes with the shell's answers, which follow the rows.
  ASSERT_EQ(window->browser().records().size(), 2u);
  ASSERT_TRUE(WaitForWorker());
  for (const auto& r : window->browser().records()) EXPECT_EQ(r->overlayIndex, r->name == "link.lnk" ? 1 : -1) << r->name;
  HWND list = window->control(IDC_LIST);
  EXPECT_EQ(ListView_GetItemState(list, RowOf("link.lnk"), LVIS_OVERLAYMASK), INDEXTOOVERLAYMASK(2));
}

TEST_F(BrowseTest, EnterGoUpAndRememberedSelection) {
  MakeFolder(content + "B");
  MakeFolder(content + "C");
  MakeFile(content + "B\\inner.txt", 5);
  MakeFile(content + "x.txt", 5);
  const std::string root = NoSlash(content.path());
  const std::string node = LastComponent(root);
  OpenOn(root, "1");
  ClickNode(node);
  HWND bar = window->control(IDC_LISTBAR);
  EXPECT_EQ(window->browser().listView().GetViewStyle(), kListView);
  EXPECT_TRUE(SendMessageA(bar, TB_ISBUTTONCHECKED, IDM_VIEW_LIST, 0));
  EXPECT_FALSE(SendMessageA(bar, TB_ISBUTTONENABLED, IDM_THUMBNAILS, 0));
  EXPECT_FALSE(SendMessageA(bar, TB_ISBUTTONENABLED, IDM_UP, 0));

  DoubleClickRow(RowOf("B"));
  EXPECT_EQ(window->browser().currentFolder(), content + "B");
  EXPECT_EQ(window->browser().rootFolder(), root);
  EXPECT_EQ(Names(), (std::vector<std::string>{"inner.txt"}));
  EXPECT_TRUE(SendMessageA(bar, TB_ISBUTTONENABLED, IDM_UP, 0));
  // Entering from the root remembers just the entered folder.
  const std::string section = "Work-" + node;
  std::vector<std::string> keys;
  window->store().selections.ReadSectionKeys(section, keys);
  EXPECT_EQ(keys, (std::vector<std::string>{"B"}));
  // The view button stores the style for the registered folder, even below its root.
  Command(IDM_VIEW_DETAIL);
  EXPECT_EQ(window->store().folders.ReadString("Work", root, ""), "2");

  // Backspace goes up, selecting the folder just left.
  PostMessageA(window->control(IDC_LIST), WM_KEYDOWN, VK_BACK, 0);
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().currentFolder() == root; }));
  ASSERT_TRUE(WaitForListing());
  HWND list = window->control(IDC_LIST);
  EXPECT_EQ(ListView_GetItemState(list, RowOf("B"), LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));
  EXPECT_FALSE(SendMessageA(bar, TB_ISBUTTONENABLED, IDM_UP, 0));
  EXPECT_FALSE(window->browser().hourglass());

  // Selection at the root is saved when the tree selection changes, and restored later.
  window->browser().listView().DeselectAll();
  window->browser().listView().SelectRow(RowOf("C"), false);
  window->browser().listView().SelectRow(RowOf("x.txt"), false);
  ClickNode("Work");
  EXPECT_TRUE(window->browser().records().empty());
  keys.clear();
  window->store().selections.ReadSectionKeys(section, keys);
  EXPECT_EQ(keys, (std::vector<std::string>{"C", "x.txt"}));
  ClickNode(node);
  EXPECT_EQ(window->browser().listView().GetViewStyle(), kDetailView);
  std::vector<int> selected = window->browser().listView().SelectedRows();
  ASSERT_EQ(selected.size(), 2u);
  EXPECT_EQ(window->browser().records()[static_cast<std::size_t>(selected[0])]->name, "C");
}

TEST_F(BrowseTest, SelectionIsRememberedOnlyForTheFolderShown) {
  MakeFolder(content + "x");
  MakeFolder(content + "y");
  MakeFile(content + "x\\shown.txt", 1);
  Open("Work\r\n", "[Work]\r\n" + content.path() + "x=2\r\n" + content.path() + "y=2\r\n\r\n",
       "[Work-y]\r\nkept.txt=\r\n\r\n");
  ClickNode("x");
  window->browser().listView().SelectRow(0, false);
  // The selection moves to y without listing it (as Home or End do), then on to the binder.
  TreeView_SelectItem(window->control(IDC_TREE), FindNode("y"));
  TreeView_SelectItem(window->control(IDC_TREE), FindNode("Work"));
  std::vector<std::string> keys;
  window->store().selections.ReadSectionKeys("Work-y", keys);
  EXPECT_EQ(keys, (std::vector<std::string>{"kept.txt"}));
  keys.clear();
  window->store().selections.ReadSectionKeys("Work-x", keys);
  EXPECT_EQ(keys, (std::vector<std::string>{"shown.txt"}));
  window->browser().StopFileInfoWorker();
}

TEST_F(BrowseTest, MissingFolderIsListedEmptyAndMarked) {
  const std::string gone = content + "gone";
  OpenOn(gone);
  ClickNode("gone");
  EXPECT_TRUE(window->browser().records().empty());
  char text[512] = "";
  SendMessageA(window->control(IDC_STATUS), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(std::string(text), "不明 > " + gone);
}

TEST_F(BrowseTest, ClickingTheShownRootAgainDoesNotRelist) {
  MakeFile(content + "a.txt", 1);
  const std::string root = NoSlash(content.path());
  OpenOn(root);
  ClickNode(LastComponent(root));
  ASSERT_TRUE(WaitForWorker());
  const std::size_t listings = window->browser().listings();
  ClickNode(LastComponent(root));
  EXPECT_EQ(window->browser().listings(), listings);
}

TEST_F(BrowseTest, TheHourglassGivesWayWhenTheRecordsAreCompleteAndTheMouseIsNotMoved) {
  for (int i = 0; i < 20; ++i) MakeFile(content + "f" + std::to_string(i) + ".txt", 1);
  const std::string root = NoSlash(content.path());
  OpenOn(root, "2");
  RECT r;
  GetWindowRect(window->control(IDC_LIST), &r);
  const POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2 + 20};
  SetCursorPos(at.x, at.y);
  ClickNode(LastComponent(root));
  ASSERT_TRUE(WaitForWorker());
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
  // Moving the mouse back to where it was read would undo a move made meanwhile.
  POINT now;
  GetCursorPos(&now);
  EXPECT_EQ(now.x, at.x);
  EXPECT_EQ(now.y, at.y);
}

TEST_F(BrowseTest, FlatListingStopsPastItsLimit) {
  MakeFolder(content + "one");
  MakeFolder(content + "one\\deep");
  MakeFolder(content + "two");
  for (int i = 0; i < 6; ++i) MakeFile(content + "one\\" + std::to_string(i), 0);
  for (int i = 0; i < 5; ++i) MakeFile(content + "one\\deep\\" + std::to_string(i), 0);
  MakeFile(content + "two\\late.txt", 0);
  const std::string root = NoSlash(content.path());
  OpenOn(root);
  ClickNode(LastComponent(root));
  window->browser().listView().SelectRow(RowOf("one"), false);
  window->browser().listView().SelectRow(RowOf("two"), false);
  window->browser().SetFlatListingLimit(10);
  window->browser().ListFolder(window->browser().currentFolder(), true);
  ASSERT_TRUE(WaitForListing());
  EXPECT_TRUE(window->browser().flatListing());
  // The file past the limit stays; no further folder is read.
  EXPECT_EQ(window->browser().records().size(), 11u);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0], "表示数の制限: ファイル数が10000を超えましたので中断します。");
  EXPECT_LT(RowOf("late.txt"), 0);
  window->browser().StopFileInfoWorker();
}

TEST_F(BrowseTest, LongPathsAreListedThroughThePrefix) {
  ASSERT_EQ(window, nullptr);
  const testing_support::DeepFolder deep(NoSlash(content.path()), 300, {"far.txt"});
  OpenOn(deep.path());
  ASSERT_EQ(window->systemLevel(), 2);
  ClickNode(LastComponent(deep.path()));
  EXPECT_EQ(Names(), (std::vector<std::string>{"far.txt"}));
  Close();
}

TEST_F(BrowseTest, SearchByNameFindsWholeNamesOnly) {
  // The file system ignores case, so "abc" itself cannot sit beside "ABC".
  MakeFile(content + "abcd", 1);
  MakeFile(content + "ABC", 1);
  OpenOn(NoSlash(content.path()));
  ClickNode(LastComponent(NoSlash(content.path())));
  LVFINDINFOA find = {};
  find.flags = LVFI_STRING | LVFI_WRAP;
  find.psz = "ABC";
  const int row = static_cast<int>(SendMessageA(window->control(IDC_LIST), LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
  ASSERT_GE(row, 0);
  EXPECT_EQ(window->browser().records()[static_cast<std::size_t>(row)]->name, "ABC");
  find.psz = "abc";
  EXPECT_EQ(SendMessageA(window->control(IDC_LIST), LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), -1);
  find.psz = "ab";
  EXPECT_EQ(SendMessageA(window->control(IDC_LIST), LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), -1);
  window->browser().StopFileInfoWorker();
}

TEST_F(BrowseTest, DragOutOffersTheShellsDataObjectForRows) {
  MakeFile(content + "one.txt", 3);
  MakeFile(content + "two.txt", 4);
  Open();
  ShellContext shell;
  shell.Start();
  ComPtr<IDataObject> data = MakeShellDataObject(shell, {content + "one.txt", content + "two.txt"});
  ASSERT_TRUE(data);
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium = {};
  ASSERT_HRESULT_SUCCEEDED(data->GetData(&format, &medium));
  HDROP drop = static_cast<HDROP>(medium.hGlobal);
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  ReleaseStgMedium(&medium);
  data.Reset();

  // The drop source refuses drops onto the program's own window and controls, makes them
  // anywhere else, and cancels on Escape.
  IDropSource* source = new TDropSource(window->hwnd());
  RECT list;
  GetWindowRect(window->control(IDC_LIST), &list);
  SetCursorPos((list.left + list.right) / 2, (list.top + list.bottom) / 2);
  EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_CANCEL);
  RECT main;
  GetWindowRect(window->hwnd(), &main);
  SetCursorPos(main.left + 1, main.top + 1);
  EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_CANCEL);
  SetCursorPos(main.right + 40, main.bottom + 40);
  EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
  EXPECT_EQ(source->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
  EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
  IUnknown* unknown = nullptr;
  EXPECT_EQ(source->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&unknown)), E_NOINTERFACE);
  source->Release();
}

// A window of another program that files can be dropped on: it keeps the names the drop
// carried, read both ways a program may read them.
class RecordingDropTarget : public IDropTarget {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
      *object = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    dropped = true;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (SUCCEEDED(data->GetData(&format, &medium))) {
      fileList = DropFiles(static_cast<HDROP>(medium.hGlobal)).paths;
      ReleaseStgMedium(&medium);
    }
    format.cfFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CFSTR_SHELLIDLIST));
    if (SUCCEEDED(data->GetData(&format, &medium))) {
      const auto* items = static_cast<const CIDA*>(GlobalLock(medium.hGlobal));
      const auto item = [items](UINT i) {
        return reinterpret_cast<LPCITEMIDLIST>(reinterpret_cast<const BYTE*>(items) + items->aoffset[i]);
      };
      for (UINT i = 1; i <= items->cidl; ++i) {
        LPITEMIDLIST full = ILCombine(item(0), item(i));
        char path[MAX_PATH] = "";
        SHGetPathFromIDListA(full, path);
        itemList.push_back(path);
        ILFree(full);
      }
      GlobalUnlock(medium.hGlobal);
      ReleaseStgMedium(&medium);
    }
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }

  ULONG refs = 1;
  bool dropped = false;
  std::vector<std::string> fileList;
  std::vector<std::string> itemList;
};

struct DroppedNames {
  bool dropped = false;
  std::vector<std::string> files;  // as the drop's file list carries them
  std::vector<std::string> items;  // as its shell item list carries them
};

// The list's selected rows dragged as the list starts a drag, out of the main window onto
// another program's window beside it; what that window was given.
DroppedNames DragSelectedRowsOut(TOrvikBinder* window) {
  SetWindowPos(window->hwnd(), nullptr, 0, 0, 600, 500, SWP_NOZORDER);
  WNDCLASSA otherClass = {};
  otherClass.lpfnWndProc = DefWindowProcA;
  otherClass.hInstance = GetModuleHandleA(nullptr);
  otherClass.lpszClassName = "VelmoraOtherProgram";
  RegisterClassA(&otherClass);
  // A static control would let the mouse through to what lies below it.
  HWND other = CreateWindowA(otherClass.lpszClassName, "", WS_POPUP | WS_VISIBLE, 700, 100, 200, 200, nullptr,
                             nullptr, otherClass.hInstance, nullptr);
  EXPECT_TRUE(other);
  RecordingDropTarget target;
  EXPECT_HRESULT_SUCCEEDED(RegisterDragDrop(other, &target));
  NMLISTVIEW begin = {};
  begin.hdr.hwndFrom = window->control(IDC_LIST);
  begin.hdr.idFrom = IDC_LIST;
  begin.hdr.code = LVN_BEGINDRAG;
  begin.iItem = ListView_GetNextItem(begin.hdr.hwndFrom, -1, LVNI_SELECTED);
  SendMessageA(window->hwnd(), WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&begin));
  SetCursorPos(800, 200);
  PumpUntil(window, [&] { return target.dropped; });
  RevokeDragDrop(other);
  DestroyWindow(other);
  EXPECT_EQ(target.refs, 1u);
  return {target.dropped, target.fileList, target.itemList};
}

TEST_F(BrowseTest, DragOutOfAFlatListingDropsEachRowsOwnFile) {
  // The same name in two folders: each row must hand over its own file.
  MakeFolder(content + "a");
  MakeFolder(content + "b");
  MakeFile(content + "a\\same.txt", 3);
  MakeFile(content + "b\\same.txt", 5);
  OpenOn(NoSlash(content.path()));
  ClickNode(LastComponent(NoSlash(content.path())));
  FileListView& list = window->browser().listView();
  list.SelectRow(RowOf("a"), false);
  list.SelectRow(RowOf("b"), false);
  Command(IDM_LIST_OPEN);
  ASSERT_TRUE(window->browser().flatListing());
  ASSERT_EQ(Names(), (std::vector<std::string>{"same.txt", "same.txt"}));
  list.SelectRow(0, false);
  list.SelectRow(1, false);
  const std::vector<std::string> rows = {window->browser().RowFullPath(0), window->browser().RowFullPath(1)};
  ASSERT_EQ(std::set<std::string>(rows.begin(), rows.end()),
            (std::set<std::string>{content + "a\\same.txt", content + "b\\same.txt"}));

  const DroppedNames dropped = DragSelectedRowsOut(window.get());
  ASSERT_TRUE(dropped.dropped);
  EXPECT_EQ(dropped.files, rows);
  EXPECT_EQ(dropped.items, rows);
}

TEST_F(BrowseTest, DragOutOfAFolderDropsTheSelectedRowsFiles) {
  for (const char* name : {"one.txt", "two.txt", "three.txt"}) MakeFile(content + name, 2);
  OpenOn(NoSlash(content.path()));
  ClickNode(LastComponent(NoSlash(content.path())));
  FileListView& list = window->browser().listView();
  list.SelectRow(RowOf("one.txt"), false);
  list.SelectRow(RowOf("three.txt"), false);
  const DroppedNames dropped = DragSelectedRowsOut(window.get());
  ASSERT_TRUE(dropped.dropped);
  const std::set<std::string> expected = {content + "one.txt", content + "three.txt"};
  EXPECT_EQ(std::set<std::string>(dropped.files.begin(), dropped.files.end()), expected);
  EXPECT_EQ(dropped.files.size(), 2u);
  EXPECT_EQ(dropped.items, dropped.files);
  // A drag hands over copies: the files stay where they are.
  EXPECT_EQ(Names().size(), 3u);
}

TEST(RecordSortWin32, KeyedSortGivesExactlyTheWordSortOrder) {
  Win32Collation collation;
  const char* pieces[] = {"a", "A", "b", "B", "10", "9", "_", "-", "ｱ", "ア", "あ", "ソ", "表", "能", "Ａ", "ａ", "z", "Z", "!", "~", " ", "ポ", "ー"};
  FileRecordList records;
  unsigned seed = 12345;
  for (int i = 0; i < 4000; ++i) {
    auto r = std::make_unique<FileRecord>();
    const int n = 1 + static_cast<int>(seed % 4);
    for (int k = 0; k < n; ++k) {
      seed = seed * 1103515245u + 12345u;
      r->name += pieces[(seed >> 8) % (sizeof(pieces) / sizeof(pieces[0]))];
    }
    r->isFile = (seed >> 3) % 5 != 0;
    records.push_back(std::move(r));
  }
  SortRecords(records, SortColumn::Name, true, collation);
  for (std::size_t i = 1; i < records.size(); ++i) {
    const FileRecord& a = *records[i - 1];
    const FileRecord& b = *records[i];
    if (a.isFile != b.isFile) {
      EXPECT_FALSE(a.isFile);
      continue;
    }
    ASSERT_LE(lstrcmpA(a.name.c_str(), b.name.c_str()), 0) << a.name << " / " << b.name;
  }
}

}  // namespace
}  // namespace velmora
