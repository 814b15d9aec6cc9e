// The scheduling policy of the calling thread: the normal one, or the batch policy, under which
// a woken thread does not preempt the task running on its CPU but waits for that task to block
// or for its time slice to end.
#pragma once

namespace platform {

class ThreadScheduling {
 public:
  virtual ~ThreadScheduling() = default;
  // Puts the calling thread under the batch (true) or the normal policy; 0 or an errno value.
  virtual int SetBatch(bool batch) = 0;
};

}  // namespace platform
