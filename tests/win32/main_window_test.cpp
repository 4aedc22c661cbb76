// The main window's own behaviour in this process: hints, the large-icons switch, the
// expand buttons, label editing, ghosting, the help page and what happens when the store
// cannot be saved.
#include <windows.h>

#include <atomic>
#include <cstring>
#include <cwchar>
#include <functional>
#include <map>
#include <memory>

#include "app/help_page.h"
#include "app/startup_faults.h"
#include "win32/win32_file_system.h"
#include "text/cp932.h"
#include "win32/window_fixture.h"
#include "support/window_rect.h"

namespace velmora {
namespace {

using testing_support::MainWindowTest;
using testing_support::MakeFolder;
using testing_support::PumpUntil;
using testing_support::ReadBytes;
using testing_support::WriteBytes;

std::string StatusPanel(HWND window, int panel) {
  char text[512] = "";
  SendMessageA(GetDlgItem(window, IDC_STATUS), SB_GETTEXTA, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text));
  return text;
}

void MouseOver(TOrvikBinder& window, HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MSG msg = {};
  msg.hwnd = control;
  msg.message = WM_MOUSEMOVE;
  msg.pt = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  window.PreTranslateMessage(msg);
}

class MainWindowBehaviour : public MainWindowTest {};

// The shell's allocator as the window's shell context holds it, telling when its last
// reference goes: ShellContext::Stop, just before COM ends.
class WatchedMalloc final : public IMalloc {
 public:
  WatchedMalloc(IMalloc* real, std::function<void()> lastRelease) : real_(real), lastRelease_(std::move(lastRelease)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (id == IID_IUnknown || id == IID_IMalloc) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --count_;
    if (left == 0) {
      lastRelease_();
      real_->Release();
      delete this;
    }
    return left;
  }
  void* STDMETHODCALLTYPE Alloc(SIZE_T size) override { return real_->Alloc(size); }
  void* STDMETHODCALLTYPE Realloc(void* block, SIZE_T size) override { return real_->Realloc(block, size); }
  void STDMETHODCALLTYPE Free(void* block) override { real_->Free(block); }
  SIZE_T STDMETHODCALLTYPE GetSize(void* block) override { return real_->GetSize(block); }
  int STDMETHODCALLTYPE DidAlloc(void* block) override { return real_->DidAlloc(block); }
  void STDMETHODCALLTYPE HeapMinimize() override { real_->HeapMinimize(); }

 private:
  IMalloc* real_;
  std::function<void()> lastRelease_;
  ULONG count_ = 1;
};

// A window destroyed while its worker still completes records (as its object's destructor
// destroys it, without WM_CLOSE): the worker ends before COM does, since the records it
// hands over are completed with the shell's objects.
TEST_F(MainWindowBehaviour, DestroyingTheWindowStopsTheWorkerBeforeCom) {
  MakeFolder(content + "many");
  for (int i = 0; i < 40; ++i) testing_support::MakeFile(content + "many\\" + std::to_string(i) + ".txt", 1);
  MakeFolder(app + "data");
  WriteBytes(app + "data\\titlelist.txt", "Work\r\n");
  WriteBytes(app + "data\\folderlist.ini", "[Work]\r\n" + (content + "many=2\r\n\r\n"));
  AppEnvironment env;
  env.exeDir = app.path();
  int stops = 0;
  bool workerRanAtStop = false;
  const ShellStartCalls platform = ShellStartCalls::Platform();
  env.shellCalls.getMalloc = [&](IMalloc** out) {
    IMalloc* real = nullptr;
    const HRESULT result = platform.getMalloc(&real);
    if (FAILED(result) || !real) return result;
    *out = new WatchedMalloc(real, [&] {
      ++stops;
      workerRanAtStop = window->browser().WorkerRunning();
    });
    return result;
  };
  OpenWith(env);
  ClickNode("many");
  ASSERT_TRUE(window->browser().WorkerRunning());
  DestroyWindow(window->hwnd());
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(workerRanAtStop);
  EXPECT_FALSE(window->browser().WorkerRunning());
}

TEST_F(MainWindowBehaviour, HintsGoToTheStatusBarAndThePathComesBack) {
  MakeFolder(content + "shown");
  Open("Work\r\n", "[Work]\r\n" + content.path() + "shown=2\r\n\r\n");
  ClickNode("shown");
  const std::string path = content + "shown";
  EXPECT_EQ(StatusPanel(window->hwnd(), 1), path);
  MouseOver(*window, window->control(IDC_LAREG));
  EXPECT_EQ(StatusPanel(window->hwnd(), 1), "大きいアイコン");
  MouseOver(*window, window->control(IDC_PROGRESS));
  EXPECT_EQ(StatusPanel(window->hwnd(), 1), "サムネイルの進捗を表示");  // the long part only
  MouseOver(*window, window->control(IDC_TREE));
  EXPECT_EQ(StatusPanel(window->hwnd(), 1), path);
  window->browser().StopFileInfoWorker();
}

// The real pointer, moved to a point of the screen.
void MovePointer(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &input, sizeof(input));
}

TEST_F(MainWindowBehaviour, AHintGoesWhenThePointerLeavesTheWindow) {
  MakeFolder(content + "shown");
  Open("Work\r\n", "[Work]\r\n" + content.path() + "shown=2\r\n\r\n");
  ClickNode("shown");
  const std::string path = content + "shown";
  HWND bar = window->control(IDC_LISTBAR);
  RECT button = {};
  SendMessageA(bar, TB_GETITEMRECT, static_cast<WPARAM>(SendMessageA(bar, TB_COMMANDTOINDEX, IDM_REFRESH, 0)),
               reinterpret_cast<LPARAM>(&button));
  MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&button), 2);
  RECT check;
  GetWindowRect(window->control(IDC_LAREG), &check);
  RECT frame;
  GetWindowRect(window->hwnd(), &frame);
  // A tool bar button follows the pointer itself; a check box does not.
  const struct {
    RECT over;
    const char* hint;
  } cases[] = {{button, "最新の情報に更新"}, {check, "大きいアイコン"}};
  for (const auto& c : cases) {
    MovePointer(POINT{(c.over.left + c.over.right) / 2, (c.over.top + c.over.bottom) / 2});
    ASSERT_TRUE(PumpUntil(window.get(), [&] { return StatusPanel(window->hwnd(), 1) == c.hint; })) << c.hint;
    // Straight out of the window, above it: no part of it sees the pointer go.
    MovePointer(POINT{(c.over.left + c.over.right) / 2, frame.top > 20 ? frame.top - 20 : frame.bottom + 20});
    EXPECT_TRUE(PumpUntil(window.get(), [&] { return StatusPanel(window->hwnd(), 1) == path; })) << c.hint;
  }
  window->browser().StopFileInfoWorker();
}

// Back from a dialog or another window, the control that had the focus has it again (the
// tree, the first time), so that its selection keeps the colour of a focused one.
TEST_F(MainWindowBehaviour, ActivationGivesTheFocusBackToItsControl) {
  Open("Work\r\n");
  HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);
  SetActiveWindow(other);
  SetActiveWindow(window->hwnd());
  EXPECT_EQ(GetFocus(), window->control(IDC_TREE));
  SetFocus(window->control(IDC_LIST));
  SetActiveWindow(other);
  EXPECT_NE(GetFocus(), window->control(IDC_LIST));
  SetActiveWindow(window->hwnd());
  EXPECT_EQ(GetFocus(), window->control(IDC_LIST));
  DestroyWindow(other);
}

// The attribute check boxes lie inside their group's frame, below its caption.
TEST_F(MainWindowBehaviour, AttributeBoxesStayInsideTheirGroup) {
  Open();
  HWND group = window->control(IDC_ATTR_GROUP);
  RECT frame;
  GetWindowRect(group, &frame);
  HDC dc = GetDC(group);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(group, WM_GETFONT, 0, 0)));
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(group, dc);
  for (int id : {IDC_ATTR_S, IDC_ATTR_H, IDC_ATTR_R}) {
    RECT box;
    GetWindowRect(window->control(id), &box);
    EXPECT_GE(box.top, frame.top + metrics.tmHeight) << id;  // clear of the caption
    EXPECT_LE(box.bottom, frame.bottom - 2) << id;           // and of the frame's lower edge
    EXPECT_GT(box.left, frame.left) << id;
    EXPECT_LT(box.right, frame.right) << id;
  }
  // The panes start below the bar that holds them.
  RECT tree;
  GetWindowRect(window->control(IDC_TREE), &tree);
  EXPECT_GE(tree.top, frame.bottom);
}

TEST_F(MainWindowBehaviour, LargeIconsSwitchTheTreePictures) {
  Open("A\r\n");
  HWND tree = window->control(IDC_TREE);
  HIMAGELIST small = TreeView_GetImageList(tree, TVSIL_NORMAL);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(small, &cx, &cy);
  EXPECT_EQ(cx, 16);
  EXPECT_EQ(ImageList_GetImageCount(small), 29);  // 28 pictures and the root icon
  EXPECT_EQ(TreeView_GetIndent(tree), 19u);
  SendMessageA(window->control(IDC_LAREG), BM_CLICK, 0, 0);
  HIMAGELIST large = TreeView_GetImageList(tree, TVSIL_NORMAL);
  ImageList_GetIconSize(large, &cx, &cy);
  EXPECT_EQ(cx, 32);
  EXPECT_EQ(ImageList_GetImageCount(large), 5);
  TVITEMA root = {};
  root.mask = TVIF_IMAGE | TVIF_HANDLE;
  root.hItem = TreeView_GetRoot(tree);
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&root));
  EXPECT_EQ(root.iImage, 4);
  Close();
  EXPECT_NE(ReadBytes(app + "data\\folderlist.ini").find("FRG=1\r\n"), std::string::npos);
}

TEST_F(MainWindowBehaviour, ExpandButtonsAndPictures) {
  MakeFolder(content + "one");
  Open("A\r\nB\r\n", "[A]\r\n" + content.path() + "one=0\r\ncmp=0\r\n\r\n[B]\r\nC:\\=0\r\n\r\n");
  HWND tree = window->control(IDC_TREE);
  HTREEITEM a = FindNode("A");
  EXPECT_FALSE(window->tree().IsExpanded(a));
  TVITEMA item = {};
  item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
  item.hItem = a;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.iImage, 0);  // closed binder
  SendMessageA(window->hwnd(), WM_COMMAND, IDM_EXPAND_ALL, 0);
  EXPECT_TRUE(window->tree().IsExpanded(a));
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.iImage, 1);  // open binder
  item.hItem = FindNode("one");
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.iImage, 2);
  EXPECT_EQ(item.iSelectedImage, 3);

  // Expand to binders collapses the folders away; the list follows the new selection.
  ClickNode("one");
  EXPECT_EQ(window->browser().rootFolder(), content + "one");
  SendMessageA(window->hwnd(), WM_COMMAND, IDM_EXPAND_BINDERS, 0);
  EXPECT_TRUE(window->tree().IsExpanded(window->tree().Root()));
  EXPECT_FALSE(window->tree().IsExpanded(a));
  // Collapsing the root took the selection up to it.
  EXPECT_EQ(window->tree().Selected(), window->tree().Root());
  EXPECT_TRUE(window->browser().rootFolder().empty());
  SendMessageA(window->hwnd(), WM_COMMAND, IDM_COLLAPSE_ALL, 0);
  EXPECT_FALSE(window->tree().IsExpanded(window->tree().Root()));
}

TEST_F(MainWindowBehaviour, OnlyBinderLabelsCanBeEdited) {
  MakeFolder(content + "one");
  Open("A\r\n", "[A]\r\n" + content.path() + "one=0\r\n\r\n");
  HWND tree = window->control(IDC_TREE);
  SetFocus(tree);
  EXPECT_EQ(TreeView_EditLabel(tree, window->tree().Root()), nullptr);
  EXPECT_EQ(TreeView_EditLabel(tree, FindNode("one")), nullptr);
  HWND edit = TreeView_EditLabel(tree, FindNode("A"));
  EXPECT_NE(edit, nullptr);
  TreeView_EndEditLabelNow(tree, TRUE);
}

TEST_F(MainWindowBehaviour, HiddenFoldersAreGhostedButDriveRootsNever) {
  MakeFolder(content + "secret");
  SetFileAttributesA((content + "secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
  MakeFolder(content + "plain");
  Open("A\r\n", "[A]\r\n" + content.path() + "secret=0\r\n" + content.path() + "plain=0\r\nC:\\=0\r\n\r\n");
  EXPECT_TRUE(window->tree().IsGhosted(FindNode("secret")));
  EXPECT_FALSE(window->tree().IsGhosted(FindNode("plain")));
  EXPECT_FALSE(window->tree().IsGhosted(FindNode("C:\\")));
  // Refresh re-reads the attribute.
  SetFileAttributesA((content + "secret").c_str(), FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesA((content + "plain").c_str(), FILE_ATTRIBUTE_HIDDEN);
  window->SpeedButton4Click();
  EXPECT_FALSE(window->tree().IsGhosted(FindNode("secret")));
  EXPECT_TRUE(window->tree().IsGhosted(FindNode("plain")));
}

// Start-up calls that fail are told once, in one message; what does not need them still
// works, and a program that cannot have its own path writes no store anywhere.
TEST_F(MainWindowBehaviour, StartupFailuresAreToldOnceAndTheRestWorks) {
  using ModuleFileName = AppEnvironment::ModuleFileName;
  const std::vector<ModuleFileName> broken = {
      [](wchar_t*, DWORD) -> DWORD { return 0; },                       // failed
      [](wchar_t* b, DWORD n) -> DWORD { std::wmemset(b, L'x', n - 1); b[n - 1] = 0; return n; },  // cut
      [](wchar_t* b, DWORD n) -> DWORD { lstrcpynW(b, L"C:\\?\\velmora.exe", n); return 16; }};  // no file
  for (const ModuleFileName& call : broken) {
    const AppEnvironment env = AppEnvironment::FromProcess(call);
    EXPECT_TRUE(env.exeDir.empty());
    EXPECT_TRUE(env.exePath.empty());
  }
  const AppEnvironment real = AppEnvironment::FromProcess();
  ASSERT_FALSE(real.exeDir.empty());
  EXPECT_EQ(real.exeDir.back(), '\\');
  // A program in a folder the code page cannot spell keeps its own path, marked.
  const std::wstring korean = AnsiToWide(content.path()) + L"\uD55C\uAD6D\uC5B4";
  ASSERT_TRUE(CreateDirectoryW(korean.c_str(), nullptr));
  testing_support::MakeFile(korean + L"\\velmora.exe", "MZ");
  const AppEnvironment marked = AppEnvironment::FromProcess([&](wchar_t* b, DWORD n) -> DWORD {
    lstrcpynW(b, (korean + L"\\velmora.exe").c_str(), static_cast<int>(n));
    return static_cast<DWORD>(lstrlenW(b));
  });
  EXPECT_EQ(AnsiToWide(marked.exePath), korean + L"\\velmora.exe");
  EXPECT_EQ(AnsiToWide(marked.exeDir), korean + L"\\");

  MakeFolder(content + "Photos");
  testing_support::MakeFile(content + "Photos\\a.txt", 3);
  // A store kept "somewhere else" would land beside the current folder or at its drive's root.
  char before[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryA(content.path().c_str()));
  const bool rootDataBefore = GetFileAttributesA("\\data") != INVALID_FILE_ATTRIBUTES;
  AppEnvironment env;
  env.shellCalls.oleInitialize = [] { return E_FAIL; };
  env.shellCalls.getDesktopFolder = [](IShellFolder**) { return E_FAIL; };
  OpenWith(env);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0], std::string(kApplicationTitle) + ": " + StartupFaultText({true, true, true}));

  prompter.textAnswer = "Work";
  Command(IDM_NEW_BINDER);
  window->binderActions().browseForFolder = [&] { return content + "Photos"; };
  Command(IDM_TREE_ADD_FOLDER);
  ASSERT_NE(FindNode("Photos"), nullptr);
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return Names() == std::vector<std::string>{"a.txt"}; }));
  WaitForWorker();
  Close();
  SetCurrentDirectoryA(before);
  EXPECT_EQ(prompter.messages.size(), 2u);  // the start-up message and the new binder's name, no more
  EXPECT_EQ(GetFileAttributesA((content + "data").c_str()), INVALID_FILE_ATTRIBUTES);
  if (!rootDataBefore) {
    EXPECT_EQ(GetFileAttributesA((content.path().substr(0, 3) + "data").c_str()), INVALID_FILE_ATTRIBUTES);
  }

  // Only the shell missing: only that is told.
  prompter.messages.clear();
  AppEnvironment noShell;
  noShell.exeDir = app.path();
  noShell.shellCalls.getMalloc = [](IMalloc**) { return E_OUTOFMEMORY; };
  OpenWith(noShell);
  StartupFaults shellOnly;
  shellOnly.noShell = true;
  EXPECT_EQ(prompter.messages, std::vector<std::string>{std::string(kApplicationTitle) + ": " + StartupFaultText(shellOnly)});
}

// The text colour the tree paints each node with, as the main window leaves it.
class TreePaintWatch {
 public:
  TreePaintWatch(HWND window, HWND tree) : window_(window), tree_(tree) {
    SetWindowSubclass(window_, &Proc, kId, reinterpret_cast<DWORD_PTR>(this));
  }
  ~TreePaintWatch() { RemoveWindowSubclass(window_, &Proc, kId); }
  std::map<HTREEITEM, COLORREF> colours;

 private:
  static constexpr UINT_PTR kId = 77;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
    auto* self = reinterpret_cast<TreePaintWatch*>(data);
    const auto* header = reinterpret_cast<const NMHDR*>(lp);
    if (msg == WM_NOTIFY && header->hwndFrom == self->tree_ && header->code == NM_CUSTOMDRAW) {
      const auto* draw = reinterpret_cast<const NMTVCUSTOMDRAW*>(lp);
      if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
        self->colours[reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec)] = draw->clrText;
    }
    return result;
  }
  HWND window_, tree_;
};

// A folder on an unreachable share: painting does not wait for its check, which runs once
// in the background however often the tree is painted, and the node turns red when the
// answer comes. A local folder is still decided at once.
TEST_F(MainWindowBehaviour, ASlowFolderIsCheckedAwayFromThePaintAndTurnsRedOnTheAnswer) {
  const std::string share = content + "share";
  const std::string gone = content + "gone";
  MakeFolder(share);
  Open("Work\r\n", "[Work]\r\n" + share + "=0\r\n" + gone + "=0\r\n");
  HWND tree = window->control(IDC_TREE);
  const HTREEITEM slow = FindNode("share"), local = FindNode("gone");
  ASSERT_TRUE(slow && local);
  struct Gate {
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> asked{0};
    std::atomic<bool> answered{false};
    ~Gate() { CloseHandle(release); }
  };
  auto gate = std::make_shared<Gate>();  // the check's thread may outlive a failed test
  window->tree().probe().SetCalls({[share](const std::string& path) { return path == share; },
                                   [share, gate](const std::string& path) -> DWORD {
                                     if (path != share) return GetFileAttributesA(path.c_str());
                                     ++gate->asked;
                                     WaitForSingleObject(gate->release, 30000);
                                     gate->answered = true;
                                     return INVALID_FILE_ATTRIBUTES;  // the share is gone
                                   }});
  TreePaintWatch watch(window->hwnd(), tree);
  for (int i = 0; i < 3; ++i) {
    InvalidateRect(tree, nullptr, TRUE);
    UpdateWindow(tree);
  }
  EXPECT_FALSE(gate->answered);
  ASSERT_EQ(watch.colours.count(slow), 1u);
  EXPECT_NE(watch.colours[slow], RGB(255, 0, 0));
  EXPECT_EQ(watch.colours[local], RGB(255, 0, 0));
  SetEvent(gate->release);
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return watch.colours[slow] == RGB(255, 0, 0); }));
  // The answer stands for a few seconds: painting again asks nothing.
  InvalidateRect(tree, nullptr, TRUE);
  UpdateWindow(tree);
  EXPECT_EQ(watch.colours[slow], RGB(255, 0, 0));
  EXPECT_EQ(gate->asked, 1);
}

TEST_F(MainWindowBehaviour, AnUnwritableStoreFileIsKeptAndNamed) {
  Open("A\r\nB\r\n", "[A]\r\ncmp=0\r\n\r\n");
  const std::string titles = app + "data\\titlelist.txt";
  SetFileAttributesA(titles.c_str(), FILE_ATTRIBUTE_READONLY);
  Close();
  SetFileAttributesA(titles.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(titles), "A\r\nB\r\n");
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_NE(prompter.messages[0].find("titlelist.txt"), std::string::npos);
  // The other files were still written.
  EXPECT_NE(ReadBytes(app + "data\\folderlist.ini").find("[Orvik]"), std::string::npos);
}

// The program for ".htm" pages while a test runs: a class of its own, and the machine's
// class for the extension restored afterwards.
class HelpTest : public MainWindowTest {
 protected:
  static constexpr const char* kClass = "VelmoraTest.htmlfile";
  void SetUp() override {
    MainWindowTest::SetUp();
    char value[256] = "";
    LONG size = sizeof(value);
    if (RegQueryValueA(HKEY_CLASSES_ROOT, ".htm", value, &size) == ERROR_SUCCESS) savedClass_ = value;
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kClass);
    if (savedClass_.empty()) RegDeleteTreeA(HKEY_CLASSES_ROOT, ".htm");
    else RegSetValueA(HKEY_CLASSES_ROOT, ".htm", REG_SZ, savedClass_.c_str(), 0);
    SetEnvironmentVariableA("VELMORA_ECHO_FILE", nullptr);
    MainWindowTest::TearDown();
  }
  // Pages open with the command, or with nothing when it is empty.
  void UsePageProgram(const std::string& command) {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kClass);
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, ".htm", REG_SZ, kClass, 0), ERROR_SUCCESS);
    if (!command.empty())
      RegSetValueA(HKEY_CLASSES_ROOT, (std::string(kClass) + "\\shell\\open\\command").c_str(), REG_SZ,
                   command.c_str(), 0);
  }

 private:
  std::string savedClass_;  // the machine's class for ".htm", restored afterwards
};

TEST_F(HelpTest, TheHelpPageOpensOrTheUserIsToldWhy) {
  const std::string page = app + "Help\\Velmora.htm";
  const std::string echo = content + "opened.txt";
  char exe[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  SetEnvironmentVariableA("VELMORA_ECHO_FILE", echo.c_str());
  UsePageProgram("\"" + ParentFolder(exe) + "\\velmora_echo_command_line.exe\" \"%1\"");
  MakeFolder(app + "Help");
  WriteBytes(page, "<html></html>");
  Open();
  Command(IDM_HELP);
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return GetFileAttributesA(echo.c_str()) != INVALID_FILE_ATTRIBUTES; }));
  EXPECT_NE(ReadBytes(echo).find(page), std::string::npos) << ReadBytes(echo);
  EXPECT_TRUE(prompter.messages.empty());
  // No program for pages, then no page: the message names the page and the system's reason.
  for (DWORD error : {ERROR_NO_ASSOCIATION, ERROR_FILE_NOT_FOUND}) {
    UsePageProgram("");
    if (error == ERROR_FILE_NOT_FOUND) DeleteFileA(page.c_str());
    prompter.messages.clear();
    Command(IDM_HELP);
    EXPECT_EQ(prompter.messages,
              std::vector<std::string>{"Velmora: " + HelpNotOpenedText(page, Win32FileSystem().ErrorText(error))});
  }
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

using testing_support::MainWindowTest;

class SplitterTest : public MainWindowTest {};

TEST_F(SplitterTest, DraggingMovesThePaneAndTheListToolBarWithinLimits) {
  Open();
  HWND main = window->hwnd();
  auto drag = [&](int from, int to) {
    SendMessageA(main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from, 100));
    SendMessageA(main, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to, 100));
    SendMessageA(main, WM_LBUTTONUP, 0, MAKELPARAM(to, 100));
  };
  auto left = [&](int id) { return test_support::ChildRect(main, window->control(id)).left; };
  drag(153, 251);
  EXPECT_EQ(window->leftPaneWidth(), 250);
  EXPECT_EQ(left(IDC_LIST), 254);
  EXPECT_EQ(left(IDC_LISTBAR), 254);
  drag(251, 5);
  EXPECT_EQ(window->leftPaneWidth(), 50);
  RECT client;
  GetClientRect(main, &client);
  drag(51, 2000);
  EXPECT_EQ(window->leftPaneWidth(), client.right - 4 - 50);
  // The menu's hint reaches the status bar while an item is highlighted.
  SendMessageA(main, WM_MENUSELECT, MAKEWPARAM(IDM_NEW_BINDER, MF_HILITE), reinterpret_cast<LPARAM>(GetMenu(main)));
  char text[256] = "";
  SendMessageA(window->control(IDC_STATUS), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "バインダーを新規で作成する");
}

TEST_F(SplitterTest, MinimisingOrNarrowingDoesNotCutTheStoredWidth) {
  Open("", "[Orvik]\r\nWID=300\r\n\r\n");
  HWND main = window->hwnd();
  RECT r;
  GetWindowRect(main, &r);
  ShowWindow(main, SW_MINIMIZE);
  ShowWindow(main, SW_RESTORE);
  SetWindowPos(main, nullptr, 0, 0, 200, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_LT(window->laidOutLeftWidth(), 300);
  SetWindowPos(main, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(window->leftPaneWidth(), 300);
  EXPECT_EQ(window->laidOutLeftWidth(), 300);
  RECT tree;
  GetWindowRect(window->control(IDC_TREE), &tree);
  EXPECT_EQ(tree.right - tree.left, 300);
  Close();
  EXPECT_NE(ReadBytes(app + "data\\folderlist.ini").find("WID=300\r\n"), std::string::npos);
}

class SessionTest : public MainWindowTest {};

TEST_F(SessionTest, EndingTheSessionSavesTheStore) {
  Open("Work\r\n", "[Work]\r\n");
  HWND main = window->hwnd();
  SendMessageA(window->control(IDC_LAREG), BM_CLICK, 0, 0);
  EXPECT_TRUE(SendMessageA(main, WM_QUERYENDSESSION, 0, 0));
  SendMessageA(main, WM_ENDSESSION, TRUE, 0);
  // Saved before any destruction: the session may end the process right after.
  EXPECT_TRUE(IsWindow(main));
  EXPECT_NE(ReadBytes(app + "data\\folderlist.ini").find("FRG=1\r\n"), std::string::npos);
  EXPECT_NE(ReadBytes(app + "data\\titlelist.txt").find("Work"), std::string::npos);
}

class CommandTest : public MainWindowTest {};

std::string MenuText(HMENU menu, UINT id) {
  char text[128] = "";
  GetMenuStringA(menu, id, text, sizeof(text), MF_BYCOMMAND);
  return text;
}

TEST_F(CommandTest, MenusAndKeysComeFromTheTableAndWhatCannotRunIsGreyed) {
  Open();
  HWND main = window->hwnd();
  HMENU bar = GetMenu(main);
  ASSERT_EQ(GetMenuItemCount(bar), 5);
  EXPECT_EQ(MenuText(bar, IDM_SELECT_ALL), "全て選択(&A)\tCtrl+A");
  EXPECT_EQ(MenuText(bar, IDM_EXIT), "終了(&X)");
  HMENU help = GetSubMenu(bar, 4);
  SendMessageA(main, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(help), 4);
  EXPECT_EQ(GetMenuState(help, IDM_HELP, MF_BYCOMMAND) & MF_GRAYED, 0u);
  // Nothing offered does nothing: a menu opened shows greyed what cannot run now (no folder
  // is shown, so there is no folder above it) and enabled what can.
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING | MF_GRAYED, IDM_HELP, "help");
  AppendMenuA(popup, MF_STRING, IDM_UP, "up");
  SendMessageA(main, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
  EXPECT_EQ(GetMenuState(popup, IDM_HELP, MF_BYCOMMAND) & MF_GRAYED, 0u);
  EXPECT_NE(GetMenuState(popup, IDM_UP, MF_BYCOMMAND) & MF_GRAYED, 0u);
  DestroyMenu(popup);
  // The accelerator from the table reaches the command route.
  MSG msg = {};
  msg.hwnd = main;
  msg.message = WM_KEYDOWN;
  msg.wParam = 'A';
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  EXPECT_TRUE(window->PreTranslateMessage(msg));
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
}

// Whether the view menu, opened now, shows the command's item checked.
bool ViewItemChecked(HWND main, int id) {
  HMENU view = GetSubMenu(GetMenu(main), 2);
  SendMessageA(main, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), 2);
  for (int i = 0; i < GetMenuItemCount(view); ++i)
    if (HMENU sub = GetSubMenu(view, i)) SendMessageA(main, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), i);
  return (GetMenuState(view, static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

TEST_F(CommandTest, ViewMenuItemsAndTheButtonsBoxesAndHeadersShowWhatTheOtherDid) {
  testing_support::MakeFile(content + "big.txt", 300);
  testing_support::MakeFile(content + "small.txt", 1);
  ShowContent();
  HWND main = window->hwnd();
  HWND bar = window->control(IDC_LISTBAR);
  // Each item with its control: a box's check, or the button that clicking presses.
  const std::pair<int, int> cases[] = {{IDM_ATTR_SYSTEM, IDC_ATTR_S}, {IDM_ATTR_HIDDEN, IDC_ATTR_H},
                                       {IDM_ATTR_READ_ONLY, IDC_ATTR_R}, {IDM_LARGE_ICONS, IDC_LAREG},
                                       {IDM_HIGH_QUALITY, IDC_HIGH_QUALITY}, {IDM_VIEW_LIST, 0}, {IDM_VIEW_DETAIL, 0}};
  for (const auto& c : cases) {
    HWND box = window->control(c.second);
    auto on = [&] {
      return box ? SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED
                 : SendMessageA(bar, TB_ISBUTTONCHECKED, static_cast<WPARAM>(c.first), 0) != 0;
    };
    const bool before = box && on();
    const HIMAGELIST pictures = TreeView_GetImageList(window->control(IDC_TREE), TVSIL_NORMAL);
    Command(c.first);
    EXPECT_NE(on(), before) << c.first;
    EXPECT_EQ(ViewItemChecked(main, c.first), on()) << c.first;
    // What the box does follows the menu: the tree's pictures for the large icons.
    EXPECT_EQ(TreeView_GetImageList(window->control(IDC_TREE), TVSIL_NORMAL) != pictures, c.second == IDC_LAREG);
    if (!box) continue;
    SendMessageA(box, BM_CLICK, 0, 0);
    EXPECT_EQ(ViewItemChecked(main, c.first), before) << c.first;
  }
  EXPECT_FALSE(ViewItemChecked(main, IDM_VIEW_LIST));
  // The header's sort shows in the menu; the menu's direction sorts that column again.
  ClickColumn(1);
  EXPECT_TRUE(ViewItemChecked(main, IDM_SORT_SIZE) && ViewItemChecked(main, IDM_SORT_ASCENDING));
  for (int twice = 0; twice < 2; ++twice) Command(IDM_SORT_DESCENDING);
  EXPECT_EQ(Names(), (std::vector<std::string>{"big.txt", "small.txt"}));
  EXPECT_FALSE(ViewItemChecked(main, IDM_SORT_ASCENDING));
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

using testing_support::MainWindowTest;

class BinderTreeTest : public MainWindowTest {};

TEST_F(BinderTreeTest, SortOrdersEveryLevelAndKeepsThePaths) {
  Open();
  BinderTree& tree = window->tree();
  std::vector<BinderEntry> binders = {
      {"B", {{"z", "C:\\z"}, {"A", "C:\\A"}}},
      {"a", {{"ソフト", "C:\\ソフト"}, {"10", "C:\\10"}, {"9", "C:\\9"}}},
  };
  tree.Build(binders, 0);
  tree.Sort();
  HWND hwnd = window->control(IDC_TREE);
  std::vector<std::string> order;
  for (HTREEITEM b = TreeView_GetChild(hwnd, tree.Root()); b; b = TreeView_GetNextSibling(hwnd, b)) {
    order.push_back(tree.Text(b));
    tree.ShowFolders(b);
    for (HTREEITEM f = TreeView_GetChild(hwnd, b); f; f = TreeView_GetNextSibling(hwnd, f)) {
      const std::string* path = tree.FolderPath(f);
      ASSERT_NE(path, nullptr);
      EXPECT_EQ(*path, "C:\\" + tree.Text(f));
      order.push_back(tree.Text(f));
    }
  }
  EXPECT_EQ(order, (std::vector<std::string>{"a", "10", "9", "ソフト", "B", "A", "z"}));
  EXPECT_EQ(tree.FolderPath(tree.Root()), nullptr);
  tree.ReleasePaths();
  EXPECT_EQ(tree.FolderPath(TreeView_GetChild(hwnd, TreeView_GetChild(hwnd, tree.Root()))), nullptr);
}

// A node keeps no pointer: once its path is released (or the node deleted) no later node's
// path can pass for its own, however the memory is reused.
TEST_F(BinderTreeTest, AReleasedNodesPathNeverComesBackAsAnotherNodes) {
  Open();
  BinderTree& tree = window->tree();
  tree.Build({{"B", {{"old", "C:\\old"}}}}, 0);
  const HTREEITEM binder = TreeView_GetChild(tree.hwnd(), tree.Root());
  tree.ShowFolders(binder);
  const HTREEITEM old = TreeView_GetChild(tree.hwnd(), binder);
  ASSERT_NE(tree.FolderPath(old), nullptr);
  tree.ReleasePaths();
  ASSERT_EQ(tree.FolderPath(old), nullptr);
  // New paths of the same size, made right after the old one was freed.
  std::vector<HTREEITEM> added;
  for (int i = 0; i < 50; ++i)
    added.push_back(tree.AddFolderNode(binder, {"n" + std::to_string(i), "C:\\n" + std::to_string(i % 10)}));
  EXPECT_EQ(tree.FolderPath(old), nullptr);
  for (std::size_t i = 0; i < added.size(); ++i) {
    ASSERT_NE(tree.FolderPath(added[i]), nullptr);
    EXPECT_EQ(*tree.FolderPath(added[i]), "C:\\n" + std::to_string(i % 10));
  }
  // A deleted node's successors keep their own.
  tree.DeleteNode(added[0]);
  tree.Sort();
  for (HTREEITEM f = TreeView_GetChild(tree.hwnd(), binder); f; f = TreeView_GetNextSibling(tree.hwnd(), f)) {
    if (f == old) continue;
    ASSERT_NE(tree.FolderPath(f), nullptr) << tree.Text(f);
    EXPECT_EQ(*tree.FolderPath(f), "C:\\n" + std::to_string(std::stoi(tree.Text(f).substr(1)) % 10));
  }
}

// A binder stored closed gets its folders when first opened: in tree order, each with its
// path, ghosted and red as the disk is at that moment.
TEST_F(BinderTreeTest, AClosedBindersFoldersAppearWhenFirstExpanded) {
  for (const char* name : {"A", "b", "ソフト"}) MakeFolder(content + name);
  SetFileAttributesA((content + "ソフト").c_str(), FILE_ATTRIBUTE_HIDDEN);
  const std::string dir = content.path();
  Open("Closed\r\nOpen\r\n", "[Closed]\r\n" + dir + "gone=0\r\n" + dir + "b=1\r\ncmp=0\r\n" + dir + "ソフト=2\r\n" + dir +
                                   "A=0\r\n\r\n[Open]\r\n" + dir + "A=0\r\n\r\n");
  BinderTree& tree = window->tree();
  const HTREEITEM closed = FindNode("Closed");
  EXPECT_NE(TreeView_GetChild(tree.hwnd(), FindNode("Open")), nullptr);
  EXPECT_FALSE(tree.IsExpanded(closed));
  // Hidden after the start: what is shown is read when the binder opens.
  SetFileAttributesA((content + "b").c_str(), FILE_ATTRIBUTE_HIDDEN);
  TreePaintWatch watch(window->hwnd(), tree.hwnd());
  ASSERT_TRUE(TreeView_Expand(tree.hwnd(), closed, TVE_EXPAND));
  UpdateWindow(tree.hwnd());
  const struct { const char* name; bool ghosted, red; } looks[] = {
      {"A", false, false}, {"b", true, false}, {"gone", false, true}, {"ソフト", true, false}};
  HTREEITEM node = TreeView_GetChild(tree.hwnd(), closed);
  for (const auto& look : looks) {
    ASSERT_TRUE(node && tree.FolderPath(node)) << look.name;
    EXPECT_EQ(tree.Text(node), look.name);
    EXPECT_EQ(*tree.FolderPath(node), dir + look.name);
    EXPECT_EQ(tree.IsGhosted(node), look.ghosted) << look.name;
    EXPECT_EQ(watch.colours[node] == RGB(255, 0, 0), look.red) << look.name;
    node = TreeView_GetNextSibling(tree.hwnd(), node);
  }
  EXPECT_EQ(node, nullptr);
}

// Started and closed without opening anything, the store comes back as it was.
TEST_F(BinderTreeTest, AStoreComesBackByteForByteWithoutExpanding) {
  const std::string titles = "Zeta\r\nalpha\r\nEmpty\r\n";
  const std::string folders = "[Zeta]\r\nC:\\z\\b=2\r\nC:\\a=0\r\ncmp=0\r\n\r\n[alpha]\r\nC:\\=1\r\ncmp=1\r\n\r\n"
                              "[Empty]\r\ncmp=0\r\n\r\n[Orvik]\r\nFRG=0\r\nWID=152\r\n\r\n";
  const std::string selections = "[Zeta-b]\r\nx.txt=\r\n\r\n";
  Open(titles, folders, selections);
  Close();
  EXPECT_EQ(ReadBytes(app + "data\\titlelist.txt"), titles);
  EXPECT_EQ(ReadBytes(app + "data\\folderlist.ini"), folders);
  EXPECT_EQ(ReadBytes(app + "data\\selectlist.ini"), selections);
}

// The remembered file selection comes back in a binder stored open and in one opened later.
TEST_F(BinderTreeTest, RememberedSelectionsComeBackInOpenAndLaterOpenedBinders) {
  for (const char* folder : {"docs", "pics"}) MakeFolder(content + folder);
  for (const char* file : {"docs\\a.txt", "docs\\b.txt", "pics\\c.txt", "pics\\d.txt"}) testing_support::MakeFile(content + file, 1);
  Open("Open\r\nClosed\r\n", "[Open]\r\n" + content.path() + "docs=2\r\ncmp=1\r\n\r\n[Closed]\r\n" + content.path() + "pics=2\r\ncmp=0\r\n\r\n",
       "[Open-docs]\r\nb.txt=\r\n\r\n[Closed-pics]\r\nc.txt=\r\n\r\n");
  auto selected = [&] {
    std::vector<std::string> names;
    for (int row : window->browser().listView().SelectedRows()) names.push_back(CellText(row, 0));
    return names;
  };
  ClickNode("docs");
  EXPECT_TRUE(PumpUntil(window.get(), [&] { return selected() == std::vector<std::string>{"b.txt"}; }));
  WaitForWorker();
  ASSERT_TRUE(TreeView_Expand(window->tree().hwnd(), FindNode("Closed"), TVE_EXPAND));
  ClickNode("pics");
  EXPECT_TRUE(PumpUntil(window.get(), [&] { return selected() == std::vector<std::string>{"c.txt"}; }));
  WaitForWorker();
}

}  // namespace
}  // namespace velmora
