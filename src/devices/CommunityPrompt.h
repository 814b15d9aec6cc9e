// The "Invalid Community Name" dialog as the community check sees it: a message, one field holding
// a community name, and OK, Cancel and (unless hidden) Ignore. The desktop program shows a dialog,
// portolanctl asks on the terminal, tests answer from a script.
#pragma once

#include <string>

namespace devices {

class CommunityPrompt {
 public:
  static constexpr int kOk = 1;
  static constexpr int kCancel = 2;
  static constexpr int kIgnore = 1001;
  static constexpr const char* kCaption = "Invalid Community Name";
  static constexpr const char* kNote =
      "Note:  This value can be entered permanently as a utility option (Tools/Options/Device "
      "Access).";

  virtual ~CommunityPrompt() = default;
  // Shows message with *community in the field (at most 31 characters). On kOk *community holds
  // what was entered; kCancel; kIgnore only when offerIgnore.
  virtual int AskCommunity(const std::string& message, bool offerIgnore,
                           std::string* community) = 0;
};

}  // namespace devices
