// The about component: holds the about window's texts and colours and shows the window.
#pragma once
#include <windows.h>

#include <string>

#include "about/about_texts.h"
#include "about/picture_animation.h"

namespace velmora {

class TAboutDialog : public AboutProperties {
 public:
  // Shows the about window modally over owner, which is disabled meanwhile, and returns
  // once the window has closed and been destroyed: true. A call made while another
  // Execute of this component is still running (a menu command re-entered through the
  // window's message loop) returns false at once and shows nothing.
  bool Execute(HWND owner);

  bool running() const { return running_; }

  // Stand-ins for tests; null or 0 mean the real ones.
  ShellLauncher* launcher = nullptr;      // opens the maker's page (ShellExecuteA)
  RandomSource* random = nullptr;         // drives the picture's jitter and drift
  int displayBitsPerPixel = 0;            // the screen's depth (GetDeviceCaps BITSPIXEL)

 private:
  bool running_ = false;
};

// The program's version from the version resource of module (null: the executable), as
// "1.1.8.9"; empty when the module has none.
std::string ModuleVersion(HMODULE module = nullptr);

// Velmora's own about texts, with the version taken from the version resource.
void SetUpVelmoraAbout(TAboutDialog& dialog, HMODULE module = nullptr);

}  // namespace velmora
