#include "platform/CoreDumps.h"

#include <sys/prctl.h>

namespace platform {

bool KeepOutOfCoreDumps() {
  return prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
}

}  // namespace platform
