// The folder registration dialog, the registration mode of a window started with
// parameters and the companion's WM_COPYDATA requests, in this process.
#include <windows.h>

#include <atomic>
#include <climits>
#include <thread>

#include "app/companion_message.h"
#include "app/open_window_message.h"
#include "binders/win32/binder_add_dlg.h"
#include "support/companion_window.h"
#include "win32/window_fixture.h"
#include "support/window_rect.h"

namespace velmora {
namespace {

using test_support::ChildRect;
using testing_support::MainWindowTest;
using testing_support::MakeFolder;
using testing_support::PumpUntil;
using testing_support::ReadBytes;
using testing_support::RecordingPrompter;
using testing_support::TempDir;

std::string Text(HWND window) {
  char text[512] = "";
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

std::vector<std::string> Entries(HWND list) {
  std::vector<std::string> entries;
  const int count = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[256] = "";
    SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}

int Selection(HWND list) { return static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0)); }

// What a user's pick in the dropped-down list does.
void Pick(TBinderAddDlg& dialog, int index) {
  SendMessageA(dialog.binderList(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(TBinderAddDlg::kBinderListId, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(dialog.binderList()));
}


TEST(BinderAddDialog, TypedNamesSelectEntriesAndEnableOk) {
  TBinderAddDlg dialog;
  dialog.Fill("Work\r\nalpha\nBeta\r\n\r\n");
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ(Text(dialog.hwnd()), "Velmora へのフォルダ登録");
  RECT client;
  GetClientRect(dialog.hwnd(), &client);
  EXPECT_EQ(client.right, 313);
  EXPECT_EQ(client.bottom, 129);
  // Kept sorted by the control; blank lines are no entries.
  EXPECT_EQ(Entries(dialog.binderList()), (std::vector<std::string>{"alpha", "Beta", "Work"}));
  EXPECT_FALSE(IsWindowEnabled(dialog.okButton()));

  // Another letter case selects the entry but the typed text is the result.
  SetWindowTextA(dialog.nameBox(), "work");
  EXPECT_EQ(Selection(dialog.binderList()), 2);
  EXPECT_TRUE(IsWindowEnabled(dialog.okButton()));
  EXPECT_EQ(dialog.Name(), "work");
  SetWindowTextA(dialog.nameBox(), "workshop");
  EXPECT_EQ(Selection(dialog.binderList()), CB_ERR);
  EXPECT_TRUE(IsWindowEnabled(dialog.okButton()));
  SetWindowTextA(dialog.nameBox(), "");
  EXPECT_FALSE(IsWindowEnabled(dialog.okButton()));

  Pick(dialog, 1);
  EXPECT_EQ(Text(dialog.nameBox()), "Beta");
  EXPECT_TRUE(IsWindowEnabled(dialog.okButton()));

  // The name box lies over the list's text; only the 18-pixel button shows beside it.
  const RECT box = ChildRect(dialog.hwnd(), dialog.nameBox());
  const RECT list = ChildRect(dialog.hwnd(), dialog.binderList());
  EXPECT_EQ(box.left, list.left);
  EXPECT_EQ(box.top, list.top);
  EXPECT_EQ(list.right - box.right, 18);
  bool boxAbove = false;
  for (HWND w = GetWindow(dialog.hwnd(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w == dialog.nameBox()) boxAbove = true;
    if (w == dialog.binderList()) break;
  }
  EXPECT_TRUE(boxAbove);
  EXPECT_EQ(SendMessageA(dialog.binderList(), CB_GETITEMHEIGHT, 0, 0), 18);
}

TEST(BinderAddDialog, WithoutTitlesATypedNameIsConfirmed) {
  TBinderAddDlg dialog;
  ASSERT_TRUE(dialog.Create());
  EXPECT_TRUE(Entries(dialog.binderList()).empty());
  // OK is disabled: Enter does nothing yet.
  SendMessageA(dialog.hwnd(), WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(dialog.ended());
  SetWindowTextA(dialog.nameBox(), "新しい");
  SendMessageA(dialog.okButton(), BM_CLICK, 0, 0);
  EXPECT_TRUE(dialog.ended());
  EXPECT_TRUE(dialog.accepted());
  EXPECT_EQ(dialog.Name(), "新しい");
}

TEST(BinderAddDialog, EntriesShowTheBinderPictureOnTheListColour) {
  // A binder picture of one solid colour, so that its place can be found.
  HIMAGELIST pictures = ImageList_Create(16, 16, ILC_COLOR24, 1, 0);
  HDC screen = GetDC(nullptr);
  HBITMAP solid = CreateCompatibleBitmap(screen, 16, 16);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, solid);
  RECT all = {0, 0, 16, 16};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &all, red);
  SelectObject(dc, old);
  ImageList_Add(pictures, solid, nullptr);
  {
    TBinderAddDlg dialog(pictures);
    dialog.Fill("Work\r\n");
    ASSERT_TRUE(dialog.Create());
    HBITMAP canvas = CreateCompatibleBitmap(screen, 175, 18);
    old = SelectObject(dc, canvas);
    for (bool selected : {false, true}) {
      DRAWITEMSTRUCT di = {};
      di.CtlType = ODT_COMBOBOX;
      di.CtlID = TBinderAddDlg::kBinderListId;
      di.itemID = 0;
      di.itemAction = ODA_DRAWENTIRE;
      di.itemState = selected ? ODS_SELECTED : 0;
      di.hwndItem = dialog.binderList();
      di.hDC = dc;
      di.rcItem = RECT{0, 0, 175, 18};
      EXPECT_TRUE(SendMessageA(dialog.hwnd(), WM_DRAWITEM, TBinderAddDlg::kBinderListId, reinterpret_cast<LPARAM>(&di)));
      EXPECT_EQ(GetPixel(dc, 0, 0), selected ? GetSysColor(COLOR_HIGHLIGHT) : RGB(240, 247, 251));
      EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 0, 0));
      EXPECT_EQ(GetPixel(dc, 16, 16), RGB(255, 0, 0));
      EXPECT_NE(GetPixel(dc, 17, 17), RGB(255, 0, 0));
      EXPECT_EQ(GetPixel(dc, 170, 9), selected ? GetSysColor(COLOR_HIGHLIGHT) : RGB(240, 247, 251));
    }
    SelectObject(dc, old);
    DeleteObject(canvas);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  DeleteObject(red);
  DeleteObject(solid);
  ImageList_Destroy(pictures);
}

TBinderAddDlg* g_running = nullptr;
std::string g_typed;
bool g_cancel = false;

void CALLBACK DriveDialog(HWND, UINT, UINT_PTR id, DWORD) {
  if (!g_running || !g_running->hwnd() || !IsWindowVisible(g_running->hwnd())) return;
  KillTimer(nullptr, id);
  SetWindowTextA(g_running->nameBox(), g_typed.c_str());
  // The keys, as typed into the name box: Enter is OK, Escape is Cancel.
  const WPARAM key = g_cancel ? VK_ESCAPE : VK_RETURN;
  PostMessageA(g_running->nameBox(), WM_KEYDOWN, key, 1);
  PostMessageA(g_running->nameBox(), WM_KEYUP, key, 1 | (3u << 30));
}

TEST(BinderAddDialog, EnterAndEscapeEndTheModalLoop) {
  for (bool cancel : {false, true}) {
    TBinderAddDlg dialog;
    dialog.Fill("A\r\n");
    g_running = &dialog;
    g_typed = "B";
    g_cancel = cancel;
    SetTimer(nullptr, 0, 20, &DriveDialog);
    EXPECT_EQ(dialog.ShowModal(), !cancel);
    EXPECT_EQ(dialog.Name(), "B");
    g_running = nullptr;
  }
}

void CALLBACK AnswerDialogByClass(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = FindWindowA(TBinderAddDlg::kWindowClass, nullptr);
  if (!dialog || !IsWindowVisible(dialog)) return;
  KillTimer(nullptr, id);
  SetWindowTextA(GetDlgItem(dialog, TBinderAddDlg::kNameBoxId), g_typed.c_str());
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

using Searcher = test_support::CompanionWindow;

class CompanionTest : public MainWindowTest {
 protected:
  // A companion's request, and then what the window posted itself for it.
  LRESULT Register(const test_support::CompanionWindow& searcher, const std::string& payload) {
    const LRESULT answer = searcher.Send(window->hwnd(), 5, payload);
    testing_support::PumpPending(window.get());
    return answer;
  }
};

TEST_F(CompanionTest, TitlesComeFromTheTimerAndHostileRequestsAreIgnored) {
  Open("Work\r\nゲーム\r\n", "[Work]\r\n");
  const std::string before = ReadBytes(app + "data\\titlelist.txt");
  Searcher searcher(kCompanionClass);
  EXPECT_EQ(searcher.Send(window->hwnd(), 4, "Orvik?"), 1);
  // Not while the request is handled: the hand-over timer answers.
  EXPECT_TRUE(searcher.replies.empty());
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return !searcher.replies.empty(); }, std::chrono::seconds(10)));
  EXPECT_EQ(searcher.codes[0], 4u);
  EXPECT_EQ(searcher.replies[0], "OrvikWork\r\nゲーム\r\n");
  EXPECT_EQ(searcher.senders[0], window->hwnd());

  // Sizes no request has: accepted and ignored, nothing read past the data.
  char small[8] = "Orvik";
  EXPECT_EQ(searcher.Send(window->hwnd(), 4, small, 0xFFFFFFFFu), 1);
  EXPECT_EQ(searcher.Send(window->hwnd(), 4, small, (1u << 20) + 1), 1);
  EXPECT_EQ(searcher.Send(window->hwnd(), 4, nullptr, 100), 1);
  EXPECT_EQ(searcher.Send(window->hwnd(), 5, "Orvik"), 1);
  EXPECT_EQ(searcher.Send(window->hwnd(), 5, "OrvikWork@\\@"), 1);
  EXPECT_EQ(searcher.Send(window->hwnd(), 9, "OrvikWork@\\@C:\\"), 1);
  EXPECT_EQ(SendMessageA(window->hwnd(), WM_COPYDATA, 0, 0), 1);
  // Nothing more arrives: wait out a few timer periods on a condition that cannot hold.
  EXPECT_FALSE(PumpUntil(window.get(), [&] { return searcher.replies.size() > 1; }, std::chrono::milliseconds(400)));
  Close();
  EXPECT_EQ(ReadBytes(app + "data\\titlelist.txt"), before);
}

TEST_F(CompanionTest, RegisterSelectsAndListsTheNewFolderNode) {
  MakeFolder(content + "Data");
  MakeFolder(content + "More");
  testing_support::MakeFile(content + "Data\\a.txt", 3);
  Open("Work\r\n", "[Work]\r\n");
  Searcher searcher(kCompanionClass);
  EXPECT_EQ(Register(searcher, "Orvikwork@\\@" + content.path() + "Data"), 1);
  // Another letter case means the binder that exists: no question, no second binder.
  EXPECT_TRUE(prompter.messages.empty());
  HTREEITEM node = FindNode("Data");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(TreeView_GetSelection(window->control(IDC_TREE)), node);
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().currentFolder() == content + "Data" && !window->browser().loading(); }));

  // Empty binder part: only while a binder node is selected.
  EXPECT_EQ(Register(searcher, "Orvik@\\@" + content.path() + "More"), 1);
  EXPECT_EQ(FindNode("More"), nullptr);
  TreeView_SelectItem(window->control(IDC_TREE), FindNode("Work"));
  EXPECT_EQ(Register(searcher, "Orvik@\\@" + content.path() + "More"), 1);
  EXPECT_NE(FindNode("More"), nullptr);

  // A binder nobody has: asked, owned by nobody yet; No changes nothing.
  prompter.answer = false;
  EXPECT_EQ(Register(searcher, "OrvikNew@\\@" + content.path() + "Data"), 1);
  EXPECT_EQ(prompter.messages, (std::vector<std::string>{"新規の作成確認: 新しいバインダーを作成しますか？"}));
  EXPECT_EQ(FindNode("New"), nullptr);
  prompter.answer = true;
  EXPECT_EQ(Register(searcher, "OrvikNew@\\@" + content.path() + "Data"), 1);
  EXPECT_NE(FindNode("New"), nullptr);

  // From a window of another class nothing happens.
  Searcher other("TOrvikStranger");
  EXPECT_EQ(Register(other, "OrvikOther@\\@" + content.path() + "Data"), 1);
  EXPECT_EQ(FindNode("Other"), nullptr);
  Close();
  const std::string folders = ReadBytes(app + "data\\folderlist.ini");
  EXPECT_EQ(folders.find("[Work]\r\n"), 0u) << folders;
  EXPECT_NE(folders.find(content + "Data=0"), std::string::npos);
  EXPECT_NE(folders.find(content + "More=0"), std::string::npos);
  EXPECT_EQ(ReadBytes(app + "data\\titlelist.txt"), "Work\r\nNew\r\n");
}

// The companion's request is taken and posted to the window: arriving while the listing
// changes, it neither lists a folder nor asks anything inside that change, and it runs from
// the message loop afterwards.
TEST_F(CompanionTest, ARequestArrivingWhileTheListingChangesRunsAfterIt) {
  MakeFolder(content + "Big");
  for (int i = 0; i < 40; ++i) testing_support::MakeFile(content + "Big\\" + std::to_string(i) + ".txt", 1);
  MakeFolder(content + "Data");
  testing_support::MakeFile(content + "Data\\a.txt", 3);
  Open("Work\r\n", "[Work]\r\n" + content.path() + "Big=2\r\n\r\n");
  ClickNode("Big");
  Searcher searcher(kCompanionClass);
  LRESULT answer = 0;
  std::atomic<bool> answered{false};
  HANDLE sending = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread companion([&] {
    SetEvent(sending);
    answer = searcher.Send(window->hwnd(), 5, "OrvikWork@\\@" + content.path() + "Data");
    answered = true;
  });
  WaitForSingleObject(sending, 10000);
  Sleep(200);
  // The request is sent while the refresh changes the listing.
  window->browser().Refresh();
  EXPECT_EQ(FindNode("Data"), nullptr);
  EXPECT_EQ(window->browser().currentFolder(), content + "Big");
  EXPECT_TRUE(PumpUntil(window.get(), [&] { return answered.load(); }));
  companion.join();
  CloseHandle(sending);
  EXPECT_EQ(answer, 1);
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().currentFolder() == content + "Data"; }));
  HTREEITEM node = FindNode("Data");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(TreeView_GetSelection(window->control(IDC_TREE)), node);
  ASSERT_TRUE(WaitForListing());
  ASSERT_TRUE(WaitForWorker());
  ASSERT_EQ(Names(), std::vector<std::string>{"a.txt"});
  EXPECT_FALSE(window->browser().records()[0]->typeText.empty());
}

// A folder on a share that is disconnected now is registered as given, and shows as missing;
// with or without its trailing backslash a folder is one folder; a file is no folder.
TEST_F(CompanionTest, AFolderThatIsNotThereNowIsRegisteredAsGiven) {
  MakeFolder(content + "Data");
  testing_support::MakeFile(content + "note.txt", 3);
  Open("Work\r\n", "[Work]\r\n");
  Searcher searcher(kCompanionClass);
  const std::string away = content + "Away";
  EXPECT_EQ(Register(searcher, "OrvikWork@\\@" + away + "\\"), 1);
  HTREEITEM node = FindNode("Away");
  ASSERT_NE(node, nullptr);
  ASSERT_NE(window->tree().FolderPath(node), nullptr);
  EXPECT_EQ(*window->tree().FolderPath(node), away);
  EXPECT_EQ(TreeView_GetSelection(window->control(IDC_TREE)), node);

  EXPECT_EQ(Register(searcher, "OrvikWork@\\@" + content.path() + "Data\\"), 1);
  EXPECT_EQ(Register(searcher, "OrvikWork@\\@" + content.path() + "Data"), 1);
  EXPECT_EQ(Register(searcher, "OrvikWork@\\@" + content.path() + "note.txt"), 1);
  HWND tree = window->control(IDC_TREE);
  int folders = 0;
  for (HTREEITEM f = TreeView_GetChild(tree, FindNode("Work")); f; f = TreeView_GetNextSibling(tree, f)) ++folders;
  EXPECT_EQ(folders, 2);
  EXPECT_TRUE(prompter.messages.empty());
  Close();
  EXPECT_EQ(ReadBytes(app + "data\\folderlist.ini").find("[Work]\r\n" + away + "=0\r\n" + content.path() + "Data=0\r\n"),
            0u);
}

// What another run of the program sends the open window: taken only from a main window
// about this data folder, and only what the store allows; the open window never asks.
TEST_F(CompanionTest, FoldersSentByAnotherRunAreCheckedBeforeTheTreeShowsThem) {
  MakeFolder(content + "Data");
  Open("Work\r\n", "[Work]\r\n");
  // A window of the main window's class with no program behind it: it takes no reply.
  HWND run = CreateWindowExA(0, kMainWindowClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(run, nullptr);
  auto send = [&](HWND from, const OpenWindowMessage& message) {
    const std::string payload = OpenWindowPayload(message);
    COPYDATASTRUCT cds = {OpenWindowCode(message.kind), static_cast<DWORD>(payload.size()),
                          const_cast<char*>(payload.data())};
    return SendMessageA(window->hwnd(), WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&cds));
  };
  OpenWindowMessage sent;
  sent.kind = OpenWindowMessage::Kind::kRegister;
  sent.dataFolder = window->store().paths().dataFolder;
  sent.binder = "work";
  sent.folders = {content + "Data"};

  OpenWindowMessage elsewhere = sent;
  elsewhere.dataFolder = content.path();
  EXPECT_EQ(send(run, elsewhere), 1);
  Searcher stranger("TOrvikStranger");
  EXPECT_EQ(send(stranger.hwnd(), sent), 1);
  Searcher companion(kCompanionClass);
  EXPECT_EQ(send(companion.hwnd(), sent), 1);
  OpenWindowMessage fresh = sent;
  fresh.binder = "Fresh";
  EXPECT_EQ(send(run, fresh), kAnswerUnknownBinder);
  EXPECT_EQ(FindNode("Data"), nullptr);

  // The data folder in another spelling is the same folder.
  std::string upper = sent.dataFolder;
  CharUpperA(upper.data());
  sent.dataFolder = upper;
  EXPECT_EQ(send(run, sent), kAnswerRegistered);
  HWND tree = window->control(IDC_TREE);
  EXPECT_EQ(window->tree().Text(TreeView_GetParent(tree, TreeView_GetSelection(tree))), "Work");
  EXPECT_EQ(window->tree().Text(TreeView_GetSelection(tree)), "Data");
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().currentFolder() == content + "Data" && !window->browser().loading(); }));

  // A titles request is answered as sent only when the asker took the reply.
  OpenWindowMessage ask;
  ask.kind = OpenWindowMessage::Kind::kAskTitles;
  ask.dataFolder = window->store().paths().dataFolder;
  EXPECT_EQ(send(run, ask), 1);
  EXPECT_TRUE(prompter.messages.empty());
  DestroyWindow(run);
}

// A hidden window started with parameters: a titles request that arrives before the
// registration ran is answered, and the registration still runs and ends the window.
TEST(RegistrationModeWindow, ATitlesRequestDoesNotDropTheRegistration) {
  TempDir app;
  TempDir content;
  MakeFolder(app + "data");
  MakeFolder(content + "One");
  testing_support::WriteBytes(app + "data\\titlelist.txt", "A\r\n");
  RecordingPrompter prompter;
  AppEnvironment env;
  env.exeDir = app.path();
  env.params = {content + "One"};
  auto window = std::make_unique<TOrvikBinder>(env, &prompter);
  window->Create(GetModuleHandleA(nullptr));
  window->Show(SW_SHOW);
  EXPECT_FALSE(IsWindowVisible(window->hwnd()));
  Searcher searcher(kCompanionClass);
  searcher.Send(window->hwnd(), 4, "Orvik");
  // The dialog runs its own loop: it is answered from a timer of this thread.
  g_typed = "A";
  SetTimer(nullptr, 0, 20, &AnswerDialogByClass);
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return !IsWindow(window->hwnd()); }));
  EXPECT_EQ(searcher.replies, (std::vector<std::string>{"OrvikA\r\n"}));
  window.reset();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_NE(ReadBytes(app + "data\\folderlist.ini").find("[A]\r\n" + content.path() + "One=0\r\n"), std::string::npos);
}

}  // namespace
}  // namespace velmora
