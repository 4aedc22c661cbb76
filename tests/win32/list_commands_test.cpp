// The file list's file commands in the real main window over real folders: opening rows,
// the selection commands, the context menu, rename, new folder, paste, delete and drops.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "common/path_lists.h"
#include "text/cp932.h"
#include "win32/com_ptr.h"
#include "win32/shell_link.h"
#include "win32/window_fixture.h"

namespace velmora {
namespace {

using testing_support::DialogAnswers;
using testing_support::MainWindowTest;
using testing_support::MakeDrop;
using testing_support::MakeShortcut;
using testing_support::MakeFile;
using testing_support::MakeFolder;
using testing_support::PressKey;
using testing_support::PumpUntil;
using testing_support::TempDir;
using testing_support::TrashHome;

std::string NoSlash(const std::string& path) { return path.substr(0, path.size() - 1); }

class ListCommandsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    ClearClipboard();
  }
  void TearDown() override {
    ClearClipboard();
    MainWindowTest::TearDown();
  }
  HWND List() const { return window->control(IDC_LIST); }
  int RowOf(const std::string& name) const {
    const auto names = Names();
    auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
  }
  void Select(const std::vector<std::string>& names) {
    window->browser().listView().DeselectAll();
    for (const std::string& name : names) {
      ASSERT_GE(RowOf(name), 0) << name;
      window->browser().listView().SelectRow(RowOf(name), false);
    }
  }
  std::vector<std::string> SelectedNames() const {
    std::vector<std::string> names;
    for (int row : window->browser().listView().SelectedRows()) names.push_back(Names()[static_cast<std::size_t>(row)]);
    return names;
  }
  POINT RowPoint(int row) const {
    RECT r = {};
    ListView_GetItemRect(List(), row, &r, LVIR_LABEL);
    return POINT{r.left + 2, (r.top + r.bottom) / 2};
  }
  // The end of a label edit, as the list reports it.
  void EndLabelEdit(int row, const char* text) {
    NMLVDISPINFOA info = {};
    info.hdr.hwndFrom = List();
    info.hdr.idFrom = IDC_LIST;
    info.hdr.code = LVN_ENDLABELEDITA;
    info.item.iItem = row;
    info.item.mask = LVIF_TEXT;
    info.item.pszText = const_cast<char*>(text);
    SendMessageA(window->hwnd(), WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&info));
  }
  // The captions of a menu, top to bottom; "-" for a separator.
  static std::vector<std::string> Captions(HMENU menu) {
    std::vector<std::string> captions;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      char text[128] = "";
      GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
      captions.push_back(GetMenuItemID(menu, i) == 0 ? "-" : text);
    }
    return captions;
  }
  std::vector<std::string> MenuAt(POINT listClient) {
    HMENU menu = window->listCommands().BuildMenu(listClient);
    // Whatever shows can run: nothing is greyed.
    SendMessageA(window->hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      if (GetMenuItemID(menu, i) == 0) continue;
      EXPECT_EQ(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED, 0u) << i;
    }
    return Captions(menu);
  }
  void ClearClipboard() {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
  }
  // A file list on the clipboard, as another program would put it.
  void PutFilesOnClipboard(const std::vector<std::string>& paths) {
    testing_support::PutBlockOnClipboard(nullptr, BuildDropFilesBlock(PathText(paths)));
  }
  const FileRecord& Record(const std::string& name) const {
    return *window->browser().records()[static_cast<std::size_t>(RowOf(name))];
  }
};

// ---- opening and selecting

TEST_F(ListCommandsTest, EnterAndDoubleClickFollowShortcutsToFolders) {
  TempDir outside;
  MakeFile(outside + "far.txt", 3);
  MakeFolder(content + "sub");
  MakeFile(content + "sub\\inner.txt", 1);
  ASSERT_TRUE(MakeShortcut(content + "to-outside.lnk", NoSlash(outside.path())));
  ShowContent();

  // Enter on a folder row enters it.
  Select({"sub"});
  PressKey(window.get(), List(), VK_RETURN);
  EXPECT_EQ(window->browser().currentFolder(), content + "sub");
  EXPECT_EQ(Names(), std::vector<std::string>{"inner.txt"});
  PostMessageA(List(), WM_KEYDOWN, VK_BACK, 0);
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().currentFolder() == NoSlash(content.path()) && !window->browser().loading(); }));

  // A shortcut to a folder outside the registered one is entered, and its rows address
  // their own files.
  DoubleClickRow(RowOf("to-outside.lnk"));
  EXPECT_EQ(window->browser().currentFolder(), NoSlash(outside.path()));
  EXPECT_EQ(window->browser().rootFolder(), NoSlash(content.path()));
  ASSERT_EQ(Names(), std::vector<std::string>{"far.txt"});
  EXPECT_EQ(window->browser().RowFullPath(0), outside + "far.txt");
}

TEST_F(ListCommandsTest, DoubleClickOnAShortcutToAnItemThatIsNoFileHandsItToTheShell) {
  // The computer has no file-system path, as a Control Panel item has none.
  TShellLink links;
  const ItemIdList computer = links.GetCodeToItemIdList(CSIDL_DRIVES);
  ASSERT_TRUE(computer);
  ASSERT_FALSE(links.CreateLink2("", computer.get(), NoSlash(content.path()), "computer", true).empty());
  ShowContent();
  struct Request {
    std::string file;
    bool computer;
  };
  // The shell opens the shortcut itself; one that cannot (Wine) is handed the item it holds.
  for (const bool shellOpensShortcuts : {true, false}) {
    std::vector<Request> requests;
    window->listCommands().fileCommands().SetShellExecutor([&](SHELLEXECUTEINFOW& info) {
      const auto* item = static_cast<LPCITEMIDLIST>(info.lpIDList);
      requests.push_back({info.lpFile ? WideToAnsi(info.lpFile) : "", item && ILIsEqual(item, computer.get())});
      return shellOpensShortcuts || item;
    });
    DoubleClickRow(RowOf("computer.lnk"));
    ASSERT_EQ(requests.size(), shellOpensShortcuts ? 1u : 2u) << shellOpensShortcuts;
    EXPECT_EQ(requests[0].file, content + "computer.lnk");
    EXPECT_EQ(requests.back().computer, !shellOpensShortcuts);
    EXPECT_EQ(window->browser().currentFolder(), NoSlash(content.path()));
  }
}

TEST(ShortcutTarget, FollowsToExistingTargetsOnly) {
  const HRESULT com = CoInitialize(nullptr);
  TShellLink links;
  auto GetLinkToPath = [&links](std::string& path, HWND owner) {
    std::string target;
    const HRESULT result = links.GetLinkToPath(path, target, owner);
    path = target;
    return result;
  };
  TempDir dir;
  MakeFolder(dir + "target");
  ASSERT_TRUE(MakeShortcut(dir + "x.lnk", dir + "target"));
  std::string path = dir + "x.lnk";
  EXPECT_EQ(GetLinkToPath(path, nullptr), S_OK);
  EXPECT_EQ(path, dir + "target");

  // Target gone: the shortcut's own path comes back, for the shell to open.
  RemoveDirectoryA((dir + "target").c_str());
  path = dir + "x.lnk";
  GetLinkToPath(path, nullptr);
  EXPECT_EQ(path, dir + "x.lnk");

  // Not a shortcut at all: a failing code, the path unchanged.
  MakeFile(dir + "plain.lnk", 4);
  path = dir + "plain.lnk";
  EXPECT_NE(GetLinkToPath(path, nullptr), S_OK);
  EXPECT_EQ(path, dir + "plain.lnk");
  if (SUCCEEDED(com)) CoUninitialize();
}

TEST_F(ListCommandsTest, SelectAllAndInvert) {
  for (const char* name : {"0.txt", "1.txt", "2.txt", "3.txt", "4.txt"}) MakeFile(content + name, 1);
  ShowContent();
  Select({"1.txt", "3.txt"});
  Command(IDM_INVERT_SELECTION);
  EXPECT_EQ(SelectedNames(), (std::vector<std::string>{"0.txt", "2.txt", "4.txt"}));
  EXPECT_EQ(GetFocus(), List());
  Command(IDM_SELECT_ALL);
  EXPECT_EQ(window->browser().listView().SelectedCount(), 5);
}

// ---- the context menu

TEST_F(ListCommandsTest, ContextMenuShowsOnlyWhatApplies) {
  MakeFolder(content + "dir");
  MakeFile(content + "file.txt", 1);
  ShowContent();
  const std::vector<std::string> folderRow = {"開く(&O)", "-", "送る(&N)", "-", "コピー(&C)\tCtrl+C", "-",
                                              "フォルダの作成(&F)", "名前の変更(&M)\tF2", "削除(&D)", "-",
                                              "プロパティ(&P)"};
  Select({"dir"});
  EXPECT_EQ(MenuAt(RowPoint(RowOf("dir"))), folderRow);
  // Over a file row the open-with item shows too; a file list on the clipboard adds paste.
  PutFilesOnClipboard({content + "file.txt"});
  EXPECT_EQ(MenuAt(RowPoint(RowOf("file.txt"))),
            (std::vector<std::string>{"開く(&O)", "アプリケーションから開く(&H)", "-", "送る(&N)", "-", "コピー(&C)\tCtrl+C",
                                      "貼り付け(&P)\tCtrl+V", "-", "フォルダの作成(&F)", "名前の変更(&M)\tF2",
                                      "削除(&D)", "-", "プロパティ(&P)"}));
  ClearClipboard();
  // Open-with needs a selection as well as a file under the cursor; the separators of the
  // groups left out go with them.
  window->browser().listView().DeselectAll();
  EXPECT_EQ(MenuAt(RowPoint(RowOf("file.txt"))), (std::vector<std::string>{"フォルダの作成(&F)"}));
  // Nothing listed: not even the new folder.
  ClickNode("Work");
  EXPECT_EQ(MenuAt(POINT{5, 5}), std::vector<std::string>{});
}

TEST_F(ListCommandsTest, MenuOpenActsOnTheRowUnderTheMenusPoint) {
  MakeFolder(content + "a");
  MakeFolder(content + "b");
  MakeFolder(content + "c");
  MakeFile(content + "b\\deep.txt", 1);
  MakeFile(content + "b\\deeper.txt", 1);
  MakeFile(content + "top.txt", 1);
  ShowContent();
  // One row selected: the row where the menu opened is opened, not the selected one.
  Select({"a"});
  window->listCommands().BuildMenu(RowPoint(RowOf("b")));
  Command(IDM_LIST_OPEN);
  EXPECT_EQ(window->browser().currentFolder(), content + "b");
  PostMessageA(List(), WM_KEYDOWN, VK_BACK, 0);
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().currentFolder() == NoSlash(content.path()) && !window->browser().loading(); }));

  // The same through the list's own context menu, opened where the mouse is and chosen
  // with the keyboard.
  Select({"b"});
  POINT screen = RowPoint(RowOf("a"));
  ClientToScreen(List(), &screen);
  SetCursorPos(screen.x, screen.y);
  PostMessageA(List(), WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(List(), WM_KEYDOWN, VK_RETURN, 0);
  SendMessageA(List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()), MAKELPARAM(screen.x, screen.y));
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().currentFolder() != NoSlash(content.path()) && !window->browser().loading(); },
                        std::chrono::seconds(10)));
  EXPECT_EQ(window->browser().currentFolder(), content + "a");
  PostMessageA(List(), WM_KEYDOWN, VK_BACK, 0);
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return window->browser().currentFolder() == NoSlash(content.path()) && !window->browser().loading(); }));

  // A menu opened away from every row opens nothing.
  Select({"a"});
  window->listCommands().BuildMenu(POINT{5, 2000});
  Command(IDM_LIST_OPEN);
  EXPECT_EQ(window->browser().currentFolder(), NoSlash(content.path()));

  // Several rows: the flat listing of the selected folders' files.
  Select({"b", "top.txt"});
  Command(IDM_LIST_OPEN);
  EXPECT_TRUE(window->browser().flatListing());
  std::vector<std::string> names = Names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"deep.txt", "deeper.txt"}));
}

TEST_F(ListCommandsTest, MenuCommandsActOnTheRowTheMenuOpenedOverWhenTheWatchMovesRows) {
  MakeFolder(content + "b");
  MakeFolder(content + "c");
  MakeFile(content + "b\\inner.txt", 1);
  ShowContent();
  ASSERT_TRUE(window->browser().watching());
  Select({"c"});
  window->listCommands().BuildMenu(RowPoint(RowOf("b")));
  // Before the command runs, a folder made meanwhile comes under the menu's point.
  MakeFolder(content + "a");
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return RowOf("a") == 0; }));
  Command(IDM_LIST_OPEN);
  EXPECT_EQ(window->browser().currentFolder(), content + "b");
  EXPECT_EQ(Names(), std::vector<std::string>{"inner.txt"});
}

// ---- rename, new folder, paste, delete, drops

TEST_F(ListCommandsTest, LabelEditsRenameEverySelectedRow) {
  for (const char* name : {"a.txt", "b.txt", "c.jpg", "n.txt", "m.txt", "b(01).txt", "b(02).txt"}) MakeFile(content + name, 1);
  MakeFolder(content + "abc");
  MakeFolder(content + "def");
  ShowContent();
  auto exists = [&](const char* name) { return IsExistingFile(content + name); };

  // One typed name for all: numbered where taken, each file keeping its own extension.
  Select({"a.txt", "c.jpg", "m.txt"});
  EndLabelEdit(RowOf("a.txt"), "x");
  EXPECT_TRUE(exists("x.txt") && exists("x.jpg") && exists("x(01).txt"));
  EXPECT_FALSE(exists("a.txt") || exists("c.jpg") || exists("m.txt"));
  for (const char* name : {"x.txt", "x.jpg", "x(01).txt"}) {
    ASSERT_GE(RowOf(name), 0) << name;
    EXPECT_EQ(window->browser().RowFullPath(RowOf(name)), content + name);
  }
  EXPECT_TRUE(prompter.messages.empty());

  // Confirming the present name renames nothing; a change of letter case alone is no clash.
  Select({"x.txt"});
  EndLabelEdit(RowOf("x.txt"), "x.txt");
  EXPECT_TRUE(exists("x.txt"));
  EXPECT_GE(RowOf("x.txt"), 0);
  EndLabelEdit(RowOf("x.txt"), "X.txt");
  EXPECT_GE(RowOf("X.txt"), 0);
  EXPECT_EQ(window->browser().RowFullPath(RowOf("X.txt")), content + "X.txt");

  // Numbering past the names taken; a folder is numbered at its end.
  Select({"n.txt"});
  EndLabelEdit(RowOf("n.txt"), "b");
  EXPECT_TRUE(exists("b(03).txt"));
  EXPECT_GE(RowOf("b(03).txt"), 0);
  Select({"abc"});
  EndLabelEdit(RowOf("abc"), "def");
  EXPECT_TRUE(IsExistingFolder(content + "def(01)"));
  ASSERT_GE(RowOf("def(01)"), 0);
  EXPECT_FALSE(Record("def(01)").isFile);

  // A file needs a base name: the message, the row unselected, nothing renamed.
  Select({"b.txt"});
  EndLabelEdit(RowOf("b.txt"), ".txt");
  EXPECT_EQ(prompter.messages, std::vector<std::string>{"Velmora: ファイル名を入力して下さい"});
  EXPECT_TRUE(SelectedNames().empty());
  EXPECT_TRUE(exists("b.txt"));

  // A name the file system refuses: the system's text, the row keeps its name.
  prompter.messages.clear();
  Select({"b.txt"});
  EndLabelEdit(RowOf("b.txt"), "a<b");
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_GT(prompter.messages[0].size(), std::string("Velmora: ").size());
  EXPECT_TRUE(exists("b.txt"));
  EXPECT_GE(RowOf("b.txt"), 0);

  // A cancelled edit does nothing.
  EndLabelEdit(RowOf("b.txt"), nullptr);
  EXPECT_TRUE(exists("b.txt"));

  // Another type: the row stays where it is and shows the type of its new name, with or
  // without a watch to report the rename (this one holds its notices back).
  FolderWatcher::Timing slow;
  slow.quietMs = slow.maxDelayMs = 600000;
  window->browser().SetWatchTiming(slow);
  Command(IDM_REFRESH);
  ASSERT_TRUE(WaitForWorker());
  Select({"b.txt"});
  const int row = RowOf("b.txt");
  EndLabelEdit(row, "b.jpg");
  EXPECT_EQ(RowOf("b.jpg"), row);
  EXPECT_TRUE(PumpUntil(window.get(), [&] { return CellText(row, 2) != "" && CellText(row, 2) == CellText(RowOf("x.jpg"), 2); }));
}

TEST_F(ListCommandsTest, ARenameIsAppliedToTheRenamedPathWhenRowsMoveWhileAMessageIsShown) {
  for (const char* name : {"a.txt", "c.txt", "d.txt"}) MakeFile(content + name, 1);
  ShowContent();
  ASSERT_TRUE(window->browser().watching());
  Select({"c.txt", "d.txt"});
  // c.txt is gone from the disk: its rename fails with a message, while which the watch
  // adds two rows before d.txt.
  ASSERT_TRUE(DeleteFileA((content + "c.txt").c_str()));
  prompter.whileShown = [&] {
    prompter.whileShown = nullptr;
    MakeFile(content + "b0.txt", 1);
    MakeFile(content + "b1.txt", 1);
    ASSERT_TRUE(PumpUntil(window.get(), [&] { return RowOf("b1.txt") >= 0 && RowOf("c.txt") < 0; }));
  };
  EndLabelEdit(RowOf("c.txt"), "x");
  EXPECT_EQ(prompter.messages.size(), 1u);
  EXPECT_TRUE(IsExistingFile(content + "x.txt"));
  ASSERT_GE(RowOf("x.txt"), 0);
  EXPECT_EQ(window->browser().RowFullPath(RowOf("x.txt")), content + "x.txt");
  ASSERT_GE(RowOf("b1.txt"), 0);
  EXPECT_EQ(window->browser().RowFullPath(RowOf("b1.txt")), content + "b1.txt");
}

TEST_F(ListCommandsTest, NewFolderIsNumberedAppendedSelectedAndEdited) {
  MakeFolder(content + "新しいフォルダ");
  MakeFolder(content + "新しいフォルダ1");
  MakeFile(content + "z.txt", 1);
  ShowContent();
  Select({"z.txt"});
  Command(IDM_LIST_NEW_FOLDER);
  EXPECT_TRUE(IsExistingFolder(content + "新しいフォルダ2"));
  ASSERT_EQ(Names().back(), "新しいフォルダ2");
  EXPECT_FALSE(window->browser().records().back()->isFile);
  EXPECT_EQ(SelectedNames(), std::vector<std::string>{"新しいフォルダ2"});
  HWND edit = ListView_GetEditControl(List());
  ASSERT_NE(edit, nullptr);

  // Typing a name and Enter renames the new folder.
  SetWindowTextA(edit, "named");
  SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return IsExistingFolder(content + "named"); }));
  EXPECT_EQ(Names().back(), "named");
  EXPECT_EQ(window->browser().RowFullPath(static_cast<int>(Names().size()) - 1), content + "named");
}

TEST_F(ListCommandsTest, CopyAndPasteThroughTheClipboard) {
  TempDir source;
  MakeFile(source + "same.txt", 3000);
  MakeFile(source + "new.txt", 1);
  MakeFolder(source + "dir");
  MakeFile(source + "dir\\inner.txt", 1);
  MakeFile(content + "same.txt", 1);
  MakeFolder(content + "into");
  ShowContent();
  const std::size_t before = Names().size();

  // Nothing selected: into the listed folder; new rows at the end, each of its own kind,
  // the row already there refreshed and selected.
  window->browser().listView().DeselectAll();
  PutFilesOnClipboard({source + "same.txt", source + "new.txt", source + "dir"});
  Command(IDM_LIST_PASTE);
  EXPECT_TRUE(IsExistingFile(content + "new.txt"));
  EXPECT_TRUE(IsExistingFile(content + "dir\\inner.txt"));
  ASSERT_EQ(Names().size(), before + 2);
  EXPECT_EQ(Names()[before], "new.txt");
  EXPECT_EQ(Names()[before + 1], "dir");
  EXPECT_TRUE(Record("new.txt").isFile);
  EXPECT_FALSE(Record("dir").isFile);
  EXPECT_FALSE(Record("dir").typeText.empty());
  EXPECT_EQ(Record("same.txt").size, 3000);
  EXPECT_EQ(SelectedNames(), std::vector<std::string>{"same.txt"});
  EXPECT_EQ(window->browser().RowFullPath(RowOf("dir")), content + "dir");

  // A folder row selected: into that folder, the list unchanged.
  Select({"into"});
  Command(IDM_LIST_PASTE);
  EXPECT_TRUE(IsExistingFile(content + "into\\new.txt"));
  EXPECT_EQ(Names().size(), before + 2);

  // Ctrl+C in the list puts the selected rows' full paths on the clipboard.
  Select({"new.txt", "dir"});
  PressKey(window.get(), List(), 'C', true);
  ASSERT_TRUE(OpenClipboard(nullptr));
  HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
  std::vector<std::string> copied;
  char name[MAX_PATH];
  for (UINT i = 0; drop && i < DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0); ++i) {
    DragQueryFileA(drop, i, name, MAX_PATH);
    copied.push_back(name);
  }
  CloseClipboard();
  std::sort(copied.begin(), copied.end());
  EXPECT_EQ(copied, (std::vector<std::string>{content + "dir", content + "new.txt"}));
}

TEST_F(ListCommandsTest, KeysReachTheFocusedControlsCommandAndStayInTheLabelEditor) {
  MakeFolder(content + "sub");
  MakeFile(content + "sub\\a.txt", 1);
  ShowContent();
  const std::string root = NoSlash(content.path());
  HWND tree = window->control(IDC_TREE);
  Select({"sub"});
  PressKey(window.get(), List(), VK_RETURN);
  ASSERT_EQ(window->browser().currentFolder(), content + "sub");

  // One key, the focused control's command: Ctrl+C on the list copies the selected rows, on
  // the tree the folder node's listed folder. Shift held changes neither.
  Select({"a.txt"});
  PressKey(window.get(), List(), 'C', true);
  EXPECT_EQ(ReadClipboardPaths(window->hwnd()), (std::vector<std::string>{content + "sub\\a.txt"}));
  PressKey(window.get(), tree, 'C', true);
  EXPECT_EQ(ReadClipboardPaths(window->hwnd()), (std::vector<std::string>{content + "sub"}));
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  PressKey(window.get(), List(), 'C', true);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(ReadClipboardPaths(window->hwnd()), (std::vector<std::string>{content + "sub\\a.txt"}));
  // Backspace is the list's: on the tree it leaves the listing where it is.
  PressKey(window.get(), tree, VK_BACK);
  EXPECT_EQ(window->browser().currentFolder(), content + "sub");

  // While a row's name is edited, Backspace, Delete and Ctrl+C edit the text.
  ClearClipboard();
  SetFocus(List());
  HWND edit = ListView_EditLabel(List(), RowOf("a.txt"));
  ASSERT_NE(edit, nullptr);
  PressKey(window.get(), edit, VK_BACK);
  PressKey(window.get(), edit, VK_DELETE);
  PressKey(window.get(), edit, 'C', true);
  EXPECT_EQ(window->browser().currentFolder(), content + "sub");
  EXPECT_TRUE(IsExistingFile(content + "sub\\a.txt"));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
  SendMessageA(List(), LVM_CANCELEDITLABEL, 0, 0);

  // Outside it, Backspace goes up again.
  PressKey(window.get(), List(), VK_BACK);
  EXPECT_TRUE(PumpUntil(window.get(), [&] { return window->browser().currentFolder() == root && !window->browser().loading(); }));
}

TEST_F(ListCommandsTest, DeleteRemovesTheRowsOfWhatWent) {
  if (TrashHome().empty()) GTEST_SKIP() << "not under Wine";
  for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt"}) MakeFile(content + name, 1);
  MakeFolder(content + "dir");
  ShowContent();
  std::vector<std::string> rest = Names();
  rest.erase(std::find(rest.begin(), rest.end(), "2.txt"));
  rest.erase(std::find(rest.begin(), rest.end(), "dir"));

  // The Delete key: both rows go, the others keep their order, nothing stays selected.
  Select({"2.txt", "dir"});
  PressKey(window.get(), List(), VK_DELETE);
  EXPECT_FALSE(IsExistingFile(content + "2.txt"));
  EXPECT_FALSE(IsExistingFolder(content + "dir"));
  EXPECT_TRUE(IsExistingFile(TrashHome() + "Trash\\files\\2.txt"));
  EXPECT_EQ(Names(), rest);
  EXPECT_EQ(ListView_GetItemCount(List()), static_cast<int>(rest.size()));
  EXPECT_TRUE(SelectedNames().empty());
  ASSERT_TRUE(WaitForWorker());
  for (const auto& record : window->browser().records()) EXPECT_FALSE(record->typeText.empty()) << record->name;

  // An item gone already: afterwards every row left is one that exists.
  DeleteFileA((content + "3.txt").c_str());
  Select({"3.txt", "4.txt"});
  Command(IDM_LIST_DELETE);
  for (int row = 0; row < static_cast<int>(Names().size()); ++row)
    EXPECT_TRUE(IsExistingFile(window->browser().RowFullPath(row))) << Names()[static_cast<std::size_t>(row)];
  EXPECT_EQ(ListView_GetItemCount(List()), static_cast<int>(Names().size()));

  // A No to a later question of the shell, after the first item went: its row goes too. A
  // file held open cannot go to the trash, and the shell asks whether to delete it for good,
  // as Windows asks for an item too big for the recycle bin.
  MakeFile(content + "5.txt", 1);
  MakeFile(content + "6.txt", 1);
  Command(IDM_REFRESH);
  HANDLE held = CreateFileA((content + "6.txt").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  window->listCommands().fileCommands().SetShellConfirmations(true);
  Select({"5.txt", "6.txt"});
  {
    DialogAnswers answers({IDYES, IDNO});
    Command(IDM_LIST_DELETE);
    EXPECT_EQ(answers.answered, 2);
  }
  CloseHandle(held);
  EXPECT_FALSE(IsExistingFile(content + "5.txt"));
  EXPECT_EQ(RowOf("5.txt"), -1);
  ASSERT_TRUE(IsExistingFile(content + "6.txt"));
  EXPECT_GE(RowOf("6.txt"), 0);
  EXPECT_EQ(SelectedNames(), std::vector<std::string>{"6.txt"});
}

TEST_F(ListCommandsTest, ShellDropsCopyIntoTheListedFolder) {
  TempDir source;
  MakeFile(source + "dropped.txt", 1);
  MakeFolder(content + "row");
  MakeFile(content + "other.txt", 1);
  ShowContent();
  Select({"other.txt"});

  // Dropped onto a folder row: still into the listed folder, every row unselected first.
  POINT at = RowPoint(RowOf("row"));
  MapWindowPoints(List(), window->hwnd(), &at, 1);
  HDROP drop = MakeDrop({source + "dropped.txt"}, at);
  SendMessageA(window->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  EXPECT_EQ(GlobalFlags(drop), static_cast<UINT>(GMEM_INVALID_HANDLE));
  EXPECT_TRUE(IsExistingFile(content + "dropped.txt"));
  EXPECT_FALSE(IsExistingFile(content + "row\\dropped.txt"));
  EXPECT_EQ(Names().back(), "dropped.txt");
  EXPECT_EQ(window->browser().RowFullPath(RowOf("dropped.txt")), content + "dropped.txt");
  EXPECT_TRUE(SelectedNames().empty());

  // Onto the tree: released, nothing copied (registering comes with the binder commands).
  MakeFile(source + "tree.txt", 1);
  RECT tree = {};
  GetWindowRect(window->control(IDC_TREE), &tree);
  POINT onTree = {(tree.left + tree.right) / 2, (tree.top + tree.bottom) / 2};
  ScreenToClient(window->hwnd(), &onTree);
  drop = MakeDrop({source + "tree.txt"}, onTree);
  SendMessageA(window->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  EXPECT_EQ(GlobalFlags(drop), static_cast<UINT>(GMEM_INVALID_HANDLE));
  EXPECT_FALSE(IsExistingFile(content + "tree.txt"));
}

}  // namespace
}  // namespace velmora
