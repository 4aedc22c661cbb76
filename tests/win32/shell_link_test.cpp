// Shortcut files made, found, resolved and deleted for real, in temporary folders only: the
// special folders the tests write to are pointed at folders of their own.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "support/redirected_shell_link.h"
#include "support/temp_folder.h"
#include "support/test_files.h"
#include "win32/shell_link.h"
#include "win32/win32_file_system.h"

namespace velmora {
namespace {

using test_support::Exists;
using test_support::MakeFile;

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

class ShellLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
    MakeFile(temp + "report.txt");
    ASSERT_TRUE(CreateDirectoryA((temp + "my.dir").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(links.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(sendTo.c_str(), nullptr));
    shell.folders[TShellLink::kSendTo] = sendTo;
  }
  std::string Resolved(const std::string& link) {
    std::string target;
    EXPECT_EQ(shell.GetLinkToPath(link, target, nullptr), S_OK) << link;
    return target;
  }

  test_support::TempFolder temp{"velmora-links"};
  const std::string links = temp + "links";
  const std::string sendTo = temp + "送る";
  RedirectedShellLink shell;
};

TEST_F(ShellLinkTest, SpecialFolders) {
  char buffer[MAX_PATH];
  GetWindowsDirectoryA(buffer, MAX_PATH);
  EXPECT_TRUE(SamePath(shell.GetPath(TShellLink::kWindows), buffer));
  GetSystemDirectoryA(buffer, MAX_PATH);
  EXPECT_TRUE(SamePath(shell.GetPath(TShellLink::kSystem), buffer));
  TShellLink real;
  for (int csidl : {TShellLink::kDesktop, TShellLink::kDocuments, TShellLink::kSendTo})
    EXPECT_FALSE(real.GetPath(csidl).empty()) << csidl;  // read only: nothing is written there
  EXPECT_EQ(real.GetPath(0x7ff0), "");
  EXPECT_TRUE(real.GetCodeToItemIdList(TShellLink::kDocuments));
  EXPECT_FALSE(real.GetCodeToItemIdList(0x7ff0));
  HICON icon = reinterpret_cast<HICON>(1);
  EXPECT_FALSE(real.GetNameOrHandIcon(TShellLink::kDocuments, icon, true).empty());
  if (icon) DestroyIcon(icon);
  EXPECT_EQ(real.GetNameOrHandIcon(0x7ff0, icon, false), "");
  EXPECT_EQ(icon, nullptr);
  LPITEMIDLIST pidl = nullptr;
  ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, TShellLink::kDocuments, &pidl)));
  EXPECT_TRUE(TShellLink::ItemIdListFree(pidl));
}

TEST_F(ShellLinkTest, CreatesNamedAndNumberedShortcutsThatResolveToTheirTargets) {
  const std::string file = temp + "report.txt", folder = temp + "my.dir";
  EXPECT_EQ(shell.CreateLink2(file, nullptr, links, "", false), links + "\\report.lnk");
  EXPECT_EQ(shell.CreateLink2(file, nullptr, links + "\\", "", false), links + "\\report(1).lnk");
  EXPECT_EQ(shell.CreateLink2(file, nullptr, links, "", false), links + "\\report(2).lnk");
  // Overwriting replaces the plain name: now it leads to the folder.
  EXPECT_EQ(shell.CreateLink2(folder, nullptr, links, "report", true), links + "\\report.lnk");
  EXPECT_TRUE(SamePath(Resolved(links + "\\report.lnk"), folder));
  EXPECT_TRUE(SamePath(Resolved(links + "\\report(2).lnk"), file));
  EXPECT_EQ(shell.CreateLink2(folder, nullptr, links, "", false), links + "\\my.lnk");
  const std::string notes = shell.CreateLink2(file, nullptr, links, "Notes 1.2", false);
  EXPECT_EQ(notes, links + "\\Notes 1．2.lnk");
  EXPECT_TRUE(Exists(notes));
  EXPECT_EQ(shell.CreateLink2(file, nullptr, links, "ソ\\表|a:b", false), links + "\\ソ￥表｜a：b.lnk");

  // Nothing to point at, or nowhere to put it: nothing is written.
  EXPECT_EQ(shell.CreateLink2(temp + "missing.txt", nullptr, links, "", false), "");
  EXPECT_EQ(shell.CreateLink2("", nullptr, links, "x", false), "");
  EXPECT_EQ(shell.CreateLink2(file, nullptr, "", "x", false), "");
  EXPECT_EQ(shell.CreateLink2(file, nullptr, temp + "no such folder", "x", false), "");
  EXPECT_FALSE(Exists(links + "\\missing.lnk"));
}

TEST_F(ShellLinkTest, ShortcutToAShellItem) {
  LPITEMIDLIST pidl = nullptr;
  const std::string folder = temp + "my.dir";
  std::wstring wide(folder.size() + 1, L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1);
  ASSERT_TRUE(SUCCEEDED(SHParseDisplayName(wide.c_str(), nullptr, &pidl, 0, nullptr)));
  // A folder keeps its whole name, made safe.
  const std::string link = shell.CreateLink2("", pidl, links, "", false);
  CoTaskMemFree(pidl);
  EXPECT_EQ(link, links + "\\my．dir.lnk");
  EXPECT_TRUE(SamePath(Resolved(link), folder));
  ItemIdList target = shell.GetLinkToItemId(link, nullptr);
  ASSERT_TRUE(target);
  char path[MAX_PATH] = "";
  ASSERT_TRUE(SHGetPathFromIDListA(target.get(), path));
  EXPECT_TRUE(SamePath(path, folder));
  EXPECT_FALSE(shell.GetLinkToItemId(temp + "report.txt", nullptr));
}

TEST_F(ShellLinkTest, ResolvingLeavesAnythingButAWorkingShortcutAsItIs) {
  std::string target;
  const std::string file = temp + "report.txt";
  EXPECT_TRUE(FAILED(shell.GetLinkToPath(file, target, nullptr)));
  EXPECT_EQ(target, file);
  EXPECT_TRUE(FAILED(shell.GetLinkToPath(temp + "none.lnk", target, nullptr)));
  EXPECT_EQ(target, temp + "none.lnk");
  MakeFile(temp + "fake.lnk", "not a shortcut");
  EXPECT_TRUE(FAILED(shell.GetLinkToPath(temp + "fake.lnk", target, nullptr)));
  EXPECT_EQ(target, temp + "fake.lnk");

  MakeFile(temp + "gone.txt");
  const std::string link = shell.CreateLink2(temp + "gone.txt", nullptr, links, "", false);
  ASSERT_FALSE(link.empty());
  ASSERT_TRUE(DeleteFileA((temp + "gone.txt").c_str()));
  shell.GetLinkToPath(link, target, nullptr);
  EXPECT_EQ(target, link);

  // What the binder commands see: a shortcut to a folder is that folder.
  Win32FileSystem source;
  source.ResolveShortcutsWith(shell);
  const std::string folderLink = shell.CreateLink2(temp + "my.dir", nullptr, links, "", false);
  EXPECT_TRUE(SamePath(source.ResolveShortcut(folderLink), temp + "my.dir"));
  EXPECT_EQ(source.ResolveShortcut(file), file);
  EXPECT_TRUE(source.IsExistingFolder(temp + "my.dir"));
  EXPECT_FALSE(source.IsExistingFolder(file));
}

TEST_F(ShellLinkTest, CheckAndDeleteTheProgramsOwnShortcutByName) {
  const std::string program = temp + "prog.exe";
  MakeFile(program);
  EXPECT_FALSE(shell.ChkLink(program, nullptr, "Velmora 1.0", TShellLink::kSendTo));
  EXPECT_EQ(shell.CreateLink(program, nullptr, TShellLink::kSendTo, "Velmora 1.0", true),
            sendTo + "\\Velmora 1．0.lnk");
  EXPECT_TRUE(shell.ChkLink(program, nullptr, "Velmora 1.0", TShellLink::kSendTo));
  // Named after the target, it counts too; the check never writes.
  EXPECT_EQ(shell.CreateLink(program, nullptr, TShellLink::kSendTo, "", false), sendTo + "\\prog.lnk");
  EXPECT_TRUE(shell.ChkLink(program, nullptr, "", TShellLink::kSendTo));
  EXPECT_FALSE(Exists(sendTo + "\\prog(1).lnk"));

  shell.DeleteLink(TShellLink::kSendTo, program, "Velmora 1.0");
  EXPECT_FALSE(Exists(sendTo + "\\prog.lnk"));
  EXPECT_TRUE(Exists(sendTo + "\\Velmora 1．0.lnk"));
  shell.DeleteLink(TShellLink::kSendTo, program, "Velmora 1.0");
  EXPECT_FALSE(Exists(sendTo + "\\Velmora 1．0.lnk"));
  EXPECT_FALSE(shell.ChkLink(program, nullptr, "Velmora 1.0", TShellLink::kSendTo));
  shell.DeleteLink(TShellLink::kSendTo, program, "Velmora 1.0");  // nothing left: silent

  // A special folder without a path: nothing is looked for or written anywhere.
  shell.folders[TShellLink::kSendTo] = "";
  EXPECT_EQ(shell.CreateLink(program, nullptr, TShellLink::kSendTo, "Velmora", true), "");
  EXPECT_FALSE(shell.ChkLink(program, nullptr, "Velmora", TShellLink::kSendTo));
}

TEST_F(ShellLinkTest, FindAndDeleteShortcutsByTargetOrName) {
  const std::string program = sendTo + "\\prog.exe";  // the target itself lies there too
  MakeFile(program);
  MakeFile(sendTo + "\\Velmora.txt");
  ASSERT_FALSE(shell.CreateLink2(program, nullptr, sendTo, "any", false).empty());
  ASSERT_FALSE(shell.CreateLink2(temp + "report.txt", nullptr, sendTo, "xVelmorax", false).empty());
  EXPECT_TRUE(shell.ChkLinkOrDel(program, "", TShellLink::kSendTo, false));
  EXPECT_TRUE(Exists(sendTo + "\\any.lnk"));
  EXPECT_TRUE(shell.ChkLinkOrDel(program, "", TShellLink::kSendTo, true));
  EXPECT_FALSE(Exists(sendTo + "\\any.lnk"));
  EXPECT_TRUE(Exists(program));
  EXPECT_FALSE(shell.ChkLinkOrDel(program, "", TShellLink::kSendTo, true));
  EXPECT_TRUE(shell.ChkLinkFileOrDel(sendTo, "Velmora", true));
  EXPECT_FALSE(Exists(sendTo + "\\xVelmorax.lnk"));
  EXPECT_TRUE(Exists(sendTo + "\\Velmora.txt"));
  EXPECT_FALSE(shell.ChkLinkFileOrDel(sendTo, "Velmora", false));
  EXPECT_FALSE(shell.ChkLinkFileOrDel(temp + "no such folder", "Velmora", false));
}

}  // namespace
}  // namespace velmora
