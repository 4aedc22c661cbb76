// The send-to commands of velmora.exe, driven from this process against a SendTo folder of
// the test's own: copying the selected rows into a folder entry, and the option that puts
// the program's own shortcut into that folder and takes it out again.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>

#include "app/win32/control_ids.h"
#include "e2e/app_driver.h"
#include "e2e/shell_folder_override.h"
#include "support/test_files.h"

#include <shellapi.h>

using e2e::AppDriver;
using e2e::FolderNames;
using e2e::MakeShortcut;
using e2e::ShortcutTarget;
using e2e::WaitFor;

namespace {

std::string OwnFolder() {
  char buffer[MAX_PATH];
  GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  std::string path = buffer;
  return path.substr(0, path.find_last_of('\\') + 1);
}

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM lp) {
  char cls[64] = "";
  GetClassNameA(hwnd, cls, sizeof(cls));
  if (lstrcmpA(cls, velmora::kMainWindowClass) != 0) return TRUE;
  *reinterpret_cast<HWND*>(lp) = hwnd;
  return FALSE;
}

BOOL CALLBACK CollectText(HWND child, LPARAM lp) {
  char text[1024] = "";
  GetWindowTextA(child, text, sizeof(text));
  *reinterpret_cast<std::string*>(lp) += std::string(text) + "\n";
  return TRUE;
}

// Everything a message box says, its button captions included.
std::string BoxText(HWND box) {
  std::string text;
  EnumChildWindows(box, &CollectText, reinterpret_cast<LPARAM>(&text));
  return text;
}

// Ids of the SendTo folder's items, in the folder's order: the hidden desktop.ini between
// "d-" and "e-" is no item.
constexpr int kFolderItem = velmora::IDM_SENDTO_FIRST, kProgramItem = kFolderItem + 1, kDeskLinkItem = kFolderItem + 2,
              kDocumentsItem = kFolderItem + 3, kMailItem = kFolderItem + 4;

class SendToE2E : public ::testing::Test {
 protected:
  SendToE2E() {
    for (const std::string& folder : {sendTo, docs, target, desktop, documents, elsewhere})
      CreateDirectoryA(folder.c_str(), nullptr);
    MakeShortcut(sendTo + "\\b-echo.lnk", OwnFolder() + "velmora_echo_command_line.exe");
    e2e::WriteBytes(sendTo + "\\c-Desktop (create shortcut).DeskLink", "");
    e2e::WriteBytes(sendTo + "\\d-Documents.mydocs", "");
    e2e::WriteBytes(hidden, "[.ShellClassInfo]\r\n");
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    e2e::WriteBytes(sendTo + "\\e-Mail recipient.MAPIMail", "");

    e2e::WriteBytes(docs + "\\a report.txt", "first");
    e2e::WriteBytes(docs + "\\b.dat", "second");
    e2e::WriteBytes(docs + "\\c.txt", "left alone");
    e2e::WriteBytes(elsewhere + "\\deep.txt", "deep");
    MakeShortcut(docs + "\\into.lnk", elsewhere);
    SetEnvironmentVariableA("VELMORA_ECHO_FILE", echoFile.c_str());
  }
  ~SendToE2E() override { SetEnvironmentVariableA("VELMORA_ECHO_FILE", nullptr); }

  // The program with the registered folder listed and its first rows selected.
  void StartListing(int selectedRows) {
    app.WriteData("titlelist.txt", "Work\r\n");
    app.WriteData("folderlist.ini", "[Work]\r\n" + docs + "=0\r\n\r\n");
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.ClickTreeNode(app.FindTreeNode("docs")));
    ASSERT_TRUE(WaitFor([&] { return app.StatusText(1) == docs && app.ListRowCount() == 4; }));
    for (int i = 0; i < selectedRows; ++i) app.SelectListRow(i);
  }

  // The message box the program shows with the caption, once it is there.
  HWND WaitForBox(const std::string& caption) {
    HWND box = nullptr;
    WaitFor([&] { return (box = app.FindWindowOf("#32770", caption)) != nullptr && IsWindowVisible(box); });
    return box;
  }

  AppDriver app;
  const std::string sendTo = app.appDir() + "SendTo";
  const std::string target = sendTo + "\\a-保管 先";
  const std::string hidden = sendTo + "\\desktop.ini";
  const std::string docs = app.appDir() + "docs";
  const std::string elsewhere = app.appDir() + "elsewhere";  // reached through docs\into.lnk
  const std::string desktop = app.appDir() + "Desktop";
  const std::string documents = app.appDir() + "Documents";
  const std::string echoFile = app.appDir() + "echo.txt";
  // Made after the folders they point at; put back before those are removed.
  e2e::ShellFolderOverride sendToFolder{"SendTo", sendTo};
  e2e::ShellFolderOverride desktopFolder{"Desktop", desktop};
  e2e::ShellFolderOverride documentsFolder{"Personal", documents};
};

TEST_F(SendToE2E, FolderEntryReceivesCopiesOfTheSelectedRows) {
  StartListing(2);
  PostMessageA(app.window(), WM_COMMAND, kFolderItem, 0);
  ASSERT_TRUE(WaitFor([&] { return e2e::ReadBytes(target + "\\b.dat") == "second"; }));
  EXPECT_EQ(e2e::ReadBytes(target + "\\a report.txt"), "first");
  EXPECT_EQ(FolderNames(target), (std::vector<std::string>{"a report.txt", "b.dat"}));
  // Copies, not moves.
  EXPECT_EQ(FolderNames(docs), (std::vector<std::string>{"a report.txt", "b.dat", "c.txt", "into.lnk"}));

  // Rows of a folder entered through a shortcut are sent from where they really are.
  for (int i = 0; i < 4; ++i) app.SetListViewRowSelected(app.Control(velmora::IDC_LIST), i, i == 3);
  app.PressKey(app.Control(velmora::IDC_LIST), VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return app.ListColumn(0) == std::vector<std::string>{"deep.txt"}; }));
  app.SelectListRow(0);
  PostMessageA(app.window(), WM_COMMAND, kFolderItem, 0);
  ASSERT_TRUE(WaitFor([&] { return e2e::ReadBytes(target + "\\deep.txt") == "deep"; }));
  EXPECT_EQ(FolderNames(target), (std::vector<std::string>{"a report.txt", "b.dat", "deep.txt"}));
  ASSERT_EQ(app.Close(), 0);
}

// A name the code page cannot spell reaches the program as itself, not as a look-alike.
TEST_F(SendToE2E, TheProgramReceivesANameBeyondTheCodePageAsItIs) {
  const std::wstring wideDocs(docs.begin(), docs.end());  // the test's folders are ASCII
  const std::wstring path = wideDocs + L"\\" + L"café ☕.txt";
  test_support::MakeFile(path, "accented");
  app.WriteData("titlelist.txt", "Work\r\n");
  app.WriteData("folderlist.ini", "[Work]\r\n" + docs + "=0\r\n\r\n");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.ClickTreeNode(app.FindTreeNode("docs")));
  ASSERT_TRUE(WaitFor([&] { return app.ListRowCount() == 5; }));
  for (int i = 0; i < 5; ++i) app.SelectListRow(i);
  PostMessageA(app.window(), WM_COMMAND, kProgramItem, 0);
  ASSERT_TRUE(WaitFor([&] { return e2e::Exists(echoFile); }));
  const std::string bytes = e2e::ReadBytes(echoFile + ".utf16");
  const std::wstring line(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
  EXPECT_NE(line.find(L"\"" + path + L"\""), std::wstring::npos);
  ASSERT_EQ(app.Close(), 0);
}

TEST_F(SendToE2E, ProgramDesktopAndDocumentsEntries) {
  StartListing(2);
  const std::string first = docs + "\\a report.txt", second = docs + "\\b.dat";

  // The program's command line ends with the quoted paths joined by a line feed.
  PostMessageA(app.window(), WM_COMMAND, kProgramItem, 0);
  ASSERT_TRUE(WaitFor([&] { return e2e::Exists(echoFile); }));
  const std::string line = e2e::ReadBytes(echoFile);
  const std::string parameters = "\"" + first + "\"\n\"" + second + "\"";
  ASSERT_GE(line.size(), parameters.size());
  EXPECT_EQ(line.substr(line.size() - parameters.size()), parameters) << line;

  // One desktop shortcut, to the first row only.
  const std::string shortcut = desktop + "\\a report へのショートカット.lnk";
  PostMessageA(app.window(), WM_COMMAND, kDeskLinkItem, 0);
  ASSERT_TRUE(WaitFor([&] { return e2e::Exists(shortcut) && !ShortcutTarget(shortcut).empty(); }));
  EXPECT_EQ(ShortcutTarget(shortcut), first);
  EXPECT_EQ(FolderNames(desktop).size(), 1u);

  // Copies into the documents folder.
  PostMessageA(app.window(), WM_COMMAND, kDocumentsItem, 0);
  ASSERT_TRUE(WaitFor([&] { return e2e::ReadBytes(documents + "\\b.dat") == "second"; }));
  EXPECT_EQ(FolderNames(documents), (std::vector<std::string>{"a report.txt", "b.dat"}));
  EXPECT_TRUE(FolderNames(target).empty());
  ASSERT_EQ(app.Close(), 0);
}

TEST_F(SendToE2E, MailRecipientWithoutAHandlerSaysSoAndSendsNothing) {
  StartListing(1);
  PostMessageA(app.window(), WM_COMMAND, kMailItem, 0);
  HWND box = WaitForBox("送る");
  ASSERT_NE(box, nullptr);
  EXPECT_NE(BoxText(box).find("メールの送信先を扱うプログラムが見つかりません。"), std::string::npos) << BoxText(box);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
  EXPECT_TRUE(FolderNames(target).empty());
  EXPECT_TRUE(FolderNames(desktop).empty());
  EXPECT_TRUE(FolderNames(documents).empty());
  EXPECT_FALSE(e2e::Exists(echoFile));
  ASSERT_EQ(app.Close(), 0);
}

TEST_F(SendToE2E, MissingSendToFolderGivesNoItemsAndNoMessage) {
  e2e::ShellFolderOverride missing{"SendTo", app.appDir() + "no such folder"};
  StartListing(1);
  // Handled at once: no message box holds the command up.
  DWORD_PTR result = 0;
  EXPECT_NE(SendMessageTimeoutA(app.window(), WM_COMMAND, kFolderItem, 0, SMTO_ABORTIFHUNG, 10000, &result), 0);
  EXPECT_EQ(app.FindWindowOf("#32770", "送る"), nullptr);
  EXPECT_TRUE(FolderNames(target).empty());
  ASSERT_EQ(app.Close(), 0);
}

TEST_F(SendToE2E, OptionCreatesAndDeletesTheProgramsShortcut) {
  const std::string link = sendTo + "\\Velmora.lnk";
  ASSERT_TRUE(app.Start());
  PostMessageA(app.window(), WM_COMMAND, velmora::IDM_SENDTO_OPTION, 0);
  ASSERT_TRUE(WaitFor([&] { return e2e::Exists(link) && !ShortcutTarget(link).empty(); }));
  EXPECT_EQ(lstrcmpiA(ShortcutTarget(link).c_str(), (app.appDir() + "velmora.exe").c_str()), 0) << ShortcutTarget(link);

  PostMessageA(app.window(), WM_COMMAND, velmora::IDM_SENDTO_OPTION, 0);
  ASSERT_TRUE(WaitFor([&] { return !e2e::Exists(link); }));
  ASSERT_EQ(app.Close(), 0);

  // Across runs: the mark is read from the folder at start, so the first click of the next
  // run takes the shortcut away.
  ASSERT_TRUE(app.Start());
  PostMessageA(app.window(), WM_COMMAND, velmora::IDM_SENDTO_OPTION, 0);
  ASSERT_TRUE(WaitFor([&] { return e2e::Exists(link); }));
  ASSERT_EQ(app.Close(), 0);
  ASSERT_TRUE(app.Start());
  PostMessageA(app.window(), WM_COMMAND, velmora::IDM_SENDTO_OPTION, 0);
  ASSERT_TRUE(WaitFor([&] { return !e2e::Exists(link); }));
  ASSERT_EQ(app.Close(), 0);
}

// While a menu is open, an entry's item names the entry in the status bar and any other item
// its command's hint.
TEST_F(SendToE2E, AHighlightedEntryShowsItsPathAndOtherItemsTheirHints) {
  ASSERT_TRUE(app.Start());
  const HWND main = app.window();
  auto highlight = [&](int id) {
    PostMessageA(main, WM_MENUSELECT, MAKEWPARAM(id, MF_HILITE), reinterpret_cast<LPARAM>(GetMenu(main)));
  };
  highlight(kFolderItem);
  EXPECT_TRUE(WaitFor([&] { return app.StatusText(1) == target; })) << app.StatusText(1);
  highlight(velmora::IDM_NEW_BINDER);
  EXPECT_TRUE(WaitFor([&] { return app.StatusText(1) == "バインダーを新規で作成する"; })) << app.StatusText(1);
  ASSERT_EQ(app.Close(), 0);
}

TEST_F(SendToE2E, TheProgramsShortcutStartsItWithTheSentFolders) {
  app.WriteData("titlelist.txt", "Work\r\n");
  ASSERT_TRUE(app.Start());
  PostMessageA(app.window(), WM_COMMAND, velmora::IDM_SENDTO_OPTION, 0);
  const std::string link = sendTo + "\\Velmora.lnk";
  ASSERT_TRUE(WaitFor([&] { return e2e::Exists(link) && !ShortcutTarget(link).empty(); }));
  ASSERT_EQ(app.Close(), 0);

  // Started through the shortcut with a folder, as the shell's Send To does: the program
  // runs with its own data, keeps its window hidden and files the folder into a binder.
  const std::string parameters = "\"" + docs + "\"";
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.lpFile = link.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  ASSERT_TRUE(ShellExecuteExA(&info));
  HWND started = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    started = nullptr;
    EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&started));
    return started != nullptr;
  }));
  DWORD pid = 0;
  GetWindowThreadProcessId(started, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
  ASSERT_NE(process, nullptr);
  char image[MAX_PATH] = "";
  DWORD size = MAX_PATH;
  QueryFullProcessImageNameA(process, 0, image, &size);
  EXPECT_EQ(lstrcmpiA(image, (app.appDir() + "velmora.exe").c_str()), 0) << image;
  EXPECT_FALSE(IsWindowVisible(started));
  // Registration mode asks which binder gets the folder: "Work", then OK.
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (dialog = e2e::FindVisibleWindow(pid, "TBinderAddDlg")) != nullptr; }));
  SendMessageA(GetDlgItem(dialog, 102), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Work"));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  // The folder is filed, the store saved, and the process ends by itself.
  EXPECT_EQ(WaitForSingleObject(process, 30000), WAIT_OBJECT_0);
  CloseHandle(process);
  EXPECT_FALSE(IsWindow(started));
  const std::string folders = app.ReadData("folderlist.ini");
  const std::size_t work = folders.find("[Work]\r\n");
  const std::size_t filed = folders.find("\r\n" + docs + "=0\r\n");
  EXPECT_TRUE(work != std::string::npos && filed != std::string::npos && work < filed &&
              folders.find("\r\n[", work + 1) > filed)
      << folders;
}

}  // namespace
