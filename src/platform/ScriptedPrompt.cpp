#include "platform/ScriptedPrompt.h"

#include <chrono>

namespace platform {

int ScriptedPrompt::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
  std::lock_guard<std::mutex> lock(mutex_);
  int answer = DefaultAnswer(type);
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  records_.push_back(PromptRecord{text, caption, type, std::this_thread::get_id(), answer});
  shown_.notify_all();
  return answer;
}

void ScriptedPrompt::QueueAnswer(int answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_.push_back(answer);
}

std::vector<PromptRecord> ScriptedPrompt::Records() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return records_;
}

size_t ScriptedPrompt::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return records_.size();
}

bool ScriptedPrompt::WaitForCount(size_t count, int realTimeoutMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return shown_.wait_for(lock, std::chrono::milliseconds(realTimeoutMs),
                         [&] { return records_.size() >= count; });
}

}  // namespace platform
