// The main window's pictures: the 16-pixel tree pictures (the menus' too), the 32-pixel ones
// for large icons, the list tool bar's, and the program drive's own picture for the root
// node in both sizes.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "win32/owned_handle.h"

namespace velmora {

class MainPictures {
 public:
  // The pictures from the program's resources.
  void Load(HINSTANCE instance);
  // The large pictures fitted to the shell's large icon size, which the drive root's own
  // icon tells; the root node's pictures added. Returns that size.
  SIZE SetUpRoot(HINSTANCE instance, const std::string& driveRoot);
  // The list tool bar lets go of its pictures before they go.
  void ReleaseBar(HWND listBar);

  HIMAGELIST small() const { return small_.get(); }
  HIMAGELIST large() const { return large_.get(); }
  HIMAGELIST bar() const { return bar_.get(); }
  int rootSmall() const { return rootSmall_; }
  int rootLarge() const { return rootLarge_; }

 private:
  ImageList small_;  // ImageList1
  ImageList large_;  // ImageList3
  ImageList bar_;
  int rootSmall_ = 0;
  int rootLarge_ = 0;
};

}  // namespace velmora
