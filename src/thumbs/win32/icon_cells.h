// Shell icons and image-list cells: used for the tree's root icon and for thumbnails.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "win32/owned_handle.h"

namespace velmora {

using IconHandle = OwnedIcon;

// The icon's size in pixels; 0 x 0 for none.
SIZE IconSize(HICON icon);

// The shell's icon for a path; a bare extension such as ".txt" touches no file.
void GetFileIcon(IconHandle& icon, const std::string& path, bool open, bool small);

// The overlays a listed row can carry.
enum class ShellOverlay { kShare, kLink };

// The shell's own picture for the overlay, as an index into its system image list; -1 where
// the shell does not say (it has no such overlay, or an older or other shell).
int ShellOverlayImage(ShellOverlay overlay);

// Draws the icon stretched onto a white cell of the list's size and adds it without a mask;
// framed adds a one-pixel silver edge. Returns the new index (-1 on failure).
int AddIconCell(HIMAGELIST list, HICON icon, bool framed);

}  // namespace velmora
