// Hints: a control's short hint is its tooltip, its long one shows in the status bar's path
// panel while the pointer is over the control, as do a tool bar button's and a highlighted
// menu item's. Without a hint the panel shows the path.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>

#include "common/command_table.h"

namespace velmora {

class HintBar {
 public:
  explicit HintBar(const CommandTable& commands) : commands_(commands) {}

  void SetOwner(HWND owner, HINSTANCE instance) {
    hwnd_ = owner;
    instance_ = instance;
  }
  void AddControlHint(HWND control, const std::string& hint);
  // Follows the pointer over the window's controls.
  void Track(const MSG& msg);
  void ApplicationHintChanged(const std::string& hint);
  // Tool bar buttons ask for their tooltip by command id.
  void OnToolTipText(NMHDR* header);
  void SetStatusPath(const std::string& text);
  const std::string& statusPath() const { return statusPath_; }
  bool showingHint() const { return !applicationHint_.empty(); }

 private:
  std::string HintAt(HWND window, POINT screenPoint) const;
  HWND status() const;
  void ShowInPanel(const std::string& text);

  const CommandTable& commands_;
  HWND hwnd_ = nullptr;
  HINSTANCE instance_ = nullptr;
  HWND tooltip_ = nullptr;
  std::map<HWND, std::string> controlHints_;
  std::string applicationHint_;
  HWND hintWindow_ = nullptr;  // the control whose hint shows; told when the pointer leaves it
  std::string statusPath_;
};

}  // namespace velmora
