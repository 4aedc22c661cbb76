// The store's platform pieces on the real calls: the locale's comparisons and the files.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "store/binder_store.h"
#include "support/collation_contract.h"
#include "support/temp_folder.h"
#include "store/win32/win32_collation.h"
#include "win32/win32_file_system.h"

namespace velmora {
namespace {

class Win32CollationTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8"; }
  Win32Collation c;
};

TEST_F(Win32CollationTest, IgnoreCaseAndWordSortFacts) {
  EXPECT_EQ(c.CompareIgnoreCase("Work", "work"), 0);
  EXPECT_EQ(c.CompareIgnoreCase("Ａ", "ａ"), 0);
  EXPECT_EQ(c.CompareIgnoreCase("D:\\ソフト\\Projects", "d:\\ソフト\\PROJECTS"), 0);
  EXPECT_NE(c.CompareIgnoreCase("ア", "ヂ"), 0);
  EXPECT_NE(c.CompareIgnoreCase("ソ", "表"), 0);
  EXPECT_LT(c.CompareIgnoreCase("", "a"), 0);
  // lstrcmpA: "a" before "B", unlike byte order.
  EXPECT_LT(c.Compare("a", "B"), 0);
  EXPECT_GT(c.Compare("B", "a"), 0);
  EXPECT_NE(c.Compare("Work", "work"), 0);
}

TEST_F(Win32CollationTest, KeysAgreeWithTheComparisons) {
  const std::vector<std::string> samples = {
      "", "a", "A", "B", "b", "Work", "work", "work 1", "Work 1", "Ａ", "ａ", "ｱ", "ア", "ヂ",
      "あ", "ソ", "ソフト", "表", "能", "ポ", "C:\\", "a=b", "_x", "10", "9", "D:\\能\\表",
      // Long texts whose keys outgrow the first buffer tried, differing only at the end.
      std::string(260, 'W') + "a", std::string(260, 'W') + "B", std::string(260, 'w') + "a",
      std::string(200, 'W') + "表ソ", std::string(200, 'W') + "表ア"};
  ASSERT_GT(c.SortKey(samples[samples.size() - 5]).size(), 512u);
  ASSERT_GT(c.FoldKey(samples[samples.size() - 5]).size(), 512u);
  collation_contract::ExpectKeysAgreeWithComparisons(c, samples);
  collation_contract::ExpectAppendAndFoldsToAgree(c, samples);
}

TEST_F(Win32CollationTest, IniDocumentFindsKeysInAnyCase) {
  IniDocument doc(c);
  doc.Parse("[Ｗｏｒｋ]\r\nD:\\ソフト\\Ａ=2\r\ncmp=0\r\n");
  EXPECT_EQ(doc.ReadInteger("ｗｏｒｋ", "d:\\ソフト\\ａ", -1), 2);
  EXPECT_FALSE(doc.ReadBool("ＷＯＲＫ", "CMP", true));
  EXPECT_EQ(doc.Text(), "[Ｗｏｒｋ]\r\nD:\\ソフト\\Ａ=2\r\ncmp=0\r\n\r\n");
}

// A fresh folder under the temporary folder, removed with everything in it afterwards.
class Win32FileSystemTest : public ::testing::Test {
 protected:
  test_support::TempFolder folder{"velmora-store"};
  const std::string root = folder.path();

  static void Put(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
  }

  std::string Get(const std::string& path) {
    std::string out;
    EXPECT_TRUE(files.ReadFile(path, out)) << path;
    return out;
  }

  // Names of the files in folder, to see that no temporary file was left behind.
  static std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
  }

  Win32FileSystem files;
};

TEST_F(Win32FileSystemTest, FoldersFilesAndExistence) {
  const std::string deep = root + "a\\ソ\\表";
  EXPECT_FALSE(files.IsExistingFolder(deep));
  ASSERT_TRUE(files.CreateFolderWithParents(deep + "\\"));
  EXPECT_TRUE(files.IsExistingFolder(deep));
  EXPECT_TRUE(files.CreateFolderWithParents(deep));  // already there
  EXPECT_FALSE(files.IsExistingFile(deep));

  const std::string file = deep + "\\能.txt";
  std::string out = "untouched";
  EXPECT_FALSE(files.ReadFile(file, out));
  EXPECT_FALSE(files.IsExistingFile(file));
  const std::string bytes = std::string("ソ表能ポ\r\n\0\xFF", 12);
  ASSERT_TRUE(files.WriteFileReplacing(file, bytes));
  EXPECT_TRUE(files.IsExistingFile(file));
  EXPECT_FALSE(files.IsExistingFolder(file));
  EXPECT_EQ(Get(file), bytes);
  ASSERT_TRUE(files.WriteFileReplacing(file, ""));
  EXPECT_EQ(Get(file), "");
  EXPECT_EQ(Names(deep + "\\"), (std::vector<std::string>{"能.txt"}));
}

TEST_F(Win32FileSystemTest, FailedWriteKeepsTheOldFile) {
  const std::string file = root + "folderlist.ini";
  Put(file, "old");

  {
    // Held open without sharing by someone else: the replacing move cannot happen.
    HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(files.WriteFileReplacing(file, "new"));
    CloseHandle(h);
  }
  EXPECT_EQ(Get(file), "old");
  EXPECT_EQ(Names(root), (std::vector<std::string>{"folderlist.ini"}));

  // A folder in the file's place, and a file in a folder that does not exist.
  ASSERT_TRUE(CreateDirectoryA((root + "taken").c_str(), nullptr));
  EXPECT_FALSE(files.WriteFileReplacing(root + "taken", "x"));
  EXPECT_TRUE(files.IsExistingFolder(root + "taken"));
  EXPECT_FALSE(files.WriteFileReplacing(root + "missing\\x.ini", "x"));
  EXPECT_EQ(Names(root), (std::vector<std::string>{"folderlist.ini"}));
}

TEST_F(Win32FileSystemTest, ReadOnlyFileIsNotReplaced) {
  const std::string file = root + "titlelist.txt";
  Put(file, "A\r\n");
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(files.WriteFileReplacing(file, "B\r\n"));
  EXPECT_EQ(Get(file), "A\r\n");
  EXPECT_EQ(Names(root), (std::vector<std::string>{"titlelist.txt"}));
}

TEST_F(Win32FileSystemTest, StoreRoundTripThroughRealFiles) {
  Win32Collation collation;
  const std::string exeDir = root + "app";
  BinderStore store(collation, files);
  store.SetUpPaths(exeDir, "ユーザー");
  EXPECT_EQ(store.paths().dataFolder, exeDir + "\\data\\");
  EXPECT_TRUE(files.IsExistingFolder(exeDir + "\\data"));
  EXPECT_TRUE(files.IsExistingFolder(exeDir + "\\data\\ユーザー"));
  EXPECT_FALSE(store.Load());

  store.titles.Add("ソフト表");
  store.titles.Add("");
  store.folders.WriteInteger("ソフト表", "D:\\能\\ポ|x=y", 2);
  store.folders.WriteBool("ソフト表", "cmp", true);
  store.folders.WriteInteger(BinderStore::kSettingsSection, BinderStore::kWidthKey, 300);
  store.selections.WriteString("ソフト表-ポ|x=y", "x=y.txt", "");
  EXPECT_TRUE(store.Save().empty());

  EXPECT_EQ(Get(store.paths().titleListPath), "ソフト表\r\n\r\n");
  EXPECT_EQ(Get(store.paths().folderListPath),
            "[ソフト表]\r\nD:\\能\\ポ|x=y=2\r\ncmp=1\r\n\r\n[Orvik]\r\nWID=300\r\n\r\n");
  EXPECT_EQ(Get(store.paths().selectListPath), "[ソフト表-ポ|x=y]\r\nx=y.txt=\r\n\r\n");

  BinderStore again(collation, files);
  again.SetUpPaths(exeDir + "\\", "ユーザー");
  ASSERT_TRUE(again.Load());
  EXPECT_EQ(again.titles.Count(), 2);
  EXPECT_EQ(again.titles.IndexOf("ソフト表"), 0);
  EXPECT_EQ(again.folders.ReadInteger("ソフト表", "d:\\能\\ポ|X=Y", 0), 2);
  EXPECT_TRUE(again.selections.ValueExists("ソフト表-ポ|X=Y", "X=Y.TXT"));

  // One file that cannot be replaced: the other two are still written.
  again.titles.Add("New");
  again.selections.EraseSection("ソフト表-ポ|x=y");
  HANDLE h = CreateFileA(again.paths().selectListPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(again.Save(), (std::vector<std::string>{again.paths().selectListPath}));
  CloseHandle(h);
  EXPECT_EQ(Get(again.paths().titleListPath), "ソフト表\r\n\r\nNew\r\n");
  EXPECT_EQ(Get(again.paths().selectListPath), "[ソフト表-ポ|x=y]\r\nx=y.txt=\r\n\r\n");
}

TEST_F(Win32FileSystemTest, TwoStoresOnTheSameFilesKeepEachOthersChanges) {
  // A window and a registration started from Send To, each saving in turn, twice.
  Win32Collation collation;
  const std::string exeDir = root + "app";
  auto open = [&](BinderStore& store) {
    store.SetUpPaths(exeDir, "u");
    store.Load();
  };
  BinderStore first(collation, files);
  open(first);
  first.titles.Add("ソフト");
  first.folders.WriteString("ソフト", "D:\\a", "0");
  ASSERT_TRUE(first.Save().empty());

  BinderStore window(collation, files), registration(collation, files);
  open(window);
  open(registration);
  window.RenameBinder("ソフト", "表");
  window.folders.WriteInteger(BinderStore::kSettingsSection, BinderStore::kWidthKey, 250);
  registration.folders.WriteString("ソフト", "D:\\sent", "0");
  registration.titles.Add("New");
  registration.folders.WriteString("New", "E:\\n", "0");
  ASSERT_TRUE(registration.Save().empty());
  ASSERT_TRUE(window.Save().empty());
  EXPECT_EQ(Get(first.paths().titleListPath), "表\r\nNew\r\n");
  EXPECT_EQ(Get(first.paths().folderListPath),
            "[表]\r\nD:\\a=0\r\nD:\\sent=0\r\n\r\n[New]\r\nE:\\n=0\r\n\r\n[Orvik]\r\nWID=250\r\n\r\n");
}

TEST_F(Win32FileSystemTest, TheStoreLockIsHeldByOneAtATime) {
  Win32FileSystem impatient(100);
  std::unique_ptr<StoreLock> held = files.LockStore(root);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(impatient.LockStore(root), nullptr);  // waited its time, then gave up
  held.reset();
  EXPECT_NE(impatient.LockStore(root), nullptr);
  // A folder that cannot hold the lock file: no lock, and no wait for one.
  EXPECT_EQ(files.LockStore(root + "missing"), nullptr);
}

// The program's own folder: the helper programs are built beside the tests.
std::string OwnFolder() {
  char exe[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string path = exe;
  return path.substr(0, path.find_last_of('\\') + 1);
}

// Two processes, each loading, changing and saving the store over and over at the same
// time, as a Send To registration finishing while the window closes: no change is lost.
TEST_F(Win32FileSystemTest, TwoProcessesSavingAtOnceLoseNothing) {
  constexpr int kSaves = 80;
  const std::string saver = OwnFolder() + "velmora_store_saver.exe";
  ASSERT_NE(GetFileAttributesA(saver.c_str()), INVALID_FILE_ATTRIBUTES) << saver;
  const std::string exeDir = root + "app";  // no backslash before the closing quote
  const std::string eventName = "velmora-store-saver-" + std::to_string(GetCurrentProcessId());
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
  ASSERT_NE(go, nullptr);
  std::vector<PROCESS_INFORMATION> runs;
  for (const char* binder : {"A", "B"}) {
    std::string line = "\"" + saver + "\" \"" + exeDir + "\" " + binder + " " + std::to_string(kSaves) + " " + eventName;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(saver.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    runs.push_back(pi);
  }
  SetEvent(go);
  HANDLE processes[2] = {runs[0].hProcess, runs[1].hProcess};
  EXPECT_EQ(WaitForMultipleObjects(2, processes, TRUE, 300000), WAIT_OBJECT_0);
  for (const PROCESS_INFORMATION& run : runs) {
    DWORD code = 99;
    GetExitCodeProcess(run.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(run.hProcess);
  }
  CloseHandle(go);

  Win32Collation collation;
  BinderStore store(collation, files);
  store.SetUpPaths(exeDir, "u");
  ASSERT_TRUE(store.Load());
  EXPECT_GE(store.titles.IndexOf("A"), 0);
  EXPECT_GE(store.titles.IndexOf("B"), 0);
  std::vector<std::string> lost;
  for (const char* binder : {"A", "B"})
    for (int i = 0; i < kSaves; ++i) {
      const std::string key = std::string("C:\\") + binder + "\\" + std::to_string(i);
      if (!store.folders.ValueExists(binder, key)) lost.push_back(key);
    }
  EXPECT_TRUE(lost.empty()) << lost.size() << " lost, the first " << lost.front();
}

}  // namespace
}  // namespace velmora
