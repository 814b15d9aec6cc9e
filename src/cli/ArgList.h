// The arguments of one portolanctl command: positional words and --options, parsed on demand.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cli {

class ArgList {
 public:
  explicit ArgList(std::vector<std::string> arguments) : args_(std::move(arguments)) {}

  // Removes "--name" (a flag) and tells whether it was there.
  bool TakeFlag(const std::string& name);
  // Removes "--name VALUE" or "--name=VALUE"; every occurrence, in order. A missing VALUE is an
  // error, reported through error.
  std::vector<std::string> TakeOptionAll(const std::string& name);
  std::optional<std::string> TakeOption(const std::string& name);

  // What is left after the options were taken.
  const std::vector<std::string>& Rest() const { return args_; }
  // The first argument left that looks like an option, for "unknown option" messages.
  std::optional<std::string> FirstUnknownOption() const;
  const std::string& Error() const { return error_; }

 private:
  std::vector<std::string> args_;
  std::string error_;
};

}  // namespace cli
