// The main window's two strips: between the tree and the list, and between the tree and the
// preview. They take the mouse in the window's own client area.
#pragma once
#include <windows.h>

#include <functional>

#include "win32/splitter.h"

namespace velmora {

class PaneSplitters {
 public:
  // Where the window laid them out; the preview's strip is empty while the pane is hidden.
  void Place(const RECT& columns, const RECT& rows) {
    paneSplitter_.Place(columns);
    previewSplitter_.Place(rows);
  }
  // The sizing cursor over a strip; false elsewhere.
  bool SetCursor(HWND owner) const;
  void Grab(HWND owner, POINT at);
  // While a strip is held: the tree pane's width, or the preview's height between the tree's
  // top and the pane's bottom, that the pointer asks for.
  void Drag(HWND owner, POINT at, HWND tree, HWND preview, const std::function<void(int)>& leftWidth,
            const std::function<void(int)>& previewHeight) const;
  void Release();
  void Lose();

 private:
  Splitter paneSplitter_{Splitter::Axis::kColumns};    // between the tree and the list
  Splitter previewSplitter_{Splitter::Axis::kRows};    // between the tree and the preview
};

}  // namespace velmora
