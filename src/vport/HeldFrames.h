// Com-port frames that the application drives (settings, DTR, RTS, break) while the socket has
// no room: only the latest of each kind waits, so a server that stops reading cannot make them
// grow without bound. A frame takes the place of the waiting one of its kind, so the kinds keep
// the order in which they first came (a break's start still goes before its end).
#pragma once

#include <cstdint>
#include <span>

#include "vport/Rfc2217Frames.h"

namespace vport {

class HeldFrames {
 public:
  // The kind of a frame: the command of a com-port subnegotiation, or for SET-CONTROL the
  // setting it makes (outbound flow, inbound flow, DTR, RTS, break start, break end); -1 for
  // any other frame (such frames are all kept).
  static int KindOf(std::span<const std::uint8_t> frame);

  void Hold(Bytes frame);
  bool Empty() const { return frames_.empty(); }
  std::size_t Count() const { return frames_.size(); }
  // The waiting frames in order; none wait afterwards.
  Frames Take();
  void Clear() { frames_.clear(); }

 private:
  Frames frames_;
};

}  // namespace vport
