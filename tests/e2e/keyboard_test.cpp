// The README's walk-through from the keyboard alone: real key strokes to whatever has the
// focus, no clicks, each step checked in the window.
#include <gtest/gtest.h>

#include "app/win32/control_ids.h"
#include "e2e/app_driver.h"

using e2e::AppDriver;
using e2e::Exists;
using e2e::WaitFor;

namespace {

class KeyboardE2E : public ::testing::Test {
 protected:
  bool FocusIs(int id) {
    return WaitFor([&] { return app.FocusedControl() == app.Control(id); }, std::chrono::seconds(10));
  }
  bool MenuShown(bool shown) {
    return WaitFor([&] { return (e2e::FindVisibleWindow(GetProcessId(app.process()), "#32768") != nullptr) == shown; });
  }
  // A menu of the menu bar by its access letter, then items by theirs; the menu has closed
  // when this returns.
  void Menu(WORD menu, std::initializer_list<WORD> items) {
    app.PressChord(menu, {VK_MENU});
    ASSERT_TRUE(MenuShown(true));
    for (WORD item : items) app.PressChord(item);
    ASSERT_TRUE(MenuShown(false));
  }
  LONG ListStyle() { return GetWindowLongA(app.Control(velmora::IDC_LIST), GWL_STYLE) & LVS_TYPEMASK; }
  bool Pressed(int id) {
    return SendMessageA(app.Control(velmora::IDC_LISTBAR), TB_ISBUTTONCHECKED, static_cast<WPARAM>(id), 0) != 0;
  }
  bool Rows(const std::vector<std::string>& names) {
    return WaitFor([&] { return app.ListColumn(0) == names; });
  }

  AppDriver app;
};

TEST_F(KeyboardE2E, TheWalkThroughWithoutTheMouse) {
  const std::string docs = app.appDir() + "docs";
  CreateDirectoryA(docs.c_str(), nullptr);
  CreateDirectoryA((docs + "\\sub").c_str(), nullptr);
  e2e::WriteBytes(docs + "\\big.bin", std::string(5000, 'v'));
  e2e::WriteBytes(docs + "\\small.txt", "v");
  ASSERT_TRUE(app.Start());
  SetForegroundWindow(app.window());
  ASSERT_TRUE(FocusIs(velmora::IDC_TREE));

  // A new binder: ファイル(F) → 新規作成(N), its name typed into the box.
  Menu('F', {'N'});
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = app.FindDialog()) != nullptr && GetForegroundWindow() == box; }));
  app.TypeText("Work");
  app.PressChord(VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return app.FindTreeNode("Work") && app.TreeSelection() == app.FindTreeNode("Work"); }));
  ASSERT_TRUE(FocusIs(velmora::IDC_TREE));

  // Shift+F10 opens the binder's menu; フォルダを追加する(A) the shell's folder browser.
  app.PressChord(VK_F10, {VK_SHIFT});
  ASSERT_TRUE(MenuShown(true));
  app.PressChord('A');
  ASSERT_TRUE(WaitFor([&] { return (box = app.FindDialog()) != nullptr && GetForegroundWindow() == box; }));
  app.PressChord(VK_ESCAPE);
  ASSERT_TRUE(WaitFor([&] { return app.FindDialog() == nullptr; }));
  // The folder comes as copied in Explorer: Ctrl+V in the tree files it and lists it.
  ASSERT_TRUE(FocusIs(velmora::IDC_TREE));
  ASSERT_TRUE(e2e::PutOnClipboard(e2e::DropBlock({docs})));
  app.PressChord('V', {VK_CONTROL});
  ASSERT_TRUE(WaitFor([&] { return app.FindTreeNode("docs") != nullptr; }));
  ASSERT_TRUE(WaitFor([&] { return app.StatusText(1) == docs && app.ListRowCount() == 3; }));

  // The focus goes round: tree, filter box, list; F6 between the panes.
  app.PressChord(VK_TAB);
  ASSERT_TRUE(FocusIs(velmora::IDC_FILTER));
  app.PressChord(VK_TAB);
  ASSERT_TRUE(FocusIs(velmora::IDC_LIST));
  app.PressChord(VK_TAB, {VK_SHIFT});
  ASSERT_TRUE(FocusIs(velmora::IDC_FILTER));
  app.PressChord(VK_TAB);
  ASSERT_TRUE(FocusIs(velmora::IDC_LIST));
  app.PressChord(VK_F6);
  ASSERT_TRUE(FocusIs(velmora::IDC_TREE));
  app.PressChord(VK_F6);
  ASSERT_TRUE(FocusIs(velmora::IDC_LIST));
  // A row shows that the list has it.
  EXPECT_GE(SendMessageA(app.Control(velmora::IDC_LIST), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 0);

  // 表示(V): the list view, then details, each with its button; sorted by size, then descending.
  Menu('V', {'L'});
  ASSERT_TRUE(WaitFor([&] { return ListStyle() == LVS_LIST && Pressed(velmora::IDM_VIEW_LIST); }));
  Menu('V', {'D'});
  ASSERT_TRUE(WaitFor([&] { return ListStyle() == LVS_REPORT && Pressed(velmora::IDM_VIEW_DETAIL); }));
  EXPECT_FALSE(Pressed(velmora::IDM_VIEW_LIST));
  Menu('V', {'O', 'S'});
  ASSERT_TRUE(Rows({"sub", "small.txt", "big.bin"}));
  Menu('V', {'O', 'D'});
  ASSERT_TRUE(Rows({"big.bin", "small.txt", "sub"}));
  ASSERT_TRUE(FocusIs(velmora::IDC_LIST));

  // F2 renames the focused file; a name typed without extension keeps the old one. The first
  // row has the focus already, which Home alone would leave unselected.
  app.PressChord(VK_END);
  app.PressChord(VK_HOME);
  ASSERT_TRUE(WaitFor([&] { return app.IsListRowSelected(0); }));
  app.PressChord(VK_F2);
  ASSERT_TRUE(WaitFor([&] { return SendMessageA(app.Control(velmora::IDC_LIST), LVM_GETEDITCONTROL, 0, 0) != 0; }));
  app.TypeText("moved");
  app.PressChord(VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return Exists(docs + "\\moved.bin") && !Exists(docs + "\\big.bin"); }));
  ASSERT_TRUE(Rows({"moved.bin", "small.txt", "sub"}));

  // Delete asks through the shell; Enter answers yes.
  ASSERT_TRUE(app.IsListRowSelected(0));
  app.PressChord(VK_DELETE);
  ASSERT_TRUE(WaitFor([&] { return (box = app.FindDialog()) != nullptr && GetForegroundWindow() == box; }));
  app.PressChord(VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return !Exists(docs + "\\moved.bin"); }));
  ASSERT_TRUE(Rows({"small.txt", "sub"}));

  // Into the sub-folder with Enter, up again with Alt+Up.
  ASSERT_TRUE(FocusIs(velmora::IDC_LIST));
  app.PressChord(VK_END);
  ASSERT_TRUE(WaitFor([&] { return app.IsListRowSelected(1); }));
  app.PressChord(VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return app.StatusText(1) == docs + "\\sub"; }));
  app.PressChord(VK_UP, {VK_MENU});
  ASSERT_TRUE(WaitFor([&] { return app.StatusText(1) == docs && app.ListRowCount() == 2; }));

  // Back to the tree: Tab from the list.
  app.PressChord(VK_TAB);
  ASSERT_TRUE(FocusIs(velmora::IDC_TREE));
  ASSERT_EQ(app.Close(), 0);
}

}  // namespace
