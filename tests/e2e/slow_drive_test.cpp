// velmora.exe with a folder on a drive that answers slowly or hangs: a FUSE file system that
// waits before every folder look-up, mapped as a network drive in the test prefix. The window
// keeps answering, lists other folders meanwhile, and closes while the drive hangs, saving
// its store. Skipped where FUSE cannot be mounted (it needs root and python3-fusepy).
#include <gtest/gtest.h>

#include "app/win32/control_ids.h"
#include "e2e/app_driver.h"

using e2e::AppDriver;
using e2e::WaitFor;

namespace {

constexpr const char* kDrive = "n:";

class SlowDriveE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string script = e2e::UnixPath(e2e::AppSourceDir() + "..\\..\\..\\tests\\support\\slow_drive.py");
    root_ = e2e::UnixPath(base_.path());
    if (script.empty() || root_.empty()) GTEST_SKIP() << "not under Wine";
    CreateDirectoryA((base_ + "src").c_str(), nullptr);
    CreateDirectoryA((base_ + "src\\share").c_str(), nullptr);
    CreateDirectoryA((base_ + "mnt").c_str(), nullptr);
    for (const char* name : {"src\\share\\a.txt", "src\\share\\b.txt"}) e2e::WriteBytes(base_ + name, "v");
    // Started in the background; its process id is kept to end it.
    e2e::RunUnixProgram({"/bin/sh", "-c",
                         "cd '" + root_ + "' && (/usr/bin/python3 '" + script + "' src mnt 0 >server.log 2>&1 & echo $! >server.pid)"});
    if (!WaitFor([&] { return e2e::RunUnixProgram({"mountpoint", "-q", root_ + "mnt"}); }, std::chrono::seconds(10)))
      GTEST_SKIP() << "FUSE could not be mounted here";
    mounted_ = true;
    ASSERT_TRUE(e2e::RunUnixProgram({"/bin/sh", "-c", "ln -sfn '" + root_ + "mnt' \"${WINEPREFIX:-$HOME/.wine}/dosdevices/" + kDrive + "\""}));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegSetValueExA(key, kDrive, 0, REG_SZ, reinterpret_cast<const BYTE*>("network"), 8);
    RegCloseKey(key);
    local_ = app.appDir() + "local";
    CreateDirectoryA(local_.c_str(), nullptr);
    e2e::WriteBytes(local_ + "\\only.txt", "v");
    app.WriteData("titlelist.txt", "Work\r\n");
    app.WriteData("folderlist.ini", "[Work]\r\nN:\\share=2\r\n" + local_ + "=2\r\ncmp=1\r\n\r\n");
  }
  void TearDown() override {
    if (!mounted_) return;
    SetDelay(0);
    app.Close();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives", 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, kDrive);
      RegCloseKey(key);
    }
    e2e::RunUnixProgram({"/bin/sh", "-c", std::string("rm -f \"${WINEPREFIX:-$HOME/.wine}/dosdevices/") + kDrive +
                                              "\"; fusermount3 -uz '" + root_ + "mnt'; kill $(cat '" + root_ + "server.pid')"});
  }
  // Every folder look-up on the drive waits this long from now on; 0 wakes it up.
  void SetDelay(int seconds) { e2e::WriteBytes(base_ + "delay", std::to_string(seconds)); }
  // The window takes a message within a second, as a window that is not hung does.
  bool Answers() {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(app.window(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0;
  }
  bool AnswersFor(std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < end)
      if (!Answers()) return false;
    return true;
  }

  e2e::TempFolder base_{"velmora-slow-drive"};
  std::string root_, local_;
  bool mounted_ = false;
  AppDriver app;
};

TEST_F(SlowDriveE2E, TheWindowAnswersAndListsAnotherFolderWhileTheDriveIsSlow) {
  SetDelay(4);
  ASSERT_TRUE(app.Start());
  EXPECT_TRUE(AnswersFor(std::chrono::seconds(3)));  // at start, with the folder in the store
  ASSERT_TRUE(app.ClickTreeNode(app.FindTreeNode("share")));
  EXPECT_TRUE(AnswersFor(std::chrono::seconds(2)));
  SetDelay(60);
  ASSERT_TRUE(app.ClickTreeNode(app.FindTreeNode("share")));
  ASSERT_TRUE(app.ClickTreeNode(app.FindTreeNode("local")));
  // Long before the drive answers.
  EXPECT_TRUE(WaitFor([&] { return app.ListColumn(0) == std::vector<std::string>{"only.txt"}; }, std::chrono::seconds(20)));
  ASSERT_TRUE(app.ClickTreeNode(app.FindTreeNode("share")));
  SetDelay(0);
  EXPECT_TRUE(WaitFor([&] { return app.ListColumn(0) == std::vector<std::string>{"a.txt", "b.txt"}; }));
}

TEST_F(SlowDriveE2E, ClosingWhileTheDriveHangsEndsTheProgramAndSavesTheStore) {
  SetDelay(120);
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.ClickTreeNode(app.FindTreeNode("share")));
  ASSERT_TRUE(Answers());
  DeleteFileA(app.dataPath("folderlist.ini").c_str());
  // Close waits at most 30 s for the process, far less than the drive's hang.
  EXPECT_EQ(app.Close(), 0);
  EXPECT_NE(app.ReadData("folderlist.ini").find("N:\\share=2"), std::string::npos);
}

}  // namespace
