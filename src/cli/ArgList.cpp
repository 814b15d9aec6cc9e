#include "cli/ArgList.h"

namespace cli {

bool ArgList::TakeFlag(const std::string& name) {
  bool found = false;
  for (auto it = args_.begin(); it != args_.end();) {
    if (*it == "--" + name) {
      it = args_.erase(it);
      found = true;
    } else {
      ++it;
    }
  }
  return found;
}

std::vector<std::string> ArgList::TakeOptionAll(const std::string& name) {
  std::vector<std::string> values;
  const std::string flag = "--" + name;
  for (auto it = args_.begin(); it != args_.end();) {
    if (it->rfind(flag + "=", 0) == 0) {
      values.push_back(it->substr(flag.size() + 1));
      it = args_.erase(it);
    } else if (*it == flag) {
      if (it + 1 == args_.end()) {
        error_ = "option " + flag + " needs a value";
        it = args_.erase(it);
      } else {
        values.push_back(*(it + 1));
        it = args_.erase(it, it + 2);
      }
    } else {
      ++it;
    }
  }
  return values;
}

std::optional<std::string> ArgList::TakeOption(const std::string& name) {
  auto values = TakeOptionAll(name);
  if (values.empty()) return std::nullopt;
  return values.back();
}

std::optional<std::string> ArgList::FirstUnknownOption() const {
  for (const auto& arg : args_) {
    if (arg.size() > 2 && arg.rfind("--", 0) == 0) return arg;
  }
  return std::nullopt;
}

}  // namespace cli
