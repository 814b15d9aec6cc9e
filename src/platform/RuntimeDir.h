// The per-user folder for the program's runtime files (lock file, sockets, port links).
#pragma once

#include <string>

namespace platform {

// $XDG_RUNTIME_DIR when it is set to an absolute path; else /tmp/portolan-<uid>, created with mode
// 0700. Either must be a real folder of ours that no other user can enter (see PrivateFolder.h);
// one that is not is refused: the result is then empty, callers must not use the folder, and
// *problem (when given) says which folder and why.
std::string RuntimeDir(std::string* problem = nullptr);

}  // namespace platform
