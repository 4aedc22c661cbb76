#include "win32/splitter.h"

namespace velmora {

bool Splitter::SetCursorAt(POINT client) const {
  if (!Contains(client)) return false;
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(axis_ == Axis::kColumns ? IDC_SIZEWE : IDC_SIZENS)));
  return true;
}

bool Splitter::Grab(HWND owner, POINT client) {
  if (!Contains(client)) return false;
  tracking_ = true;
  grabOffset_ = axis_ == Axis::kColumns ? client.x - strip_.left : client.y - strip_.top;
  SetCapture(owner);
  return true;
}

void Splitter::Release() {
  if (!tracking_) return;
  tracking_ = false;
  ReleaseCapture();
}

}  // namespace velmora
