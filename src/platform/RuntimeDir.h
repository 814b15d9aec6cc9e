// The per-user folder for the program's runtime files (lock file, sockets, port links).
#pragma once

#include <string>

namespace platform {

// $XDG_RUNTIME_DIR when it is set to an absolute path; else /tmp/portolan-<uid>, created with mode
// 0700. A /tmp folder of that name that is not a real folder of ours (a link, or another user's)
// is refused: the result is then empty, and callers must not use the folder.
std::string RuntimeDir();

}  // namespace platform
