// The program's string table: every numbered text, compiled in.
#pragma once

#include <string>
#include <vector>

namespace res {

// The text of string id, or nullptr when the table has no such entry.
const char* FindString(unsigned id);
// The text of string id, or an empty string when absent.
std::string LoadString(unsigned id);
// Every id of the table in table order (ascending), for checks and tools.
std::vector<unsigned> AllStringIds();

}  // namespace res
