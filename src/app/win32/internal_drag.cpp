#include "app/win32/internal_drag.h"

#include <commctrl.h>

#include "binders/win32/binder_actions.h"
#include "binders/win32/binder_tree.h"

namespace velmora {

InternalDrag::InternalDrag(BinderTree& tree, BinderActions& actions, std::function<Paths()> listSelection,
                           std::function<void(const Paths&)> dragOut)
    : tree_(tree), actions_(actions), listSelection_(std::move(listSelection)), dragOut_(std::move(dragOut)) {}

void InternalDrag::Begin(bool fromList) {
  fromList_ = fromList;
  fromTree_ = !fromList;
  SetCapture(owner_);
  SetTimer(owner_, kTimer, 200, nullptr);
}

void InternalDrag::End() {
  fromList_ = fromTree_ = false;
  KillTimer(owner_, kTimer);
  if (GetCapture() == owner_) ReleaseCapture();
}

InternalDrag::Paths InternalDrag::DraggedPaths() const {
  if (fromList_) return listSelection_();
  Paths paths;
  if (const std::string* path = tree_.FolderPath(tree_.Selected())) paths.push_back(*path);
  return paths;
}

void InternalDrag::Over() {
  if (!active()) return;
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(tree_.hwnd(), &p);
  // The binder under the cursor shows where the folders would go.
  HTREEITEM target = actions_.AcceptsDragAt(p) ? tree_.NodeAt(p) : nullptr;
  if (fromTree_ && actions_.SelectedLevel() != 2) target = nullptr;
  TreeView_SelectDropTarget(tree_.hwnd(), target);
}

void InternalDrag::Drop() {
  if (!active()) return;
  POINT screen;
  GetCursorPos(&screen);
  POINT p = screen;
  ScreenToClient(tree_.hwnd(), &p);
  Paths paths;
  if (WindowFromPoint(screen) == tree_.hwnd() && actions_.AcceptsDragAt(p)) paths = DraggedPaths();
  TreeView_SelectDropTarget(tree_.hwnd(), nullptr);
  End();
  if (!paths.empty()) actions_.DragOnto(p, paths);
}

void InternalDrag::CaptureChanged(HWND gainer) {
  if (active() && gainer != owner_) End();
}

void InternalDrag::Tick() {
  if (!active()) return;
  POINT p;
  GetCursorPos(&p);
  RECT r;
  GetWindowRect(owner_, &r);
  if (p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom) return;
  KillTimer(owner_, kTimer);
  const Paths paths = DraggedPaths();
  End();
  dragOut_(paths);
}

}  // namespace velmora
