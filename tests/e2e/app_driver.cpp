#include "e2e/app_driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <thread>

#include "app/win32/control_ids.h"

namespace e2e {

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline,
             std::chrono::milliseconds poll) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(poll);
  }
}

bool RunUnixProgram(std::vector<std::string> argv) {
  using Spawn = LONG(CDECL*)(char* const argv[], int wait);
  const auto spawn = reinterpret_cast<Spawn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
  if (!spawn) return false;
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  spawn(args.data(), 1);
  return true;
}

RemoteBuffer::RemoteBuffer(HANDLE process, std::size_t size)
    : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {
  if (!address_) throw std::runtime_error("VirtualAllocEx failed");
}
RemoteBuffer::~RemoteBuffer() { VirtualFreeEx(process_, address_, 0, MEM_RELEASE); }
void RemoteBuffer::Write(const void* data, std::size_t size, std::size_t offset) {
  WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
}
void RemoteBuffer::Read(void* data, std::size_t size, std::size_t offset) const {
  ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
}

std::string FolderFromEnvironment(const char* name) {
  const char* dir = std::getenv(name);
  if (!dir || !*dir) return std::string();
  std::string path = dir;
  if (path[0] == '/') {
    // A Unix path: Wine maps the root file system to Z:.
    path = "Z:" + path;
    for (char& c : path)
      if (c == '/') c = '\\';
  }
  if (path.back() != '\\') path += '\\';
  return path;
}

std::string AppSourceDir() {
  const std::string path = FolderFromEnvironment("VELMORA_APP_DIR");
  if (path.empty()) throw std::runtime_error("VELMORA_APP_DIR is not set");
  return path;
}

std::string UnixPath(const std::string& path) {
  const int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), n);
  return UnixPath(wide.c_str());
}

std::string UnixPath(const std::wstring& path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return std::string();
  char* unix = toUnix(path.c_str());
  if (!unix) return std::string();
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

AppDriver::AppDriver() : own_(std::in_place, "velmora-e2e"), dir_(own_->path()) {
  const std::string source = AppSourceDir();
  CopyFileA((source + "velmora.exe").c_str(), (dir_ + "velmora.exe").c_str(), FALSE);
  CreateDirectoryA((dir_ + "Help").c_str(), nullptr);
  CopyFileA((source + "Help\\Velmora.htm").c_str(), (dir_ + "Help\\Velmora.htm").c_str(), FALSE);
  CopyFileA((source + "start.wav").c_str(), (dir_ + "start.wav").c_str(), FALSE);
}

AppDriver::AppDriver(const std::string& folder) : dir_(folder) {}

AppDriver::~AppDriver() {
  ReleaseProcess();
  if (!own_) return;
  // A folder that was the program's current directory can stay locked a moment after it ended.
  WaitFor([&] {
    test_support::RemoveTree(dir_);
    return !Exists(dir_);
  }, std::chrono::seconds(10));
}

void AppDriver::ReleaseProcess() {
  if (process_.hProcess) {
    if (Running()) {
      TerminateProcess(process_.hProcess, 99);
      WaitForSingleObject(process_.hProcess, 10000);
    }
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  process_ = {};
  window_ = nullptr;
}

void AppDriver::WriteData(const std::string& name, const std::string& bytes) {
  CreateDirectoryA((dir_ + "data").c_str(), nullptr);
  WriteBytes(dataPath(name), bytes);
}

namespace {
struct FindContext {
  DWORD pid;
  const char* className;
  const std::string* caption;  // null: any
  HWND found;
};
BOOL CALLBACK FindProcessWindow(HWND hwnd, LPARAM lp) {
  auto* ctx = reinterpret_cast<FindContext*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = "";
  GetClassNameA(hwnd, cls, sizeof(cls));
  if (pid != ctx->pid || lstrcmpA(cls, ctx->className) != 0) return TRUE;
  if (ctx->caption) {
    char text[1024] = "";
    GetWindowTextA(hwnd, text, sizeof(text));
    if (*ctx->caption != text) return TRUE;
  }
  ctx->found = hwnd;
  return FALSE;
}
}  // namespace

bool AppDriver::Start(const std::string& arguments, bool expectVisible) {
  ReleaseProcess();
  std::string command = "\"" + dir_ + "velmora.exe\"";
  if (!arguments.empty()) command += " " + arguments;
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  // The program inherits this process's environment with the variables given set.
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
  for (const auto& [name, value] : environment_) {
    char old[32768];
    const DWORD n = GetEnvironmentVariableA(name.c_str(), old, sizeof(old));
    saved.push_back({name, n && n < sizeof(old) ? std::optional<std::string>(std::string(old, n)) : std::nullopt});
    SetEnvironmentVariableA(name.c_str(), value.c_str());
  }
  const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir_.c_str(),
                                      &si, &process_);
  for (const auto& [name, old] : saved) SetEnvironmentVariableA(name.c_str(), old ? old->c_str() : nullptr);
  if (!started) return false;
  // Idle means the creation steps are over and the message loop runs.
  // A loaded machine can take a while to start a Wine process.
  if (WaitForInputIdle(process_.hProcess, 60000) != 0) return false;
  return WaitFor([&] {
    FindContext ctx{process_.dwProcessId, velmora::kMainWindowClass, nullptr, nullptr};
    EnumWindows(&FindProcessWindow, reinterpret_cast<LPARAM>(&ctx));
    window_ = ctx.found;
    if (!window_) return false;
    return !expectVisible || IsWindowVisible(window_) != FALSE;
  });
}

bool AppDriver::Running() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

int AppDriver::Close() {
  if (!process_.hProcess) return -1;
  PostMessageA(window_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, 30000) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<int>(code);
}

TreeNode AppDriver::ReadTreeItem(HWND tree, HTREEITEM item, int level) const {
  TreeNode node;
  node.handle = item;
  node.level = level;
  RemoteBuffer remote(process_.hProcess, sizeof(TVITEMA) + 1024);
  TVITEMA tvi = {};
  tvi.mask = TVIF_TEXT | TVIF_STATE | TVIF_IMAGE | TVIF_HANDLE;
  tvi.hItem = item;
  tvi.stateMask = TVIS_EXPANDED | TVIS_SELECTED | TVIS_CUT;
  tvi.pszText = static_cast<char*>(remote.address()) + sizeof(TVITEMA);
  tvi.cchTextMax = 1024;
  remote.Write(&tvi, sizeof(tvi));
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.address()));
  remote.Read(&tvi, sizeof(tvi));
  char text[1024] = "";
  remote.Read(text, sizeof(text) - 1, sizeof(TVITEMA));
  node.text = text;
  node.expanded = (tvi.state & TVIS_EXPANDED) != 0;
  node.selected = (tvi.state & TVIS_SELECTED) != 0;
  node.ghosted = (tvi.state & TVIS_CUT) != 0;
  node.image = tvi.iImage;
  for (HTREEITEM child = TreeView_GetChild(tree, item); child; child = TreeView_GetNextSibling(tree, child))
    node.children.push_back(ReadTreeItem(tree, child, level + 1));
  return node;
}

std::vector<TreeNode> AppDriver::ReadTree() const {
  HWND tree = Control(velmora::IDC_TREE);
  std::vector<TreeNode> roots;
  for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item))
    roots.push_back(ReadTreeItem(tree, item, 0));
  return roots;
}

std::string AppDriver::StatusText(int panel) const {
  HWND status = Control(velmora::IDC_STATUS);
  RemoteBuffer remote(process_.hProcess, 4096);
  SendMessageA(status, SB_GETTEXTA, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(remote.address()));
  char text[4096] = "";
  remote.Read(text, sizeof(text) - 1);
  return text;
}

std::string AppDriver::WindowText(HWND hwnd) const {
  char text[1024] = "";
  GetWindowTextA(hwnd, text, sizeof(text));
  return text;
}

void AppDriver::Click(HWND control, POINT client) {
  POINT screen = client;
  ClientToScreen(control, &screen);
  SetForegroundWindow(window_);
  SetCursorPos(screen.x, screen.y);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
}

bool AppDriver::TreeItemRect(HTREEITEM item, RECT& rect) const {
  RemoteBuffer remote(process_.hProcess, sizeof(RECT));
  // TVM_GETITEMRECT takes the item handle in the rectangle's place.
  remote.Write(&item, sizeof(item));
  if (!SendMessageA(Control(velmora::IDC_TREE), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote.address())))
    return false;
  remote.Read(&rect, sizeof(rect));
  return true;
}

bool AppDriver::ClickTreeNode(HTREEITEM item) {
  RECT r;
  if (!TreeItemRect(item, r)) return false;
  Click(Control(velmora::IDC_TREE), POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  return true;
}

HTREEITEM AppDriver::FindTreeNode(const std::string& text) const {
  std::vector<const TreeNode*> pending;
  const std::vector<TreeNode> tree = ReadTree();
  for (const TreeNode& n : tree) pending.push_back(&n);
  while (!pending.empty()) {
    const TreeNode* n = pending.back();
    pending.pop_back();
    if (n->text == text) return n->handle;
    for (const TreeNode& c : n->children) pending.push_back(&c);
  }
  return nullptr;
}

bool AppDriver::MakeBinder(const std::string& name) {
  PostMessageA(window_, WM_COMMAND, velmora::IDM_NEW_BINDER, 0);
  HWND box = nullptr;
  if (!WaitFor([&] { return (box = FindDialog()) != nullptr; })) return false;
  SetDlgItemTextA(box, 101, name.c_str());
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  return WaitFor([&] { return FindTreeNode(name) != nullptr; });
}

int AppDriver::ListRowCount() const { return ListViewRowCount(Control(velmora::IDC_LIST)); }

std::string AppDriver::ListCellText(int row, int column) const {
  return ListViewText(Control(velmora::IDC_LIST), row, column);
}

std::vector<std::string> AppDriver::ListColumn(int column) const {
  return ListViewColumn(Control(velmora::IDC_LIST), column);
}

bool AppDriver::IsListRowSelected(int row) const {
  return SendMessageA(Control(velmora::IDC_LIST), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) != 0;
}

void AppDriver::SelectListRow(int row, bool selected) {
  SetListViewRowSelected(Control(velmora::IDC_LIST), row, selected);
}

int AppDriver::ListViewRowCount(HWND list) const {
  return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

std::string AppDriver::ListViewText(HWND list, int row, int column) const {
  RemoteBuffer remote(process_.hProcess, sizeof(LVITEMA) + 1024);
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = static_cast<char*>(remote.address()) + sizeof(LVITEMA);
  item.cchTextMax = 1024;
  remote.Write(&item, sizeof(item));
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.address()));
  char text[1024] = "";
  remote.Read(text, sizeof(text) - 1, sizeof(LVITEMA));
  return text;
}

std::vector<std::string> AppDriver::ListViewColumn(HWND list, int column) const {
  std::vector<std::string> texts;
  const int n = ListViewRowCount(list);
  for (int i = 0; i < n; ++i) texts.push_back(ListViewText(list, i, column));
  return texts;
}

int AppDriver::ListViewImage(HWND list, int row) const {
  RemoteBuffer remote(process_.hProcess, sizeof(LVITEMA));
  LVITEMA item = {};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  remote.Write(&item, sizeof(item));
  SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.address()));
  remote.Read(&item, sizeof(item));
  return item.iImage;
}

void AppDriver::SetListViewRowSelected(HWND list, int row, bool selected) {
  RemoteBuffer remote(process_.hProcess, sizeof(LVITEMA));
  LVITEMA item = {};
  item.stateMask = selected ? LVIS_SELECTED | LVIS_FOCUSED : LVIS_SELECTED;
  item.state = selected ? LVIS_SELECTED | LVIS_FOCUSED : 0;
  remote.Write(&item, sizeof(item));
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.address()));
}

HWND AppDriver::FindWindowOf(const char* className, const std::string& caption) const {
  FindContext ctx{process_.dwProcessId, className, &caption, nullptr};
  EnumWindows(&FindProcessWindow, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

bool AppDriver::SelectTreeNode(HTREEITEM item) {
  // The handle travels as a value; no memory of this process is involved.
  SendMessageA(Control(velmora::IDC_TREE), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  return TreeSelection() == item;
}

bool AppDriver::ListRowRect(int row, RECT& rect) const {
  RemoteBuffer remote(process_.hProcess, sizeof(RECT));
  rect = RECT{LVIR_LABEL, 0, 0, 0};
  remote.Write(&rect, sizeof(rect));
  if (!SendMessageA(Control(velmora::IDC_LIST), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                    reinterpret_cast<LPARAM>(remote.address())))
    return false;
  remote.Read(&rect, sizeof(rect));
  return true;
}

bool AppDriver::ClickListRow(int row) {
  RECT r;
  if (!ListRowRect(row, r)) return false;
  Click(Control(velmora::IDC_LIST), POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  return true;
}

void AppDriver::PressControlKey(WORD key) {
  SetForegroundWindow(window_);
  PressChord(key, {VK_CONTROL});
}

void AppDriver::PressChord(WORD key, std::initializer_list<WORD> modifiers) const {
  std::vector<INPUT> input;
  auto add = [&input](WORD vk, bool up) {
    INPUT i = {};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    input.push_back(i);
  };
  for (WORD m : modifiers) add(m, false);
  add(key, false);
  add(key, true);
  for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m) add(*m, true);
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

void AppDriver::TypeText(const std::string& text) const {
  for (char c : text) {
    const bool capital = c >= 'A' && c <= 'Z';
    const WORD key = static_cast<WORD>(capital || (c >= '0' && c <= '9') ? c : c - 'a' + 'A');
    if (capital)
      PressChord(key, {VK_SHIFT});
    else
      PressChord(key);
  }
}

HWND AppDriver::FocusedControl() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

std::string DropBlock(const std::vector<std::string>& paths) {
  std::string block(20, '\0');
  block[0] = 20;
  for (const std::string& p : paths) block += p + '\0';
  return block + '\0';
}

bool PutOnClipboard(const std::string& block) {
  // The program may hold the clipboard open for a moment.
  if (!WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, std::chrono::seconds(10))) return false;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, block.size());
  std::memcpy(GlobalLock(memory), block.data(), block.size());
  GlobalUnlock(memory);
  EmptyClipboard();
  SetClipboardData(CF_HDROP, memory);
  CloseClipboard();
  return true;
}

bool AppDriver::DoubleClickListRow(int row) {
  RECT r;
  if (!ListRowRect(row, r)) return false;
  POINT screen = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(Control(velmora::IDC_LIST), &screen);
  SetForegroundWindow(window_);
  SetCursorPos(screen.x, screen.y);
  INPUT input[4] = {};
  for (INPUT& i : input) i.type = INPUT_MOUSE;
  input[0].mi.dwFlags = input[2].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = input[3].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return SendInput(4, input, sizeof(INPUT)) == 4;
}

namespace {
struct VisibleSearch {
  DWORD pid;
  const char* className;
  HWND found;
};
BOOL CALLBACK FindVisibleOfProcess(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<VisibleSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = "";
  GetClassNameA(hwnd, cls, sizeof(cls));
  if (pid == search->pid && lstrcmpA(cls, search->className) == 0 && IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindVisibleWindow(DWORD pid, const char* className) {
  VisibleSearch search{pid, className, nullptr};
  EnumWindows(&FindVisibleOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND AppDriver::FindDialog() const { return FindVisibleWindow(process_.dwProcessId, "#32770"); }

void AppDriver::PressKey(HWND control, WPARAM key) {
  const UINT scan = MapVirtualKeyA(static_cast<UINT>(key), 0);
  PostMessageA(control, WM_KEYDOWN, key, 1 | (scan << 16));
  PostMessageA(control, WM_KEYUP, key, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

bool AppDriver::ClickToolbarButton(int barId, int commandId) {
  HWND bar = Control(barId);
  const int index = static_cast<int>(SendMessageA(bar, TB_COMMANDTOINDEX, static_cast<WPARAM>(commandId), 0));
  if (index < 0) return false;
  RemoteBuffer remote(process_.hProcess, sizeof(RECT));
  if (!SendMessageA(bar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.address())))
    return false;
  RECT r;
  remote.Read(&r, sizeof(r));
  Click(bar, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  return true;
}

HTREEITEM AppDriver::TreeSelection() const { return TreeView_GetSelection(Control(velmora::IDC_TREE)); }

}  // namespace e2e
