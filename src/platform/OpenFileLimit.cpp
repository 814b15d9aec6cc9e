#include "platform/OpenFileLimit.h"

#include <sys/resource.h>

namespace platform {

long OpenFileLimit::Raise() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return -1;
  rlim_t wanted = limit.rlim_max;
  if (wanted == RLIM_INFINITY || wanted > static_cast<rlim_t>(kMost)) wanted = kMost;
  if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
    limit.rlim_cur = wanted;
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) getrlimit(RLIMIT_NOFILE, &limit);
  }
  return limit.rlim_cur == RLIM_INFINITY ? kMost : static_cast<long>(limit.rlim_cur);
}

}  // namespace platform
