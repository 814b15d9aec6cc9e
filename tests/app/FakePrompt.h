// A prompt that records every box and answers from a list (then the box's default).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/Prompt.h"

struct RecordedBox {
  std::string text;
  std::string caption;
  unsigned type;
};

class FakePrompt : public platform::Prompt {
 public:
  std::deque<int> answers;
  std::vector<RecordedBox> shown;

  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
    shown.push_back({text, caption, type});
    if (answers.empty()) return platform::DefaultAnswer(type);
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
};
