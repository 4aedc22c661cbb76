// The message loop of a window shown modally over its owner.
#pragma once
#include <windows.h>

#include <functional>

namespace velmora {

// Disables `owner`, then shows the window through `show` (so that the owner never takes a click
// while the window is up), and runs the thread's messages, the window's dialog keys included,
// until `ended()`. The owner is enabled again before the caller hides or destroys the window, so
// that activation returns to it. False when the application is ending (or the queue failed):
// the quit is posted again for the outer loop.
bool RunModalLoop(HWND window, HWND owner, const std::function<void()>& show, const std::function<bool()>& ended);

}  // namespace velmora
