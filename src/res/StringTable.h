// The program's string table: every numbered text, compiled in.
#pragma once

#include <string>

namespace res {

// The text of string id, or nullptr when the table has no such entry.
const char* FindString(unsigned id);
// The text of string id, or an empty string when absent.
std::string LoadString(unsigned id);

}  // namespace res
