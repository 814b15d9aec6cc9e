#include "app/PlaceholderCommands.h"

#include "platform/Prompt.h"

namespace app {

const std::vector<std::pair<int, std::string>>& PlaceholderCommands::Table() {
  static const std::vector<std::pair<int, std::string>> table = {
      {32790, "Unused function 1"}, {32796, "Unused function 3"},
      {32813, "Unused function 4"}, {32888, "Unused function 6"},
      {32807, "Unused function 7"}, {32793, "Unused function 8"},
      {32842, "Unused function 9"}, {32820, "Feature Not Yet Complete"},
  };
  return table;
}

bool PlaceholderCommands::Show(int id, platform::Prompt& prompt, const std::string& caption) {
  for (const auto& [command, text] : Table()) {
    if (command != id) continue;
    prompt.MessageBox(text, caption, platform::MB_OK);
    return true;
  }
  return false;
}

}  // namespace app
