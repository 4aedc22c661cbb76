// The send-to commands of velmora.exe, driven from this process against a SendTo folder of
// the test's own: copying the selected rows into a folder entry, and the option that puts
// the program's own shortcut into that folder and takes it out again.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include "app/win32/control_ids.h"
#include "e2e/app_driver.h"
#include "e2e/shell_folder_override.h"

using e2e::AppDriver;
using e2e::WaitFor;

namespace {

// The target of a shortcut file; empty when it cannot be read.
std::string LinkTarget(const std::string& link) {
  std::string target;
  const HRESULT init = CoInitialize(nullptr);
  IShellLinkA* shellLink = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&shellLink)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      wchar_t wide[MAX_PATH];
      MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
      char path[MAX_PATH] = "";
      if (SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0)))
        target = path;
      file->Release();
    }
    shellLink->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return target;
}

class SendToE2E : public ::testing::Test {
 protected:
  SendToE2E() {
    CreateDirectoryA(sendTo.c_str(), nullptr);
    CreateDirectoryA(docs.c_str(), nullptr);
  }

  // The program with one registered folder listed and its first rows selected.
  void StartListing(int selectedRows) {
    app.WriteData("titlelist.txt", "Work\r\n");
    app.WriteData("folderlist.ini", "[Work]\r\n" + docs + "=0\r\n\r\n");
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.ClickTreeNode(app.FindTreeNode("docs")));
    ASSERT_TRUE(WaitFor([&] { return app.StatusText(1) == docs && app.ListRowCount() > 0; }));
    for (int i = 0; i < selectedRows; ++i) app.SelectListRow(i);
  }

  AppDriver app;
  const std::string sendTo = app.appDir() + "SendTo";
  const std::string docs = app.appDir() + "docs";
  // Made after the folders it points at; put back before they are removed.
  e2e::ShellFolderOverride sendToFolder{"SendTo", sendTo};
};

TEST_F(SendToE2E, FolderEntryReceivesCopiesOfTheSelectedRows) {
  // A hidden entry sorted first is no item, so the folder is the first one.
  const std::string hidden = sendTo + "\\desktop.ini";
  e2e::WriteFileBytes(hidden, "[.ShellClassInfo]\r\n");
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  const std::string target = sendTo + "\\保管 先";
  CreateDirectoryA(target.c_str(), nullptr);
  e2e::WriteFileBytes(docs + "\\a report.txt", "first");
  e2e::WriteFileBytes(docs + "\\b.dat", "second");
  e2e::WriteFileBytes(docs + "\\c.txt", "left alone");

  StartListing(2);
  PostMessageA(app.window(), WM_COMMAND, velmora::IDM_SENDTO_FIRST, 0);
  ASSERT_TRUE(WaitFor([&] { return e2e::FileExists(target + "\\b.dat"); }));
  ASSERT_TRUE(WaitFor([&] { return e2e::ReadFileBytes(target + "\\b.dat") == "second"; }));
  EXPECT_EQ(e2e::ReadFileBytes(target + "\\a report.txt"), "first");
  EXPECT_FALSE(e2e::FileExists(target + "\\c.txt"));
  // Copies, not moves; the hidden entry was never a target.
  EXPECT_EQ(e2e::ReadFileBytes(docs + "\\a report.txt"), "first");
  EXPECT_EQ(e2e::ReadFileBytes(hidden), "[.ShellClassInfo]\r\n");

  // An id past the entries does nothing.
  PostMessageA(app.window(), WM_COMMAND, velmora::IDM_SENDTO_FIRST + 1, 0);
  ASSERT_EQ(app.Close(), 0);
}

TEST_F(SendToE2E, OptionCreatesAndDeletesTheProgramsShortcut) {
  const std::string link = sendTo + "\\Velmora.lnk";
  ASSERT_TRUE(app.Start());
  PostMessageA(app.window(), WM_COMMAND, velmora::IDM_SENDTO_OPTION, 0);
  ASSERT_TRUE(WaitFor([&] { return e2e::FileExists(link) && !LinkTarget(link).empty(); }));
  EXPECT_EQ(lstrcmpiA(LinkTarget(link).c_str(), (app.appDir() + "velmora.exe").c_str()), 0) << LinkTarget(link);

  PostMessageA(app.window(), WM_COMMAND, velmora::IDM_SENDTO_OPTION, 0);
  ASSERT_TRUE(WaitFor([&] { return !e2e::FileExists(link); }));
  ASSERT_EQ(app.Close(), 0);

  // Across runs: made in one, taken away by the first click of the next.
  ASSERT_TRUE(app.Start());
  PostMessageA(app.window(), WM_COMMAND, velmora::IDM_SENDTO_OPTION, 0);
  ASSERT_TRUE(WaitFor([&] { return e2e::FileExists(link); }));
  ASSERT_EQ(app.Close(), 0);
  ASSERT_TRUE(app.Start());
  PostMessageA(app.window(), WM_COMMAND, velmora::IDM_SENDTO_OPTION, 0);
  ASSERT_TRUE(WaitFor([&] { return !e2e::FileExists(link); }));
  ASSERT_EQ(app.Close(), 0);
}

}  // namespace
