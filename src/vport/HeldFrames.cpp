#include "vport/HeldFrames.h"

#include <utility>

#include "vport/TelnetCodes.h"

namespace vport {

namespace {

constexpr std::uint8_t kComPortOption = 44;
constexpr std::uint8_t kSetControl = 5;
constexpr int kControlKinds = 100;  // SET-CONTROL kinds follow the commands' numbers

// The setting a SET-CONTROL value makes; 0 for requests and values of no setting.
int ControlGroup(std::uint8_t value) {
  switch (value) {
    case 1:
    case 2:
    case 3:
    case 17:
    case 18:
    case 19:
      return 1;  // outbound flow control
    case 5:
      return 2;  // break on
    case 6:
      return 3;  // break off
    case 8:
    case 9:
      return 4;  // DTR
    case 11:
    case 12:
      return 5;  // RTS
    case 14:
    case 15:
    case 16:
      return 6;  // inbound flow control
    default:
      return 0;
  }
}

}  // namespace

int HeldFrames::KindOf(std::span<const std::uint8_t> frame) {
  // IAC SB COM-PORT-OPTION command value... IAC SE
  if (frame.size() < 7 || frame[0] != telnet::kIac || frame[1] != telnet::kSb ||
      frame[2] != kComPortOption) {
    return -1;
  }
  const std::uint8_t command = frame[3];
  if (command != kSetControl) return command >= 1 && command <= 12 ? command : -1;
  const int group = ControlGroup(frame[4]);
  return group == 0 ? -1 : kControlKinds + group;
}

void HeldFrames::Hold(Bytes frame) {
  const int kind = KindOf(frame);
  if (kind >= 0) {
    for (Bytes& waiting : frames_) {
      if (KindOf(waiting) == kind) {
        waiting = std::move(frame);
        return;
      }
    }
  }
  frames_.push_back(std::move(frame));
}

Frames HeldFrames::Take() {
  Frames taken;
  taken.swap(frames_);
  return taken;
}

}  // namespace vport
