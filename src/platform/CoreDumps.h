// The settings hold the device access list's communities (passwords); a core dump of the program
// would carry them to wherever cores go, readable by whoever reads them.
#pragma once

namespace platform {

// Marks the process non-dumpable (PR_SET_DUMPABLE 0): no core file, and no other process of the
// user can attach to it or read its memory. True when that took.
bool KeepOutOfCoreDumps();

}  // namespace platform
