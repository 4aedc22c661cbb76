// Following a shell shortcut (".lnk") to its target.
#pragma once
#include <windows.h>

#include <string>

namespace velmora {

// On entry the shortcut's path; on return its target when a file or folder exists there,
// else unchanged. The result is the last shell step's code, 0 when every step succeeded.
// With an owner window the shell may ask the user about a target that has moved; without
// one it searches quietly.
HRESULT GetLinkToPath(std::string& path, HWND owner);

}  // namespace velmora
