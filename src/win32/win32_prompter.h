// The prompter's real boxes: message boxes and a one-line input box, owned by the main window.
#pragma once
#include <windows.h>

#include "common/prompter.h"

namespace velmora {

class Win32Prompter : public Prompter {
 public:
  explicit Win32Prompter(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void Message(const std::string& text, const std::string& caption) override;
  void Error(const std::string& text, const std::string& caption) override;
  bool AskText(const std::string& prompt, const std::string& caption, std::string& value) override;

 private:
  // A dead owner would make the box fail; the box then goes without one.
  HWND Owner() const { return owner_ && IsWindow(owner_) ? owner_ : nullptr; }
  HWND owner_;
};

}  // namespace velmora
