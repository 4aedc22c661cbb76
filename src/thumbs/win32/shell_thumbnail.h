// The shell's picture of a file, through the file's extract-image handler.
#pragma once
#include <windows.h>

#include <string>

#include "win32/shell_context.h"

namespace velmora {

// A bitmap the caller owns, or null when the shell has no handler for the file or the
// handler fails. Every interface and item id obtained is released on every path.
HBITMAP ExtractShellThumbnail(const ShellContext& shell, const std::string& path, int width, int height);

}  // namespace velmora
