#include "platform/FileChooser.h"

namespace platform {

std::vector<std::pair<std::string, std::string>> FileChooser::SplitFilter(
    const std::string& filter) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start < filter.size()) {
    const std::size_t bar = filter.find('|', start);
    const std::size_t end = bar == std::string::npos ? filter.size() : bar;
    if (end == start) break;  // "||" ends the list
    parts.push_back(filter.substr(start, end - start));
    start = end + 1;
  }
  std::vector<std::pair<std::string, std::string>> pairs;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) pairs.emplace_back(parts[i], parts[i + 1]);
  return pairs;
}

std::optional<std::string> ScriptedFileChooser::GetSaveFileName(const SaveFileRequest& request) {
  requests_.push_back(request);
  if (answers_.empty()) return std::nullopt;
  std::optional<std::string> answer = answers_.front();
  answers_.erase(answers_.begin());
  return answer;
}

}  // namespace platform
