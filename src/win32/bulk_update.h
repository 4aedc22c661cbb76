// One bulk update of a control: drawing is off for the object's life and the whole control
// is repainted at its end, also when a step in between throws.
#pragma once
#include <windows.h>

namespace velmora {

class BulkUpdate {
 public:
  explicit BulkUpdate(HWND control) : control_(control) { SendMessageA(control_, WM_SETREDRAW, FALSE, 0); }
  ~BulkUpdate() {
    SendMessageA(control_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(control_, nullptr, TRUE);
  }
  BulkUpdate(const BulkUpdate&) = delete;
  BulkUpdate& operator=(const BulkUpdate&) = delete;

 private:
  HWND control_;
};

}  // namespace velmora
