// A prompter that keeps every text it was asked to show, in order, and gives the answers a
// test sets: yes, and for a text prompt textAnswer, unless answer is false.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "common/prompter.h"

namespace velmora {

class RecordingPrompter : public Prompter {
 public:
  bool AskYesNo(const std::string& text, const std::string& caption) override {
    Record(text, caption);
    asked.push_back(caption + ": " + text);
    return answer;
  }
  void Message(const std::string& text, const std::string& caption) override {
    Record(text, caption);
    // What happens while a message box is up, as its own message loop would let it.
    if (whileShown) whileShown();
  }
  bool AskText(const std::string& prompt, const std::string& caption, std::string& value) override {
    Record(prompt, caption);
    if (!answer) return false;
    value = textAnswer;
    return true;
  }

  std::vector<std::string> messages;  // each as "caption: text"
  std::vector<std::string> asked;     // the yes/no questions among them
  std::vector<std::string> texts;     // the texts alone, for tests that leave the caption aside
  bool answer = true;
  std::string textAnswer;
  std::function<void()> whileShown;  // run while each message is shown

 private:
  void Record(const std::string& text, const std::string& caption) {
    messages.push_back(caption + ": " + text);
    texts.push_back(text);
  }
};

}  // namespace velmora
