#include "vport/PortReport.h"

namespace vport {

const char* PortReport::StateText(State state) {
  switch (state) {
    case State::kConnecting:
      return "Connecting...";
    case State::kOpen:
      return "Open";
    case State::kClosed:
      break;
  }
  return "Closed";
}

}  // namespace vport
