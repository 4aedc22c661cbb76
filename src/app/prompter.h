// Questions and plain messages to the user, as a port so that tests need no modal boxes.
#pragma once
#include <string>

namespace velmora {

class Prompter {
 public:
  virtual ~Prompter() = default;
  // Yes proceeds.
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
  // A plain message with an OK button.
  virtual void Message(const std::string& text, const std::string& caption) = 0;
};

}  // namespace velmora
