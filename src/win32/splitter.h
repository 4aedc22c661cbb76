// A strip between two panes that the mouse drags: its sizing cursor, the grab and the
// capture. The owner places the strip when it lays out and sizes the panes from DraggedTo.
#pragma once
#include <windows.h>

namespace velmora {

class Splitter {
 public:
  // Columns: the strip lies between a left and a right pane; rows: between an upper and a
  // lower one.
  enum class Axis { kColumns, kRows };
  explicit Splitter(Axis axis) : axis_(axis) {}

  // In the owner's client coordinates; an empty strip is hidden.
  void Place(const RECT& strip) { strip_ = strip; }
  bool Contains(POINT client) const { return PtInRect(&strip_, client) != FALSE; }
  // The sizing cursor over the strip; false elsewhere.
  bool SetCursorAt(POINT client) const;
  // A press on the strip grabs it and captures the mouse for the owner; false elsewhere.
  bool Grab(HWND owner, POINT client);
  bool tracking() const { return tracking_; }
  // The strip's leading edge (left or top) that the pointer asks for while it is held.
  int DraggedTo(POINT client) const { return (axis_ == Axis::kColumns ? client.x : client.y) - grabOffset_; }
  // The button went up: the capture is given back.
  void Release();
  // The capture went elsewhere: the drag ends where it is.
  void Lose() { tracking_ = false; }

 private:
  Axis axis_;
  RECT strip_ = {0, 0, 0, 0};
  bool tracking_ = false;
  int grabOffset_ = 0;
};

}  // namespace velmora
