// A prompter that keeps every text it was asked to show, in order; it answers questions
// with yes and leaves text input cancelled.
#pragma once
#include <string>
#include <vector>

#include "common/prompter.h"

namespace velmora {

class RecordingPrompter : public Prompter {
 public:
  bool AskYesNo(const std::string& text, const std::string&) override {
    messages.push_back(text);
    return true;
  }
  void Message(const std::string& text, const std::string&) override { messages.push_back(text); }
  bool AskText(const std::string& prompt, const std::string&, std::string&) override {
    messages.push_back(prompt);
    return false;
  }
  std::vector<std::string> messages;
};

}  // namespace velmora
