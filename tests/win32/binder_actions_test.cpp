// The tree's binder commands in the real main window: the context menu's rules, new binder,
// rename by label edit, delete, add folder, copy and paste, shell drops and drags onto binders.
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <set>

#include "common/path_lists.h"
#include "text/cp932.h"
#include "win32/clipboard_files.h"
#include "win32/window_fixture.h"

namespace velmora {
namespace {

using testing_support::MainWindowTest;
using testing_support::MakeDrop;
using testing_support::MakeFile;
using testing_support::MakeFolder;
using testing_support::MakeShortcut;
using testing_support::PressKey;
using testing_support::ReadBytes;

std::set<UINT> MenuIds(HMENU menu) {
  std::set<UINT> ids;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    const UINT id = GetMenuItemID(menu, i);
    if (id != 0 && id != static_cast<UINT>(-1)) ids.insert(id);
  }
  return ids;
}

class BinderActionsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
  }
  std::set<UINT> MenuFor(const char* node) {
    if (node) TreeView_SelectItem(window->control(IDC_TREE), FindNode(node));
    HMENU menu = window->binderActions().BuildMenu();
    std::set<UINT> ids = MenuIds(menu);
    DestroyMenu(menu);
    return ids;
  }
  std::vector<std::string> Children(const std::string& binder) const {
    std::vector<std::string> texts;
    HWND tree = window->control(IDC_TREE);
    for (HTREEITEM c = TreeView_GetChild(tree, FindNode(binder)); c; c = TreeView_GetNextSibling(tree, c))
      texts.push_back(window->tree().Text(c));
    return texts;
  }
  std::vector<std::string> Binders() const { return Children("バインダー"); }
  POINT OnNode(const std::string& text) const {
    RECT r = {};
    TreeView_GetItemRect(window->control(IDC_TREE), FindNode(text), &r, TRUE);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // A right-click on a point of the tree, as the mouse gives it, and the keys the user then
  // presses in the menu that opens; the command chosen has run when this returns.
  void RightClickAndChoose(POINT at, std::initializer_list<WPARAM> keys) {
    HWND tree = window->control(IDC_TREE);
    POINT screen = at;
    ClientToScreen(tree, &screen);
    SetCursorPos(screen.x, screen.y);
    // The tree watches for the button's release before it asks for a menu; the keys wait in
    // the queue for the menu's own loop.
    PostMessageA(tree, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    for (WPARAM key : keys) PostMessageA(tree, WM_KEYDOWN, key, 0);
    SendMessageA(tree, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
    testing_support::PumpPending(window.get());
  }
  std::string SelectedText() const { return window->tree().Text(window->tree().Selected()); }
};

// The menu and its commands belong to the node that was right-clicked, not to the node that
// happened to be selected before.
TEST_F(BinderActionsTest, ARightClickedNodesMenuActsOnThatNode) {
  MakeFolder(content + "f");
  MakeFolder(content + "g");
  MakeFile(content + "f\\in.txt", 1);
  Open("Work\r\nwork 2\r\n", "[Work]\r\n" + content.path() + "f=0\r\n\r\n");
  window->binderActions().browseForFolder = [&] { return content + "g"; };
  ClickNode("work 2");
  RightClickAndChoose(OnNode("Work"), {VK_DOWN, VK_RETURN});  // its first item: add folder
  EXPECT_EQ(Children("Work"), (std::vector<std::string>{"f", "g"}));
  EXPECT_TRUE(Children("work 2").empty());

  // The root's menu is the root's: a new binder.
  ClickNode("work 2");
  prompter.textAnswer = "Fresh";
  RightClickAndChoose(OnNode("バインダー"), {VK_DOWN, VK_RETURN});
  EXPECT_EQ(Binders(), (std::vector<std::string>{"Fresh", "Work", "work 2"}));

  // Delete, the binder menu's last item, deletes the binder clicked.
  ClickNode("Work");
  RightClickAndChoose(OnNode("work 2"), {VK_UP, VK_RETURN});
  EXPECT_EQ(prompter.messages.back(), "削除の確認: 'work 2' バインダーを削除します。よろしいですか？");
  EXPECT_EQ(Binders(), (std::vector<std::string>{"Fresh", "Work"}));

  // A folder node clicked is listed, so that copy and open take that folder.
  ClickNode("g");
  RightClickAndChoose(OnNode("f"), {VK_ESCAPE});
  EXPECT_EQ(SelectedText(), "f");
  EXPECT_EQ(window->browser().currentFolder(), content + "f");
  EXPECT_TRUE(WaitForWorker());
  EXPECT_EQ(Names(), (std::vector<std::string>{"in.txt"}));

  // From the keyboard the menu is the selected node's.
  ClickNode("Work");
  PostMessageA(window->control(IDC_TREE), WM_KEYDOWN, VK_UP, 0);
  PostMessageA(window->control(IDC_TREE), WM_KEYDOWN, VK_RETURN, 0);
  SendMessageA(window->hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window->control(IDC_TREE)), MAKELPARAM(-1, -1));
  testing_support::PumpPending(window.get());
  EXPECT_EQ(prompter.messages.back(), "削除の確認: 'Work' バインダーとそのフォルダを削除します。よろしいですか？");
  EXPECT_EQ(Binders(), (std::vector<std::string>{"Fresh"}));
}

TEST_F(BinderActionsTest, ANewBinderIsSelectedInTheFocusedTree) {
  Open("Work\r\n");
  SetFocus(window->control(IDC_LIST));
  prompter.textAnswer = "Fresh";
  Command(IDM_NEW_BINDER);
  EXPECT_EQ(SelectedText(), "Fresh");
  EXPECT_EQ(GetFocus(), window->control(IDC_TREE));
}

TEST_F(BinderActionsTest, ContextMenuShowsOnlyWhatTheSelectedNodeAllows) {
  MakeFolder(content + "f");
  Open("Work\r\n", "[Work]\r\n" + content.path() + "f=0\r\n\r\n");
  EXPECT_EQ(MenuFor("バインダー"), (std::set<UINT>{IDM_NEW_BINDER}));
  EXPECT_EQ(MenuFor("Work"), (std::set<UINT>{IDM_TREE_ADD_FOLDER, IDM_TREE_FOLDER_LIST, IDM_TREE_RENAME, IDM_TREE_DELETE}));
  EXPECT_EQ(MenuFor("f"), (std::set<UINT>{IDM_TREE_OPEN, IDM_TREE_COPY, IDM_TREE_DELETE}));
  // A shell file list on the clipboard adds paste, on binders only.
  ASSERT_TRUE(CopyPathsToClipboard(window->hwnd(), {content + "f"}));
  EXPECT_EQ(MenuFor("Work"),
            (std::set<UINT>{IDM_TREE_ADD_FOLDER, IDM_TREE_FOLDER_LIST, IDM_TREE_RENAME, IDM_TREE_PASTE, IDM_TREE_DELETE}));
  EXPECT_EQ(MenuFor("f").count(IDM_TREE_PASTE), 0u);
  TreeView_SelectItem(window->control(IDC_TREE), nullptr);
  EXPECT_TRUE(MenuFor(nullptr).empty());  // separators only
  // Captions with their access keys and the shortcut beside them.
  TreeView_SelectItem(window->control(IDC_TREE), FindNode("f"));
  HMENU menu = window->binderActions().BuildMenu();
  char text[64] = "";
  GetMenuStringA(menu, IDM_TREE_COPY, text, sizeof(text), MF_BYCOMMAND);
  EXPECT_STREQ(text, "コピー(&C)\tCtrl+C");
  DestroyMenu(menu);
}

// A separator stands only between items that show: never first, last, or next to another.
TEST_F(BinderActionsTest, ContextMenusShowSeparatorsOnlyBetweenShownItems) {
  MakeFolder(content + "f");
  Open("Work\r\n", "[Work]\r\n" + content.path() + "f=0\r\n\r\n");
  auto kinds = [&](const char* node) {
    if (node) TreeView_SelectItem(window->control(IDC_TREE), FindNode(node));
    HMENU menu = window->binderActions().BuildMenu();
    std::string shape;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      MENUITEMINFOA mii = {};
      mii.cbSize = sizeof(mii);
      mii.fMask = MIIM_FTYPE;
      GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mii);
      shape += (mii.fType & MFT_SEPARATOR) ? '-' : 'x';
    }
    DestroyMenu(menu);
    return shape;
  };
  for (const char* node : {"バインダー", "Work", "f"}) {
    const std::string shape = kinds(node);
    ASSERT_FALSE(shape.empty()) << node;
    EXPECT_NE(shape.front(), '-') << node << " " << shape;
    EXPECT_NE(shape.back(), '-') << node << " " << shape;
    EXPECT_EQ(shape.find("--"), std::string::npos) << node << " " << shape;
  }
  EXPECT_EQ(kinds("バインダー"), "x");
  TreeView_SelectItem(window->control(IDC_TREE), nullptr);
  EXPECT_EQ(kinds(nullptr), "");
}

TEST_F(BinderActionsTest, NewBindersAreNumberedAndSelectedWithoutListing) {
  MakeFolder(content + "f");
  Open("Work\r\n", "[Work]\r\n" + content.path() + "f=2\r\n\r\n");
  ClickNode("f");
  const std::size_t listings = window->browser().listings();
  prompter.textAnswer = "Work";
  Command(IDM_NEW_BINDER);
  Command(IDM_NEW_BINDER);
  prompter.textAnswer = "work";
  Command(IDM_NEW_BINDER);
  EXPECT_EQ(Binders(), (std::vector<std::string>{"Work", "Work 1", "Work 2", "work 3"}));
  EXPECT_EQ(window->tree().Text(window->tree().Selected()), "work 3");
  EXPECT_EQ(window->browser().listings(), listings);
  EXPECT_EQ(window->browser().currentFolder(), content + "f");
  // Cancel creates nothing.
  prompter.answer = false;
  Command(IDM_NEW_BINDER);
  EXPECT_EQ(Binders().size(), 4u);
  Close();
  EXPECT_EQ(ReadBytes(app + "data\\titlelist.txt"), "Work\r\nWork 1\r\nWork 2\r\nwork 3\r\n");
}

TEST_F(BinderActionsTest, RenameByLabelEditKeepsFoldersAndRefusesTakenNames) {
  MakeFolder(content + "f");
  Open("Work\r\nOther\r\n", "[Work]\r\n" + content.path() + "f=1\r\n\r\n[Other]\r\n\r\n");
  HWND tree = window->control(IDC_TREE);
  auto rename = [&](const std::string& from, const std::string& to) {
    TreeView_SelectItem(tree, FindNode(from));
    Command(IDM_TREE_RENAME);
    HWND edit = TreeView_GetEditControl(tree);
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, to.c_str());
    TreeView_EndEditLabelNow(tree, FALSE);
  };
  rename("Work", "仕事");
  EXPECT_NE(FindNode("仕事"), nullptr);
  EXPECT_EQ(Children("仕事"), (std::vector<std::string>{"f"}));
  rename("仕事", "other");  // taken, but for letter case
  rename("仕事", "");
  EXPECT_NE(FindNode("仕事"), nullptr);
  EXPECT_EQ(FindNode("other"), nullptr);
  // Folder nodes cannot be renamed.
  TreeView_SelectItem(tree, FindNode("f"));
  Command(IDM_TREE_RENAME);
  EXPECT_EQ(TreeView_GetEditControl(tree), nullptr);
  Close();
  EXPECT_NE(ReadBytes(app + "data\\folderlist.ini").find("[仕事]\r\n" + content.path() + "f=1\r\n"), std::string::npos);
}

TEST_F(BinderActionsTest, DeleteAsksThenRemovesBindersAndFolders) {
  MakeFolder(content + "f");
  MakeFolder(content + "g");
  MakeFile(content + "f\\x.txt", 1);
  Open("Work\r\nEmpty\r\n", "[Work]\r\n" + content.path() + "f=2\r\n" + content.path() + "g=2\r\n\r\n");
  ClickNode("f");
  ASSERT_EQ(window->browser().records().size(), 1u);
  prompter.answer = false;
  Command(IDM_TREE_DELETE);
  EXPECT_NE(FindNode("f"), nullptr);
  prompter.answer = true;
  Command(IDM_TREE_DELETE);
  EXPECT_EQ(FindNode("f"), nullptr);
  EXPECT_EQ(window->tree().Text(window->tree().Selected()), "Work");
  EXPECT_TRUE(window->browser().records().empty());  // the binder is listed: nothing
  ASSERT_GE(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages.back(), "削除の確認: 'Work' バインダーから 'f' を削除します。よろしいですか？");

  Command(IDM_TREE_DELETE);
  EXPECT_EQ(prompter.messages.back(), "削除の確認: 'Work' バインダーとそのフォルダを削除します。よろしいですか？");
  EXPECT_EQ(FindNode("Work"), nullptr);
  EXPECT_EQ(FindNode("g"), nullptr);
  EXPECT_EQ(window->tree().Selected(), window->tree().Root());
  TreeView_SelectItem(window->control(IDC_TREE), FindNode("Empty"));
  Command(IDM_TREE_DELETE);
  EXPECT_EQ(prompter.messages.back(), "削除の確認: 'Empty' バインダーを削除します。よろしいですか？");
  Close();
  EXPECT_EQ(ReadBytes(app + "data\\titlelist.txt"), "");
  EXPECT_EQ(ReadBytes(app + "data\\folderlist.ini").find("[Work]"), std::string::npos);
}

// Keys pressed in the tree, delivered through the message loop as the keyboard delivers them.
TEST_F(BinderActionsTest, TreeKeysListCopyPasteAndDeleteTheSelectedNode) {
  MakeFolder(content + "a");
  MakeFolder(content + "b");
  Open("Work\r\nOther\r\n", "[Work]\r\n" + content.path() + "a=0\r\n" + content.path() + "b=0\r\n\r\n[Other]\r\n\r\n");
  HWND tree = window->control(IDC_TREE);
  SetFocus(tree);
  auto press = [&](HWND target, WPARAM key, bool control) { PressKey(window.get(), target, key, control); };

  // The arrows move the selection and list the node they reach.
  ClickNode("a");
  press(tree, VK_DOWN, false);
  EXPECT_EQ(SelectedText(), "b");
  EXPECT_EQ(window->browser().currentFolder(), content + "b");
  press(tree, VK_UP, false);
  EXPECT_EQ(SelectedText(), "a");
  EXPECT_EQ(window->browser().currentFolder(), content + "a");

  // Ctrl+C on a folder puts it on the clipboard; Ctrl+V registers it into a binder only.
  press(tree, 'C', true);
  EXPECT_EQ(ReadClipboardPaths(window->hwnd()), (std::vector<std::string>{content + "a"}));
  press(tree, 'V', true);
  EXPECT_EQ(Children("Work"), (std::vector<std::string>{"a", "b"}));
  ClickNode("Other");
  press(tree, 'V', true);
  EXPECT_EQ(Children("Other"), (std::vector<std::string>{"a"}));

  // Delete removes the selected folder after asking; while a binder's name is being edited
  // it edits the text and deletes nothing.
  ClickNode("b");
  prompter.answer = true;
  press(tree, VK_DELETE, false);
  EXPECT_EQ(Children("Work"), (std::vector<std::string>{"a"}));
  EXPECT_EQ(prompter.messages.back(), "削除の確認: 'Work' バインダーから 'b' を削除します。よろしいですか？");
  const std::size_t asked = prompter.messages.size();
  ClickNode("Other");
  press(tree, VK_F2, false);  // F2 edits the binder's name
  HWND edit = TreeView_GetEditControl(tree);
  ASSERT_NE(edit, nullptr);
  press(edit, VK_DELETE, false);
  TreeView_EndEditLabelNow(tree, TRUE);
  EXPECT_EQ(Binders(), (std::vector<std::string>{"Other", "Work"}));
  EXPECT_EQ(prompter.messages.size(), asked);
  window->browser().StopFileInfoWorker();
}

TEST_F(BinderActionsTest, AddFolderRegistersTheChosenFolderAndListsIt) {
  MakeFolder(content + "chosen");
  MakeFile(content + "chosen\\in.txt", 1);
  Open("Work\r\n", "[Work]\r\n\r\n");
  window->binderActions().browseForFolder = [&] { return content + "chosen"; };
  TreeView_SelectItem(window->control(IDC_TREE), FindNode("Work"));
  Command(IDM_TREE_ADD_FOLDER);
  EXPECT_EQ(Children("Work"), (std::vector<std::string>{"chosen"}));
  EXPECT_EQ(window->tree().Text(window->tree().Selected()), "chosen");
  EXPECT_EQ(window->browser().currentFolder(), content + "chosen");
  EXPECT_EQ(Names(), (std::vector<std::string>{"in.txt"}));
  // Registered again: nothing added, the binder is selected.
  TreeView_SelectItem(window->control(IDC_TREE), FindNode("Work"));
  Command(IDM_TREE_ADD_FOLDER);
  EXPECT_EQ(Children("Work").size(), 1u);
  EXPECT_EQ(window->tree().Text(window->tree().Selected()), "Work");
  window->browser().StopFileInfoWorker();
}

TEST_F(BinderActionsTest, PasteDropAndDragRegisterFoldersOnly) {
  MakeFolder(content + "a");
  MakeFolder(content + "b");
  MakeFolder(content + "target");
  MakeFile(content + "note.txt", 1);
  ASSERT_TRUE(MakeShortcut(content + "link.lnk", content + "target"));
  Open("Work\r\nDrop\r\n", "[Work]\r\n\r\n[Drop]\r\n" + content.path() + "a=0\r\n\r\n");
  // Paste: folders, a file skipped, a shortcut registered as its target.
  ASSERT_TRUE(CopyPathsToClipboard(window->hwnd(), {content + "a", content + "note.txt", content + "link.lnk"}));
  TreeView_SelectItem(window->control(IDC_TREE), FindNode("Work"));
  Command(IDM_TREE_PASTE);
  EXPECT_EQ(Children("Work"), (std::vector<std::string>{"a", "target"}));
  EXPECT_EQ(window->tree().Text(window->tree().Selected()), "target");

  // A shell drop on a binder node registers the folders into it.
  POINT at = OnNode("Drop");
  MapWindowPoints(window->control(IDC_TREE), window->hwnd(), &at, 1);
  HDROP drop = MakeDrop({content + "b", content + "note.txt"}, at);
  SendMessageA(window->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  EXPECT_EQ(GlobalFlags(drop), static_cast<UINT>(GMEM_INVALID_HANDLE));
  EXPECT_EQ(Children("Drop"), (std::vector<std::string>{"a", "b"}));

  // Dragging a folder node onto another binder copies it: it stays where it was.
  TreeView_SelectItem(window->control(IDC_TREE), FindNode("b"));
  NMTREEVIEWA begin = {};
  begin.hdr.hwndFrom = window->control(IDC_TREE);
  begin.hdr.idFrom = IDC_TREE;
  begin.hdr.code = TVN_BEGINDRAGA;
  begin.itemNew.hItem = FindNode("b");
  SendMessageA(window->hwnd(), WM_NOTIFY, IDC_TREE, reinterpret_cast<LPARAM>(&begin));
  POINT over = OnNode("Work");
  ClientToScreen(window->control(IDC_TREE), &over);
  SetCursorPos(over.x, over.y);
  SendMessageA(window->hwnd(), WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(Children("Work"), (std::vector<std::string>{"a", "b", "target"}));
  EXPECT_EQ(Children("Drop"), (std::vector<std::string>{"a", "b"}));
  window->browser().StopFileInfoWorker();
  Close();
  const std::string folders = ReadBytes(app + "data\\folderlist.ini");
  EXPECT_NE(folders.find(content + "target=0\r\n"), std::string::npos);
  EXPECT_EQ(folders.find("note.txt"), std::string::npos);
  EXPECT_EQ(folders.find("link.lnk"), std::string::npos);
}

// Commands on binders stored closed and never opened act on all of their folders.
TEST_F(BinderActionsTest, CommandsOnNeverExpandedBindersSeeAllTheirFolders) {
  const std::string dir = content.path();
  for (const char* name : {"a", "b", "new", "x"}) MakeFolder(dir + name);
  std::string folders, titles;
  for (const char* binder : {"C1", "C2", "C3", "C4", "C5"}) {
    titles += std::string(binder) + "\r\n";
    folders += "[" + std::string(binder) + "]\r\n" + dir + "b=1\r\n" + dir + "a=2\r\ncmp=0\r\n\r\n";
  }
  Open(titles + "Open\r\n", folders + "[Open]\r\n" + dir + "x=0\r\n\r\n");
  HWND tree = window->control(IDC_TREE);
  // Renamed: the folders go with it, and the closed state goes to the new name.
  for (const char* name : {"C1", "C5"}) {
    TreeView_SelectItem(tree, FindNode(name));
    Command(IDM_TREE_RENAME);
    ASSERT_NE(TreeView_GetEditControl(tree), nullptr);
    SetWindowTextA(TreeView_GetEditControl(tree), (std::string("R") + (name + 1)).c_str());
    TreeView_EndEditLabelNow(tree, FALSE);
  }
  TreeView_Expand(tree, FindNode("R1"), TVE_EXPAND);
  EXPECT_EQ(Children("R1"), (std::vector<std::string>{"a", "b"}));
  // A shell drop of a folder it holds and of a new one.
  POINT at = OnNode("C2");
  MapWindowPoints(tree, window->hwnd(), &at, 1);
  SendMessageA(window->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({dir + "a", dir + "new"}, at)), 0);
  EXPECT_EQ(Children("C2"), (std::vector<std::string>{"a", "b", "new"}));
  EXPECT_EQ(SelectedText(), "new");
  // A folder node dragged onto it.
  TreeView_SelectItem(tree, FindNode("x"));
  window->binderActions().DragOnto(OnNode("C3"), {dir + "x"});
  EXPECT_EQ(Children("C3"), (std::vector<std::string>{"a", "b", "x"}));
  // Deleting asks as for a binder with folders.
  TreeView_SelectItem(tree, FindNode("C4"));
  Command(IDM_TREE_DELETE);
  EXPECT_EQ(prompter.messages.back(), "削除の確認: 'C4' バインダーとそのフォルダを削除します。よろしいですか？");
  EXPECT_EQ(FindNode("C4"), nullptr);
  window->browser().StopFileInfoWorker();
  Close();
  EXPECT_EQ(ReadBytes(app + "data\\folderlist.ini"),
            "[R1]\r\n" + dir + "b=1\r\n" + dir + "a=2\r\ncmp=1\r\n\r\n[C2]\r\n" + dir + "b=1\r\n" + dir +
                "a=2\r\ncmp=1\r\n" + dir + "new=0\r\n\r\n[C3]\r\n" + dir + "b=1\r\n" + dir +
                "a=2\r\ncmp=1\r\n" + dir + "x=0\r\n\r\n[R5]\r\n" + dir + "b=1\r\n" + dir + "a=2\r\ncmp=0\r\n\r\n[Open]\r\n" + dir + "x=0\r\ncmp=1\r\n\r\n" +
                "[Orvik]\r\nFRG=0\r\nWID=152\r\n\r\n");
}

// The dialog runs modally; a thread timer works it from inside its loop.
std::string gFolderListCaption;
void CALLBACK DeleteFirstRowThenOk(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindWindowA(nullptr, gFolderListCaption.c_str());
  if (!dialog) return;
  KillTimer(nullptr, timer);
  HWND list = FindWindowExA(dialog, nullptr, WC_LISTVIEWA, nullptr);
  ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SendMessageA(dialog, WM_COMMAND, 102, 0);  // delete the selected rows
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(BinderActionsTest, FolderListRemovesTheFoldersDeletedInIt) {
  MakeFolder(content + "a");
  MakeFolder(content + "b");
  Open("Work\r\n", "[Work]\r\n" + content.path() + "a=0\r\n" + content.path() + "b=0\r\n\r\n");
  TreeView_SelectItem(window->control(IDC_TREE), FindNode("Work"));
  gFolderListCaption = "Workバインダーが管理するフォルダ";
  SetTimer(nullptr, 0, 50, &DeleteFirstRowThenOk);
  Command(IDM_TREE_FOLDER_LIST);
  EXPECT_EQ(Children("Work"), (std::vector<std::string>{"b"}));
  Close();
  const std::string folders = ReadBytes(app + "data\\folderlist.ini");
  EXPECT_EQ(folders.find(content + "a=0"), std::string::npos);
  EXPECT_NE(folders.find(content + "b=0"), std::string::npos);
}

}  // namespace
}  // namespace velmora
