// Drives velmora.exe into the states the README shows and photographs each window with the X
// server's own "import" (run outside Wine), cropped to the window. Used by scripts/screenshots.sh,
// which prepares the program's folder, its store and the folders it lists.
//
// velmora_screenshots.exe <program folder> <output folder, Unix path> <detail folder node>
//                         <picture folder node> <picture to preview> <folder to register>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/win32/control_ids.h"
#include "e2e/app_driver.h"

using e2e::AppDriver;
using e2e::WaitFor;

namespace {

void Fail(const std::string& what) {
  std::fprintf(stderr, "screenshots: %s\n", what.c_str());
  std::fflush(stderr);
  ExitProcess(1);
}

// One grab of the screen's rectangle into a BMP file (no metadata: equal pixels, equal bytes);
// false when not under Wine.
bool Grab(const RECT& r, const std::string& file) {
  char geometry[64];
  std::snprintf(geometry, sizeof(geometry), "%ldx%ld+%ld+%ld", r.right - r.left, r.bottom - r.top, r.left, r.top);
  return e2e::RunUnixProgram({"import", "-window", "root", "-crop", geometry, "+repage", "bmp3:" + file});
}

// Photographs the window once two grabs in a row agree: everything it was asked to draw is on
// the screen.
void Photograph(HWND window, const std::string& outDir, const std::string& name) {
  // The pointer away from the window: no hover marks, no tips.
  SetCursorPos(0, 0);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  RECT r;
  GetWindowRect(window, &r);
  const std::string file = outDir + "/" + name + ".bmp";
  std::string last;
  const bool steady = WaitFor([&] {
    // A grab that failed leaves no file, and an empty one never agrees.
    DeleteFileA(("Z:" + file).c_str());
    if (!Grab(r, file)) Fail("not under Wine");
    std::string now = e2e::ReadBytes("Z:" + file);
    const bool same = !now.empty() && now == last;
    last = std::move(now);
    return same;
  });
  if (!steady) Fail("the window did not settle for " + name);
  std::printf("screenshots: %s (%ldx%ld)\n", name.c_str(), r.right - r.left, r.bottom - r.top);
}

HWND ListImages(const AppDriver& app) {
  return reinterpret_cast<HWND>(SendMessageA(app.Control(velmora::IDC_LIST), LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
}

// Lists a registered folder and waits until the worker has given every row its type.
void ListFolder(AppDriver& app, const std::string& node) {
  if (!app.ClickTreeNode(app.FindTreeNode(node))) Fail("no tree node " + node);
  const bool done = WaitFor([&] {
    const int rows = app.ListRowCount();
    if (rows == 0 || app.StatusText(1).find(node) == std::string::npos) return false;
    for (int row = 0; row < rows; ++row)
      if (app.ListCellText(row, 2).empty()) return false;
    return true;
  });
  if (!done) Fail("the folder " + node + " was not listed");
}

int RowOf(const AppDriver& app, const std::string& name) {
  const std::vector<std::string> names = app.ListColumn(0);
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<int>(i);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7) Fail("usage: velmora_screenshots.exe <program folder> <output folder> <details node> <pictures node> <picture> <folder>");
  std::string appDir = argv[1];
  if (appDir.back() != '\\') appDir += '\\';
  const std::string outDir = argv[2], detailNode = argv[3], pictureNode = argv[4], picture = argv[5], folder = argv[6];

  {
    AppDriver app(appDir);
    if (!app.Start()) Fail("the program did not start");
    ListFolder(app, detailNode);
    Photograph(app.window(), outDir, "main-window");

    ListFolder(app, pictureNode);
    // The pass ends by giving the list its picture cells in place of the shell's icons.
    const HWND shellIcons = ListImages(app);
    PostMessageA(app.window(), WM_COMMAND, velmora::IDM_THUMBNAILS, 0);
    if (!WaitFor([&] { return ListImages(app) != shellIcons; })) Fail("no thumbnails");
    const int row = RowOf(app, picture);
    if (row < 0) Fail("no row " + picture);
    app.SelectListRow(row);
    if (!WaitFor([&] { return IsWindowVisible(app.Control(velmora::IDC_PREVIEW)) != FALSE; })) Fail("no preview");
    Photograph(app.window(), outDir, "thumbnails");
    if (app.Close() != 0) Fail("the program did not close");
  }
  {
    // Sent a folder, as by Explorer's Send To: the registration box, a binder picked.
    AppDriver app(appDir);
    if (!app.Start("\"" + folder + "\"", false)) Fail("the registration run did not start");
    HWND dialog = nullptr;
    HWND list = nullptr;
    if (!WaitFor([&] {
          dialog = app.FindWindowOf("TBinderAddDlg", "Velmora へのフォルダ登録");
          list = dialog ? GetDlgItem(dialog, 101) : nullptr;
          return list && IsWindowVisible(dialog) && SendMessageA(list, CB_GETCOUNT, 0, 0) > 0;
        }))
      Fail("no registration box");
    SendMessageA(list, CB_SETCURSEL, 0, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(101, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    if (!WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; })) Fail("no binder picked");
    Photograph(dialog, outDir, "registration");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    if (!WaitFor([&] { return !app.Running(); })) Fail("the registration run did not end");
  }
  return 0;
}
