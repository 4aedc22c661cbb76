// The about window in this process: the test thread runs it modally, as the menu command
// does, while a second thread looks at it and works it like a user.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "about/win32/about_dialog.h"
#include "about/win32/version_box.h"
#include "support/temp_folder.h"
#include "velmora_version.h"
#include "win32/window_fixture.h"
#include "support/window_rect.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using test_support::ChildRect;

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline = 30s) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    Sleep(10);
  }
  return true;
}

std::vector<HWND> TopWindows(const char* className) {
  std::vector<HWND> windows;
  for (HWND w = FindWindowExA(nullptr, nullptr, className, nullptr); w; w = FindWindowExA(nullptr, w, className, nullptr))
    windows.push_back(w);
  return windows;
}

std::vector<HWND> Boxes() { return TopWindows(TVersionBox::kClassName); }

HWND FocusOf(DWORD thread) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// The box once it is shown with its button in focus, as a user first sees it.
HWND ReadyBox(DWORD uiThread) {
  HWND box = FindWindowA(TVersionBox::kClassName, nullptr);
  return box && IsWindowVisible(box) && FocusOf(uiThread) == GetDlgItem(box, IDOK) ? box : nullptr;
}

std::string Text(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof(text));
  return text;
}


COLORREF PixelAt(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return c;
}

// A real click: the pointer moves to the control's centre and the left button goes down and up.
void ClickCentre(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  INPUT in[3] = {};
  for (INPUT& i : in) i.type = INPUT_MOUSE;
  in[0].mi.dx = static_cast<LONG>(x * 65535.0 / (GetSystemMetrics(SM_CXSCREEN) - 1) + 0.5);
  in[0].mi.dy = static_cast<LONG>(y * 65535.0 / (GetSystemMetrics(SM_CYSCREEN) - 1) + 0.5);
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(3, in, sizeof(INPUT));
}

// Escape as the keyboard delivers it: to the control that has the focus in the box's thread.
void PressEscape(DWORD uiThread) {
  HWND focus = FocusOf(uiThread);
  PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

// Works the box from a second thread while open() runs it on this one. In the end every box
// is closed, also when a step failed, so that no test hangs.
void WorkTheBox(const std::function<void(const std::atomic<bool>& finished)>& open,
                const std::function<void(HWND box)>& steps) {
  std::atomic<bool> finished{false};
  const DWORD uiThread = GetCurrentThreadId();
  std::thread driver([&] {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = ReadyBox(uiThread)) != nullptr; })) {
      ADD_FAILURE() << "the about window did not open";
    } else {
      steps(box);
      if (!WaitFor([&] { return Boxes().empty(); })) {
        ADD_FAILURE() << "the about window stayed open";
        for (HWND w : Boxes()) PostMessageA(w, WM_CLOSE, 0, 0);
      }
    }
    finished = true;
  });
  open(finished);
  driver.join();
}

// Always 5: the picture jitters by 1 and does not drift.
class SteadyRandom : public RandomSource {
 public:
  std::uint32_t Next() override { return 5; }
};

class AboutBox : public ::testing::Test {
 protected:
  void SetUp() override {
    owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    SetUpVelmoraAbout(dialog);
    SetCursorPos(0, 0);  // the pointer stays off the picture unless a test moves it there
  }
  void TearDown() override { DestroyWindow(owner); }

  // Runs the box as the menu command does and works it from another thread.
  bool RunBox(const std::function<void(HWND box)>& steps) {
    bool shown = false;
    WorkTheBox([&](const std::atomic<bool>&) { shown = dialog.Execute(owner); }, steps);
    return shown;
  }

  TAboutDialog dialog;
  HWND owner = nullptr;
  const DWORD uiThread = GetCurrentThreadId();
};

TEST_F(AboutBox, ShowsItsLayoutAndVersionAndClosesWithItsButton) {
  SteadyRandom random;
  dialog.random = &random;
  const bool shown = RunBox([&](HWND box) {
    EXPECT_EQ(Text(box), "ﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_TRUE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    RECT client;
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, 298);
    EXPECT_EQ(client.bottom, 203);
    EXPECT_FALSE(IsWindowEnabled(owner));
    EXPECT_EQ(GetWindow(box, GW_OWNER), owner);

    HWND panel = GetDlgItem(box, TVersionBox::kPanel1);
    RECT p = ChildRect(box, panel);
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.right, 297);
    EXPECT_EQ(p.bottom, 161);
    EXPECT_EQ(Text(GetDlgItem(panel, TVersionBox::kStaticText1)), "Velmora  ");
    EXPECT_EQ(Text(GetDlgItem(panel, TVersionBox::kStaticText2)), "[ " VELMORA_VERSION_TEXT " ]");
    EXPECT_EQ(Text(GetDlgItem(panel, TVersionBox::kLabel2)), "Programming by " + dialog.ProgramerName);
    EXPECT_EQ(Text(GetDlgItem(panel, TVersionBox::kLabel3)), dialog.Year);
    HWND link = GetDlgItem(panel, TVersionBox::kLabel4);
    EXPECT_EQ(Text(link), dialog.Corp);
    RECT l = ChildRect(panel, link);
    EXPECT_EQ(l.right, 297 - 16);
    EXPECT_EQ(l.top, 142);
    RECT ok = ChildRect(box, GetDlgItem(box, IDOK));
    EXPECT_EQ(ok.left, 111);
    EXPECT_EQ(ok.top, 172);
    EXPECT_EQ(ok.right - ok.left, 75);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(box, TVersionBox::kUpdateChkBtn)));

    // The picture starts home, 64 x 64, its blue corners in the panel's colour, and the
    // timer moves it: with the steady numbers one pixel right and down.
    HWND image = GetDlgItem(panel, TVersionBox::kImage1);
    RECT i = ChildRect(panel, image);
    EXPECT_EQ(i.left, 8);
    EXPECT_EQ(i.right - i.left, 64);
    const COLORREF pale = RGB(241, 255, 191);
    EXPECT_TRUE(WaitFor([&] { return PixelAt(panel, 290, 100) == pale && PixelAt(image, 1, 1) == pale; }));
    EXPECT_NE(PixelAt(image, 32, 30), pale);  // the binder's cover
    EXPECT_TRUE(WaitFor([&] { return ChildRect(panel, image).left == 9 && ChildRect(panel, image).top == 9; }));

    ClickCentre(GetDlgItem(box, IDOK));
  });
  EXPECT_TRUE(shown);
  EXPECT_EQ(Boxes().size(), 0u);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(dialog.running());
  EXPECT_EQ(ModuleVersion(), VELMORA_VERSION_TEXT);  // the resource and the build agree
}

TEST_F(AboutBox, MakerLinkStartsTheBrowser) {
  test_support::TempFolder temp;
  const std::string log = temp + "browser.txt";
  SetEnvironmentVariableA("VELMORA_STAND_IN_LOG", log.c_str());
  std::string line;
  RunBox([&](HWND box) {
    ClickCentre(GetDlgItem(GetDlgItem(box, TVersionBox::kPanel1), TVersionBox::kLabel4));
    EXPECT_TRUE(WaitFor([&] {
      HANDLE f = CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
      if (f == INVALID_HANDLE_VALUE) return false;
      char buffer[1024] = "";
      DWORD read = 0;
      ReadFile(f, buffer, sizeof(buffer) - 1, &read, nullptr);
      CloseHandle(f);
      line.assign(buffer, read);
      return line.find("\r\n") != std::string::npos;
    })) << "no browser was started";
    PressEscape(uiThread);
  });
  SetEnvironmentVariableA("VELMORA_STAND_IN_LOG", nullptr);
  EXPECT_NE(line.find("iexplore"), std::string::npos) << line;
  EXPECT_NE(line.find(kMakerPageAddress), std::string::npos) << line;
}

TEST_F(AboutBox, PictureSwellsAndShrinksAndThePanelIsWhiteOnFewColours) {
  SteadyRandom random;
  dialog.random = &random;
  dialog.displayBitsPerPixel = 8;
  dialog.BackColor = RGB(200, 10, 10);
  RunBox([&](HWND box) {
    HWND panel = GetDlgItem(box, TVersionBox::kPanel1);
    HWND image = GetDlgItem(panel, TVersionBox::kImage1);
    auto size = [&] { return ChildRect(panel, image).right - ChildRect(panel, image).left; };
    EXPECT_TRUE(WaitFor([&] { return PixelAt(panel, 290, 100) == RGB(255, 255, 255); }));

    PostMessageA(image, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(WaitFor([&] { return size() == 74; })) << size();
    PostMessageA(image, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(image, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(WaitFor([&] { return size() == 54; })) << size();
    // Once the pointer has been over the panel, it swells again.
    PostMessageA(panel, WM_MOUSEMOVE, 0, MAKELPARAM(200, 100));
    PostMessageA(image, WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
    EXPECT_TRUE(WaitFor([&] { return size() == 74; })) << size();
    PressEscape(uiThread);
  });
}

class AboutFromTheMainWindow : public testing_support::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    SetCursorPos(0, 0);  // a pointer left over the opening menu would choose its own item
  }
  const DWORD uiThread = GetCurrentThreadId();
};

TEST_F(AboutFromTheMainWindow, MenuCommandOpensOneBoxOverTheWindow) {
  Open();
  HWND main = window->hwnd();
  HMENU help = GetSubMenu(GetMenu(main), 4);
  SendMessageA(main, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(help), 3);
  EXPECT_EQ(GetMenuState(help, IDM_ABOUT, MF_BYCOMMAND) & MF_GRAYED, 0u);
  WorkTheBox([&](const std::atomic<bool>&) { Command(IDM_ABOUT); },
             [&](HWND box) {
               EXPECT_EQ(GetWindow(box, GW_OWNER), main);
               EXPECT_FALSE(IsWindowEnabled(main));
               HWND panel = GetDlgItem(box, TVersionBox::kPanel1);
               EXPECT_EQ(Text(GetDlgItem(panel, TVersionBox::kStaticText1)), "Velmora  ");
               EXPECT_EQ(Text(GetDlgItem(panel, TVersionBox::kStaticText2)), "[ " VELMORA_VERSION_TEXT " ]");
               // The command again, while the box is open: it returns at once.
               DWORD_PTR result = 0;
               EXPECT_NE(SendMessageTimeoutA(main, WM_COMMAND, IDM_ABOUT, 0, SMTO_NORMAL, 10000, &result), 0);
               EXPECT_EQ(Boxes().size(), 1u);
               PressEscape(uiThread);
             });
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_FALSE(window->aboutDialog().running());
}

TEST_F(AboutFromTheMainWindow, KeysThroughTheHelpMenuOpenTheBox) {
  Open();
  HWND main = window->hwnd();
  WorkTheBox(
      [&](const std::atomic<bool>& finished) {
        // Alt+H opens "ヘルプ(&H)" at its first item; once it shows, one down is "バージョン情報(&A)".
        std::thread keys([&] {
          const bool menuShown = WaitFor([] {
            for (HWND menu : TopWindows("#32768"))
              if (IsWindowVisible(menu)) return true;
            return false;
          });
          EXPECT_TRUE(menuShown) << "the Help menu did not open";
          if (menuShown) {
            PostMessageA(main, WM_KEYDOWN, VK_DOWN, 1);
            PostMessageA(main, WM_KEYDOWN, VK_RETURN, 1);
          }
        });
        PostMessageA(main, WM_SYSCHAR, 'h', 0x20000001);
        testing_support::PumpUntil(window.get(), [&] { return finished.load(); });
        keys.join();
      },
      [&](HWND) { PressEscape(uiThread); });
  EXPECT_TRUE(IsWindowEnabled(main));
}

}  // namespace
}  // namespace velmora
