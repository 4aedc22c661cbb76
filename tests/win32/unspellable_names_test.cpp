// Names code page 932 cannot spell, through the real file system, the shell and the main
// window: listed as they are, every command on the row's own file, never on a look-alike.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "binders/binder_commands.h"
#include "binders/win32/folder_probe.h"
#include "store/win32/win32_collation.h"
#include "support/picture_samples.h"
#include "support/test_files.h"
#include "text/cp932.h"
#include "thumbs/picture_decode.h"
#include "win32/clipboard_files.h"
#include "win32/shell_link.h"
#include "win32/strings.h"
#include "win32/win32_file_system.h"
#include "win32/window_fixture.h"

namespace velmora {
namespace {

using testing_support::MainWindowTest;
using testing_support::TempDir;
using testing_support::TrashHome;

const std::wstring kCafe = L"café ☕.txt";
const std::wstring kUber = L"Übersicht.docx";
const std::wstring kKorean = L"한국어";
const std::wstring kChinese = L"简体.jpg";
const std::wstring kCircled = L"ⓐ①.txt";
const std::wstring kNaive = L"naïve ✓.txt";

// The program's text for a name.
std::string Text(const std::wstring& name) { return WideToAnsi(name.c_str()); }

std::string PlainAnsi(const std::wstring& name) {
  char bytes[1024] = "";
  const int n = WideCharToMultiByte(CP_ACP, 0, name.c_str(), static_cast<int>(name.size()), bytes, sizeof bytes,
                                    nullptr, nullptr);
  return std::string(bytes, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string JpegBytes() {
  const test_support::Bytes jpeg = test_support::EncodeJpeg(32, 24, [](int x, int) { return x < 16 ? 0xFF0000u : 0x0000FFu; });
  return std::string(jpeg.begin(), jpeg.end());
}

TEST(UnspellableText, RoundTripsWithoutLookAlikesAndLeavesSpellableTextAsItWas) {
  struct Case {
    std::wstring name;
    bool spellable;
  };
  const Case cases[] = {{L"a.txt", true},   {L"ソフト①.txt", true}, {L"～表", true},     {kCafe, false},
                        {kUber, false},     {kKorean, false},       {kChinese, false}, {kCircled, false},
                        {L"x\U0001F600", false}, {std::wstring(300, L'表'), true},
                        {std::wstring(300, L'表') + kKorean, false}};
  for (const Case& c : cases) {
    const std::string text = Text(c.name);
    SCOPED_TRACE(text);
    EXPECT_EQ(AnsiToWide(text), c.name);
    EXPECT_EQ(IsSpellable(text), c.spellable);
    if (c.spellable) {
      EXPECT_EQ(text, PlainAnsi(c.name));
    }
  }

  // An ANSI call given the text finds nothing, even where the look-alike exists.
  TempDir dir;
  test_support::MakeFile(dir + "Ubersicht.docx", "look-alike");
  EXPECT_EQ(GetFileAttributesA((dir + Text(kUber)).c_str()), INVALID_FILE_ATTRIBUTES);
  Win32FileSystem files;
  EXPECT_FALSE(files.IsExistingFile(dir + Text(kUber)));
  test_support::MakeFile(AnsiToWide(dir.path()) + kUber, "real");
  EXPECT_TRUE(files.IsExistingFile(dir + Text(kUber)));
}

// Rows sort among the others by their real characters, and fold only with their own other
// letter case: the marks, control characters to the platform, would otherwise be ignored.
TEST(UnspellableText, SortsAmongTheOthersAndFoldsOnlyWithItsOwnCase) {
  Win32Collation collation;
  const std::string cafe = Text(L"café.txt");
  const std::string upper = Text(L"CAFÉ.txt");
  std::string spelledOut = "caf00E9.txt";
  for (const std::string& other : {std::string("cafe.txt"), spelledOut}) {
    EXPECT_NE(collation.FoldKey(cafe), collation.FoldKey(other)) << other;
    EXPECT_NE(collation.CompareIgnoreCase(cafe, other), 0) << other;
  }
  EXPECT_EQ(collation.FoldKey(cafe), collation.FoldKey(upper));
  EXPECT_EQ(collation.CompareIgnoreCase(cafe, upper), 0);
  EXPECT_LT(collation.SortKey("cafa.txt"), collation.SortKey(cafe));
  EXPECT_LT(collation.SortKey(cafe), collation.SortKey("cafz.txt"));
  EXPECT_LT(collation.Compare("cafa.txt", cafe), 0);
  EXPECT_GT(collation.Compare("cafz.txt", cafe), 0);
}

TEST(UnspellableText, ClipboardListsAreWideWhenANameNeedsIt) {
  TempDir dir;
  const std::vector<std::string> mixed = {dir + Text(kCafe), dir + "plain.txt"};
  const std::string wideBlock = FileListBlock(mixed);
  ASSERT_GE(wideBlock.size(), 20u);
  EXPECT_EQ(wideBlock[16], 1);  // fWide
  EXPECT_EQ(FileListBlock({dir + "plain.txt"})[16], 0);  // as ever while every name is spellable

  // What another program reads from it, and what the program reads back.
  HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(CopyPathsToClipboard(owner, mixed));
  ASSERT_TRUE(OpenClipboard(owner));
  HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
  wchar_t first[MAX_PATH] = L"";
  DragQueryFileW(drop, 0, first, MAX_PATH);
  CloseClipboard();
  EXPECT_EQ(std::wstring(first), AnsiToWide(dir.path()) + kCafe);
  EXPECT_EQ(ReadClipboardPaths(owner), mixed);
  DestroyWindow(owner);
}

TEST(UnspellableText, PicturesOpenByTheirOwnNames) {
  TempDir dir;
  test_support::MakeFile(AnsiToWide(dir.path()) + kChinese, JpegBytes());
  PictureReader reader(&SystemFiles());
  DecodedPicture picture;
  ASSERT_TRUE(reader.Load(dir + Text(kChinese), 0, 0, picture));
  EXPECT_EQ(picture.sourceWidth, 32);
  EXPECT_EQ(picture.sourceHeight, 24);
}

// A photo larger than one read is decoded as it is read, through the same wide open.
TEST(UnspellableText, LargePicturesReadInPiecesByTheirOwnNames) {
  TempDir dir;
  const test_support::Bytes photo = test_support::JpegSamples(640, 480)[0].bytes;
  ASSERT_GT(photo.size(), PictureReader::kHeadBytes + 2 * PictureReader::kChunkBytes);
  test_support::MakeFile(AnsiToWide(dir.path()) + kChinese, std::string(photo.begin(), photo.end()));
  PictureReader reader(&SystemFiles());
  for (const int size : {32, 0}) {
    DecodedPicture read, whole;
    ASSERT_TRUE(reader.Load(dir + Text(kChinese), size, size, read)) << size;
    ASSERT_TRUE(DecodePicture(photo.data(), photo.size(), size, size, whole)) << size;
    EXPECT_EQ(reader.bytesRead(), photo.size());
    ASSERT_EQ(read.pixels.width(), whole.pixels.width());
    ASSERT_EQ(read.pixels.height(), whole.pixels.height());
    for (int y = 0; y < read.pixels.height(); ++y)
      ASSERT_TRUE(std::equal(read.pixels.Row(y), read.pixels.Row(y) + read.pixels.width(), whole.pixels.Row(y))) << y;
  }
}

// The tree's presence check reads such a folder rather than taking it for missing.
TEST(UnspellableText, TheFolderCheckFindsAFolderByItsOwnName) {
  TempDir dir;
  ASSERT_TRUE(CreateDirectoryW((AnsiToWide(dir.path()) + kKorean).c_str(), nullptr));
  FolderProbe probe;
  const FolderPresence presence = probe.Probe(dir + Text(kKorean));
  EXPECT_TRUE(presence.known);
  EXPECT_TRUE(presence.found);
  EXPECT_NE(presence.attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  const std::wstring missing = L"한국";
  EXPECT_FALSE(probe.Probe(dir + Text(missing)).found);
}

class UnspellableNamesTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    wide = AnsiToWide(content.path());
    test_support::MakeFile(wide + kCafe, "cafe");
    test_support::MakeFile(wide + kUber, "real");
    test_support::MakeFile(content + "Ubersicht.docx", "look-alike");
    CreateDirectoryW((wide + kKorean).c_str(), nullptr);
    test_support::MakeFile(wide + kKorean + L"\\inside.txt", "in");
    test_support::MakeFile(wide + kChinese, JpegBytes());
    test_support::MakeFile(wide + kCircled, "circled");
  }
  HWND List() const { return window->control(IDC_LIST); }
  int RowOf(const std::wstring& name) const {
    const auto names = Names();
    auto it = std::find(names.begin(), names.end(), Text(name));
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
  }
  std::wstring RowText(int row) const {
    wchar_t text[MAX_PATH] = L"";
    LVITEMW item = {};
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
  }
  void Select(const std::vector<std::wstring>& names) {
    window->browser().listView().DeselectAll();
    for (const std::wstring& name : names) {
      ASSERT_GE(RowOf(name), 0);
      window->browser().listView().SelectRow(RowOf(name), false);
    }
  }
  void EndLabelEdit(int row, const std::wstring& text) {
    NMLVDISPINFOW info = {};
    info.hdr.hwndFrom = List();
    info.hdr.idFrom = IDC_LIST;
    info.hdr.code = LVN_ENDLABELEDITW;
    info.item.iItem = row;
    info.item.mask = LVIF_TEXT;
    info.item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(window->hwnd(), WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&info));
  }

  std::wstring wide;
};

TEST_F(UnspellableNamesTest, EveryEntryIsListedByItsOwnNameWithItsOwnDetails) {
  ShowContent();
  std::vector<std::wstring> shown;
  for (int row = 0; row < ListView_GetItemCount(List()); ++row) shown.push_back(RowText(row));
  std::sort(shown.begin(), shown.end());
  std::vector<std::wstring> expected = {kCafe, kUber, L"Ubersicht.docx", kKorean, kChinese, kCircled};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(shown, expected);

  const auto& records = window->browser().records();
  EXPECT_EQ(records[static_cast<std::size_t>(RowOf(kCafe))]->size, 4);
  EXPECT_EQ(records[static_cast<std::size_t>(RowOf(L"Ubersicht.docx"))]->size, 10);
  EXPECT_FALSE(records[static_cast<std::size_t>(RowOf(kKorean))]->isFile);
  ASSERT_TRUE(WaitForWorker());
  for (const auto& record : records) EXPECT_FALSE(record->typeText.empty()) << record->name;
  EXPECT_NE(records[static_cast<std::size_t>(RowOf(kChinese))]->iconIndex, -1);
}

TEST_F(UnspellableNamesTest, CommandsActOnTheRowsOwnFileNeverOnALookAlike) {
  ShowContent();
  // Enter the folder and come back.
  DoubleClickRow(RowOf(kKorean));
  ASSERT_EQ(window->browser().currentFolder(), content + Text(kKorean));
  EXPECT_EQ(Names(), std::vector<std::string>{"inside.txt"});
  Command(IDM_UP);
  ASSERT_EQ(RowOf(kKorean) >= 0, true);

  // Copy and paste into the sub-folder: the copies bear the same names.
  Select({kUber, kChinese});
  Command(IDM_LIST_COPY);
  Select({kKorean});
  Command(IDM_LIST_PASTE);
  EXPECT_EQ(test_support::ReadBytes(wide + kKorean + L"\\" + kUber), "real");
  EXPECT_TRUE(test_support::Exists(wide + kKorean + L"\\" + kChinese));

  // Rename in place to a name with characters of any kind.
  Select({kCafe});
  EndLabelEdit(RowOf(kCafe), kNaive);
  EXPECT_EQ(test_support::ReadBytes(wide + kNaive), "cafe");
  EXPECT_FALSE(test_support::Exists(wide + kCafe));
  EXPECT_GE(RowOf(kNaive), 0);

  // Delete: the row's own file goes, the look-alike stays.
  if (TrashHome().empty()) GTEST_SKIP() << "not under Wine";
  Select({kUber, kCircled});
  Command(IDM_LIST_DELETE);
  EXPECT_FALSE(test_support::Exists(wide + kUber));
  EXPECT_FALSE(test_support::Exists(wide + kCircled));
  EXPECT_EQ(test_support::ReadBytes(content + "Ubersicht.docx"), "look-alike");
  EXPECT_EQ(RowOf(kUber), -1);
  EXPECT_TRUE(test_support::Exists(AnsiToWide(TrashHome()) + L"Trash\\files\\" + kCircled));
}

// Open with, and a shortcut whose own name the code page lacks: the shell is handed the
// real path, never one that names nothing.
TEST_F(UnspellableNamesTest, OpenWithAndShortcutsReachTheShellByTheirRealNames) {
  const std::wstring link = L"ⓐ①.lnk";
  const std::wstring folderLink = L"ⓑ②.lnk";
  TShellLink links;
  const ItemIdList computer = links.GetCodeToItemIdList(CSIDL_DRIVES);
  ASSERT_TRUE(computer);
  const std::string listed = content.path().substr(0, content.path().size() - 1);
  ASSERT_FALSE(links.CreateLink2("", computer.get(), listed, "computer", true).empty());
  ASSERT_TRUE(MoveFileW((wide + L"computer.lnk").c_str(), (wide + link).c_str()));
  testing_support::MakeFolder(content + "target");
  ASSERT_TRUE(test_support::MakeShortcut(content + "folder.lnk", content + "target"));
  ASSERT_TRUE(MoveFileW((wide + L"folder.lnk").c_str(), (wide + folderLink).c_str()));
  ShowContent();
  struct Request {
    std::wstring file, parameters;
    bool computer;
  };
  std::vector<Request> requests;
  window->listCommands().fileCommands().SetShellExecutor([&](SHELLEXECUTEINFOW& info) {
    const auto* item = static_cast<LPCITEMIDLIST>(info.lpIDList);
    requests.push_back({info.lpFile ? info.lpFile : L"", info.lpParameters ? info.lpParameters : L"",
                        item && ILIsEqual(item, computer.get())});
    return true;
  });

  RECT row = {LVIR_BOUNDS, 0, 0, 0};
  ASSERT_TRUE(ListView_GetItemRect(List(), RowOf(kCafe), &row, LVIR_LABEL));
  window->listCommands().MenuOpening({row.left + 2, (row.top + row.bottom) / 2});
  Command(IDM_LIST_OPEN_WITH);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].file, L"rundll32");
  EXPECT_EQ(requests[0].parameters, L"shell32.dll,OpenAs_RunDLL " + wide + kCafe);

  // A shortcut to an item without a path is opened by the shell under its own name.
  requests.clear();
  DoubleClickRow(RowOf(link));
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].file, wide + link);
  EXPECT_EQ(window->browser().currentFolder(), listed);
  // A shortcut to a folder enters it.
  DoubleClickRow(RowOf(folderLink));
  EXPECT_EQ(window->browser().currentFolder(), content + "target");
}

TEST_F(UnspellableNamesTest, TheStatusBarShowsAMarkedPathsOwnCharacters) {
  ShowContent();
  DoubleClickRow(RowOf(kKorean));
  ASSERT_EQ(window->browser().currentFolder(), content + Text(kKorean));
  wchar_t shown[MAX_PATH] = L"";
  SendMessageW(window->control(IDC_STATUS), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(shown));
  EXPECT_EQ(std::wstring(shown), wide + kKorean);
}

TEST_F(UnspellableNamesTest, TheTreesOpenHandsTheShellTheListedFoldersOwnName) {
  ShowContent();
  DoubleClickRow(RowOf(kKorean));
  ASSERT_EQ(window->browser().currentFolder(), content + Text(kKorean));
  std::vector<std::wstring> opened;
  window->binderActions().shellExecute = [&](SHELLEXECUTEINFOW& info) {
    opened.push_back(info.lpFile ? info.lpFile : L"");
    return true;
  };
  Command(IDM_TREE_OPEN);
  EXPECT_EQ(opened, std::vector<std::wstring>{wide + kKorean});
}

// Send To's desktop shortcut: the shortcut leads to the file by its own name.
TEST_F(UnspellableNamesTest, AShortcutToANameTheCodePageCannotSpellLeadsToIt) {
  TempDir links;
  TShellLink shell;
  const std::string folder = links.path().substr(0, links.path().size() - 1);
  const std::string link = shell.CreateLink2(content + Text(kUber), nullptr, folder, "", false);
  ASSERT_FALSE(link.empty());
  // The item it holds, which the shell opens (Wine keeps the path beside it only in the
  // code page, as its look-alike).
  const ItemIdList target = shell.GetLinkToItemId(link, nullptr);
  ASSERT_TRUE(target);
  wchar_t path[MAX_PATH] = L"";
  ASSERT_TRUE(SHGetPathFromIDListW(target.get(), path));
  EXPECT_EQ(std::wstring(path), wide + kUber);
}

TEST_F(UnspellableNamesTest, AFolderTheFilesCannotSpellIsNotRegistered) {
  ShowContent();
  const std::string korean = content + Text(kKorean);
  const std::string refusal = UnspellableFolderText({korean});
  auto told = [&] {
    return std::count_if(prompter.messages.begin(), prompter.messages.end(),
                         [&](const std::string& m) { return m.find(refusal) != std::string::npos; });
  };

  // The folder browser of the binder's menu.
  window->binderActions().browseForFolder = [&] { return korean; };
  ClickNode("Work");
  Command(IDM_TREE_ADD_FOLDER);
  EXPECT_EQ(told(), 1);

  // A paste onto the binder.
  ASSERT_TRUE(CopyPathsToClipboard(window->hwnd(), {korean}));
  ClickNode("Work");
  window->binderActions().Paste();
  EXPECT_EQ(told(), 2);

  // Nothing joined the binder, in the tree or in the files.
  const std::string root = content.path().substr(0, content.path().size() - 1);
  HWND tree = window->control(IDC_TREE);
  EXPECT_EQ(TreeView_GetNextSibling(tree, TreeView_GetChild(tree, FindNode("Work"))), nullptr);
  Close();
  const std::string folders = test_support::ReadBytes(app + "data\\folderlist.ini");
  EXPECT_EQ(folders.find("[Work]\r\n" + root + "=2\r\ncmp="), 0u) << folders;
  EXPECT_TRUE(IsSpellable(folders));
  EXPECT_EQ(folders.find(LastComponent(PlainAnsi(kKorean))), std::string::npos);
}

}  // namespace
}  // namespace velmora
