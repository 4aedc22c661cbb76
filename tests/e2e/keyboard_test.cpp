// The README's walk-through from the keyboard alone: real key strokes to whatever has the
// focus, no clicks, each step checked in the window.
#include <gtest/gtest.h>

#include "app/win32/control_ids.h"
#include "e2e/app_driver.h"

using e2e::Exists;
using e2e::WaitFor;
using namespace velmora;

namespace {

class KeyboardE2E : public ::testing::Test {
 protected:
  // Keys, then the condition they bring about.
  bool Keys(std::initializer_list<std::pair<WORD, std::initializer_list<WORD>>> chords,
            const std::function<bool()>& then) {
    for (const auto& chord : chords) app.PressChord(chord.first, chord.second);
    return WaitFor(then, std::chrono::seconds(10));
  }
  std::function<bool()> FocusIs(int id) {
    return [this, id] { return app.FocusedControl() == app.Control(id); };
  }
  std::function<bool()> Shown(const char* cls, bool shown = true) {
    return [this, cls, shown] {
      HWND w = e2e::FindVisibleWindow(GetProcessId(app.process()), cls);
      return shown ? w && (std::string(cls) != "#32770" || GetForegroundWindow() == w) : !w;
    };
  }
  std::function<bool()> Rows(const std::vector<std::string>& names) {
    return [this, names] { return app.ListColumn(0) == names; };
  }
  // A menu of the bar by its letter, then items by theirs; the menu has closed once it is true.
  bool Menu(WORD menu, std::initializer_list<WORD> items, const std::function<bool()>& then) {
    if (!Keys({{menu, {VK_MENU}}}, Shown("#32768"))) return false;
    for (WORD item : items) app.PressChord(item);
    return WaitFor(Shown("#32768", false)) && WaitFor(then);
  }
  std::function<bool()> View(LONG style, int button) {
    return [this, style, button] {
      return (GetWindowLongA(app.Control(IDC_LIST), GWL_STYLE) & LVS_TYPEMASK) == style &&
             SendMessageA(app.Control(IDC_LISTBAR), TB_ISBUTTONCHECKED, static_cast<WPARAM>(button), 0);
    };
  }

  e2e::AppDriver app;
};

TEST_F(KeyboardE2E, TheWalkThroughWithoutTheMouse) {
  const std::string docs = app.appDir() + "docs";
  CreateDirectoryA(docs.c_str(), nullptr);
  CreateDirectoryA((docs + "\\sub").c_str(), nullptr);
  e2e::WriteBytes(docs + "\\big.bin", std::string(5000, 'v'));
  e2e::WriteBytes(docs + "\\small.txt", "v");
  ASSERT_TRUE(app.Start());
  SetForegroundWindow(app.window());
  ASSERT_TRUE(WaitFor(FocusIs(IDC_TREE)));

  // A new binder: ファイル(F) → 新規作成(N), its name typed into the box.
  ASSERT_TRUE(Menu('F', {'N'}, Shown("#32770")));
  app.TypeText("Work");
  ASSERT_TRUE(Keys({{VK_RETURN, {}}}, [&] { return app.FindTreeNode("Work") == app.TreeSelection(); }));
  // Shift+F10 opens the binder's menu, and フォルダを追加する(A) the shell's folder browser.
  ASSERT_TRUE(Keys({{VK_F10, {VK_SHIFT}}}, Shown("#32768")));
  ASSERT_TRUE(Keys({{'A', {}}}, Shown("#32770")));
  ASSERT_TRUE(Keys({{VK_ESCAPE, {}}}, Shown("#32770", false)));
  // The folder comes as copied in Explorer: Ctrl+V in the tree files it and lists it.
  ASSERT_TRUE(WaitFor(FocusIs(IDC_TREE)));
  ASSERT_TRUE(e2e::PutOnClipboard(e2e::DropBlock({docs})));
  ASSERT_TRUE(Keys({{'V', {VK_CONTROL}}}, [&] { return app.StatusText(1) == docs && app.ListRowCount() == 3; }));

  // The focus goes round: tree, filter box, list and back; F6 between the panes. A row
  // shows that the list has it.
  ASSERT_TRUE(Keys({{VK_TAB, {}}}, FocusIs(IDC_FILTER)));
  ASSERT_TRUE(Keys({{VK_TAB, {}}}, FocusIs(IDC_LIST)));
  ASSERT_TRUE(Keys({{VK_TAB, {VK_SHIFT}}}, FocusIs(IDC_FILTER)));
  ASSERT_TRUE(Keys({{VK_TAB, {}}, {VK_F6, {}}}, FocusIs(IDC_TREE)));
  ASSERT_TRUE(Keys({{VK_F6, {}}}, FocusIs(IDC_LIST)));
  EXPECT_GE(SendMessageA(app.Control(IDC_LIST), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 0);

  // 表示(V): the list view, then details, each with its button; sorted by size, then descending.
  ASSERT_TRUE(Menu('V', {'L'}, View(LVS_LIST, IDM_VIEW_LIST)));
  ASSERT_TRUE(Menu('V', {'D'}, View(LVS_REPORT, IDM_VIEW_DETAIL)));
  ASSERT_TRUE(Menu('V', {'O', 'S'}, Rows({"sub", "small.txt", "big.bin"})));
  ASSERT_TRUE(Menu('V', {'O', 'D'}, Rows({"big.bin", "small.txt", "sub"})));

  // F2 renames the first row (which has the focus already, so Home alone would not select
  // it); a name typed without extension keeps the old one.
  ASSERT_TRUE(Keys({{VK_END, {}}, {VK_HOME, {}}}, [&] { return app.IsListRowSelected(0); }));
  ASSERT_TRUE(Keys({{VK_F2, {}}}, [&] { return SendMessageA(app.Control(IDC_LIST), LVM_GETEDITCONTROL, 0, 0); }));
  app.TypeText("moved");
  ASSERT_TRUE(Keys({{VK_RETURN, {}}}, Rows({"moved.bin", "small.txt", "sub"})));
  EXPECT_FALSE(Exists(docs + "\\big.bin"));
  // Delete asks through the shell; Enter answers yes.
  ASSERT_TRUE(Keys({{VK_DELETE, {}}}, Shown("#32770")));
  ASSERT_TRUE(Keys({{VK_RETURN, {}}}, Rows({"small.txt", "sub"})));
  EXPECT_FALSE(Exists(docs + "\\moved.bin"));

  // Into the sub-folder with Enter, up again with Alt+Up, back to the tree with Tab.
  ASSERT_TRUE(Keys({{VK_END, {}}, {VK_RETURN, {}}}, [&] { return app.StatusText(1) == docs + "\\sub"; }));
  ASSERT_TRUE(Keys({{VK_UP, {VK_MENU}}}, [&] { return app.StatusText(1) == docs && app.ListRowCount() == 2; }));
  ASSERT_TRUE(Keys({{VK_TAB, {}}}, FocusIs(IDC_TREE)));
  ASSERT_EQ(app.Close(), 0);
}

}  // namespace
