// Paths between the main window and the shell: file lists that another program wrote
// wrongly, and rows whose paths the shell's buffers cannot hold, are refused with a message.
#include <windows.h>
#include <commctrl.h>

#include "common/path_lists.h"
#include "text/cp932.h"
#include "win32/clipboard_files.h"
#include "win32/window_fixture.h"

namespace velmora {
namespace {

using testing_support::DeepFolder;
using testing_support::MainWindowTest;
using testing_support::MakeDrop;
using testing_support::MakeFile;
using testing_support::MakeFolder;
using testing_support::PutBlockOnClipboard;

class ShellFileListTest : public MainWindowTest {
 protected:
  void TearDown() override {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
    MainWindowTest::TearDown();
  }
  // A drop whose list offset points inside its own header: a reader that believed it would
  // take the drop point's bytes for names.
  HDROP InsideHeader(POINT at) {
    HDROP drop = MakeDrop({content + "src.txt"}, at);
    static_cast<unsigned char*>(GlobalLock(drop))[0] = 4;
    GlobalUnlock(drop);
    return drop;
  }
  // The centre of a control or of a tree node, in the main window's client coordinates.
  POINT InWindow(HWND control, const RECT& r) const {
    POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    MapWindowPoints(control, window->hwnd(), &at, 1);
    return at;
  }
};

TEST_F(ShellFileListTest, PasteAndDropRefuseAListThatStartsInsideItsHeader) {
  MakeFolder(content + "listed");
  MakeFile(content + "src.txt", 1);
  Open("Work\r\nOther\r\n", "[Work]\r\n" + content.path() + "listed=2\r\n\r\n");
  ClickNode("listed");
  ASSERT_TRUE(Names().empty());
  const std::string paste = "Velmora: " + std::string(kMalformedPasteText);
  const std::string drop = "Velmora: " + std::string(kMalformedDropText);

  std::string block = BuildDropFilesBlock(PathText({content + "src.txt"}));
  block[0] = 4;
  PutBlockOnClipboard(window->hwnd(), block);
  Command(IDM_LIST_PASTE);
  TreeView_SelectItem(window->control(IDC_TREE), FindNode("Other"));
  Command(IDM_TREE_PASTE);
  EXPECT_EQ(prompter.messages, (std::vector<std::string>{paste, paste}));

  prompter.messages.clear();
  HWND list = window->control(IDC_LIST), tree = window->control(IDC_TREE);
  RECT r = {};
  GetClientRect(list, &r);
  HDROP onList = InsideHeader(InWindow(list, r));
  SendMessageA(window->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(onList), 0);
  TreeView_GetItemRect(tree, FindNode("Other"), &r, TRUE);
  HDROP onTree = InsideHeader(InWindow(tree, r));
  SendMessageA(window->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(onTree), 0);
  EXPECT_EQ(prompter.messages, (std::vector<std::string>{drop, drop}));
  EXPECT_EQ(GlobalFlags(onList), static_cast<UINT>(GMEM_INVALID_HANDLE));
  EXPECT_EQ(GlobalFlags(onTree), static_cast<UINT>(GMEM_INVALID_HANDLE));

  EXPECT_TRUE(Names().empty());
  EXPECT_EQ(TreeView_GetChild(tree, FindNode("Other")), nullptr);
}

// An ANSI list is another program's bytes: a 0x01 there is no mark of ours, so a name holding
// it is refused rather than read as the file whose name its digits would spell.
TEST_F(ShellFileListTest, AnAnsiListsNamesHoldingTheMarkByteAreRefused) {
  testing_support::MakeFile(AnsiToWide(content.path()) + L"caf\u00e9.txt", "real");
  MakeFile(content + "plain.txt", 1);
  Open();
  const std::string marked = content + "caf\x01" "00E9.txt";
  PutBlockOnClipboard(window->hwnd(), BuildDropFilesBlock(PathText({marked, content + "plain.txt"})));
  EXPECT_EQ(ReadClipboardPaths(window->hwnd()), std::vector<std::string>{content + "plain.txt"});
  // The program's own wide lists carry such names as they are.
  std::string own = content + "caf";
  AppendUnspellable(own, 0xE9);
  own += ".txt";
  ASSERT_TRUE(CopyPathsToClipboard(window->hwnd(), {own}));
  EXPECT_EQ(ReadClipboardPaths(window->hwnd()), std::vector<std::string>{own});
}

TEST_F(ShellFileListTest, RowsPastTheShellsPathLengthAreRefusedByName) {
  // Listed through the long-path prefix; the shell's commands would get the path cut.
  std::string base = content.path();
  base.pop_back();
  const DeepFolder deep(base, 300, {"far.txt"});
  Open("Work\r\n", "[Work]\r\n" + deep.path() + "=2\r\n\r\n");
  ClickNode(LastComponent(deep.path()));
  ASSERT_EQ(Names(), std::vector<std::string>{"far.txt"});
  window->browser().listView().SelectRow(0, true);
  window->listCommands().fileCommands().SetShellConfirmations(false);
  Command(IDM_LIST_COPY);
  Command(IDM_LIST_DELETE);
  // Dragged out of the window: no shell drag starts.
  NMLISTVIEW begin = {};
  begin.hdr.hwndFrom = window->control(IDC_LIST);
  begin.hdr.idFrom = IDC_LIST;
  begin.hdr.code = LVN_BEGINDRAG;
  SendMessageA(window->hwnd(), WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&begin));
  RECT frame = {};
  GetWindowRect(window->hwnd(), &frame);
  const POINT outside = {GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1};
  ASSERT_FALSE(PtInRect(&frame, outside));
  SetCursorPos(outside.x, outside.y);
  SendMessageA(window->hwnd(), WM_TIMER, InternalDrag::kTimer, 0);
  // The tree's copy of the listed folder, too.
  Command(IDM_TREE_COPY);
  const std::string refused = "Velmora: " + PathTooLongText(deep.path() + "\\far.txt");
  const std::string folder = "Velmora: " + PathTooLongText(deep.path());
  EXPECT_EQ(prompter.messages, (std::vector<std::string>{refused, refused, refused, folder}));
  EXPECT_FALSE(ClipboardHasFiles());
  EXPECT_EQ(Names(), std::vector<std::string>{"far.txt"});
  Close();
}

}  // namespace
}  // namespace velmora
