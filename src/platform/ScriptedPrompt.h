// A prompt for tests: answers from a queue the test fills (the default answer when it runs dry)
// and records every box with the thread that showed it. Thread-safe.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Prompt.h"

namespace platform {

struct PromptRecord {
  std::string text;
  std::string caption;
  unsigned type = 0;
  std::thread::id thread;
  int answer = 0;
};

class ScriptedPrompt : public Prompt {
 public:
  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;

  void QueueAnswer(int answer);
  std::vector<PromptRecord> Records() const;
  size_t Count() const;
  // Waits (in real time, up to realTimeoutMs) until at least count boxes were shown.
  bool WaitForCount(size_t count, int realTimeoutMs = 10000) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable shown_;
  std::deque<int> answers_;
  std::vector<PromptRecord> records_;
};

}  // namespace platform
