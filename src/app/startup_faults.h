// What went wrong at start. The program goes on with what works and says so once, in one
// message, instead of each feature failing silently later.
#pragma once
#include <string>

namespace velmora {

struct StartupFaults {
  bool noProgramPath = false;  // the program's own path: no data folder, so no store
  bool noOle = false;          // OLE or COM: dragging out of the window, thumbnails
  bool noShell = false;        // the desktop folder or the shell allocator
};

// The message, or empty when nothing failed.
std::string StartupFaultText(const StartupFaults& faults);

}  // namespace velmora
