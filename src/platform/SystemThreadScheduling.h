// sched_setscheduler(2) on the calling thread. Moving between the normal and the batch policy
// needs no privilege.
#pragma once

#include "platform/ThreadScheduling.h"

namespace platform {

class SystemThreadScheduling : public ThreadScheduling {
 public:
  int SetBatch(bool batch) override;
};

}  // namespace platform
