// What the device-configuration tests share: a record whose queries answer from a scripted reply,
// and a community prompt that answers from a script.
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "devices/CommunityPrompt.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/ReplyBuilder.h"

namespace devices::test {

// A device at 127.0.0.1 of the maker's own brand, with communities public/private.
inline discovery::test::ReplyFields LoopbackDevice() {
  discovery::test::ReplyFields fields;
  fields.ip = {127, 0, 0, 1};
  fields.maker = "Vanto";  // the maker's tag, cut to the reply's 5-byte field
  fields.getCommunity = "public";
  fields.setCommunity = "private";
  return fields;
}

class ScriptedRecord : public discovery::CIpDeviceRecord {
 public:
  explicit ScriptedRecord(discovery::DeviceWait* wait) : CIpDeviceRecord(wait) {
    SetIpAddress("127.0.0.1");
  }

  int Query(std::vector<uint8_t>* reply = nullptr) override {
    (void)reply;
    ++queries;
    if (!answers) return discovery::kRecordFailed;
    const std::vector<uint8_t> bytes = discovery::test::BuildReply(fields);
    return FillFromReply(bytes.data(), bytes.size());
  }

  discovery::test::ReplyFields fields = LoopbackDevice();
  bool answers = true;
  int queries = 0;
};

class ScriptedCommunityPrompt : public CommunityPrompt {
 public:
  struct Shown {
    std::string message;
    bool offerIgnore;
    std::string community;  // what the field held
  };

  int AskCommunity(const std::string& message, bool offerIgnore, std::string* community) override {
    shown.push_back({message, offerIgnore, *community});
    if (answers.empty()) return kCancel;
    auto [answer, text] = answers.front();
    answers.pop_front();
    if (answer == kOk) *community = text;
    return answer;
  }

  std::deque<std::pair<int, std::string>> answers;
  std::vector<Shown> shown;
};

}  // namespace devices::test
