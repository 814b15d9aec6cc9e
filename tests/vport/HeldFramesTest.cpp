// Frames that wait while the socket is full: the latest of each kind, in the order of first
// arrival.
#include <gtest/gtest.h>

#include "vport/HeldFrames.h"
#include "vport/Rfc2217Frames.h"

namespace vport {
namespace {

Bytes Control(std::uint8_t value) {
  return ComPortSubnegotiation(5, std::span<const std::uint8_t>(&value, 1));
}

TEST(HeldFrames, OnlyTheLatestOfEachKindWaitsInFirstArrivalOrder) {
  struct Case {
    const char* name;
    Frames held;
    Frames expected;
  };
  const Bytes b9600 = BaudRateFrame(9600), b19200 = BaudRateFrame(19200);
  const Bytes b255 = BaudRateFrame(0xFFFFFF);  // value bytes of 255, doubled
  const Bytes stop1 = *StopSizeFrame(0), stop2 = *StopSizeFrame(2);
  const Bytes offer = {255, 251, 44};
  const Case cases[] = {
      {"a rate replaces a rate", {b9600, b19200}, {b19200}},
      {"escaped values are one kind", {b255, b9600}, {b9600}},
      {"kinds keep their first place", {b9600, stop1, b19200, stop2}, {b19200, stop2}},
      {"DTR on and off are one kind", {Control(8), Control(9), Control(8)}, {Control(8)}},
      {"RTS apart from DTR", {Control(8), Control(11), Control(9)}, {Control(9), Control(11)}},
      {"flow control values are one kind", {Control(3), Control(1), Control(17)}, {Control(17)}},
      {"a break keeps its start before its end",
       {Control(5), Control(6), Control(5), Control(6)},
       {Control(5), Control(6)}},
      {"frames of no kind are all kept", {offer, offer}, {offer, offer}},
  };
  for (const Case& c : cases) {
    HeldFrames held;
    for (const Bytes& frame : c.held) held.Hold(frame);
    EXPECT_EQ(held.Take(), c.expected) << c.name;
    EXPECT_TRUE(held.Empty()) << c.name;
  }
}

TEST(HeldFrames, KindsOfHostileAndShortFrames) {
  const struct {
    Bytes frame;
    int kind;
  } cases[] = {
      {{}, -1},
      {{255, 250, 44, 1, 255, 240}, -1},       // too short for a value
      {{255, 250, 45, 1, 0, 255, 240}, -1},    // another option
      {{255, 250, 44, 99, 0, 255, 240}, -1},   // a command a client does not send
      {{255, 250, 44, 5, 4, 255, 240}, -1},    // a request, not a setting
      {{255, 250, 44, 12, 0, 255, 240}, 12},   // PURGE-DATA
      {{255, 250, 44, 5, 12, 255, 240}, 105},  // RTS off
  };
  for (const auto& c : cases) EXPECT_EQ(HeldFrames::KindOf(c.frame), c.kind);
}

}  // namespace
}  // namespace vport
