// The first settings of a new port, made on its pty through the pty's own node before anyone
// else can open it: 115200 baud, 8 data bits, no parity, one stop bit, RTS/CTS. They stay local:
// a server hears settings only when an application writes them.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/TerminalNode.h"

namespace vport {

constexpr uint32_t kPrimeSettleMs = 150;
constexpr uint32_t kPrimeRetryMs = 250;

// settle(ms) lets the port's events be handled for ms (the writes are reported meanwhile).
void PrimeTerminal(platform::TerminalNode& slave, const std::function<void(uint32_t)>& settle);

}  // namespace vport
