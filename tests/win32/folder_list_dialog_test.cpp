// The folder list dialog in this process: its rows, removals applied by OK only, copying,
// and its layout limits.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "binders/win32/folder_list_dialog.h"
#include "store/binder_store.h"
#include "store/win32/win32_collation.h"
#include "support/fake_file_system.h"
#include "support/temp_folder.h"
#include "win32/clipboard_files.h"
#include "support/window_rect.h"

namespace velmora {
namespace {

std::string CellText(HWND list, int row, int column) {
  char buffer[MAX_PATH] = "";
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = MAX_PATH;
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

void Select(HWND list, const std::vector<int>& rows) {
  LVITEMA state = {};
  state.stateMask = LVIS_SELECTED;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  state.state = LVIS_SELECTED;
  for (int row : rows) SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

class FolderListDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
    for (const std::string& folder : {plain, hidden, other}) ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    store.titles.Parse("Work\r\n");
    store.folders.Parse("[Work]\r\ncmp=1\r\n" + plain + "=0\r\n" + hidden + "=0\r\n" + missing + "=0\r\n" + other +
                        "=0\r\n");
    SHFILEINFOA info = {};
    images = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    owner = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  void TearDown() override {
    dialog.reset();
    edit.reset();
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
    DestroyWindow(owner);
  }
  void Open() {
    edit = std::make_unique<FolderListEdit>(store, "Work", collation);
    dialog = std::make_unique<TFolderListDlg>(owner, *edit, "Work", images);
    ASSERT_TRUE(dialog->Create());
  }
  int Rows() const { return static_cast<int>(SendMessageA(dialog->list(), LVM_GETITEMCOUNT, 0, 0)); }
  std::vector<std::string> Keys() {
    std::vector<std::string> keys;
    store.folders.ReadSectionKeys("Work", keys);
    return keys;
  }
  // Ends the modal run with the button of the id, pressed as a user would.
  int EndWith(int id) {
    PostMessageA(GetDlgItem(dialog->hwnd(), id), BM_CLICK, 0, 0);
    return RunModal();
  }
  // Should what was posted not end the dialog, OK ends it after a deadline: the test then
  // fails instead of waiting for ever.
  int RunModal() {
    stuck = dialog->hwnd();
    const UINT_PTR timer = SetTimer(nullptr, 0, 10000, &PressOk);
    const int result = dialog->ShowModal();
    KillTimer(nullptr, timer);
    return result;
  }
  static void CALLBACK PressOk(HWND, UINT, UINT_PTR, DWORD) { PostMessageA(stuck, WM_COMMAND, IDOK, 0); }
  static HWND stuck;

  test_support::TempFolder dir{"velmora-folderlist"};
  const std::string plain = dir + "Plain";
  const std::string hidden = dir + "隠し";
  const std::string missing = dir + "Gone";
  const std::string other = dir + "Other";
  Win32Collation collation;
  FakeFileSystem files;  // the store's own files stay in memory
  BinderStore store{collation, files};
  HIMAGELIST images = nullptr;
  HWND owner = nullptr;
  std::unique_ptr<FolderListEdit> edit;
  std::unique_ptr<TFolderListDlg> dialog;
};

HWND FolderListDialogTest::stuck = nullptr;

TEST_F(FolderListDialogTest, RowsShowNamePathIconAndGhost) {
  Open();
  char caption[256] = "";
  GetWindowTextA(dialog->hwnd(), caption, sizeof caption);
  EXPECT_STREQ(caption, "Workバインダーが管理するフォルダ");
  HWND list = dialog->list();
  ASSERT_EQ(Rows(), 4);
  EXPECT_EQ(CellText(list, 0, 0), "Plain");
  EXPECT_EQ(CellText(list, 0, 1), plain);
  EXPECT_EQ(CellText(list, 1, 0), "隠し");
  EXPECT_EQ(CellText(list, 2, 1), missing);
  EXPECT_EQ(CellText(list, 3, 1), other);
  const DWORD styles = static_cast<DWORD>(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  const DWORD wanted = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;
  EXPECT_EQ(styles & wanted, wanted);
  EXPECT_FALSE(GetWindowLongA(list, GWL_STYLE) & (LVS_SINGLESEL | LVS_EDITLABELS));
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0)), images);
  for (int row = 0; row < 4; ++row) {
    LVITEMA item = {};
    item.mask = LVIF_IMAGE | LVIF_STATE;
    item.iItem = row;
    item.stateMask = LVIS_CUT;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.iImage >= 0, row != 2) << row;  // the missing folder has none
    EXPECT_EQ((item.state & LVIS_CUT) != 0, row == 1) << row;
  }
  EXPECT_EQ(EndWith(IDCANCEL), IDCANCEL);
}

TEST_F(FolderListDialogTest, DeleteThenCancelKeepsTheBinder) {
  const std::vector<std::string> before = Keys();
  Open();
  Select(dialog->list(), {0, 2});
  SendMessageA(dialog->hwnd(), WM_COMMAND, TFolderListDlg::kDeleteId, 0);
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(CellText(dialog->list(), 0, 1), hidden);
  EXPECT_EQ(CellText(dialog->list(), 1, 1), other);
  EXPECT_EQ(Keys(), before);  // nothing before OK
  // The Delete key does the same.
  Select(dialog->list(), {1});
  SendMessageA(dialog->list(), WM_KEYDOWN, VK_DELETE, 0);
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(CellText(dialog->list(), 0, 1), hidden);
  EXPECT_EQ(Keys(), before);
  // Escape is Cancel.
  SetFocus(dialog->list());
  PostMessageA(dialog->list(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(RunModal(), IDCANCEL);
  EXPECT_EQ(Keys(), before);
  EXPECT_TRUE(dialog->applied().empty());
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(FolderListDialogTest, DeleteThenOkRemovesExactlyThoseFolders) {
  Open();
  Select(dialog->list(), {1, 3});
  SendMessageA(dialog->hwnd(), WM_COMMAND, TFolderListDlg::kDeleteId, 0);
  Select(dialog->list(), {});
  SendMessageA(dialog->hwnd(), WM_COMMAND, TFolderListDlg::kDeleteId, 0);  // nothing selected: nothing goes
  EXPECT_EQ(EndWith(IDOK), IDOK);
  EXPECT_EQ(Keys(), (std::vector<std::string>{"cmp", plain, missing}));
  EXPECT_EQ(dialog->applied(), (std::vector<std::string>{other, hidden}));
  EXPECT_EQ(dialog->hwnd(), nullptr);
}

TEST_F(FolderListDialogTest, CopyPutsTheSelectedPathsInRowOrder) {
  Open();
  // The context menu's items are there to use only with a row selected.
  for (bool selected : {false, true}) {
    Select(dialog->list(), selected ? std::vector<int>{2} : std::vector<int>{});
    HMENU menu = dialog->MakeContextMenu();
    for (int id : {TFolderListDlg::kCopyId, TFolderListDlg::kDeleteId})
      EXPECT_EQ((GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED) != 0, !selected) << id;
    DestroyMenu(menu);
  }
  Select(dialog->list(), {3, 0, 1});
  SendMessageA(dialog->hwnd(), WM_COMMAND, TFolderListDlg::kCopyId, 0);
  EXPECT_EQ(ReadClipboardPaths(dialog->hwnd()), (std::vector<std::string>{plain, hidden, other}));
  if (OpenClipboard(dialog->hwnd())) {
    EmptyClipboard();
    CloseClipboard();
  }
  EXPECT_EQ(EndWith(IDCANCEL), IDCANCEL);
}

TEST_F(FolderListDialogTest, SizeLimitsAndCentredButtons) {
  Open();
  RECT r;
  GetWindowRect(dialog->hwnd(), &r);
  EXPECT_EQ(r.right - r.left, 577);
  EXPECT_EQ(r.bottom - r.top, 300);
  MINMAXINFO info = {};
  SendMessageA(dialog->hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 400);
  EXPECT_EQ(info.ptMinTrackSize.y, 300);

  for (int width : {577, 800, 431}) {
    SetWindowPos(dialog->hwnd(), nullptr, 0, 0, width, 420, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(dialog->hwnd(), &client);
    const RECT ok = test_support::ChildRect(dialog->hwnd(), GetDlgItem(dialog->hwnd(), IDOK));
    const RECT cancel = test_support::ChildRect(dialog->hwnd(), GetDlgItem(dialog->hwnd(), IDCANCEL));
    const RECT list = test_support::ChildRect(dialog->hwnd(), dialog->list());
    EXPECT_EQ(ok.left, client.right / 2 - 75 - 3) << width;
    EXPECT_EQ(cancel.left, client.right / 2 + 3) << width;
    EXPECT_EQ(ok.right - ok.left, 75);
    EXPECT_EQ(cancel.bottom - cancel.top, 25);
    EXPECT_EQ(list.bottom, client.bottom - 32) << width;
    EXPECT_EQ(list.right, client.right) << width;
    EXPECT_GT(ok.top, list.bottom);
    EXPECT_LE(ok.bottom, client.bottom);
  }
  EXPECT_EQ(EndWith(IDCANCEL), IDCANCEL);
}

}  // namespace
}  // namespace velmora
