#include "platform/TerminalSpeed.h"

// The kernel's termios2 and TCGETS2; glibc's <termios.h> clashes with these and is kept out.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace platform {

long ExactOutputSpeed(int fd) {
  struct termios2 t {};
  if (fd < 0 || ioctl(fd, TCGETS2, &t) != 0) return 0;
  return static_cast<long>(t.c_ospeed);
}

}  // namespace platform
