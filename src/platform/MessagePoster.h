// The posting interface shared by our own message loop and the GUI thread's Qt loop, so that
// workers post to either without knowing which one runs on the other side.
#pragma once

#include <cstdint>

namespace platform {

class MessagePoster {
 public:
  virtual ~MessagePoster() = default;
  // Queues (id, wParam, lParam) for the receiving thread and returns at once. Callable from any
  // thread. False when the receiver no longer takes messages (it quit, or its queue is full);
  // then nothing was queued, and whatever the parameters point to stays the caller's.
  virtual bool PostMessage(uint32_t id, intptr_t wParam = 0, intptr_t lParam = 0) = 0;
};

}  // namespace platform
