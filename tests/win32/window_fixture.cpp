#include "win32/window_fixture.h"

#include <cstring>
#include <thread>

#include <shlobj.h>

#include "common/path_lists.h"
#include "text/cp932.h"
#include "win32/com_ptr.h"
#include "win32/strings.h"

namespace velmora {
namespace testing_support {

void MakeFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

DeepFolder::DeepFolder(const std::string& base, std::size_t minLength, const std::vector<std::string>& files)
    : path_(base) {
  while (path_.size() < minLength) {
    path_ += "\\" + std::string(40, 'd');
    folders_.push_back(L"\\\\?\\" + AnsiToWide(path_));
    CreateDirectoryW(folders_.back().c_str(), nullptr);
  }
  for (const std::string& name : files) {
    files_.push_back(L"\\\\?\\" + AnsiToWide(path_ + "\\" + name));
    HANDLE h = CreateFileW(files_.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << name;
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
}

DeepFolder::~DeepFolder() {
  for (const std::wstring& file : files_) DeleteFileW(file.c_str());
  for (auto f = folders_.rbegin(); f != folders_.rend(); ++f) RemoveDirectoryW(f->c_str());
}

void PumpPending(TOrvikBinder* window) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (window && window->PreTranslateMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void PressKey(TOrvikBinder* window, HWND target, WPARAM key, bool control) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = control ? 0x80 : 0;
  SetKeyboardState(keys);
  PostMessageA(target, WM_KEYDOWN, key, 1);
  PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  PumpPending(window);
  // A key that lists (Enter, Backspace, F5) waits for the listing's end.
  if (window) PumpUntil(window, [&] { return !window->browser().loading(); });
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
}

bool PumpUntil(TOrvikBinder* window, const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    PumpPending(window);
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

std::string UnixPath(const std::string& dosPath) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return std::string();
  char* unix = toUnix(AnsiToWide(dosPath).c_str());
  if (!unix) return std::string();
  std::string path = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return path;
}

bool RunUnixShell(const std::string& script, bool wait) {
  using Spawn = LONG(CDECL*)(char* const*, int);
  auto spawn = reinterpret_cast<Spawn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
  if (!spawn) return false;
  std::string shell = "/bin/sh", option = "-c", text = script;
  char* argv[] = {&shell[0], &option[0], &text[0], nullptr};
  return spawn(argv, wait ? 1 : 0) == 0;
}

void PutBlockOnClipboard(HWND owner, const std::string& block) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, block.size());
  std::memcpy(GlobalLock(memory), block.data(), block.size());
  GlobalUnlock(memory);
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  SetClipboardData(CF_HDROP, memory);
  CloseClipboard();
}

namespace {
DialogAnswers* answering = nullptr;
}

DialogAnswers::DialogAnswers(std::vector<int> buttons) : buttons_(std::move(buttons)) {
  answering = this;
  hook_ = SetWindowsHookExA(WH_CBT, OnActivate, nullptr, GetCurrentThreadId());
}

DialogAnswers::~DialogAnswers() {
  if (hook_) UnhookWindowsHookEx(hook_);
  answering = nullptr;
}

LRESULT CALLBACK DialogAnswers::OnActivate(int code, WPARAM wp, LPARAM lp) {
  HWND dialog = reinterpret_cast<HWND>(wp);
  char className[16] = "";
  if (code == HCBT_ACTIVATE && answering && GetClassNameA(dialog, className, sizeof className) &&
      lstrcmpA(className, "#32770") == 0) {
    const std::size_t turn = static_cast<std::size_t>(answering->answered++);
    const int button = turn < answering->buttons_.size() ? answering->buttons_[turn] : IDCANCEL;
    // Posted: the dialog's own loop takes it once the dialog is up.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

const std::string& TrashHome() {
  // On the file system of the tests' files. The shell keeps the first trash it finds for
  // the process's life, so the folder lives as long, and goes at exit. The shell runs on its
  // own C runtime, whose copy of the environment is the one it reads.
  static TempDir home("velmora-fileops-trash");
  static const std::string path = [] {
    std::string unix = UnixPath(home.path());
    while (unix.size() > 1 && unix.back() == '/') unix.pop_back();
    using PutEnv = int(CDECL*)(const char*);
    auto putEnv = reinterpret_cast<PutEnv>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ucrtbase.dll"), "_putenv")));
    if (unix.empty() || !putEnv || putEnv(("XDG_DATA_HOME=" + unix).c_str()) != 0) return std::string();
    return home.path();
  }();
  return path;
}

void MainWindowTest::SetUp() {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
}

void MainWindowTest::TearDown() { Close(); }

void MainWindowTest::Open(const std::string& titles, const std::string& folders, const std::string& selections) {
  MakeFolder(app + "data");
  if (!titles.empty()) WriteBytes(app + "data\\titlelist.txt", titles);
  if (!folders.empty()) WriteBytes(app + "data\\folderlist.ini", folders);
  if (!selections.empty()) WriteBytes(app + "data\\selectlist.ini", selections);
  AppEnvironment env;
  env.exeDir = app.path();
  OpenWith(env);
}

void MainWindowTest::OpenWith(const AppEnvironment& env) {
  window = std::make_unique<TOrvikBinder>(env, &prompter);
  window->Create(GetModuleHandleA(nullptr));
  ShowWindow(window->hwnd(), SW_SHOWNOACTIVATE);
  PumpPending(window.get());
  WaitForListing();
}

void MainWindowTest::Close() {
  if (!window) return;
  if (IsWindow(window->hwnd())) SendMessageA(window->hwnd(), WM_CLOSE, 0, 0);
  PumpPending(window.get());
  window.reset();
  // The closed window's WM_QUIT must not end a later test's loop.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

HTREEITEM MainWindowTest::FindNode(const std::string& text) const {
  HWND tree = window->control(IDC_TREE);
  std::vector<HTREEITEM> pending{TreeView_GetRoot(tree)};
  while (!pending.empty()) {
    HTREEITEM item = pending.back();
    pending.pop_back();
    if (!item) continue;
    if (window->tree().Text(item) == text) return item;
    for (HTREEITEM c = TreeView_GetChild(tree, item); c; c = TreeView_GetNextSibling(tree, c)) pending.push_back(c);
  }
  return nullptr;
}

void MainWindowTest::ShowContent() {
  const std::string root = content.path().substr(0, content.path().size() - 1);
  Open("Work\r\n", "[Work]\r\n" + root + "=2\r\n\r\n");
  ClickNode(LastComponent(root));
  window->listCommands().fileCommands().SetShellConfirmations(false);
}

void MainWindowTest::ClickNode(const std::string& text) {
  HTREEITEM item = FindNode(text);
  ASSERT_NE(item, nullptr) << text;
  TreeView_SelectItem(window->control(IDC_TREE), item);
  window->TreeView1Click();
  WaitForListing();
}

void MainWindowTest::Command(int id) {
  SendMessageA(window->hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
  WaitForListing();
}

void MainWindowTest::ClickColumn(int column) {
  // A click on the header: the list turns it into its column-click notification.
  HWND header = ListView_GetHeader(window->control(IDC_LIST));
  RECT r = {};
  Header_GetItemRect(header, column, &r);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(header, WM_LBUTTONUP, 0, at);
}

void MainWindowTest::DoubleClickRow(int row) {
  HWND list = window->control(IDC_LIST);
  window->browser().listView().DeselectAll();
  window->browser().listView().SelectRow(row, true);
  RECT r = {};
  ListView_GetItemRect(list, row, &r, LVIR_LABEL);
  SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(r.left + 2, (r.top + r.bottom) / 2));
  SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 2, (r.top + r.bottom) / 2));
  WaitForListing();
}

std::vector<std::string> MainWindowTest::Names() const {
  std::vector<std::string> names;
  for (const auto& r : window->browser().records()) names.push_back(r->name);
  return names;
}

std::string MainWindowTest::CellText(int row, int column) const {
  char text[512] = "";
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof(text);
  SendMessageA(window->control(IDC_LIST), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

// A shell drop as WM_DROPFILES carries it, dropped at a point of the main window's client area.
HDROP MakeDrop(const std::vector<std::string>& names, POINT at) {
  std::string block = BuildDropFilesBlock(PathText(names));
  const LONG xy[2] = {at.x, at.y};
  std::memcpy(&block[4], xy, sizeof(xy));
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, block.size());
  std::memcpy(GlobalLock(memory), block.data(), block.size());
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

// A shortcut as the shell writes it.
}  // namespace testing_support
}  // namespace velmora
