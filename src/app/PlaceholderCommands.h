// The commands that only say they are not there: a plain box (OK, no icon) with their text.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace platform {
class Prompt;
}

namespace app {

class PlaceholderCommands {
 public:
  // (command id, text) of every placeholder, in id order of the menu's table.
  static const std::vector<std::pair<int, std::string>>& Table();
  // Shows the box of command id; false when id is no placeholder.
  static bool Show(int id, platform::Prompt& prompt, const std::string& caption);
};

}  // namespace app
