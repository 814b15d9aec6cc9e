// A thread scheduling that only records what it was asked, and answers with a chosen errno.
#pragma once

#include <vector>

#include "platform/ThreadScheduling.h"

namespace platform {

class RecordingThreadScheduling : public ThreadScheduling {
 public:
  int SetBatch(bool batch) override {
    calls.push_back(batch);
    return error;
  }
  std::vector<bool> calls;
  int error = 0;
};

}  // namespace platform
