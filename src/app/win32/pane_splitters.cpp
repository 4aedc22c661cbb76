#include "app/win32/pane_splitters.h"

#include "app/window_rules.h"

namespace velmora {

bool PaneSplitters::SetCursor(HWND owner) const {
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(owner, &p);
  return paneSplitter_.SetCursorAt(p) || previewSplitter_.SetCursorAt(p);
}

void PaneSplitters::Grab(HWND owner, POINT at) {
  if (!paneSplitter_.Grab(owner, at)) previewSplitter_.Grab(owner, at);
}

void PaneSplitters::Drag(HWND owner, POINT at, HWND tree, HWND preview, const std::function<void(int)>& leftWidth,
                         const std::function<void(int)>& previewHeight) const {
  if (paneSplitter_.tracking()) {
    RECT client;
    GetClientRect(owner, &client);
    leftWidth(DraggedLeftWidth(paneSplitter_.DraggedTo(at), client.right));
  } else if (previewSplitter_.tracking()) {
    RECT treeRect;
    GetWindowRect(tree, &treeRect);
    MapWindowPoints(nullptr, owner, reinterpret_cast<POINT*>(&treeRect), 2);
    RECT pane;
    GetWindowRect(preview, &pane);
    MapWindowPoints(nullptr, owner, reinterpret_cast<POINT*>(&pane), 2);
    previewHeight(DraggedPreviewHeight(previewSplitter_.DraggedTo(at), treeRect.top, pane.bottom));
  }
}

void PaneSplitters::Release() {
  paneSplitter_.Release();
  previewSplitter_.Release();
}

void PaneSplitters::Lose() {
  paneSplitter_.Lose();
  previewSplitter_.Lose();
}

}  // namespace velmora
