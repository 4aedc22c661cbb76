// The send-to submenu over a SendTo folder made by the test: its items, and what each kind
// of entry does with the paths sent to it. The SendTo, desktop and documents folders are
// folders of the test's own; nothing is written to the user's.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/path_lists.h"
#include "shellops/win32/send_to_menu.h"
#include "store/win32/win32_collation.h"
#include "support/recording_prompter.h"
#include "support/redirected_shell_link.h"
#include "support/temp_folder.h"
#include "support/test_files.h"
#include "win32/owned_handle.h"
#include "win32/shell_context.h"

namespace velmora {
namespace {

using test_support::Exists;
using test_support::MakeFile;
using test_support::ReadBytes;

// Names in a folder, "." and ".." aside.
std::set<std::string> Names(const std::string& folder) {
  const std::vector<std::string> names = test_support::FolderNames(folder);
  return std::set<std::string>(names.begin(), names.end());
}

std::string OwnFolder() {
  char buffer[MAX_PATH];
  GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  std::string path = buffer;
  return path.substr(0, path.find_last_of('\\') + 1);
}

bool WaitFor(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(20);
  }
  return true;
}

constexpr int kFirstId = 5000;

class SendToMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
    shell.Start();
    owner = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    files = std::make_unique<FileCommands>(owner, shell, prompter, collation);
    files->SetShellConfirmations(false);
    for (const std::string& folder : {sendTo, desktop, documents, source, sourceSub})
      ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    links.folders[TShellLink::kSendTo] = sendTo;
    links.folders[TShellLink::kDesktop] = desktop;
    links.folders[TShellLink::kDocuments] = documents;
    MakeFile(source + "\\report.txt", "report");
    MakeFile(source + "\\表.txt", "kanji");
    MakeFile(sourceSub + "\\inner.txt", "inner");
    images.Reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4));
    ImageList_AddIcon(images.get(), LoadIcon(nullptr, IDI_APPLICATION));  // pictures the list had before
    menu = CreatePopupMenu();
    SetEnvironmentVariableA("VELMORA_ECHO_FILE", echoFile.c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableA("VELMORA_ECHO_FILE", nullptr);
    DestroyMenu(menu);
    files.reset();
    DestroyWindow(owner);
    shell.Stop();
  }
  // The SendTo folder a user would have: a program (through a shortcut), a folder, the
  // shell's own entries and a hidden desktop.ini.
  void FillSendTo() {
    const std::string echo = OwnFolder() + "velmora_echo_command_line.exe";
    ASSERT_TRUE(Exists(echo)) << echo;
    ASSERT_FALSE(links.CreateLink2(echo, nullptr, sendTo + "\\", "Echo", true).empty());
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(archive.c_str(), nullptr));
    ASSERT_FALSE(links.CreateLink2(archive, nullptr, sendTo + "\\", "Archive", true).empty());
    MakeFile(sendTo + "\\desktop.ini", "[.ShellClassInfo]", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    MakeFile(sendTo + "\\デスクトップ (ショートカットを作成).DeskLink", "");
    MakeFile(sendTo + "\\マイ ドキュメント.mydocs", "");
    MakeFile(sendTo + "\\メール受信者.MAPIMail", "");
    MakeFile(sendTo + "\\Hidden.txt", "", FILE_ATTRIBUTE_HIDDEN);
  }
  int IdOf(const std::string& caption) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      char text[MAX_PATH] = "";
      GetMenuStringA(menu, static_cast<UINT>(i), text, MAX_PATH, MF_BYPOSITION);
      if (caption == text) return static_cast<int>(GetMenuItemID(menu, i));
    }
    ADD_FAILURE() << "no item " << caption;
    return -1;
  }
  std::vector<std::string> Sources() const { return {source + "\\report.txt", source + "\\表.txt", sourceSub}; }

  ShellContext shell;
  Win32Collation collation;
  RecordingPrompter prompter;
  HWND owner = nullptr;
  std::unique_ptr<FileCommands> files;
  RedirectedShellLink links;
  test_support::TempFolder dir{"velmora-sendto"};
  const std::string sendTo = dir + "SendTo";
  const std::string desktop = dir + "Desktop";
  const std::string documents = dir + "Documents";
  const std::string source = dir + "ソース";
  const std::string sourceSub = source + "\\sub folder";
  const std::string target = sendTo + "\\Backup.2024";
  const std::string archive = dir + "Archive";  // reached through a shortcut in SendTo
  const std::string echoFile = dir + "echo.txt";
  ImageList images;
  HMENU menu = nullptr;
};

TEST_F(SendToMenuTest, ItemsMirrorTheVisibleEntries) {
  FillSendTo();
  SendToMenu sendToMenu(links, *files, shell, prompter);
  sendToMenu.Build(menu, images.get(), kFirstId);

  std::multiset<std::string> captions;
  std::vector<std::string> order;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[MAX_PATH] = "";
    GetMenuStringA(menu, static_cast<UINT>(i), text, MAX_PATH, MF_BYPOSITION);
    captions.insert(text);
    EXPECT_EQ(GetMenuItemID(menu, i), static_cast<UINT>(kFirstId + i));
    order.push_back(sendToMenu.Hint(kFirstId + i));
  }
  EXPECT_EQ(captions, (std::multiset<std::string>{"Echo", "Archive", "Backup.2024",
                                                  "デスクトップ (ショートカットを作成)", "マイ ドキュメント",
                                                  "メール受信者"}));
  // The folder's own order, each item's hint its full path.
  std::vector<std::string> listed;
  for (const SendToRow& row : SendToMenu::ListSendToEntries(sendTo)) listed.push_back(row.path);
  EXPECT_EQ(order, listed);
  EXPECT_EQ(sendToMenu.Hint(IdOf("Echo")), sendTo + "\\Echo.lnk");
  EXPECT_EQ(sendToMenu.Hint(IdOf("Backup.2024")), target);
  EXPECT_EQ(sendToMenu.Hint(kFirstId + 6), "");
  EXPECT_FALSE(sendToMenu.Owns(kFirstId - 1));
  EXPECT_FALSE(sendToMenu.Owns(kFirstId + 6));

  // Each entry's icon went to the end of the list; the list's earlier pictures stay where they were.
  ASSERT_EQ(ImageList_GetImageCount(images.get()), 7);
  std::set<int> pictures;
  for (int i = 0; i < 6; ++i) pictures.insert(sendToMenu.Image(kFirstId + i));
  EXPECT_EQ(pictures, (std::set<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(prompter.texts.empty());

  // The items' pictures are drawn by the menu; other items are left to their owner.
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
  HGDIOBJ old = SelectObject(dc, bitmap);
  DRAWITEMSTRUCT item = {};
  item.CtlType = ODT_MENU;
  item.hDC = dc;
  item.rcItem = {0, 0, 16, 16};
  item.itemID = kFirstId;
  EXPECT_TRUE(sendToMenu.DrawItem(item));
  item.itemID = 3005;
  EXPECT_FALSE(sendToMenu.DrawItem(item));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);

  // At most as many items as the caller has ids for.
  HMENU small = CreatePopupMenu();
  SendToMenu capped(links, *files, shell, prompter);
  capped.Build(small, nullptr, kFirstId, 2);
  EXPECT_EQ(GetMenuItemCount(small), 2);
  EXPECT_EQ(capped.Image(kFirstId), -1);  // no picture list, no pictures
  EXPECT_FALSE(capped.Owns(kFirstId + 2));
  DestroyMenu(small);
}

TEST_F(SendToMenuTest, EachKindOfEntryGetsTheRightPaths) {
  FillSendTo();
  SendToMenu sendToMenu(links, *files, shell, prompter);
  sendToMenu.Build(menu, images.get(), kFirstId);
  const std::vector<std::string> paths = Sources();

  // A program, through its shortcut: the quoted paths joined by LF.
  SendOutcome outcome = sendToMenu.Send(IdOf("Echo"), paths, owner);
  EXPECT_TRUE(outcome.sent);
  EXPECT_EQ(outcome.kind, SendToKind::kProgram);
  // The other process may still hold the file for a moment after it appears.
  std::string line;
  ASSERT_TRUE(WaitFor([&] { return !(line = ReadBytes(echoFile)).empty(); }));
  const std::string expected = "\"" + paths[0] + "\"\n\"" + paths[1] + "\"\n\"" + paths[2] + "\"";
  ASSERT_GE(line.size(), expected.size()) << line;
  EXPECT_EQ(line.substr(line.size() - expected.size()), expected) << line;

  // A folder: copies of everything sent, sub-folders with their contents.
  outcome = sendToMenu.Send(IdOf("Backup.2024"), paths, owner);
  EXPECT_TRUE(outcome.sent);
  EXPECT_EQ(outcome.kind, SendToKind::kFolder);
  EXPECT_EQ(Names(target), (std::set<std::string>{"report.txt", "表.txt", "sub folder"}));
  EXPECT_EQ(ReadBytes(target + "\\sub folder\\inner.txt"), "inner");

  // A shortcut to a folder: copies into its target.
  outcome = sendToMenu.Send(IdOf("Archive"), {paths[0]}, owner);
  EXPECT_EQ(outcome.kind, SendToKind::kFolder);
  EXPECT_EQ(outcome.made, archive);
  EXPECT_EQ(Names(archive), (std::set<std::string>{"report.txt"}));

  // The documents entry: copies into the documents folder.
  outcome = sendToMenu.Send(IdOf("マイ ドキュメント"), {paths[1]}, owner);
  EXPECT_EQ(outcome.kind, SendToKind::kMyDocs);
  EXPECT_EQ(Names(documents), (std::set<std::string>{"表.txt"}));

  // The desktop entry: one shortcut, to the first path only; a second one is numbered.
  outcome = sendToMenu.Send(IdOf("デスクトップ (ショートカットを作成)"), paths, owner);
  EXPECT_EQ(outcome.kind, SendToKind::kDeskLink);
  EXPECT_EQ(Names(desktop), (std::set<std::string>{"report へのショートカット.lnk"}));
  std::string resolved;
  EXPECT_EQ(links.GetLinkToPath(desktop + "\\report へのショートカット.lnk", resolved, nullptr), S_OK);
  EXPECT_EQ(resolved, paths[0]);
  sendToMenu.Send(IdOf("デスクトップ (ショートカットを作成)"), {paths[0]}, owner);
  EXPECT_EQ(Names(desktop).size(), 2u);
  EXPECT_TRUE(prompter.texts.empty());

  // Nothing selected: nothing happens.
  EXPECT_FALSE(sendToMenu.Send(IdOf("Backup.2024"), {}, owner).sent);
  EXPECT_FALSE(sendToMenu.Send(IdOf("デスクトップ (ショートカットを作成)"), {}, owner).sent);
  EXPECT_EQ(Names(desktop).size(), 2u);

  // A path too long for the shell: refused by name, and nothing goes anywhere.
  const std::string tooLong = source + "\\" + std::string(kMaxShellPathChars, 'x');
  EXPECT_FALSE(sendToMenu.Send(IdOf("Echo"), {paths[0], tooLong}, owner).sent);
  EXPECT_EQ(prompter.texts, std::vector<std::string>{PathTooLongText(tooLong)});

  // The sources are untouched by all of it.
  EXPECT_EQ(Names(source), (std::set<std::string>{"report.txt", "表.txt", "sub folder"}));
}

TEST_F(SendToMenuTest, MailWithoutAHandlerSaysSoAndChangesNothing) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ".MAPIMail", 0, KEY_READ, &key) == ERROR_SUCCESS) {
    RegCloseKey(key);
    GTEST_SKIP() << "this system has a mail recipient";
  }
  FillSendTo();
  SendToMenu sendToMenu(links, *files, shell, prompter);
  sendToMenu.Build(menu, images.get(), kFirstId);
  const SendOutcome outcome = sendToMenu.Send(IdOf("メール受信者"), Sources(), owner);
  EXPECT_FALSE(outcome.sent);
  EXPECT_EQ(outcome.kind, SendToKind::kMailRecipient);
  ASSERT_EQ(prompter.texts.size(), 1u);
  EXPECT_NE(prompter.texts[0].find("メール"), std::string::npos) << prompter.texts[0];
  EXPECT_TRUE(Names(desktop).empty());
  EXPECT_TRUE(Names(documents).empty());
}

TEST_F(SendToMenuTest, MissingOrEmptyFolderGivesNoItemsAndNoMessage) {
  SendToMenu sendToMenu(links, *files, shell, prompter);
  sendToMenu.Build(menu, images.get(), kFirstId);
  EXPECT_EQ(GetMenuItemCount(menu), 0);
  EXPECT_EQ(sendToMenu.Count(), 0u);
  EXPECT_FALSE(sendToMenu.Send(kFirstId, Sources(), owner).sent);

  links.folders[TShellLink::kSendTo] = dir + "nowhere";
  sendToMenu.Build(menu, images.get(), kFirstId);
  links.folders[TShellLink::kSendTo] = "";
  sendToMenu.Build(menu, images.get(), kFirstId);
  EXPECT_EQ(GetMenuItemCount(menu), 0);
  EXPECT_EQ(ImageList_GetImageCount(images.get()), 1);
  EXPECT_TRUE(prompter.texts.empty());
}

TEST_F(SendToMenuTest, EntryWhoseTargetIsGoneReportsTheShellsError) {
  const std::string doomed = dir + "doomed.exe";
  ASSERT_TRUE(CopyFileA((OwnFolder() + "velmora_echo_command_line.exe").c_str(), doomed.c_str(), FALSE));
  ASSERT_FALSE(links.CreateLink2(doomed, nullptr, sendTo + "\\", "Doomed", true).empty());
  MakeFile(sendTo + "\\Vanishing.exe", "not a program either way");
  SendToMenu sendToMenu(links, *files, shell, prompter);
  sendToMenu.Build(menu, images.get(), kFirstId);
  ASSERT_EQ(sendToMenu.Count(), 2u);
  ASSERT_TRUE(DeleteFileA(doomed.c_str()));
  ASSERT_TRUE(DeleteFileA((sendTo + "\\Vanishing.exe").c_str()));

  // The entry removed after the menu was made: the system's words for a missing file.
  SendOutcome outcome = sendToMenu.Send(IdOf("Vanishing"), Sources(), owner);
  EXPECT_FALSE(outcome.sent);
  ASSERT_EQ(prompter.texts.size(), 1u);
  EXPECT_NE(prompter.texts[0].find("Vanishing.exe"), std::string::npos) << prompter.texts[0];

  // A shortcut whose program is gone.
  outcome = sendToMenu.Send(IdOf("Doomed"), Sources(), owner);
  EXPECT_FALSE(outcome.sent);
  ASSERT_EQ(prompter.texts.size(), 2u);
  EXPECT_NE(prompter.texts[1].find("Doomed.lnk"), std::string::npos) << prompter.texts[1];
  EXPECT_EQ(prompter.texts[1].find("%1"), std::string::npos) << prompter.texts[1];
  EXPECT_FALSE(Exists(echoFile));
  EXPECT_EQ(Names(sendTo), (std::set<std::string>{"Doomed.lnk"}));
  EXPECT_EQ(Names(source), (std::set<std::string>{"report.txt", "表.txt", "sub folder"}));
}

TEST_F(SendToMenuTest, OptionPutsTheProgramsShortcutInAndTakesItOut) {
  const std::string exe = OwnFolder() + "velmora_echo_command_line.exe";
  SendToShortcutOption option(links, exe, "Velmora");
  EXPECT_FALSE(option.Load());
  EXPECT_EQ(option.image(), 26);

  EXPECT_TRUE(option.Toggle(prompter));
  EXPECT_EQ(option.image(), 27);
  EXPECT_EQ(Names(sendTo), (std::set<std::string>{"Velmora.lnk"}));
  std::string resolved;
  EXPECT_EQ(links.GetLinkToPath(sendTo + "\\Velmora.lnk", resolved, nullptr), S_OK);
  EXPECT_EQ(lstrcmpiA(resolved.c_str(), exe.c_str()), 0) << resolved;
  SendToShortcutOption atNextStart(links, exe, "Velmora");
  EXPECT_TRUE(atNextStart.Load());
  const int id = 3005;
  HMENU settings = CreatePopupMenu();
  AppendMenuA(settings, MF_STRING, id, kSendToOptionCaption);
  atNextStart.ShowIn(settings, id);
  EXPECT_TRUE(GetMenuState(settings, id, MF_BYCOMMAND) & MF_CHECKED);

  EXPECT_FALSE(option.Toggle(prompter));
  EXPECT_EQ(option.image(), 26);
  EXPECT_TRUE(Names(sendTo).empty());
  option.ShowIn(settings, id);
  EXPECT_FALSE(GetMenuState(settings, id, MF_BYCOMMAND) & MF_CHECKED);
  DestroyMenu(settings);
  EXPECT_TRUE(prompter.texts.empty());

  // Without a SendTo folder nothing can be written: the mark stays clear and the user hears why.
  links.folders[TShellLink::kSendTo] = dir + "nowhere";
  EXPECT_FALSE(option.Toggle(prompter));
  EXPECT_EQ(prompter.texts.size(), 1u);
}

}  // namespace
}  // namespace velmora
