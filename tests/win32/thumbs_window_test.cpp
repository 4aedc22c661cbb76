// Thumbnails and the preview pane in the real main window over generated pictures: the pass,
// its stops, leaving thumbnail mode, and the pane with its splitter.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <new>
#include <set>

#include "support/picture_samples.h"
#include "text/cp932.h"
#include "thumbs/win32/icon_cells.h"
#include "thumbs/win32/raster_bitmap.h"
#include "win32/strings.h"
#include "win32/window_fixture.h"
#include "support/window_rect.h"

namespace velmora {
namespace {

using testing_support::MainWindowTest;
using testing_support::MakeDrop;
using testing_support::MakeFile;
using testing_support::MakeFolder;
using testing_support::PumpUntil;
using testing_support::TempDir;
using testing_support::TrashHome;
using testing_support::WriteBytes;
using test_support::Bytes;

constexpr std::uint32_t kRed = 0xFF0000;   // 0x00RRGGBB, as the encoders take it
constexpr std::uint32_t kBlue = 0x0000FF;
constexpr std::uint32_t kGreen = 0x00FF00;

std::string NoSlash(const std::string& path) { return path.substr(0, path.size() - 1); }
std::string AsString(const Bytes& b) { return std::string(b.begin(), b.end()); }

Bytes SolidJpeg(int w, int h, std::uint32_t colour) {
  return test_support::EncodeJpeg(w, h, [=](int, int) { return colour; });
}

std::uint32_t Crc(const std::string& bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

std::string Be32(std::uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

// A solid RGB PNG, its pixels in stored (uncompressed) deflate blocks.
std::string SolidPng(int w, int h, std::uint32_t colour) {
  std::string raw;
  for (int y = 0; y < h; ++y) {
    raw += '\0';
    for (int x = 0; x < w; ++x) raw += {static_cast<char>(colour >> 16), static_cast<char>(colour >> 8), static_cast<char>(colour)};
  }
  std::string z = "\x78\x01";
  for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    const bool last = at + n >= raw.size();
    z += static_cast<char>(last ? 1 : 0);
    z += {static_cast<char>(n & 0xFF), static_cast<char>(n >> 8), static_cast<char>(~n & 0xFF), static_cast<char>((~n >> 8) & 0xFF)};
    z += raw.substr(at, n);
    if (last) break;
  }
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  z += Be32((b << 16) | a);
  auto chunk = [](const std::string& type, const std::string& data) {
    return Be32(static_cast<std::uint32_t>(data.size())) + type + data + Be32(Crc(type + data));
  };
  const std::string header = Be32(static_cast<std::uint32_t>(w)) + Be32(static_cast<std::uint32_t>(h)) + std::string("\x08\x02\x00\x00\x00", 5);
  return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", z) + chunk("IEND", "");
}

// The image's pixels as the list draws it, with an overlay (1 to 15) or without (0).
Raster DrawImage(HIMAGELIST list, int index, int overlay = 0) {
  int cx = 0, cy = 0;
  ImageList_GetIconSize(list, &cx, &cy);
  BITMAPINFO info = TopDownBitmapInfo(cx, cy);
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all = {0, 0, cx, cy};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL | INDEXTOOVERLAYMASK(overlay));
  GdiFlush();
  Raster copy(cx, cy);
  std::copy_n(static_cast<std::uint32_t*>(bits), static_cast<std::size_t>(cx) * cy, copy.Row(0));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return copy;
}

bool Near(Colour c, int r, int g, int b, int tolerance = 40) {
  return std::abs(RedOf(c) - r) <= tolerance && std::abs(GreenOf(c) - g) <= tolerance && std::abs(BlueOf(c) - b) <= tolerance;
}

bool SamePixels(const Raster& a, const Raster& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.At(x, y) != b.At(x, y)) return false;
  return true;
}

// What the screen shows at the window's place.
Raster ScreenPixels(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  Raster pixels;
  RasterFromBitmap(bitmap, pixels);
  DeleteObject(bitmap);
  return pixels;
}

// The thumbnail bar as the screen shows it: how many green blocks fill it from the left, or
// -1 when the pixels are not that bar (another size, a frame not grey, a colour of its own,
// a gap between blocks, a block cut short).
int GreenBlocksOnScreen(HWND bar) {
  const Raster px = ScreenPixels(bar);
  if (px.width() != 89 || px.height() != 12) return -1;
  const Colour grey = 0x808080, white = 0xFFFFFF, green = Rgb(78, 190, 35);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 89; ++x) {
      const bool edge = x == 0 || y == 0 || x == 88 || y == 11;
      const Colour c = px.At(x, y);
      if (edge ? c != grey : c != white && c != green) return -1;
    }
  // Block j covers the columns from 2 + 8.5 (j - 1) to just before 2 + 8.5 j - 1, rows 2 to 9.
  int blocks = 0;
  for (int j = 1; j <= 10; ++j) {
    const int left = static_cast<int>(2 + 8.5 * (j - 1)), right = static_cast<int>(2 + 8.5 * j - 1);
    int greens = 0;
    for (int y = 2; y < 10; ++y)
      for (int x = left; x < right; ++x) greens += px.At(x, y) == green ? 1 : 0;
    if (greens == 0) continue;
    if (greens != (right - left) * 8 || blocks != j - 1) return -1;
    ++blocks;
  }
  return blocks;
}

// Threads of this process now.
int ProcessThreads() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    count += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
  CloseHandle(snapshot);
  return count;
}

class ThumbsTest : public MainWindowTest {
 protected:
  void OpenOn(const std::string& folder, const std::string& style) {
    Open("Work\r\n", "[Work]\r\n" + folder + "=" + style + "\r\n\r\n");
    ClickNode(LastComponent(folder));
    ASSERT_TRUE(WaitForWorker());
  }
  // Lists count small red pictures in icon view.
  void OpenOnRedPictures(int count) {
    const std::string jpeg = AsString(SolidJpeg(48, 48, kRed));
    for (int i = 0; i < count; ++i) WriteBytes(content + std::to_string(i) + ".jpg", jpeg);
    OpenOn(NoSlash(content.path()), "0");
  }
  int RowOf(const std::string& name) const {
    const auto names = Names();
    auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
  }
  HIMAGELIST ShownLargeImages() const { return ListView_GetImageList(window->control(IDC_LIST), LVSIL_NORMAL); }
  bool ThumbnailButtonEnabled() const {
    return SendMessageA(window->control(IDC_LISTBAR), TB_ISBUTTONENABLED, IDM_THUMBNAILS, 0) != 0;
  }
  bool ThumbnailButtonPressed() const {
    return SendMessageA(window->control(IDC_LISTBAR), TB_ISBUTTONCHECKED, IDM_THUMBNAILS, 0) != 0;
  }
  int ShownImage(int row) const {
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(window->control(IDC_LIST), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
  }
  Raster RowCell(const std::string& name) {
    const int row = RowOf(name);
    EXPECT_GE(row, 0) << name;
    EXPECT_GE(window->browser().RowThumbnail(row), 0) << name;
    return DrawImage(window->thumbnails().images(), window->browser().RowThumbnail(row));
  }
  // Every row shows a picture of its own from the thumbnail list.
  void ExpectEveryRowItsOwnPicture() {
    const ThumbnailPass& pass = window->thumbnails();
    ASSERT_EQ(ShownLargeImages(), pass.images());
    std::set<int> seen;
    const int rows = static_cast<int>(window->browser().records().size());
    for (int row = 0; row < rows; ++row) {
      const int image = window->browser().RowThumbnail(row);
      EXPECT_GE(image, pass.overlayImages()) << Names()[static_cast<std::size_t>(row)];
      EXPECT_LT(image, ImageList_GetImageCount(pass.images()));
      EXPECT_EQ(ShownImage(row), image);
      EXPECT_TRUE(seen.insert(image).second) << "shared: " << Names()[static_cast<std::size_t>(row)];
    }
  }
  bool AllRowsPictured() const {
    for (int row = 0; row < static_cast<int>(window->browser().records().size()); ++row)
      if (window->browser().RowThumbnail(row) < 0) return false;
    return true;
  }
  // Files dropped from another program onto the list.
  void DropOnList(const std::vector<std::string>& paths) {
    RECT list = {};
    GetWindowRect(window->control(IDC_LIST), &list);
    POINT at = {(list.left + list.right) / 2, list.bottom - 10};
    ScreenToClient(window->hwnd(), &at);
    SendMessageA(window->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths, at)), 0);
  }
  void ClickHighQuality() { SendMessageA(window->control(IDC_HIGH_QUALITY), BM_CLICK, 0, 0); }
  // The cell a file without a picture gets: its icon, framed.
  Raster FramedIconCell(const std::string& path) {
    const ThumbnailPass& pass = window->thumbnails();
    HIMAGELIST list = ImageList_Create(pass.cellWidth(), pass.cellHeight(), ILC_COLOR32 | ILC_MASK, 1, 1);
    IconHandle icon;
    GetFileIcon(icon, path, false, false);
    AddIconCell(list, icon.get(), true);
    Raster cell = DrawImage(list, 0);
    ImageList_Destroy(list);
    return cell;
  }
};

TEST_F(ThumbsTest, ProgressBarOnScreenAtRestDuringAndAfterAPass) {
  OpenOnRedPictures(10);
  HWND bar = window->control(IDC_PROGRESS);
  char cls[64] = "";
  GetClassNameA(bar, cls, sizeof(cls));
  EXPECT_STREQ(cls, "TColorProgressBar");
  EXPECT_EQ(window->progressBar().bar().Max(), 100);
  // At rest: a white box in a grey frame, no block.
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return GreenBlocksOnScreen(bar) == 0; }, std::chrono::seconds(20)))
      << GreenBlocksOnScreen(bar);

  // Ten rows: each one done fills one more block from the left.
  std::vector<int> shown;
  window->thumbnails().SetRowObserver([&](int row) {
    PumpUntil(window.get(), [&] { return GreenBlocksOnScreen(bar) == row + 1; }, std::chrono::seconds(20));
    shown.push_back(GreenBlocksOnScreen(bar));
  });
  Command(IDM_THUMBNAILS);
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_TRUE(PumpUntil(window.get(), [&] { return GreenBlocksOnScreen(bar) == 0; }, std::chrono::seconds(20)));
}

TEST_F(ThumbsTest, PassPicturesEveryRowAndBadFilesGetTheirFramedIcon) {
  const Bytes photo = test_support::EncodeJpeg(64, 32, [](int x, int y) { return x < 32 ? kRed : kGreen; });
  WriteBytes(content + "red.jpg", AsString(photo));
  WriteBytes(content + "BLUE.JPG", AsString(SolidJpeg(40, 40, kBlue)));
  WriteBytes(content + "green.bmp", AsString(test_support::EncodeBmp(20, 40, [](int, int) { return kGreen; })));
  WriteBytes(content + "other.jpeg", AsString(SolidJpeg(40, 40, kRed)));
  WriteBytes(content + "pic.png", SolidPng(16, 16, kBlue));
  WriteBytes(content + "truncated.jpg", AsString(photo).substr(0, photo.size() / 2));
  MakeFile(content + "zero.jpg", 0);
  WriteBytes(content + "text.jpg", "This is not a picture at all.\r\n");
  MakeFolder(content + "sub");
  OpenOn(NoSlash(content.path()), "0");
  const std::size_t rows = window->browser().records().size();
  ASSERT_EQ(rows, 9u);
  std::vector<int> icons;
  for (const auto& r : window->browser().records()) icons.push_back(r->iconIndex);
  ASSERT_TRUE(ThumbnailButtonEnabled());

  Command(IDM_THUMBNAILS);
  const ThumbnailPass& pass = window->thumbnails();
  EXPECT_FALSE(pass.running());
  EXPECT_TRUE(window->browser().thumbnailMode());
  ExpectEveryRowItsOwnPicture();
  EXPECT_EQ(ImageList_GetImageCount(pass.images()), static_cast<int>(pass.overlayImages() + rows));
  // The shell icon indexes stay as the worker left them.
  for (std::size_t i = 0; i < rows; ++i) EXPECT_EQ(window->browser().records()[i]->iconIndex, icons[i]);
  EXPECT_EQ(window->progressBar().bar().Position(), 0);
  EXPECT_EQ(window->progressBar().bar().Max(), static_cast<std::int64_t>(rows));
  EXPECT_FALSE(ThumbnailButtonEnabled());
  EXPECT_FALSE(window->commands().IsAvailable(IDM_THUMBNAILS));

  // 64 x 32 in 32 x 32: 32 x 16 at top 8, in a white cell with a silver edge.
  const Raster red = RowCell("red.jpg");
  EXPECT_EQ(red.At(0, 0), 0xC0C0C0u);
  EXPECT_EQ(red.At(16, 4), 0xFFFFFFu);
  EXPECT_TRUE(Near(red.At(8, 16), 255, 0, 0)) << std::hex << red.At(8, 16);
  EXPECT_TRUE(Near(red.At(24, 16), 0, 255, 0)) << std::hex << red.At(24, 16);
  EXPECT_TRUE(Near(RowCell("BLUE.JPG").At(16, 16), 0, 0, 255));
  const Raster green = RowCell("green.bmp");
  EXPECT_TRUE(Near(green.At(16, 16), 0, 255, 0, 0));
  EXPECT_EQ(green.At(4, 16), 0xFFFFFFu);  // 20 x 40 is 16 x 32 at left 8

  // No extractor under Wine: .jpeg and .png go to the shell and get their icons; so do the
  // files that cannot be decoded, and folders.
  for (const char* name : {"other.jpeg", "pic.png", "truncated.jpg", "zero.jpg", "text.jpg", "sub"}) {
    const Raster cell = RowCell(name);
    EXPECT_TRUE(SamePixels(cell, FramedIconCell(content + name))) << name;
    // Opaque: the frame and the white behind the icon show on any background.
    EXPECT_EQ(cell.At(0, 0), 0xC0C0C0u) << name;
    EXPECT_EQ(cell.At(cell.width() - 1, cell.height() - 1), 0xC0C0C0u) << name;
  }
  EXPECT_TRUE(prompter.messages.empty());
  Command(IDM_REFRESH);
  EXPECT_FALSE(window->browser().thumbnailMode());
  EXPECT_TRUE(ThumbnailButtonEnabled());
}

// Wine has no shell extractor: high quality gets the program's own pictures rather than icons.
// The button shows the mode: pressed while thumbnail mode is on, whatever ends it.
TEST_F(ThumbsTest, TheThumbnailButtonLooksPressedWhileTheModeIsOn) {
  WriteBytes(content + "red.jpg", AsString(SolidJpeg(40, 40, kRed)));
  MakeFolder(content + "sub");
  OpenOn(NoSlash(content.path()), "0");
  EXPECT_FALSE(ThumbnailButtonPressed());
  Command(IDM_THUMBNAILS);
  ASSERT_TRUE(window->browser().thumbnailMode());
  EXPECT_TRUE(ThumbnailButtonPressed());
  // A refresh leaves the mode, and the button comes up.
  Command(IDM_REFRESH);
  EXPECT_FALSE(window->browser().thumbnailMode());
  EXPECT_FALSE(ThumbnailButtonPressed());
  EXPECT_TRUE(ThumbnailButtonEnabled());
  // So does another view, and entering a folder.
  Command(IDM_THUMBNAILS);
  EXPECT_TRUE(ThumbnailButtonPressed());
  Command(IDM_VIEW_LIST);
  EXPECT_FALSE(window->browser().thumbnailMode());
  EXPECT_FALSE(ThumbnailButtonPressed());
  Command(IDM_VIEW_ICON);
  Command(IDM_THUMBNAILS);
  EXPECT_TRUE(ThumbnailButtonPressed());
  window->browser().EnterFolder(-1, content + "sub");
  EXPECT_FALSE(window->browser().thumbnailMode());
  EXPECT_FALSE(ThumbnailButtonPressed());
}

TEST_F(ThumbsTest, HighQualityIsNeverWorseAndSwitchingItMakesThePicturesAgain) {
  WriteBytes(content + "red.jpg", AsString(SolidJpeg(40, 40, kRed)));
  WriteBytes(content + "green.bmp", AsString(test_support::EncodeBmp(20, 40, [](int, int) { return kGreen; })));
  WriteBytes(content + "other.jpeg", AsString(SolidJpeg(40, 40, kBlue)));
  WriteBytes(content + "note.txt", "text");
  OpenOn(NoSlash(content.path()), "0");
  SendMessageA(window->control(IDC_HIGH_QUALITY), BM_SETCHECK, BST_CHECKED, 0);
  Command(IDM_THUMBNAILS);
  ExpectEveryRowItsOwnPicture();
  EXPECT_TRUE(Near(RowCell("red.jpg").At(16, 16), 255, 0, 0));
  EXPECT_TRUE(Near(RowCell("green.bmp").At(16, 16), 0, 255, 0));
  EXPECT_TRUE(Near(RowCell("other.jpeg").At(16, 16), 0, 0, 255));
  EXPECT_TRUE(SamePixels(RowCell("note.txt"), FramedIconCell(content + "note.txt")));

  // Switched off: the pictures are made again at once, the folder not listed again; ".jpeg"
  // is then the shell's alone, which has none here.
  const std::size_t listings = window->browser().listings();
  ClickHighQuality();
  EXPECT_EQ(SendMessageA(window->control(IDC_HIGH_QUALITY), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(window->browser().listings(), listings);
  EXPECT_TRUE(window->browser().thumbnailMode());
  ExpectEveryRowItsOwnPicture();
  EXPECT_TRUE(Near(RowCell("red.jpg").At(16, 16), 255, 0, 0));
  EXPECT_TRUE(SamePixels(RowCell("other.jpeg"), FramedIconCell(content + "other.jpeg")));

  // Switched during a pass: the pass starts over with the new setting.
  Command(IDM_REFRESH);
  int calls = 0;
  window->thumbnails().SetRowObserver([&](int) {
    if (calls++ == 0) ClickHighQuality();
  });
  Command(IDM_THUMBNAILS);
  EXPECT_EQ(calls, 1 + 4);
  EXPECT_EQ(window->browser().listings(), listings + 1);
  ExpectEveryRowItsOwnPicture();
  EXPECT_TRUE(Near(RowCell("other.jpeg").At(16, 16), 0, 0, 255));
  EXPECT_TRUE(prompter.messages.empty());
}

// A camera's thumbnail stands in for its photo only when it is the same picture: here the
// thumbnails are drawn in other colours than their photos to tell which one the cell shows.
TEST_F(ThumbsTest, EmbeddedThumbnailOnlyWhenItHasThePhotosProportions) {
  const Bytes photo = SolidJpeg(640, 480, kRed);
  WriteBytes(content + "camera.jpg", AsString(test_support::WithExifThumbnail(photo, SolidJpeg(160, 120, kGreen))));
  // Square: another picture, which would also leave bars in the cell.
  WriteBytes(content + "other.jpg", AsString(test_support::WithExifThumbnail(photo, SolidJpeg(160, 160, kBlue))));
  OpenOn(NoSlash(content.path()), "0");
  Command(IDM_THUMBNAILS);
  ASSERT_EQ(ShownLargeImages(), window->thumbnails().images());
  // 640 x 480 fits as 32 x 24 at top 4, whichever picture is drawn.
  const Raster camera = RowCell("camera.jpg"), other = RowCell("other.jpg");
  EXPECT_TRUE(Near(camera.At(16, 16), 0, 255, 0)) << std::hex << camera.At(16, 16);
  EXPECT_TRUE(Near(other.At(16, 16), 255, 0, 0)) << std::hex << other.At(16, 16);
  for (const Raster* cell : {&camera, &other}) {
    EXPECT_EQ(cell->At(16, 2), 0xFFFFFFu);
    EXPECT_FALSE(Near(cell->At(16, 5), 255, 255, 255)) << std::hex << cell->At(16, 5);
    EXPECT_EQ(cell->At(16, 29), 0xFFFFFFu);
  }
}

TEST_F(ThumbsTest, EmptyFolderGivesTheOverlaysOnly) {
  OpenOn(NoSlash(content.path()), "0");
  Command(IDM_THUMBNAILS);
  EXPECT_EQ(ImageList_GetImageCount(window->thumbnails().images()), window->thumbnails().overlayImages());
  EXPECT_EQ(ShownLargeImages(), window->thumbnails().images());
  EXPECT_EQ(window->progressBar().bar().Max(), 1);
}

// A shortcut's or a share's picture carries the shell's own overlay, never a whole icon; where
// the shell does not say which picture that is (Wine), none.
TEST_F(ThumbsTest, OverlaysAreTheShellsOwnOrNone) {
  MakeFile(content + "target.txt", 1);
  ASSERT_TRUE(testing_support::MakeShortcut(content + "target.lnk", content + "target.txt"));
  MakeFolder(content + "sub");
  OpenOn(NoSlash(content.path()), "0");
  Command(IDM_THUMBNAILS);
  ExpectEveryRowItsOwnPicture();
  const bool said[] = {ShellOverlayImage(ShellOverlay::kShare) >= 0, ShellOverlayImage(ShellOverlay::kLink) >= 0};
  EXPECT_EQ(window->thumbnails().overlayImages(), (said[0] ? 1 : 0) + (said[1] ? 1 : 0));
  HIMAGELIST images = window->thumbnails().images();
  for (int row = 0; row < static_cast<int>(Names().size()); ++row) {
    const int image = window->browser().RowThumbnail(row);
    for (int overlay = 1; overlay <= 4; ++overlay) {
      if (overlay <= 2 && said[overlay - 1]) continue;
      EXPECT_TRUE(SamePixels(DrawImage(images, image, overlay), DrawImage(images, image)))
          << Names()[static_cast<std::size_t>(row)] << " overlay " << overlay;
    }
  }
}

TEST_F(ThumbsTest, TreeClickMidPassStopsItAndTheNewFolderKeepsItsIcons) {
  MakeFolder(content + "a");
  MakeFolder(content + "b");
  const std::string jpeg = AsString(SolidJpeg(48, 48, kRed));
  for (int i = 0; i < 30; ++i) WriteBytes(content + "a\\" + std::to_string(i) + ".jpg", jpeg);
  for (int i = 0; i < 3; ++i) MakeFile(content + "b\\" + std::to_string(i) + ".txt", 1);
  Open("Work\r\n", "[Work]\r\n" + (content + "a=0\r\n") + (content + "b=0\r\n\r\n"));
  ClickNode("a");
  ASSERT_TRUE(WaitForWorker());
  int seen = 0;
  window->thumbnails().SetRowObserver([&](int row) {
    seen = row + 1;
    if (row == 5) {
      TreeView_SelectItem(window->control(IDC_TREE), FindNode("b"));
      PostMessageA(window->hwnd(), WM_APP_TREE_CLICK, 0, 0);
    }
  });
  Command(IDM_THUMBNAILS);
  EXPECT_EQ(seen, 6);
  EXPECT_EQ(ImageList_GetImageCount(window->thumbnails().images()), window->thumbnails().overlayImages() + 6);
  EXPECT_EQ(Names().size(), 3u);
  EXPECT_EQ(window->browser().rootFolder(), content + "b");
  EXPECT_FALSE(window->browser().thumbnailMode());
  EXPECT_EQ(ShownLargeImages(), window->browser().systemLargeImages());
  for (const auto& r : window->browser().records()) EXPECT_EQ(r->thumbnailIndex, -1);
  EXPECT_EQ(window->progressBar().bar().Position(), 0);
  EXPECT_TRUE(ThumbnailButtonEnabled());
  ASSERT_TRUE(WaitForWorker());
  for (int row = 0; row < 3; ++row) EXPECT_EQ(ShownImage(row), window->browser().records()[row]->iconIndex);
}

TEST_F(ThumbsTest, LeavingIconViewMidPassStopsIt) {
  OpenOnRedPictures(10);
  int seen = 0;
  window->thumbnails().SetRowObserver([&](int row) {
    seen = row + 1;
    if (row == 3) PostMessageA(window->hwnd(), WM_COMMAND, MAKEWPARAM(IDM_VIEW_DETAIL, 0), 0);
  });
  Command(IDM_THUMBNAILS);
  EXPECT_EQ(seen, 4);
  EXPECT_EQ(window->browser().listView().GetViewStyle(), kDetailView);
  EXPECT_FALSE(window->browser().thumbnailMode());
  EXPECT_EQ(ShownLargeImages(), window->browser().systemLargeImages());
  EXPECT_EQ(Names().size(), 10u);
  EXPECT_FALSE(ThumbnailButtonEnabled());
}

TEST_F(ThumbsTest, ClosingMidPassEndsIt) {
  OpenOnRedPictures(10);
  int seen = 0;
  window->thumbnails().SetRowObserver([&](int row) {
    seen = row + 1;
    if (row == 2) PostMessageA(window->hwnd(), WM_CLOSE, 0, 0);
  });
  Command(IDM_THUMBNAILS);
  EXPECT_EQ(seen, 3);
  EXPECT_FALSE(IsWindow(window->hwnd()));
}

// Rows that a drop or a new folder adds show pictures of their own, after a pass and during one.
TEST_F(ThumbsTest, RowsAddedInThumbnailModeShowTheirOwnPictures) {
  WriteBytes(content + "a.jpg", AsString(SolidJpeg(40, 40, kRed)));
  MakeFile(content + "b.txt", 3);
  TempDir source;
  WriteBytes(source + "blue.jpg", AsString(SolidJpeg(40, 40, kBlue)));
  WriteBytes(source + "green.jpg", AsString(SolidJpeg(40, 40, kGreen)));
  OpenOn(NoSlash(content.path()), "0");
  window->listCommands().fileCommands().SetShellConfirmations(false);
  Command(IDM_THUMBNAILS);
  ASSERT_EQ(ShownLargeImages(), window->thumbnails().images());

  DropOnList({source + "blue.jpg"});
  Command(IDM_LIST_NEW_FOLDER);
  if (HWND edit = ListView_GetEditControl(window->control(IDC_LIST))) SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_EQ(Names().size(), 4u);
  const std::string folder = Names().back();
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return AllRowsPictured(); }));
  ExpectEveryRowItsOwnPicture();
  EXPECT_TRUE(Near(RowCell("blue.jpg").At(16, 16), 0, 0, 255));
  EXPECT_TRUE(SamePixels(RowCell(folder), FramedIconCell(content + folder)));
  EXPECT_TRUE(Near(RowCell("a.jpg").At(16, 16), 255, 0, 0));

  // During a pass: the pass takes the new row in.
  Command(IDM_REFRESH);
  window->thumbnails().SetRowObserver([&](int row) {
    if (row == 0) DropOnList({source + "green.jpg"});
  });
  Command(IDM_THUMBNAILS);
  ASSERT_EQ(Names().size(), 5u);
  ExpectEveryRowItsOwnPicture();
  EXPECT_TRUE(Near(RowCell("green.jpg").At(16, 16), 0, 255, 0));
  EXPECT_TRUE(SamePixels(RowCell(folder), FramedIconCell(content + folder)));
}

TEST_F(ThumbsTest, FilesMadeOutsideGetTheirOwnPicturesAfterAndDuringAPass) {
  OpenOnRedPictures(2);
  Command(IDM_THUMBNAILS);
  ASSERT_EQ(ShownLargeImages(), window->thumbnails().images());
  WriteBytes(content + "blue.jpg", AsString(SolidJpeg(40, 40, kBlue)));
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return Names().size() == 3 && AllRowsPictured(); }));
  ExpectEveryRowItsOwnPicture();
  EXPECT_TRUE(Near(RowCell("blue.jpg").At(16, 16), 0, 0, 255));

  // A change that comes while a pass walks the rows waits for its end, then gets its picture.
  Command(IDM_REFRESH);
  window->thumbnails().SetRowObserver([&](int row) {
    if (row == 0) WriteBytes(content + "green.jpg", AsString(SolidJpeg(40, 40, kGreen)));
  });
  Command(IDM_THUMBNAILS);
  window->thumbnails().SetRowObserver(nullptr);
  ASSERT_TRUE(PumpUntil(window.get(), [&] { return Names().size() == 4 && AllRowsPictured(); }));
  ExpectEveryRowItsOwnPicture();
  EXPECT_TRUE(Near(RowCell("green.jpg").At(16, 16), 0, 255, 0));
  EXPECT_TRUE(Near(RowCell("0.jpg").At(16, 16), 255, 0, 0));
}

// A pass ended half-way by a delete, or by a failure (a picture too large to copy), leaves the
// list with its icons, nothing running, and the pass ready to start again.
TEST_F(ThumbsTest, APassEndedHalfWayCanBeStartedAgain) {
  OpenOnRedPictures(8);
  window->listCommands().fileCommands().SetShellConfirmations(false);
  const std::vector<std::pair<const char*, std::function<void()>>> endings = {
      {"delete", [&] {
         window->browser().listView().DeselectAll();
         window->browser().listView().SelectRow(RowOf("5.jpg"), false);
         Command(IDM_LIST_DELETE);
       }},
      {"failure", [] { throw std::bad_alloc(); }},
  };
  for (const auto& ending : endings) {
    if (ending.first == std::string("delete") && TrashHome().empty()) continue;  // only Wine's trash is the tests'
    const std::size_t rows = Names().size();
    int seen = 0;
    window->thumbnails().SetRowObserver([&](int row) {
      seen = row + 1;
      if (row == 2) ending.second();
    });
    Command(IDM_THUMBNAILS);
    EXPECT_EQ(seen, 3) << ending.first;
    EXPECT_FALSE(window->thumbnails().running()) << ending.first;
    EXPECT_FALSE(window->browser().thumbnailMode()) << ending.first;
    EXPECT_EQ(window->progressBar().bar().Position(), 0) << ending.first;
    EXPECT_EQ(ShownLargeImages(), window->browser().systemLargeImages()) << ending.first;
    EXPECT_TRUE(ThumbnailButtonEnabled()) << ending.first;
    EXPECT_TRUE(window->commands().IsAvailable(IDM_THUMBNAILS)) << ending.first;
    EXPECT_EQ(Names().size(), ending.first == std::string("delete") ? rows - 1 : rows);
  }
  EXPECT_EQ(prompter.messages.size(), 1u);  // the failure, as any handler's is shown

  window->thumbnails().SetRowObserver(nullptr);
  Command(IDM_THUMBNAILS);
  EXPECT_TRUE(window->browser().thumbnailMode());
  ExpectEveryRowItsOwnPicture();
}

// Pictures decoded on the pool's threads are the ones decoding row by row gives, bad files
// and a folder named like a picture included.
TEST_F(ThumbsTest, ThreadedPassGivesTheSamePicturesAsOneThread) {
  for (int i = 0; i < 14; ++i) {
    const int w = 30 + 17 * i, h = 90 - 5 * i;
    auto pixel = [=](int x, int y) { return static_cast<std::uint32_t>((x * 255 / w) << 16 | (y * 255 / h) << 8 | i * 15); };
    const std::string name = std::to_string(i);
    if (i % 4 == 3)
      WriteBytes(content + name + ".BMP", AsString(test_support::EncodeBmp(w, h, pixel)));
    else
      WriteBytes(content + name + ".jpg", AsString(test_support::EncodeJpeg(w, h, pixel)));
  }
  const Bytes photo = SolidJpeg(64, 64, kBlue);
  WriteBytes(content + "cut.jpg", AsString(photo).substr(0, photo.size() / 3));
  WriteBytes(content + "text.jpg", "not a picture");
  MakeFile(content + "note.txt", 5);
  MakeFolder(content + "folder.jpg");
  OpenOn(NoSlash(content.path()), "0");
  const std::vector<std::string> names = Names();

  std::map<std::string, Raster> single;
  window->thumbnails().SetDecodeThreads(0);
  Command(IDM_THUMBNAILS);
  ASSERT_TRUE(window->browser().thumbnailMode());
  for (const std::string& name : names) single[name] = RowCell(name);
  Command(IDM_REFRESH);
  ASSERT_TRUE(WaitForWorker());

  window->thumbnails().SetDecodeThreads(3);
  Command(IDM_THUMBNAILS);
  ASSERT_TRUE(window->browser().thumbnailMode());
  ExpectEveryRowItsOwnPicture();
  for (const std::string& name : names) EXPECT_TRUE(SamePixels(RowCell(name), single[name])) << name;
}

// Stopping a threaded pass ends it where it was, and its decoding threads end with it.
TEST_F(ThumbsTest, StoppingAThreadedPassEndsItsThreads) {
  const Bytes photo = test_support::EncodeJpeg(640, 480, [](int x, int y) { return static_cast<std::uint32_t>(x * y); });
  for (int i = 0; i < 40; ++i) WriteBytes(content + std::to_string(i) + ".jpg", AsString(photo));
  OpenOn(NoSlash(content.path()), "0");
  ASSERT_TRUE(WaitForWorker());
  const int threadsBefore = ProcessThreads();
  ASSERT_GT(threadsBefore, 0);
  window->thumbnails().SetDecodeThreads(2);
  int seen = 0;
  window->thumbnails().SetRowObserver([&](int row) {
    seen = row + 1;
    if (row == 4) PostMessageA(window->hwnd(), WM_COMMAND, MAKEWPARAM(IDM_VIEW_DETAIL, 0), 0);
  });
  Command(IDM_THUMBNAILS);
  EXPECT_EQ(seen, 5);
  EXPECT_FALSE(window->thumbnails().running());
  EXPECT_FALSE(window->browser().thumbnailMode());
  EXPECT_EQ(ImageList_GetImageCount(window->thumbnails().images()), window->thumbnails().overlayImages() + 5);
  EXPECT_TRUE(PumpUntil(window.get(), [&] { return ProcessThreads() <= threadsBefore; }, std::chrono::seconds(20)))
      << ProcessThreads() << " threads, " << threadsBefore << " before";
}

TEST_F(ThumbsTest, LeavingIconViewRefreshesAndTheShellIconsReturn) {
  WriteBytes(content + "a.jpg", AsString(SolidJpeg(40, 30, kRed)));
  MakeFile(content + "b.txt", 3);
  OpenOn(NoSlash(content.path()), "0");
  Command(IDM_THUMBNAILS);
  ASSERT_TRUE(window->browser().thumbnailMode());
  const std::size_t listings = window->browser().listings();
  Command(IDM_VIEW_LIST);
  EXPECT_EQ(window->browser().listings(), listings + 1);
  EXPECT_FALSE(window->browser().thumbnailMode());
  EXPECT_EQ(ShownLargeImages(), window->browser().systemLargeImages());
  EXPECT_FALSE(ThumbnailButtonEnabled());
  ASSERT_TRUE(WaitForWorker());
  for (int row = 0; row < 2; ++row) EXPECT_EQ(ShownImage(row), window->browser().records()[row]->iconIndex);
  // Back in icon view the button is offered again.
  Command(IDM_VIEW_ICON);
  EXPECT_TRUE(ThumbnailButtonEnabled());
}

class PreviewTest : public ThumbsTest {
 protected:
  void Select(const std::string& name) {
    FileListView& list = window->browser().listView();
    list.DeselectAll();
    const int row = RowOf(name);
    ASSERT_GE(row, 0) << name;
    list.SelectRow(row, true);
  }
  bool WaitShown(bool shown) {
    return PumpUntil(window.get(), [&] { return window->preview().shown() == shown && IsWindowVisible(window->preview().hwnd()) == shown; },
                     std::chrono::seconds(10));
  }
  RECT ClientRectOf(HWND control) const { return test_support::ChildRect(window->hwnd(), control); }
};

TEST_F(PreviewTest, ShownForPicturesHiddenForTextFoldersAndNoSelection) {
  WriteBytes(content + "photo.jpg", AsString(SolidJpeg(100, 50, kRed)));
  WriteBytes(content + "note.txt", "hello");
  WriteBytes(content + "fake.jpg", "hello");
  MakeFolder(content + "sub");
  OpenOn(NoSlash(content.path()), "2");
  EXPECT_FALSE(window->preview().shown());
  const RECT fullTree = ClientRectOf(window->control(IDC_TREE));

  Select("photo.jpg");
  ASSERT_TRUE(WaitShown(true));
  const RECT tree = ClientRectOf(window->control(IDC_TREE));
  const RECT pane = ClientRectOf(window->preview().hwnd());
  EXPECT_EQ(pane.bottom - pane.top, 95);
  EXPECT_EQ(tree.bottom + 4, pane.top);
  EXPECT_EQ(pane.bottom, fullTree.bottom);
  // 100 x 50 fitted into the pane inside its bevel and a one-pixel margin: white above and
  // below, the picture across the middle.
  const Raster& canvas = window->preview().canvas();
  ASSERT_GT(canvas.width(), 0);
  EXPECT_TRUE(Near(canvas.At(canvas.width() / 2, canvas.height() / 2), 255, 0, 0));
  EXPECT_EQ(canvas.At(canvas.width() / 2, 1), 0xFFFFFFu);
  EXPECT_EQ(canvas.At(0, canvas.height() / 2), 0xFFFFFFu);

  for (const char* name : {"note.txt", "fake.jpg", "sub"}) {
    Select("photo.jpg");
    ASSERT_TRUE(WaitShown(true));
    Select(name);
    EXPECT_TRUE(WaitShown(false)) << name;
    EXPECT_EQ(ClientRectOf(window->control(IDC_TREE)).bottom, fullTree.bottom) << name;
  }
  // No selection previews the listed folder itself: hidden.
  Select("photo.jpg");
  ASSERT_TRUE(WaitShown(true));
  window->browser().listView().DeselectAll();
  EXPECT_TRUE(WaitShown(false));
  // A tree click lists again and hides the pane.
  Select("photo.jpg");
  ASSERT_TRUE(WaitShown(true));
  ClickNode(LastComponent(NoSlash(content.path())));
  window->browser().listView().DeselectAll();
  EXPECT_TRUE(WaitShown(false));
}

// A picture whose name the code page cannot spell is read by its own name, never a look-alike.
TEST_F(PreviewTest, APictureNamedBeyondTheCodePageGetsItsThumbnailAndPreview) {
  const std::wstring name = L"\u7B80\u4F53.jpg";  // 简体.jpg
  test_support::MakeFile(AnsiToWide(content.path()) + name, AsString(SolidJpeg(100, 50, kRed)));
  OpenOn(NoSlash(content.path()), "0");
  const std::string shown = WideToAnsi(name.c_str());
  Command(IDM_THUMBNAILS);
  EXPECT_TRUE(Near(RowCell(shown).At(16, 16), 255, 0, 0));

  Select(shown);
  ASSERT_TRUE(WaitShown(true));
  const Raster& canvas = window->preview().canvas();
  EXPECT_TRUE(Near(canvas.At(canvas.width() / 2, canvas.height() / 2), 255, 0, 0));
}

TEST_F(PreviewTest, PngThroughTheImagingComponentWhereThereIsOne) {
  WriteBytes(content + "blue.png", SolidPng(60, 30, kBlue));
  OpenOn(NoSlash(content.path()), "2");
  Select("blue.png");
  // The imaging component is optional: without it the pane just stays hidden.
  IUnknown* factory = nullptr;
  const CLSID clsid = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
  const bool haveWic = SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&factory)));
  if (factory) factory->Release();
  if (!haveWic) GTEST_SKIP() << "no imaging component";
  ASSERT_TRUE(WaitShown(true));
  const Raster& canvas = window->preview().canvas();
  EXPECT_TRUE(Near(canvas.At(canvas.width() / 2, canvas.height() / 2), 0, 0, 255));
}

TEST_F(PreviewTest, SplitterHeightIsTheUsersAndKeptAcrossSelections) {
  WriteBytes(content + "photo.jpg", AsString(SolidJpeg(100, 50, kRed)));
  WriteBytes(content + "note.txt", "hello");
  OpenOn(NoSlash(content.path()), "2");
  Select("photo.jpg");
  ASSERT_TRUE(WaitShown(true));
  const RECT pane = ClientRectOf(window->preview().hwnd());
  // Drag the strip above the pane 30 pixels up.
  const int x = 20, y = pane.top - 2;
  HWND main = window->hwnd();
  SendMessageA(main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(main, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y - 30));
  SendMessageA(main, WM_LBUTTONUP, 0, MAKELPARAM(x, y - 30));
  EXPECT_EQ(window->previewHeight(), 95 + 30);
  EXPECT_EQ(ClientRectOf(window->preview().hwnd()).top, pane.top - 30);
  EXPECT_EQ(ClientRectOf(window->control(IDC_TREE)).bottom + 4, pane.top - 30);
  const int canvasHeight = window->preview().canvas().height();
  EXPECT_EQ(canvasHeight, 95 + 30 - 4);
  Select("note.txt");
  ASSERT_TRUE(WaitShown(false));
  Select("photo.jpg");
  ASSERT_TRUE(WaitShown(true));
  EXPECT_EQ(ClientRectOf(window->preview().hwnd()).bottom - ClientRectOf(window->preview().hwnd()).top, 95 + 30);
  // Dragged past the bottom, the pane keeps its minimum.
  const RECT now = ClientRectOf(window->preview().hwnd());
  SendMessageA(main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, now.top - 2));
  SendMessageA(main, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, now.bottom + 100));
  SendMessageA(main, WM_LBUTTONUP, 0, MAKELPARAM(x, now.bottom + 100));
  EXPECT_EQ(window->previewHeight(), 50);
}

}  // namespace
}  // namespace velmora
