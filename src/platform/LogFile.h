// Appending lines to a log file in the working folder or elsewhere that someone else may reach:
// a link planted under the log's name is not followed, and a log made here is the user's alone.
#pragma once

#include <string>

namespace platform {

// Appends text to the regular file at path, creating it with mode 0600. False when path is a
// symbolic link or no regular file, or cannot be opened or written.
bool AppendToLogFile(const std::string& path, const std::string& text);

}  // namespace platform
