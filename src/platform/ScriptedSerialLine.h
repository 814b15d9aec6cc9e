// A serial line that plays a script: what the device sends, which line events it raises, and which
// calls fail. Everything the caller does is recorded. The script is shared, so a test keeps
// looking at it after the line itself has been closed and destroyed by its user.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/SerialLine.h"

namespace platform {

struct SerialScript {
  std::deque<uint8_t> input;  // octets the device has sent and not yet read
  // Events handed out by WaitLineEvent in order; None once the list is empty.
  std::deque<SerialLineEvent> events;
  bool failConfigure = false;
  bool failRead = false;
  bool failWrite = false;
  bool failClose = false;
  bool failArm = false;
  long writeLimit = -1;  // at most this many octets per write are taken (-1: no limit)
  // Called after each write with the octets written, so that a device can answer a request.
  std::function<void(SerialScript& script, const std::vector<uint8_t>& written)> onWrite;

  // Record of what the user did.
  std::vector<uint8_t> output;     // every octet written
  std::vector<std::string> calls;  // "configure", "read", "write", "break on", "break off",
                                   // "purge", "arm", "wait", "close"
  std::vector<SerialSettings> configurations;
  std::vector<unsigned> waitTimeouts;

  void Feed(const std::vector<uint8_t>& bytes) {
    input.insert(input.end(), bytes.begin(), bytes.end());
  }
  size_t Count(const std::string& call) const;
};

class ScriptedSerialLine : public SerialLine {
 public:
  explicit ScriptedSerialLine(std::shared_ptr<SerialScript> script) : script_(std::move(script)) {}

  bool Configure(const SerialSettings& settings) override;
  long Read(uint8_t* buffer, size_t count) override;
  long Write(const uint8_t* buffer, size_t count) override;
  bool SetBreak(bool on) override;
  bool PurgeInput() override;
  bool ArmLineEvents() override;
  SerialLineEvent WaitLineEvent(unsigned timeoutMs) override;
  bool Close() override;

 private:
  std::shared_ptr<SerialScript> script_;
};

}  // namespace platform
