// The process's limit on open descriptors. Many distributions start programs with a soft limit
// of 1024 and a far higher hard limit, which a program that needs more may raise itself.
#pragma once

namespace platform {

class OpenFileLimit {
 public:
  // Raises the soft limit to the hard limit (at most kMost); returns the soft limit in force.
  // Safe here because nothing in the program uses select(), whose sets end at 1024.
  static long Raise();
  static constexpr long kMost = 65536;
};

}  // namespace platform
