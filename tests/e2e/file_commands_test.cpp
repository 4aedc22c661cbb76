// The file list's commands met from another process: the clipboard both ways, delete through
// the shell's own confirmation, files dropped from outside Wine, shortcuts the shell made.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/win32/control_ids.h"
#include "e2e/app_driver.h"
#include "support/test_files.h"

#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

using e2e::AppDriver;
using e2e::Exists;
using e2e::MakeShortcut;
using e2e::WaitFor;

namespace {

using e2e::DropBlock;

bool OpenClipboardSoon() {
  // The program may hold the clipboard open for a moment.
  return WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, std::chrono::seconds(10));
}

void PutOnClipboard(const std::string& block) { ASSERT_TRUE(e2e::PutOnClipboard(block)); }

// The clipboard's CF_HDROP block, empty when there is none.
std::string ClipboardBlock() {
  if (!OpenClipboardSoon()) return std::string();
  std::string block;
  if (HGLOBAL memory = GetClipboardData(CF_HDROP)) {
    block.assign(static_cast<const char*>(GlobalLock(memory)), GlobalSize(memory));
    GlobalUnlock(memory);
  }
  CloseClipboard();
  return block;
}

std::vector<std::string> ClipboardFiles() {
  std::vector<std::string> files;
  if (!OpenClipboardSoon()) return files;
  if (HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP))) {
    char name[MAX_PATH];
    const UINT n = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < n; ++i) {
      DragQueryFileA(drop, i, name, MAX_PATH);
      files.push_back(name);
    }
  }
  CloseClipboard();
  return files;
}

// A process that parent started, by its program's file name; 0 when there is none.
DWORD ChildProcess(DWORD parent, const char* program) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  DWORD found = 0;
  for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
    if (entry.th32ParentProcessID == parent && lstrcmpiA(entry.szExeFile, program) == 0) found = entry.th32ProcessID;
  CloseHandle(snapshot);
  return found;
}

// Every process the job has held, ended ones included.
DWORD StartedProcesses(HANDLE job) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
  if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof(info), nullptr)) return 0;
  return info.TotalProcesses;
}

class FileCommandsE2E : public ::testing::Test {
 protected:
  std::string Content(const std::string& name) {
    const std::string path = app.appDir() + name;
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
  }
  void File(const std::string& path, const std::string& bytes = "v") { e2e::WriteBytes(path, bytes); }

  // Starts the program with folder (a direct child of the application folder) registered
  // and listed.
  void StartListing(const std::string& folder) {
    app.WriteData("titlelist.txt", "Work\r\n");
    app.WriteData("folderlist.ini", "[Work]\r\n" + folder + "=2\r\n\r\n");
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.ClickTreeNode(app.FindTreeNode(folder.substr(folder.rfind('\\') + 1))));
    ASSERT_TRUE(WaitFor([&] { return app.StatusText(1) == folder; }));
  }
  std::vector<std::string> Names() const { return app.ListColumn(0); }
  int RowOf(const std::string& name) const {
    const std::vector<std::string> names = Names();
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
  }
  void Select(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      ASSERT_GE(RowOf(name), 0) << name;
      app.SelectListRow(RowOf(name));
    }
  }
  void Command(int id) { PostMessageA(app.window(), WM_COMMAND, static_cast<WPARAM>(id), 0); }
  // The program still answers its messages.
  bool Responds() const {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(app.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
  }

  AppDriver app;
};

TEST_F(FileCommandsE2E, PasteCopiesAnotherProgramsFilesIntoTheListedFolder) {
  e2e::TempFolder source("velmora-e2e-source");
  File(source + "pasted.txt", "pasted bytes");
  CreateDirectoryA((source + "pasted dir").c_str(), nullptr);
  File(source + "pasted dir\\inner.txt", "inner");
  const std::string docs = Content("docs");
  Content("docs\\sub");
  File(docs + "\\here.txt");
  StartListing(docs);
  ASSERT_TRUE(WaitFor([&] { return app.ListRowCount() == 2; }));

  // Ctrl+V on the list, a file row selected: into the listed folder.
  PutOnClipboard(DropBlock({source + "pasted.txt", source + "pasted dir"}));
  ASSERT_TRUE(app.ClickListRow(RowOf("here.txt")));
  ASSERT_TRUE(WaitFor([&] { return app.IsListRowSelected(RowOf("here.txt")); }));
  app.PressControlKey('V');
  ASSERT_TRUE(WaitFor([&] { return app.ListRowCount() == 4; }));
  EXPECT_EQ(e2e::ReadBytes(docs + "\\pasted.txt"), "pasted bytes");
  EXPECT_EQ(e2e::ReadBytes(docs + "\\pasted dir\\inner.txt"), "inner");
  EXPECT_GE(RowOf("pasted.txt"), 0);
  EXPECT_GE(RowOf("pasted dir"), 0);
  // The sources stay where they were.
  EXPECT_TRUE(Exists(source + "pasted.txt"));

  // With a folder row selected the files go into that folder and the rows stay as they are.
  const std::vector<std::string> before = Names();
  Select({"sub"});
  Command(velmora::IDM_LIST_PASTE);
  ASSERT_TRUE(WaitFor([&] { return Exists(docs + "\\sub\\pasted dir\\inner.txt"); }));
  EXPECT_EQ(e2e::ReadBytes(docs + "\\sub\\pasted.txt"), "pasted bytes");
  ASSERT_TRUE(Responds());
  EXPECT_EQ(Names(), before);
  ASSERT_EQ(app.Close(), 0);
}

TEST_F(FileCommandsE2E, PasteOverAFileAsksAndAddsRowsOnlyForWhatIsThere) {
  e2e::TempFolder source("velmora-e2e-source");
  File(source + "same.txt", "new");
  const std::string docs = Content("docs");
  File(docs + "\\same.txt", "old");
  StartListing(docs);
  ASSERT_TRUE(WaitFor([&] { return app.ListRowCount() == 1; }));

  // A clipboard entry that is gone: the shell refuses the copy, and no row is added for a
  // file that is not there.
  File(source + "fresh.txt", "fresh");
  PutOnClipboard(DropBlock({source + "missing.txt", source + "fresh.txt"}));
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutA(app.window(), WM_COMMAND, velmora::IDM_LIST_PASTE, 0, SMTO_NORMAL, 30000, &answer));
  std::vector<std::string> onDisk = {"same.txt"};
  if (Exists(docs + "\\fresh.txt")) onDisk.push_back("fresh.txt");
  std::vector<std::string> rows = Names();
  std::sort(rows.begin(), rows.end());
  std::sort(onDisk.begin(), onDisk.end());
  EXPECT_EQ(rows, onDisk);
  EXPECT_FALSE(Exists(docs + "\\missing.txt"));
  DeleteFileA((docs + "\\fresh.txt").c_str());
  ASSERT_TRUE(SendMessageTimeoutA(app.window(), WM_COMMAND, velmora::IDM_REFRESH, 0, SMTO_NORMAL, 30000, &answer));
  ASSERT_TRUE(WaitFor([&] { return Names() == std::vector<std::string>{"same.txt"}; }));

  // The shell asks before replacing; No keeps the file and adds no second row.
  PutOnClipboard(DropBlock({source + "same.txt"}));
  Command(velmora::IDM_LIST_PASTE);
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (dialog = app.FindDialog()) != nullptr; }));
  ASSERT_NE(GetDlgItem(dialog, IDNO), nullptr);
  PostMessageA(GetDlgItem(dialog, IDNO), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  ASSERT_TRUE(Responds());
  EXPECT_EQ(e2e::ReadBytes(docs + "\\same.txt"), "old");
  EXPECT_EQ(Names(), (std::vector<std::string>{"same.txt"}));

  // Yes replaces it, still one row.
  PutOnClipboard(DropBlock({source + "same.txt"}));
  Command(velmora::IDM_LIST_PASTE);
  ASSERT_TRUE(WaitFor([&] { return (dialog = app.FindDialog()) != nullptr; }));
  PostMessageA(GetDlgItem(dialog, IDYES), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return e2e::ReadBytes(docs + "\\same.txt") == "new"; }));
  ASSERT_TRUE(Responds());
  EXPECT_EQ(Names(), (std::vector<std::string>{"same.txt"}));
  ASSERT_EQ(app.Close(), 0);
}

TEST_F(FileCommandsE2E, CopyLeavesFullPathsThatAnotherProgramReads) {
  const std::string docs = Content("docs");
  Content("docs\\folder");
  File(docs + "\\a.txt");
  File(docs + "\\b.txt");
  File(docs + "\\c.txt");
  StartListing(docs);
  ASSERT_TRUE(WaitFor([&] { return app.ListRowCount() == 4; }));
  PutOnClipboard(DropBlock({"C:\\stale.txt"}));

  // Ctrl+C with one row, then the menu's command with two.
  ASSERT_TRUE(app.ClickListRow(RowOf("b.txt")));
  ASSERT_TRUE(WaitFor([&] { return app.IsListRowSelected(RowOf("b.txt")); }));
  app.PressControlKey('C');
  ASSERT_TRUE(WaitFor([&] { return ClipboardFiles() == std::vector<std::string>{docs + "\\b.txt"}; }));

  app.SelectListRow(RowOf("b.txt"), false);
  Select({"folder", "c.txt"});
  Command(velmora::IDM_LIST_COPY);
  const std::vector<std::string> expected = {docs + "\\folder", docs + "\\c.txt"};
  ASSERT_TRUE(WaitFor([&] { return ClipboardFiles() == expected; }));
  const std::string block = ClipboardBlock();
  const std::string wanted = DropBlock(expected);
  ASSERT_GE(block.size(), wanted.size());
  EXPECT_EQ(block.substr(0, 20), wanted.substr(0, 20));
  EXPECT_EQ(block.substr(0, wanted.size()), wanted);
  EXPECT_EQ(block.find_first_not_of('\0', wanted.size()), std::string::npos);
  ASSERT_EQ(app.Close(), 0);
}

TEST_F(FileCommandsE2E, DeleteAsksThroughTheShellAndGoesToTheTrash) {
  // The shell's trash on the file system of the files.
  e2e::TempFolder home("velmora-e2e-trash");
  std::string unixHome = e2e::UnixPath(home.path());
  if (unixHome.empty()) GTEST_SKIP() << "not under Wine";
  while (unixHome.size() > 1 && unixHome.back() == '/') unixHome.pop_back();
  app.SetEnvironment("XDG_DATA_HOME", unixHome);
  const std::string docs = Content("docs");
  Content("docs\\dir");
  File(docs + "\\dir\\inside.txt");
  File(docs + "\\gone.txt");
  File(docs + "\\keep.txt");
  StartListing(docs);
  ASSERT_TRUE(WaitFor([&] { return app.ListRowCount() == 3; }));
  const std::vector<std::string> all = Names();

  // The Delete key, then No: nothing moves, every row stays.
  Select({"dir", "gone.txt"});
  app.PressKey(app.Control(velmora::IDC_LIST), VK_DELETE);
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (dialog = app.FindDialog()) != nullptr; }));
  ASSERT_NE(GetDlgItem(dialog, IDNO), nullptr);
  PostMessageA(GetDlgItem(dialog, IDNO), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  ASSERT_TRUE(Responds());
  EXPECT_TRUE(Exists(docs + "\\gone.txt"));
  EXPECT_TRUE(Exists(docs + "\\dir\\inside.txt"));
  EXPECT_EQ(Names(), all);

  // The menu's command, then Yes: both go to the trash and their rows go.
  Command(velmora::IDM_LIST_DELETE);
  ASSERT_TRUE(WaitFor([&] { return (dialog = app.FindDialog()) != nullptr; }));
  ASSERT_NE(GetDlgItem(dialog, IDYES), nullptr);
  PostMessageA(GetDlgItem(dialog, IDYES), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return app.ListRowCount() == 1; }));
  EXPECT_EQ(Names(), (std::vector<std::string>{"keep.txt"}));
  EXPECT_FALSE(Exists(docs + "\\gone.txt"));
  EXPECT_FALSE(Exists(docs + "\\dir"));
  EXPECT_TRUE(Exists(home + "Trash\\files\\gone.txt"));
  EXPECT_TRUE(Exists(home + "Trash\\files\\dir\\inside.txt"));
  EXPECT_TRUE(Exists(docs + "\\keep.txt"));
  ASSERT_EQ(app.Close(), 0);
}

TEST_F(FileCommandsE2E, ShortcutsMadeByTheShellAreFollowed) {
  e2e::TempFolder elsewhere("velmora-e2e-targets");
  CreateDirectoryA((elsewhere + "target").c_str(), nullptr);
  File(elsewhere + "target\\deep.txt");
  File(elsewhere + "gone.txt");
  const std::string docs = Content("docs");
  ASSERT_TRUE(MakeShortcut(docs + "\\to folder.lnk", elsewhere + "target"));
  ASSERT_TRUE(MakeShortcut(docs + "\\to gone.lnk", elsewhere + "gone.txt"));
  ASSERT_TRUE(DeleteFileA((elsewhere + "gone.txt").c_str()));
  StartListing(docs);
  ASSERT_TRUE(WaitFor([&] { return app.ListRowCount() == 2; }));
  const std::vector<std::string> rows = Names();

  // A shortcut whose target is gone is handed to the shell as it is; Wine finds no program
  // for it and the program falls back to the Open-with dialog, in a process of its own.
  // The program's processes are counted through a job: a short-lived helper counts too.
  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  ASSERT_TRUE(AssignProcessToJobObject(job, app.process()));
  ASSERT_EQ(StartedProcesses(job), 1u);
  ASSERT_TRUE(app.DoubleClickListRow(RowOf("to gone.lnk")));
  EXPECT_TRUE(WaitFor([&] { return StartedProcesses(job) == 2; }));
  CloseHandle(job);
  if (HANDLE child = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                                 ChildProcess(GetProcessId(app.process()), "rundll32.exe"))) {
    TerminateProcess(child, 0);
    WaitForSingleObject(child, 10000);
    CloseHandle(child);
  }
  ASSERT_TRUE(app.Running());
  ASSERT_TRUE(Responds());
  EXPECT_EQ(app.StatusText(1), docs);
  EXPECT_EQ(Names(), rows);

  // A shortcut to a folder enters the folder.
  ASSERT_TRUE(app.DoubleClickListRow(RowOf("to folder.lnk")));
  ASSERT_TRUE(WaitFor([&] { return Names() == std::vector<std::string>{"deep.txt"}; }));
  EXPECT_NE(app.StatusText(1).find(elsewhere + "target"), std::string::npos) << app.StatusText(1);
  ASSERT_EQ(app.Close(), 0);
}

// Files dragged from a program outside Wine: an X11 drag-and-drop onto the program's
// window, which Wine turns into a genuine WM_DROPFILES.
class OutsideDragE2E : public FileCommandsE2E {
 protected:
  void SetUp() override {
    const char* helper = std::getenv("VELMORA_XDND_DROP");
    if (!helper || !*helper || e2e::UnixPath("C:\\").empty()) GTEST_SKIP() << "no X11 drop program, or not under Wine";
    helper_ = helper;
  }
  // Drops the paths at a screen point of the program's window; the drag source's outcome.
  std::string Drop(POINT screen, const std::vector<std::string>& paths) {
    std::vector<std::string> unixPaths;
    for (const std::string& path : paths) unixPaths.push_back(e2e::UnixPath(path));
    return DropUnix(screen, unixPaths);
  }
  std::string DropUnix(POINT screen, const std::vector<std::string>& unixPaths) {
    const auto xWindow = reinterpret_cast<ULONG_PTR>(GetPropA(app.window(), "__wine_x11_whole_window"));
    const std::string result = work_ + "result.txt";
    std::vector<std::string> args = {helper_, std::to_string(xWindow), std::to_string(screen.x),
                                     std::to_string(screen.y), e2e::UnixPath(result)};
    for (const std::string& path : unixPaths) {
      std::string uri = "file://";
      for (unsigned char c : path) {
        char escaped[4];
        std::snprintf(escaped, sizeof(escaped), "%%%02X", c);
        uri += std::isalnum(c) || std::strchr("/._-~", c) ? std::string(1, static_cast<char>(c)) : escaped;
      }
      args.push_back(uri);
    }
    e2e::RunUnixProgram(args);
    return e2e::ReadBytes(result);
  }
  POINT ScreenPoint(HWND control, const RECT& r) {
    POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(control, &at);
    return at;
  }

  e2e::TempFolder source{"velmora-e2e-source"};

 private:
  std::string helper_;
  e2e::TempFolder work_{"velmora-e2e-drag"};
};

TEST_F(OutsideDragE2E, FilesDroppedOnTheListAreCopiedIntoTheListedFolder) {
  File(source + "dropped.txt", "dropped bytes");
  File(source + "second file.txt", "second");
  const std::string docs = Content("docs");
  Content("docs\\row");
  File(docs + "\\other.txt");
  StartListing(docs);
  ASSERT_TRUE(WaitFor([&] { return app.ListRowCount() == 2; }));
  Select({"other.txt"});

  // Onto the folder row: the files still go into the listed folder.
  RECT r;
  ASSERT_TRUE(app.ListRowRect(RowOf("row"), r));
  EXPECT_EQ(Drop(ScreenPoint(app.Control(velmora::IDC_LIST), r), {source + "dropped.txt", source + "second file.txt"}),
            "accepted\n");
  ASSERT_TRUE(WaitFor([&] { return app.ListRowCount() == 4; }));
  EXPECT_EQ(e2e::ReadBytes(docs + "\\dropped.txt"), "dropped bytes");
  EXPECT_EQ(e2e::ReadBytes(docs + "\\second file.txt"), "second");
  EXPECT_FALSE(Exists(docs + "\\row\\dropped.txt"));
  EXPECT_GE(RowOf("dropped.txt"), 0);
  EXPECT_GE(RowOf("second file.txt"), 0);
  for (int row = 0; row < app.ListRowCount(); ++row) EXPECT_FALSE(app.IsListRowSelected(row)) << row;
  ASSERT_EQ(app.Close(), 0);
}

// A name the code page cannot spell arrives from the X11 drag as itself (a wide drop list)
// and the copy bears the same name.
TEST_F(OutsideDragE2E, AFileNamedBeyondTheCodePageIsCopiedUnderItsOwnName) {
  const std::wstring name = L"café ☕.txt";
  std::wstring wideSource(source.path().begin(), source.path().end());  // the temporary folder is ASCII
  test_support::MakeFile(wideSource + name, "accented");
  const std::string docs = Content("docs");
  StartListing(docs);
  ASSERT_TRUE(WaitFor([&] { return app.ListRowCount() == 0; }));
  RECT client;
  GetClientRect(app.Control(velmora::IDC_LIST), &client);
  EXPECT_EQ(DropUnix(ScreenPoint(app.Control(velmora::IDC_LIST), client), {e2e::UnixPath(wideSource + name)}),
            "accepted\n");
  ASSERT_TRUE(WaitFor([&] { return app.ListRowCount() == 1; }));
  const std::wstring copy = std::wstring(docs.begin(), docs.end()) + L"\\" + name;
  EXPECT_EQ(test_support::ReadBytes(copy), "accented");
  ASSERT_EQ(app.Close(), 0);
}

TEST_F(OutsideDragE2E, FoldersDroppedOnABinderAreRegistered) {
  CreateDirectoryA((source + "new folder").c_str(), nullptr);
  File(source + "loose.txt");
  const std::string docs = Content("docs");
  StartListing(docs);
  RECT r;
  ASSERT_TRUE(app.TreeItemRect(app.FindTreeNode("Work"), r));
  EXPECT_EQ(Drop(ScreenPoint(app.Control(velmora::IDC_TREE), r), {source + "new folder", source + "loose.txt"}),
            "accepted\n");
  ASSERT_TRUE(WaitFor([&] { return app.FindTreeNode("new folder") != nullptr; }));
  EXPECT_EQ(app.FindTreeNode("loose.txt"), nullptr);
  // Nothing was copied anywhere.
  EXPECT_FALSE(Exists(docs + "\\new folder"));
  ASSERT_EQ(app.Close(), 0);
  const std::string folders = app.ReadData("folderlist.ini");
  EXPECT_NE(folders.find(source + "new folder="), std::string::npos) << folders;
  EXPECT_EQ(folders.find("loose.txt"), std::string::npos) << folders;
}

}  // namespace
