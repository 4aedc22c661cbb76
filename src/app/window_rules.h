// Decisions of the main window that need no window: the system level and the pane layout.
#pragma once

namespace velmora {

// 2 for NT 5 or later, 1 for Windows Me, 0 otherwise (older NT, 95, 98, or no answer).
constexpr unsigned kPlatformWindows9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr unsigned kPlatformNt = 2;         // VER_PLATFORM_WIN32_NT
int SystemLevelFor(bool known, unsigned platformId, unsigned major, unsigned minor);

constexpr int kSplitterWidth = 4;
constexpr int kSplitterMinimum = 50;

// The tree pane's width as laid out: the stored width kept at least kSplitterMinimum wide on
// both sides of the splitter. The stored width itself changes only when the splitter moves,
// so a window minimised or narrowed for a while gets its pane back.
int LaidOutLeftWidth(int storedWidth, int clientWidth);

// The stored width after the splitter was dragged to x, within the same limits.
int DraggedLeftWidth(int x, int clientWidth);

// The preview pane's height below the tree in a column of columnHeight pixels: the height the
// user set, with the pane and the tree each kept kSplitterMinimum high where the column allows.
int LaidOutPreviewHeight(int storedHeight, int columnHeight);

// The preview pane's height once the splitter's top edge was dragged to y, in a column from
// columnTop to columnBottom.
int DraggedPreviewHeight(int y, int columnTop, int columnBottom);

}  // namespace velmora
