// Questions and plain messages to the user, as a port so that tests need no modal boxes.
#pragma once
#include <string>

namespace velmora {

// Caption of the plain messages of the file commands: the application title.
constexpr const char* kFileCommandCaption = "Velmora";

class Prompter {
 public:
  virtual ~Prompter() = default;
  // Yes proceeds.
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
  // A plain message with an OK button.
  virtual void Message(const std::string& text, const std::string& caption) = 0;
  // An error the program could not handle (the exception boundary of the message loop).
  virtual void Error(const std::string& text, const std::string& caption) { Message(text, caption); }
  // One line of text; value holds the proposal on entry and the answer on OK. False on cancel.
  virtual bool AskText(const std::string& prompt, const std::string& caption, std::string& value) = 0;
};

}  // namespace velmora
