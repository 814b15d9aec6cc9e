// The exact line speed of a terminal, as the kernel keeps it. termios speed codes only name the
// classic rates; a rate set with TCSETS2 and BOTHER (250000, 1000000, ...) reads back from
// tcgetattr as BOTHER. TCGETS2 gives the number for every rate.
#pragma once

namespace platform {

// The output speed in bits per second of the terminal open on fd (a pty master reads its
// slave's), or 0 when the kernel cannot say.
long ExactOutputSpeed(int fd);

}  // namespace platform
