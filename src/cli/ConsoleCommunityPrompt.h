// The "Invalid Community Name" question of portolanctl: its text on standard error and, on a
// terminal, a community read without echo (an empty line is Ignore where Ignore is offered).
// Without a terminal nothing is asked: the answer is Cancel.
#pragma once

#include <iosfwd>
#include <string>

#include "devices/CommunityPrompt.h"

namespace cli {

class ConsoleCommunityPrompt : public devices::CommunityPrompt {
 public:
  ConsoleCommunityPrompt(std::string prefix, std::ostream& err)
      : prefix_(std::move(prefix)), err_(err) {}

  int AskCommunity(const std::string& message, bool offerIgnore, std::string* community) override;

 private:
  std::string prefix_;
  std::ostream& err_;
};

}  // namespace cli
