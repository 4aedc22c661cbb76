// Folders sent to velmora.exe on its command line (the registration dialog driven from this
// process) and the companion program's WM_COPYDATA requests, from a window of this process.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <thread>

#include "app/win32/control_ids.h"
#include "e2e/app_driver.h"
#include "support/companion_window.h"

using e2e::AppDriver;
using e2e::TempFolder;
using e2e::MakeShortcut;
using e2e::WaitFor;

namespace {

constexpr const char* kDialogClass = "TBinderAddDlg";
constexpr int kBinderListId = 101;
constexpr int kNameBoxId = 102;

// Another velmora.exe in an application folder, ended at the latest with the test.
class Launched {
 public:
  Launched(const std::string& appDir, const std::string& arguments) {
    std::string command = "\"" + appDir + "velmora.exe\" " + arguments;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    started_ = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, appDir.c_str(), &si, &pi_) != 0;
  }
  ~Launched() {
    if (!started_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(pi_.hProcess, 99);
      WaitForSingleObject(pi_.hProcess, 10000);
    }
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
  bool started() const { return started_; }
  DWORD pid() const { return pi_.dwProcessId; }
  // True when the process ended in time with exit code 0.
  bool EndsCleanly(DWORD ms = 30000) const {
    if (WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return false;
    DWORD code = 1;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code == 0;
  }
  bool Running() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

 private:
  PROCESS_INFORMATION pi_ = {};
  bool started_ = false;
};

struct FindContext {
  DWORD pid;
  const char* cls;
  const char* caption;
  HWND found;
};

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lp) {
  auto* ctx = reinterpret_cast<FindContext*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = "", caption[256] = "";
  GetClassNameA(hwnd, cls, sizeof(cls));
  GetWindowTextA(hwnd, caption, sizeof(caption));
  if (pid == ctx->pid && lstrcmpA(cls, ctx->cls) == 0 && (!ctx->caption || lstrcmpA(caption, ctx->caption) == 0) &&
      IsWindowVisible(hwnd)) {
    ctx->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindShown(DWORD pid, const char* cls, const char* caption = nullptr) {
  FindContext ctx{pid, cls, caption, nullptr};
  EnumWindows(&FindTopLevel, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

HWND WaitShown(DWORD pid, const char* cls, const char* caption = nullptr) {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindShown(pid, cls, caption)) != nullptr; });
  return found;
}

std::string TextOf(HWND hwnd) {
  char text[512] = "";
  SendMessageA(hwnd, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
  return text;
}

void Type(HWND dialog, const std::string& name) {
  SendMessageA(GetDlgItem(dialog, kNameBoxId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

// A pick in the dropped-down list: the entry at index becomes the selection.
void Pick(HWND dialog, int index) {
  HWND list = GetDlgItem(dialog, kBinderListId);
  SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kBinderListId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void Press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Confirms a name the binders do not have, and answers the new-binder question; false when
// no question came.
bool ConfirmNewBinder(DWORD pid, HWND dialog, const std::string& name, int answer) {
  Type(dialog, name);
  Press(dialog, IDOK);
  HWND question = WaitShown(pid, "#32770", "作成確認");
  if (question) PostMessageA(question, WM_COMMAND, static_cast<WPARAM>(answer), 0);
  return question != nullptr;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(RegistrationMode, FoldersAndAShortcutsTargetGoIntoThePickedBinder) {
  AppDriver app;
  TempFolder content("velmora-e2e-content");
  for (const char* name : {"One", "Two", "Three"}) CreateDirectoryA((content + name).c_str(), nullptr);
  e2e::WriteBytes(content + "note.txt", "x");
  ASSERT_TRUE(MakeShortcut(content + "three.lnk", content + "Three"));
  app.WriteData("titlelist.txt", "Work\r\nArchive\r\n");
  app.WriteData("folderlist.ini", "[Work]\r\ncmp=0\r\n\r\n");
  Launched run(app.appDir(), Quoted(content + "One") + " " + Quoted(content + "note.txt") + " " +
                                 Quoted(content + "Two") + " " + Quoted(content + "three.lnk"));
  ASSERT_TRUE(run.started());
  HWND dialog = WaitShown(run.pid(), kDialogClass, "Velmora へのフォルダ登録");
  ASSERT_NE(dialog, nullptr);
  // The main window exists but is never shown.
  EXPECT_EQ(FindShown(run.pid(), velmora::kMainWindowClass), nullptr);
  HWND list = GetDlgItem(dialog, kBinderListId);
  EXPECT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 2);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
  Pick(dialog, 1);  // sorted: Archive, Work
  EXPECT_EQ(TextOf(GetDlgItem(dialog, kNameBoxId)), "Work");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
  Press(dialog, IDOK);
  ASSERT_TRUE(run.EndsCleanly());
  EXPECT_EQ(app.ReadData("titlelist.txt"), "Work\r\nArchive\r\n");
  const std::string folders = app.ReadData("folderlist.ini");
  EXPECT_TRUE(Contains(folders, "[Work]\r\ncmp=0\r\n" + content.path() + "One=0\r\n" + content.path() + "Two=0\r\n" + content.path() +
                                    "Three=0\r\n"))
      << folders;
  EXPECT_FALSE(Contains(folders, "note.txt"));
  EXPECT_FALSE(Contains(folders, ".lnk"));
}

TEST(RegistrationMode, CancelAndNoRegisterNothingAndYesCreatesTheBinder) {
  AppDriver app;
  TempFolder content("velmora-e2e-content");
  CreateDirectoryA((content + "One").c_str(), nullptr);
  const std::string titles = "Work\r\n";
  const std::string folders = "[Work]\r\ncmp=0\r\n\r\n[Old]\r\nC:\\=2\r\n\r\n[Orvik]\r\nFRG=0\r\nWID=152\r\n\r\n";
  app.WriteData("titlelist.txt", titles);
  app.WriteData("folderlist.ini", folders);
  {
    Launched run(app.appDir(), Quoted(content + "One"));
    HWND dialog = WaitShown(run.pid(), kDialogClass);
    ASSERT_NE(dialog, nullptr);
    Type(dialog, "Fresh");
    Press(dialog, IDCANCEL);
    ASSERT_TRUE(run.EndsCleanly());
  }
  {
    Launched run(app.appDir(), Quoted(content + "One"));
    HWND dialog = WaitShown(run.pid(), kDialogClass);
    ASSERT_NE(dialog, nullptr);
    Type(dialog, "Fresh");
    Press(dialog, IDOK);
    HWND question = WaitShown(run.pid(), "#32770", "作成確認");
    ASSERT_NE(question, nullptr);
    // No window of this program may own it: the main window is hidden.
    EXPECT_EQ(GetWindow(question, GW_OWNER), nullptr);
    PostMessageA(question, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(run.EndsCleanly());
  }
  EXPECT_EQ(app.ReadData("titlelist.txt"), titles);
  EXPECT_EQ(app.ReadData("folderlist.ini"), folders);
  {
    Launched run(app.appDir(), Quoted(content + "One"));
    HWND dialog = WaitShown(run.pid(), kDialogClass);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ConfirmNewBinder(run.pid(), dialog, "Fresh", IDYES));
    ASSERT_TRUE(run.EndsCleanly());
  }
  EXPECT_EQ(app.ReadData("titlelist.txt"), "Work\r\nFresh\r\n");
  EXPECT_TRUE(Contains(app.ReadData("folderlist.ini"), "[Fresh]\r\n" + content.path() + "One=0\r\n"));
  {
    // A name only a section has is no new binder: nothing asked, the old folders come back.
    Launched run(app.appDir(), Quoted(content + "One"));
    HWND dialog = WaitShown(run.pid(), kDialogClass);
    ASSERT_NE(dialog, nullptr);
    Type(dialog, "Old");
    Press(dialog, IDOK);
    // A question would keep the process from ending.
    ASSERT_TRUE(run.EndsCleanly());
  }
  EXPECT_EQ(app.ReadData("titlelist.txt"), "Work\r\nFresh\r\nOld\r\n");
  EXPECT_TRUE(Contains(app.ReadData("folderlist.ini"), "[Old]\r\nC:\\=2\r\n" + content.path() + "One=0\r\n"));
}

TEST(RegistrationMode, WithoutAFolderAmongTheParametersTheProcessEndsAtOnce) {
  AppDriver app;
  TempFolder content("velmora-e2e-content");
  e2e::WriteBytes(content + "note.txt", "x");
  app.WriteData("titlelist.txt", "A\r\n");
  Launched run(app.appDir(), Quoted(content + "note.txt") + " " + Quoted(content + "missing"));
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.EndsCleanly(15000));
  EXPECT_EQ(app.ReadData("titlelist.txt"), "A\r\n");
}

TEST(RegistrationMode, AFolderTheBinderHoldsGetsItsViewResetToIcons) {
  AppDriver app;
  TempFolder content("velmora-e2e-content");
  CreateDirectoryA((content + "One").c_str(), nullptr);
  app.WriteData("titlelist.txt", "Work\r\n");
  app.WriteData("folderlist.ini", "[Work]\r\ncmp=0\r\n" + content.path() + "One=2\r\n\r\n");
  Launched run(app.appDir(), Quoted(content + "One") + " " + Quoted(content + "One"));
  HWND dialog = WaitShown(run.pid(), kDialogClass);
  ASSERT_NE(dialog, nullptr);
  Type(dialog, "work");  // another letter case: the binder that exists
  EXPECT_EQ(SendMessageA(GetDlgItem(dialog, kBinderListId), CB_GETCURSEL, 0, 0), 0);
  Press(dialog, IDOK);
  ASSERT_TRUE(run.EndsCleanly());
  EXPECT_EQ(app.ReadData("titlelist.txt"), "Work\r\n");
  const std::string folders = app.ReadData("folderlist.ini");
  EXPECT_TRUE(Contains(folders, "[Work]\r\ncmp=0\r\n" + content.path() + "One=0\r\n\r\n")) << folders;
}

using Companion = test_support::CompanionWindow;

// Waits for the condition while this thread takes the messages sent to it.
bool PumpUntil(const std::function<bool()>& condition, DWORD ms = 30000) {
  const DWORD end = GetTickCount() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (condition()) return true;
    if (static_cast<int>(GetTickCount() - end) >= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

TEST(CompanionMessages, TitlesReplyAndFolderRegistration) {
  AppDriver app;
  TempFolder content("velmora-e2e-content");
  CreateDirectoryA((content + "Data").c_str(), nullptr);
  e2e::WriteBytes(content + "Data\\a.txt", "abc");
  // Every title of the reply ends in CR LF, however the file ended its lines.
  app.WriteData("titlelist.txt", "Work\nゲーム");
  app.WriteData("folderlist.ini", "[Work]\r\ncmp=0\r\n\r\n");
  ASSERT_TRUE(app.Start());
  {
    Companion companion;
    EXPECT_EQ(companion.Send(app.window(), 4, "Orvik"), 1);
    ASSERT_TRUE(PumpUntil([&] { return !companion.replies.empty(); }));
    EXPECT_EQ(companion.codes[0], 4u);
    EXPECT_EQ(companion.replies[0], "OrvikWork\r\nゲーム\r\n");

    // Wrong prefix, hostile sizes: accepted and ignored.
    EXPECT_EQ(companion.Send(app.window(), 5, "orvikWork@\\@" + content.path() + "Data"), 1);
    EXPECT_EQ(companion.Send(app.window(), 5, nullptr, 64), 1);
    std::string huge = "OrvikWork@\\@" + content.path() + "Data";
    huge.resize((std::size_t(1) << 20) + 1, '\0');
    EXPECT_EQ(companion.Send(app.window(), 5, huge), 1);
    EXPECT_EQ(app.FindTreeNode("Data"), nullptr);
  }
  {
    Companion stranger("TOrvikOther");
    EXPECT_EQ(stranger.Send(app.window(), 5, "OrvikWork@\\@" + content.path() + "Data"), 1);
    EXPECT_EQ(app.FindTreeNode("Data"), nullptr);
  }
  {
    Companion companion;
    EXPECT_EQ(companion.Send(app.window(), 5, "OrvikWork@\\@" + content.path() + "Data"), 1);
    // The window posts the request to itself and runs it from its message loop.
    ASSERT_TRUE(WaitFor([&] { return app.FindTreeNode("Data") != nullptr; }));
    HTREEITEM node = app.FindTreeNode("Data");
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(WaitFor([&] { return app.TreeSelection() == node; }));
    EXPECT_TRUE(WaitFor([&] { return app.ListColumn(0) == std::vector<std::string>{"a.txt"}; }));
  }
  ASSERT_EQ(app.Close(), 0);
  EXPECT_TRUE(Contains(app.ReadData("folderlist.ini"), "[Work]\r\ncmp=1\r\n" + content.path() + "Data=0\r\n") ||
              Contains(app.ReadData("folderlist.ini"), "[Work]\r\ncmp=0\r\n" + content.path() + "Data=0\r\n"))
      << app.ReadData("folderlist.ini");
}

// A request naming a new binder waits for the question; it is sent from another thread so
// that this one can answer the box, and keeps taking messages for the box's owner.
HWND AskedQuestion(AppDriver& app, HWND sender, const std::string& payload, bool yes, HWND& owner) {
  LRESULT result = 0;
  std::thread request([&] { result = Companion::SendFrom(sender, app.window(), 5, payload.data(), static_cast<DWORD>(payload.size())); });
  HWND question = nullptr;
  DWORD pid = 0;
  GetWindowThreadProcessId(app.window(), &pid);
  PumpUntil([&] { return (question = FindShown(pid, "#32770", "新規の作成確認")) != nullptr; });
  owner = question ? GetWindow(question, GW_OWNER) : nullptr;
  if (question) PostMessageA(question, WM_COMMAND, yes ? IDYES : IDNO, 0);
  PumpUntil([&] { return result != 0; });
  request.join();
  EXPECT_EQ(result, 1);
  return question;
}

TEST(CompanionMessages, TheNewBinderQuestionBelongsToTheAskerWhileItLives) {
  AppDriver app;
  TempFolder content("velmora-e2e-content");
  CreateDirectoryA((content + "Data").c_str(), nullptr);
  app.WriteData("titlelist.txt", "Work\r\n");
  ASSERT_TRUE(app.Start());
  const std::string request = "OrvikNew@\\@" + content.path() + "Data";
  {
    Companion asker;
    EXPECT_EQ(asker.Send(app.window(), 4, "Orvik"), 1);
    ASSERT_TRUE(PumpUntil([&] { return !asker.replies.empty(); }));
    HWND owner = nullptr;
    ASSERT_NE(AskedQuestion(app, asker.hwnd(), request, false, owner), nullptr);
    EXPECT_EQ(owner, asker.hwnd());
    EXPECT_EQ(app.FindTreeNode("New"), nullptr);
  }
  // The asker is gone: the question still comes, without an owner, and Yes registers.
  Companion later;
  HWND owner = reinterpret_cast<HWND>(1);
  ASSERT_NE(AskedQuestion(app, later.hwnd(), request, true, owner), nullptr);
  EXPECT_EQ(owner, nullptr);
  EXPECT_NE(app.FindTreeNode("New"), nullptr);
  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(app.ReadData("titlelist.txt"), "Work\r\nNew\r\n");
}

// The folder nodes of a binder in the program's tree.
std::vector<std::string> FoldersOf(const AppDriver& app, const std::string& binder) {
  std::vector<std::string> names;
  for (const e2e::TreeNode& root : app.ReadTree())
    for (const e2e::TreeNode& b : root.children)
      if (b.text == binder)
        for (const e2e::TreeNode& f : b.children) names.push_back(f.text);
  return names;
}

std::vector<std::string> Entries(HWND dialog) {
  HWND list = GetDlgItem(dialog, kBinderListId);
  std::vector<std::string> entries;
  const int count = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    // Another process's list: the text crosses as UTF-16 whatever was asked for.
    wchar_t wide[256] = L"";
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
    char text[512] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
    entries.push_back(text);
  }
  return entries;
}

// Sent while a window is open on the same data: the dialog offers that window's binders, made
// since it started too, and the folders show in its tree at once; it saves them as usual.
TEST(RegistrationMode, ARunWhileAWindowIsOpenGoesThroughThatWindow) {
  AppDriver app;
  TempFolder content("velmora-e2e-content");
  for (const char* name : {"Sent", "Later", "Data"}) CreateDirectoryA((content + name).c_str(), nullptr);
  e2e::WriteBytes(content + "Sent\\a.txt", "abc");
  app.WriteData("titlelist.txt", "Work\r\n");
  app.WriteData("folderlist.ini", "[Work]\r\ncmp=0\r\n\r\n");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.MakeBinder("Made"));
  {
    Launched run(app.appDir(), Quoted(content + "Data") + " " + Quoted(content + "Sent"));
    HWND dialog = WaitShown(run.pid(), kDialogClass);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Entries(dialog), (std::vector<std::string>{"Made", "Work"}));
    Type(dialog, "made");  // the binder of the open window, whatever the letter case: no question
    Press(dialog, IDOK);
    ASSERT_TRUE(run.EndsCleanly());
  }
  EXPECT_EQ(FoldersOf(app, "Made"), (std::vector<std::string>{"Data", "Sent"}));
  // The last folder sent is selected and listed.
  EXPECT_EQ(app.TreeSelection(), app.FindTreeNode("Sent"));
  EXPECT_TRUE(WaitFor([&] { return app.ListColumn(0) == std::vector<std::string>{"a.txt"}; }));
  {
    // A new binder is asked about by the run, and made by the window.
    Launched run(app.appDir(), Quoted(content + "Later"));
    HWND dialog = WaitShown(run.pid(), kDialogClass);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ConfirmNewBinder(run.pid(), dialog, "Other", IDYES));
    ASSERT_TRUE(run.EndsCleanly());
  }
  EXPECT_EQ(FoldersOf(app, "Other"), std::vector<std::string>{"Later"});
  // Nothing of it is in the files until the window saves.
  EXPECT_EQ(app.ReadData("titlelist.txt"), "Work\r\n");
  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(app.ReadData("titlelist.txt"), "Work\r\nMade\r\nOther\r\n");
  const std::string folders = app.ReadData("folderlist.ini");
  EXPECT_TRUE(Contains(folders, content + "Sent=0\r\n")) << folders;
  EXPECT_TRUE(Contains(folders, "[Other]\r\n")) << folders;
  EXPECT_TRUE(Contains(folders, content + "Later=0\r\n")) << folders;
}

// The window closes while the dialog is up: the run files the folders itself, and both its
// and the window's changes are in the files.
TEST(RegistrationMode, ARunWhoseWindowClosesMeanwhileFilesTheFoldersItself) {
  AppDriver app;
  TempFolder content("velmora-e2e-content");
  CreateDirectoryA((content + "Mine").c_str(), nullptr);
  CreateDirectoryA((content + "Sent").c_str(), nullptr);
  app.WriteData("titlelist.txt", "Work\r\n");
  app.WriteData("folderlist.ini", "[Work]\r\ncmp=0\r\n\r\n");
  ASSERT_TRUE(app.Start());
  // The open window's own change, through the companion.
  {
    Companion companion;
    EXPECT_EQ(companion.Send(app.window(), 5, "OrvikWork@\\@" + content.path() + "Mine"), 1);
    ASSERT_TRUE(WaitFor([&] { return app.FindTreeNode("Mine") != nullptr; }));
  }
  Launched run(app.appDir(), Quoted(content + "Sent"));
  HWND dialog = WaitShown(run.pid(), kDialogClass);
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(app.Close(), 0);
  ASSERT_TRUE(ConfirmNewBinder(run.pid(), dialog, "Other", IDYES));
  ASSERT_TRUE(run.EndsCleanly());
  EXPECT_EQ(app.ReadData("titlelist.txt"), "Work\r\nOther\r\n");
  const std::string folders = app.ReadData("folderlist.ini");
  EXPECT_TRUE(Contains(folders, content + "Mine=0\r\n")) << folders;
  EXPECT_TRUE(Contains(folders, "[Other]\r\n" + content.path() + "Sent=0\r\n")) << folders;
}

}  // namespace
