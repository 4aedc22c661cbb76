// A prompter that keeps every text it was asked to show, in order, and gives the answers a
// test sets: yes, and for a text prompt textAnswer, unless answer is false.
#pragma once
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
  void Message(const std::string& text, const std::string& caption) override { Record(text, caption); }
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

 private:
  void Record(const std::string& text, const std::string& caption) {
    messages.push_back(caption + ": " + text);
    texts.push_back(text);
  }
};

}  // namespace velmora
