// Reading a whole small file into memory with a size limit, for settings and system files.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

enum class SmallFileResult { Ok, Missing, Unreadable, TooLarge };

// Reads the regular file at path into *out when it holds at most maxBytes bytes. A file that grows
// past the limit while it is read counts as too large. *out is empty unless the result is Ok.
SmallFileResult ReadSmallFile(const std::string& path, size_t maxBytes, std::string* out);

}  // namespace platform
