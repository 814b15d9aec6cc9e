// The command line as options: "/name" or "-name" stores "TRUE" under name; a plain argument right
// after an option becomes that option's text.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace app {

class CKestrelCommandLineInfo {
 public:
  void ParseParam(const std::string& argument);
  void Parse(const std::vector<std::string>& arguments);

  bool Has(const std::string& name) const { return options_.count(name) != 0; }
  // The option's text, "" when absent.
  std::string Get(const std::string& name) const;
  const std::string& LastOption() const { return lastOption_; }

 private:
  std::map<std::string, std::string> options_;  // names are case-sensitive
  std::string lastOption_;
};

}  // namespace app
