#include "app/CKestrelCommandLineInfo.h"

namespace app {

void CKestrelCommandLineInfo::ParseParam(const std::string& argument) {
  bool isOption = !argument.empty() && (argument[0] == '/' || argument[0] == '-');
  if (isOption) {
    lastOption_ = argument.substr(1);
    options_[lastOption_] = "TRUE";
    return;
  }
  if (!lastOption_.empty()) {
    options_[lastOption_] = argument;
    lastOption_.clear();
  }
}

void CKestrelCommandLineInfo::Parse(const std::vector<std::string>& arguments) {
  for (const auto& argument : arguments) ParseParam(argument);
}

std::string CKestrelCommandLineInfo::Get(const std::string& name) const {
  auto it = options_.find(name);
  return it == options_.end() ? "" : it->second;
}

}  // namespace app
