// The folders that hold the program's runtime files (lock file, sockets, port links) must be real
// folders of the user's own that nobody else can enter: whoever can write there could replace a
// link or a socket we publish, or make the folder before us and watch what lands in it.
#pragma once

#include <string>

#include "platform/FileOps.h"

namespace platform {

// Empty when path (not followed if it is a link) is a folder owned by the effective user with no
// group or other permission bits; otherwise "<path> <reason>", ready to be shown.
std::string PrivateFolderProblem(const std::string& path, FileOps& ops = SystemFileOps());

}  // namespace platform
