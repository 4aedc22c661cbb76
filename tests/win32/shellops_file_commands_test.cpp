// The file commands on the real shell, clipboard and file system under Wine.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/path_lists.h"
#include "shellops/win32/file_commands.h"
#include "store/win32/win32_collation.h"
#include "support/recording_prompter.h"
#include "support/temp_folder.h"
#include "win32/clipboard_files.h"
#include "win32/shell_context.h"
#include "win32/strings.h"
#include "win32/window_fixture.h"

namespace velmora {
namespace {

using test_support::MakeFile;

using namespace std::string_literals;
using test_support::TempFolder;
using testing_support::PutBlockOnClipboard;
using testing_support::TrashHome;

// The clipboard's CF_HDROP block as bytes (at most `size` of them).
std::string ClipboardBlock(HWND owner, std::size_t size) {
  std::string bytes;
  if (!OpenClipboard(owner)) return bytes;
  if (HANDLE h = GetClipboardData(CF_HDROP)) {
    if (const void* p = GlobalLock(h)) {
      const std::size_t available = GlobalSize(h);
      bytes.assign(static_cast<const char*>(p), available < size ? available : size);
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return bytes;
}

std::vector<UINT> ClipboardFormats(HWND owner) {
  std::vector<UINT> formats;
  if (!OpenClipboard(owner)) return formats;
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) formats.push_back(f);
  CloseClipboard();
  return formats;
}

HDROP MakeDropHandle(const std::vector<std::string>& names) {
  const std::string block = BuildDropFilesBlock(PathText(names));
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, block.size());
  std::memcpy(GlobalLock(memory), block.data(), block.size());
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

class FileCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
    shell.Start();
    owner = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(owner);
    commands = std::make_unique<FileCommands>(owner, shell, log, collation);
    commands->SetShellConfirmations(false);
  }
  void TearDown() override {
    commands.reset();
    if (OpenClipboard(owner)) {
      EmptyClipboard();
      CloseClipboard();
    }
    DestroyWindow(owner);
    shell.Stop();
  }

  ShellContext shell;
  Win32Collation collation;
  RecordingPrompter log;
  HWND owner = nullptr;
  std::unique_ptr<FileCommands> commands;
  TempFolder dir{"velmora-fileops"};
};

TEST_F(FileCommandsTest, ClipboardBlockIsTheShellsFileList) {
  const std::vector<std::string> paths = {dir + "a.txt", dir + "表ソ能.txt", "C:\\a"};
  ASSERT_TRUE(commands->CopyToClipboard(paths));
  EXPECT_EQ(ClipboardFormats(owner), std::vector<UINT>{CF_HDROP});

  std::string expected = "\x14\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"s;
  for (const std::string& p : paths) expected += p + '\0';
  expected += "\0\0"s;
  EXPECT_EQ(ClipboardBlock(owner, expected.size()), expected);

  // The shell's own reader agrees.
  ASSERT_TRUE(OpenClipboard(owner));
  HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
  ASSERT_TRUE(drop);
  ASSERT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), paths.size());
  for (UINT i = 0; i < paths.size(); ++i) {
    char name[MAX_PATH] = {};
    DragQueryFileA(drop, i, name, MAX_PATH);
    EXPECT_EQ(name, paths[i]);
  }
  CloseClipboard();
  EXPECT_EQ(ReadClipboardPaths(owner), paths);

  // Nothing to copy leaves the clipboard as it was.
  EXPECT_FALSE(commands->CopyToClipboard({}));
  EXPECT_TRUE(ClipboardHasFiles());
}

TEST_F(FileCommandsTest, PasteListFromAnotherProgramsBlock) {
  // A wide list, as a Unicode program writes it.
  std::string wide = "\x14\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x01\0\0\0"s;
  for (const std::string& name : {"C:\\x\\表.txt"s, "D:\\y"s}) {
    const std::wstring w = AnsiToWide(name);
    wide.append(reinterpret_cast<const char*>(w.c_str()), (w.size() + 1) * sizeof(wchar_t));
  }
  wide += "\0\0"s;
  PutBlockOnClipboard(owner, wide);
  EXPECT_EQ(ReadClipboardPaths(owner), (std::vector<std::string>{"C:\\x\\表.txt", "D:\\y"}));

  // A list offset inside the header (where the point's bytes here spell a path) or past the
  // end: nothing is read, the paste is refused by name, and the block is left unlocked.
  for (const std::string& offset : {"\xF0\xFF"s, "\x04\0"s}) {
    PutBlockOnClipboard(owner, offset + "\0\0"s + (dir + "in.txt") + std::string(16, '\0') + "C:\\a\0\0"s);
    EXPECT_TRUE(ReadClipboardFiles(owner).malformed);
    log.texts.clear();
    EXPECT_TRUE(commands->Paste("", dir.path()).targets.empty());
    EXPECT_EQ(log.texts, std::vector<std::string>{kMalformedPasteText});
    ASSERT_TRUE(OpenClipboard(owner));
    EXPECT_EQ(GlobalFlags(GetClipboardData(CF_HDROP)) & GMEM_LOCKCOUNT, 0u);
    CloseClipboard();
  }

  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_FALSE(ClipboardHasFiles());
  EXPECT_TRUE(ReadClipboardPaths(owner).empty());
  EXPECT_EQ(commands->Paste("", dir.path()).folder, "");
}

TEST_F(FileCommandsTest, PasteCopiesIntoTheListedFolderOrTheSelectedFolderRow) {
  TempFolder source("velmora-fileops-src");
  MakeFile(source + "a.txt", "aaa");
  MakeFile(source + "表.txt", "bbb");
  CreateDirectoryA((dir + "sub").c_str(), nullptr);
  MakeFile(dir + "file.txt");
  ASSERT_TRUE(commands->CopyToClipboard({source + "a.txt", source + "表.txt"}));

  // A file row selected: into the listed folder, and the rows to refresh are the copies.
  CopyResult r = commands->Paste(dir + "file.txt", dir.path());
  EXPECT_TRUE(r.intoListedFolder);
  EXPECT_EQ(r.targets, (std::vector<std::string>{dir + "a.txt", dir + "表.txt"}));
  EXPECT_EQ(r.shellResult, 0);
  EXPECT_TRUE(IsExistingFile(dir + "a.txt"));
  EXPECT_TRUE(IsExistingFile(dir + "表.txt"));
  EXPECT_TRUE(IsExistingFile(source + "a.txt"));  // copied, not moved

  // A folder row selected: into that folder, no row of the list to refresh.
  r = commands->Paste(dir + "sub", dir.path());
  EXPECT_FALSE(r.intoListedFolder);
  EXPECT_EQ(r.folder, dir + "sub");
  EXPECT_TRUE(IsExistingFile(dir + "sub\\a.txt"));
}

TEST_F(FileCommandsTest, DropsAreReadAndAlwaysReleased) {
  TempFolder source("velmora-fileops-src");
  MakeFile(source + "d.txt");
  CreateDirectoryA((dir + "sub").c_str(), nullptr);

  HDROP taken = MakeDropHandle({source + "d.txt"});
  {
    ShellDrop drop(taken);
    const ShellFileList files = drop.Files();
    EXPECT_EQ(files.paths, std::vector<std::string>{source + "d.txt"});
    const CopyResult r = commands->DropInto(dir.path(), files);
    EXPECT_TRUE(r.intoListedFolder);
    EXPECT_EQ(r.targets, std::vector<std::string>{dir + "d.txt"});
  }
  EXPECT_TRUE(IsExistingFile(dir + "d.txt"));
  EXPECT_EQ(GlobalFlags(taken), static_cast<UINT>(GMEM_INVALID_HANDLE));

  HDROP refused = MakeDropHandle({source + "d.txt"});
  { ShellDrop drop(refused); }
  EXPECT_EQ(GlobalFlags(refused), static_cast<UINT>(GMEM_INVALID_HANDLE));

  // Nothing listed: nothing copied.
  EXPECT_TRUE(commands->DropInto("", ShellFileList{{source + "d.txt"}}).targets.empty());
}

TEST_F(FileCommandsTest, PathsTooLongForTheShellAreRefusedByName) {
  MakeFile(dir + "keep.txt");
  ASSERT_LT(dir.path().size(), kMaxShellPathChars - 10);
  // One character more than the shell's buffers hold; cut, it would be another path.
  const std::string tooLong = dir + std::string(kMaxShellPathChars + 1 - dir.path().size(), 'x');
  const std::string deepFolder = dir + std::string(kMaxShellPathChars - 4 - dir.path().size(), 'y');
  struct Case {
    const char* name;
    std::function<void()> run;
    std::string refused;
  } cases[] = {
      {"open", [&] { EXPECT_EQ(commands->Open(tooLong).kind, OpenResult::kNothing); }, tooLong},
      {"open with", [&] { commands->OpenWith(tooLong); }, tooLong},
      {"properties", [&] { commands->ShowProperties(tooLong); }, tooLong},
      {"copy", [&] { EXPECT_FALSE(commands->CopyToClipboard({dir + "keep.txt", tooLong})); }, tooLong},
      {"delete",
       [&] { EXPECT_EQ(commands->Delete({dir + "keep.txt", tooLong}).outcome, DeleteOutcome::kUnchanged); },
       tooLong},
      {"drop", [&] { EXPECT_TRUE(commands->DropInto(dir.path(), ShellFileList{{tooLong}}).targets.empty()); },
       tooLong},
      // The source fits; its copy in a deep folder would not.
      {"copy into", [&] { EXPECT_TRUE(commands->CopyInto(deepFolder, {dir + "keep.txt"}).targets.empty()); },
       deepFolder + "\\keep.txt"},
  };
  for (const Case& c : cases) {
    log.texts.clear();
    c.run();
    EXPECT_EQ(log.texts, std::vector<std::string>{PathTooLongText(c.refused)}) << c.name;
  }
  EXPECT_TRUE(IsExistingFile(dir + "keep.txt"));
  EXPECT_FALSE(ClipboardHasFiles());
}

TEST_F(FileCommandsTest, DeleteGoesToTheRecycleBin) {
  if (TrashHome().empty()) GTEST_SKIP() << "not under Wine";
  const std::string trash = TrashHome() + "Trash\\files\\";
  const std::string a = dir + "a.txt";
  const std::string folder = dir + "folder";
  MakeFile(a);
  CreateDirectoryA(folder.c_str(), nullptr);
  MakeFile(folder + "\\inner.txt");

  const DeleteResult r = commands->Delete({a, folder});
  EXPECT_EQ(r.outcome, DeleteOutcome::kRemoveRows);
  EXPECT_EQ(r.gone, (std::vector<std::string>{a, folder}));
  EXPECT_FALSE(IsExistingFile(a));
  EXPECT_FALSE(IsExistingFolder(folder));
  EXPECT_TRUE(IsExistingFile(trash + "a.txt"));
  EXPECT_TRUE(IsExistingFile(trash + "folder\\inner.txt"));

  // An error: rows of items still there are refreshed, the others go.
  MakeFile(a);
  const DeleteResult failed = commands->Delete({a, dir + "missing.txt"});
  EXPECT_EQ(failed.outcome, DeleteOutcome::kRefreshRows);
  for (const std::string& p : failed.remaining) EXPECT_TRUE(IsExistingFile(p)) << p;
  for (const std::string& p : failed.gone) EXPECT_FALSE(IsExistingFile(p)) << p;
  EXPECT_EQ(failed.remaining.size() + failed.gone.size(), 2u);

  EXPECT_EQ(commands->Delete({}).outcome, DeleteOutcome::kUnchanged);
}

TEST_F(FileCommandsTest, RenameOnDiskAndTheSystemsRefusal) {
  MakeFile(dir + "a.txt");
  MakeFile(dir + "b.txt");
  RenameRequest request{dir + "a.txt", "a.txt", "x", {dir + "a.txt", dir + "b.txt"}};
  RenameResult r = commands->Rename(request);
  EXPECT_EQ(r.shownText, "x.txt");
  EXPECT_TRUE(IsExistingFile(dir + "x.txt"));
  EXPECT_TRUE(IsExistingFile(dir + "x(01).txt"));
  EXPECT_FALSE(IsExistingFile(dir + "a.txt"));
  EXPECT_TRUE(log.texts.empty());

  // A name the file system refuses: the system's own text, and the file keeps its name.
  request = RenameRequest{dir + "x.txt", "x.txt", "a<b", {dir + "x.txt"}};
  SetLastError(0);
  const BOOL moved = MoveFileA((dir + "x.txt").c_str(), (dir + "a<b.txt").c_str());
  ASSERT_FALSE(moved) << "the file system took a<b.txt";
  const std::string expected = commands->fileSystem().ErrorText(GetLastError());
  r = commands->Rename(request);
  EXPECT_EQ(r.shownText, "x.txt");
  EXPECT_TRUE(r.renamed.empty());
  EXPECT_EQ(log.texts, std::vector<std::string>{expected});
  EXPECT_FALSE(expected.empty());
  EXPECT_TRUE(IsExistingFile(dir + "x.txt"));
}

TEST_F(FileCommandsTest, NewFolderNumbering) {
  CreateDirectoryA((dir + "新しいフォルダ").c_str(), nullptr);
  CreateDirectoryA((dir + "新しいフォルダ1").c_str(), nullptr);
  EXPECT_EQ(commands->CreateNewFolder(dir.path()), dir + "新しいフォルダ2");
  EXPECT_TRUE(IsExistingFolder(dir + "新しいフォルダ2"));

  // A file of that name is not skipped: the creation fails with the message.
  CreateDirectoryA((dir + "f").c_str(), nullptr);
  MakeFile(dir + "f\\新しいフォルダ");
  EXPECT_EQ(commands->CreateNewFolder(dir + "f"), "");
  EXPECT_EQ(log.texts, std::vector<std::string>{"[ " + dir.path() + "f\\新しいフォルダ ]\nフォルダの作成に失敗しました。"});
}

TEST_F(FileCommandsTest, OpenEntersFoldersAndShellFolders) {
  CreateDirectoryA((dir + "sub").c_str(), nullptr);
  OpenResult r = commands->Open(dir + "sub");
  EXPECT_EQ(r.kind, OpenResult::kEnterFolder);
  EXPECT_EQ(r.path, dir + "sub");

  // A shortcut to a folder is entered; the follower gives its target.
  MakeFile(dir + "x.lnk");
  commands->SetLinkFollower([&](std::string& path) {
    path = dir + "sub";
    return 0;
  });
  r = commands->Open(dir + "x.lnk");
  EXPECT_EQ(r.kind, OpenResult::kEnterFolder);
  EXPECT_EQ(r.path, dir + "sub");

  // Neither file nor folder and unknown to the shell: nothing.
  EXPECT_EQ(commands->Open(dir + "missing\\nothing").kind, OpenResult::kNothing);
  // A folder only the shell's namespace knows (the computer's drives) is entered.
  r = commands->Open("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
  EXPECT_EQ(r.kind, OpenResult::kEnterFolder);
}

}  // namespace
}  // namespace velmora
