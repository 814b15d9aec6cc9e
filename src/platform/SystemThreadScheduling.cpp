#include "platform/SystemThreadScheduling.h"

#include <errno.h>
#include <sched.h>

namespace platform {

int SystemThreadScheduling::SetBatch(bool batch) {
  const sched_param param{};
  return sched_setscheduler(0, batch ? SCHED_BATCH : SCHED_OTHER, &param) == 0 ? 0 : errno;
}

}  // namespace platform
