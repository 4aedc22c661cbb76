// A drag that starts on a list row or a tree folder and stays in the main window while the
// mouse is captured: over the tree it marks the binder the folders would join and drops them
// there; once the pointer leaves the window it becomes a shell drag of the same paths.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace velmora {

class BinderActions;
class BinderTree;

class InternalDrag {
 public:
  using Paths = std::vector<std::string>;
  // listSelection: the paths of the list's selected rows; dragOut: hands paths to the shell.
  InternalDrag(BinderTree& tree, BinderActions& actions, std::function<Paths()> listSelection,
               std::function<void(const Paths&)> dragOut);

  void SetOwner(HWND owner) { owner_ = owner; }
  void Begin(bool fromList);
  bool active() const { return fromList_ || fromTree_; }
  // The mouse moved while dragging.
  void Over();
  // The button went up.
  void Drop();
  // The capture went to gainer.
  void CaptureChanged(HWND gainer);
  // The timer's tick: out of the window, the drag goes to the shell.
  void Tick();
  static constexpr unsigned kTimer = 1;  // 200 ms, while dragging

 private:
  void End();
  Paths DraggedPaths() const;

  BinderTree& tree_;
  BinderActions& actions_;
  std::function<Paths()> listSelection_;
  std::function<void(const Paths&)> dragOut_;
  HWND owner_ = nullptr;
  bool fromList_ = false;
  bool fromTree_ = false;
};

}  // namespace velmora
