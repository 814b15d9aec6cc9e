#include "vport/PortLogLines.h"

#include <cstdio>

#include "vport/PortControlMessage.h"

namespace vport::loglines {

namespace {

// "0x%08lX" of a 32-bit long.
std::string Hex8(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

}  // namespace

std::string Opened(const std::string& comName) {
  return "*** Virtual port (" + comName + ") opened ***";
}

std::string ConnectFailed(const std::string& ipAddr, const std::string& tcpPort,
                          const std::string& reason) {
  return "*** Cannot connect to " + ipAddr + ":" + tcpPort + ": " + reason + " ***";
}

std::string Closed(const std::string& comName) {
  return "*** Virtual port (" + comName + ") closed ***\r\n";
}

std::string GotFromRemote(std::int64_t count) {
  return "Got " + std::to_string(count) + " byte(s) from remote device";
}

std::string PortReceived(std::int64_t count) {
  return "Port received " + std::to_string(count) + " byte(s).";
}

std::string EventMask(std::uint32_t mask) {
  char text[32];
  std::snprintf(text, sizeof text, "Event mask: 0x%X", static_cast<unsigned>(mask));
  return text;
}

std::string Break(bool on) {
  return std::string("Break is\"") + (on ? "ON" : "OFF") + "\"";
}

std::string BaudRate(std::int64_t baudRate) {
  return "Baudrate  modified (" + std::to_string(baudRate) + ")";
}

std::string SpecialChars(std::uint32_t eof, std::uint32_t error, std::uint32_t brk,
                         std::uint32_t event, std::uint32_t xon, std::uint32_t xoff) {
  return "Special characters set:\r\n   EOF: " + Hex8(eof) + " ERR: " + Hex8(error) +
         " BRK: " + Hex8(brk) + " EVN: " + Hex8(event) + " XON: " + Hex8(xon) + " XOFF " +
         Hex8(xoff);
}

std::string HandFlow(std::uint32_t controlHandShake, std::uint32_t flowReplace,
                     std::uint32_t xonLimit, std::uint32_t xoffLimit) {
  return "Flow control params changed:\r\n   Hand: " + Hex8(controlHandShake) +
         " Repl: " + Hex8(flowReplace) + " XON lim:" + Hex8(xonLimit) +
         " XOFF lim: " + Hex8(xoffLimit);
}

std::string LineControl(std::int32_t stopBits, std::int32_t parity, std::int32_t wordLength) {
  return "Line control changed:\r\n   StopBits: " + std::to_string(stopBits) +
         " Parity: " + std::to_string(parity) + " WrdLen: " + std::to_string(wordLength);
}

std::string Timeouts(std::uint32_t readInterval, std::uint32_t readMultiplier,
                     std::uint32_t readConstant, std::uint32_t writeMultiplier,
                     std::uint32_t writeConstant) {
  return "Serial timeouts modified:\r\n   RdInt: " + Hex8(readInterval) +
         " RdMul: " + Hex8(readMultiplier) + " RdCon: " + Hex8(readConstant) +
         " WrMul: " + Hex8(writeMultiplier) + " WrCon: " + Hex8(writeConstant);
}

std::string Ring() {
  return "Ring event occurred";
}

std::string Rts(bool on) {
  return std::string("RTS line set (") + (on ? "On" : "Off") + ")";
}

std::string Dtr(bool on) {
  return std::string("DTR line set (") + (on ? "On" : "Off") + ")";
}

std::string ModemWait(std::uint8_t lines) {
  static constexpr struct {
    std::uint8_t line;
    const char* name;
  } kNames[] = {{control::kCts, "CTS"},
                {control::kDsr, "DSR"},
                {control::kRing, "RI"},
                {control::kCarrier, "CD"}};
  std::string names;
  for (const auto& n : kNames) {
    if ((lines & n.line) == 0) continue;
    if (!names.empty()) names += ' ';
    names += n.name;
  }
  return "Application waits for modem lines (" + (names.empty() ? std::string("none") : names) +
         ")";
}

}  // namespace vport::loglines
