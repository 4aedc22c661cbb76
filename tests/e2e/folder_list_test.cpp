// The folder list dialog of a binder, opened through the tree's command and driven from this
// process: its rows, copying them as a file list, removals that only OK applies, and its size
// limits.
#include <gtest/gtest.h>

#include "app/win32/control_ids.h"
#include "e2e/app_driver.h"
#include "support/window_rect.h"

#include <shellapi.h>

using e2e::AppDriver;
using e2e::TreeNode;
using e2e::WaitFor;

namespace {

using test_support::ChildRect;

constexpr const char* kDialogClass = "TFolderListDlg";
constexpr int kListId = 100, kCopyId = 101, kDeleteId = 102;
const std::string kCaption = std::string("Work") + "バインダーが管理するフォルダ";

// The file drop list on the clipboard; empty when there is none.
std::vector<std::string> ClipboardFiles() {
  std::vector<std::string> paths;
  if (!OpenClipboard(nullptr)) return paths;
  if (HANDLE data = GetClipboardData(CF_HDROP)) {
    auto drop = static_cast<HDROP>(data);
    const UINT n = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < n; ++i) {
      char path[MAX_PATH] = "";
      DragQueryFileA(drop, i, path, MAX_PATH);
      paths.push_back(path);
    }
  }
  CloseClipboard();
  return paths;
}


class FolderListE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"alpha", "beta", "gamma", "delta"}) {
      folders.push_back(app.appDir() + name);
      CreateDirectoryA(folders.back().c_str(), nullptr);
    }
    gone = app.appDir() + "gone";
    app.WriteData("titlelist.txt", "Work\r\n");
    app.WriteData("folderlist.ini", "[Work]\r\n" + folders[0] + "=0\r\n" + folders[1] + "=0\r\n" + gone + "=0\r\n" +
                                        folders[2] + "=0\r\n" + folders[3] + "=0\r\ncmp=1\r\n\r\n");
  }

  // Selects the binder and opens its folder list; the dialog is modal, so the command is posted.
  HWND OpenDialog() {
    HTREEITEM binder = app.FindTreeNode("Work");
    if (!binder || !app.SelectTreeNode(binder)) return nullptr;
    PostMessageA(app.window(), WM_COMMAND, velmora::IDM_TREE_FOLDER_LIST, 0);
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = app.FindWindowOf(kDialogClass, kCaption)) != nullptr && IsWindowVisible(dialog); });
    return dialog;
  }

  // Deletes the rows of the given names through the dialog's command.
  void DeleteRows(HWND dialog, const std::vector<std::string>& names) {
    HWND list = GetDlgItem(dialog, kListId);
    const std::vector<std::string> shown = app.ListViewColumn(list, 0);
    for (std::size_t i = 0; i < shown.size(); ++i) {
      bool wanted = false;
      for (const std::string& n : names) wanted = wanted || n == shown[i];
      app.SetListViewRowSelected(list, static_cast<int>(i), wanted);
    }
    SendMessageA(dialog, WM_COMMAND, kDeleteId, 0);
  }

  void End(HWND dialog, int button) {
    PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    // The main window takes input again once the dialog is gone.
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(app.window()) != FALSE; }));
  }

  std::vector<std::string> BinderFolders() {
    std::vector<std::string> texts;
    const std::vector<TreeNode> tree = app.ReadTree();
    if (tree.empty() || tree[0].children.empty()) return texts;
    for (const TreeNode& n : tree[0].children[0].children) texts.push_back(n.text);
    return texts;
  }

  AppDriver app;
  std::vector<std::string> folders;  // alpha, beta, gamma, delta
  std::string gone;
};

TEST_F(FolderListE2E, RowsDeleteAppliedOnlyOnOk) {
  ASSERT_TRUE(app.Start());
  HWND dialog = OpenDialog();
  ASSERT_NE(dialog, nullptr);
  // The main window waits while the dialog is up.
  EXPECT_FALSE(IsWindowEnabled(app.window()));
  HWND list = GetDlgItem(dialog, kListId);
  EXPECT_EQ(app.ListViewColumn(list, 0), (std::vector<std::string>{"alpha", "beta", "gone", "gamma", "delta"}));
  EXPECT_EQ(app.ListViewColumn(list, 1),
            (std::vector<std::string>{folders[0], folders[1], gone, folders[2], folders[3]}));
  // A folder that is not there has no icon; the others have theirs.
  EXPECT_EQ(app.ListViewImage(list, 2), I_IMAGENONE);
  EXPECT_GE(app.ListViewImage(list, 0), 0);

  // Delete then Cancel: the rows go from the dialog, the binder keeps them.
  DeleteRows(dialog, {"beta", "gone"});
  ASSERT_TRUE(WaitFor([&] { return app.ListViewRowCount(list) == 3; }));
  EXPECT_EQ(app.ListViewColumn(list, 0), (std::vector<std::string>{"alpha", "gamma", "delta"}));
  End(dialog, IDCANCEL);
  // The tree sorts by name; the dialog keeps the store's order.
  EXPECT_EQ(BinderFolders(), (std::vector<std::string>{"alpha", "beta", "delta", "gamma", "gone"}));
  ASSERT_EQ(app.Close(), 0);
  const std::string kept = app.ReadData("folderlist.ini");
  for (const std::string& path : {folders[0], folders[1], gone, folders[2], folders[3]})
    EXPECT_NE(kept.find("\r\n" + path + "=0\r\n"), std::string::npos) << path;

  // Delete then OK, in a new run: exactly those folders leave the tree and the store.
  ASSERT_TRUE(app.Start());
  dialog = OpenDialog();
  ASSERT_NE(dialog, nullptr);
  list = GetDlgItem(dialog, kListId);
  ASSERT_EQ(app.ListViewRowCount(list), 5);
  DeleteRows(dialog, {"beta", "gone", "delta"});
  ASSERT_TRUE(WaitFor([&] { return app.ListViewRowCount(list) == 2; }));
  End(dialog, IDOK);
  EXPECT_EQ(BinderFolders(), (std::vector<std::string>{"alpha", "gamma"}));
  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(app.ReadData("folderlist.ini"), "[Work]\r\n" + folders[0] + "=0\r\n" + folders[2] +
                                                "=0\r\ncmp=1\r\n\r\n[Orvik]\r\nFRG=0\r\nWID=152\r\n\r\n");
}

TEST_F(FolderListE2E, HiddenFolderGhostedCopyAsFileListAndTheDeleteKey) {
  SetFileAttributesA(folders[0].c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_TRUE(app.Start());
  HWND dialog = OpenDialog();
  ASSERT_NE(dialog, nullptr);
  HWND list = GetDlgItem(dialog, kListId);
  ASSERT_EQ(app.ListViewRowCount(list), 5);
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMSTATE, 0, LVIS_CUT), LVIS_CUT);
  for (int row = 1; row < 5; ++row) EXPECT_EQ(SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_CUT), 0) << row;

  // Copy: the selected rows' paths, top to bottom, as a file drop list.
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  for (int row : {4, 0, 3}) app.SetListViewRowSelected(list, row, true);
  SendMessageA(dialog, WM_COMMAND, kCopyId, 0);
  const std::vector<std::string> copied{folders[0], folders[2], folders[3]};
  EXPECT_TRUE(WaitFor([&] { return ClipboardFiles() == copied; }));
  // Copying changes nothing in the list.
  EXPECT_EQ(app.ListViewRowCount(list), 5);

  // The Delete key removes the selected rows like the menu's command; OK applies it.
  app.PressKey(list, VK_DELETE);
  ASSERT_TRUE(WaitFor([&] { return app.ListViewRowCount(list) == 2; }));
  EXPECT_EQ(app.ListViewColumn(list, 0), (std::vector<std::string>{"beta", "gone"}));
  End(dialog, IDOK);
  EXPECT_EQ(BinderFolders(), (std::vector<std::string>{"beta", "gone"}));
  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(app.ReadData("folderlist.ini"),
            "[Work]\r\n" + folders[1] + "=0\r\n" + gone + "=0\r\ncmp=1\r\n\r\n[Orvik]\r\nFRG=0\r\nWID=152\r\n\r\n");
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
}

TEST_F(FolderListE2E, SizeLimitsAndCentredButtons) {
  ASSERT_TRUE(app.Start());
  HWND dialog = OpenDialog();
  ASSERT_NE(dialog, nullptr);
  HWND ok = GetDlgItem(dialog, IDOK);
  HWND cancel = GetDlgItem(dialog, IDCANCEL);
  EXPECT_EQ(app.WindowText(cancel), "キャンセル");
  const auto expectCentred = [&] {
    RECT client;
    GetClientRect(dialog, &client);
    const RECT okRect = ChildRect(dialog, ok), cancelRect = ChildRect(dialog, cancel);
    EXPECT_EQ(okRect.left, client.right / 2 - 75 - 3);
    EXPECT_EQ(cancelRect.left, client.right / 2 + 3);
    EXPECT_EQ(okRect.right - okRect.left, 75);
    EXPECT_EQ(cancelRect.bottom - cancelRect.top, 25);
    // The list fills what the 32-pixel button strip leaves.
    EXPECT_EQ(ChildRect(dialog, GetDlgItem(dialog, kListId)).bottom, client.bottom - 32);
  };
  RECT r;
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r.right - r.left, 577);
  EXPECT_EQ(r.bottom - r.top, 300);
  expectCentred();

  SetWindowPos(dialog, nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r.right - r.left, 400);
  EXPECT_EQ(r.bottom - r.top, 300);
  expectCentred();

  SetWindowPos(dialog, nullptr, 0, 0, 801, 450, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r.right - r.left, 801);
  EXPECT_EQ(r.bottom - r.top, 450);
  expectCentred();

  // Closing the window is a cancel.
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(BinderFolders().size(), 5u);
  ASSERT_EQ(app.Close(), 0);
}

}  // namespace
