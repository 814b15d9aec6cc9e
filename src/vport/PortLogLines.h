// The lines of a port's log, formatted exactly as the status window shows them. Names and numbers
// are inserted as values, never used as format strings.
#pragma once

#include <cstdint>
#include <string>

namespace vport::loglines {

std::string Opened(const std::string& comName);  // "*** Virtual port (COM5) opened ***"
std::string Closed(const std::string& comName);  // "*** Virtual port (COM5) closed ***\r\n"
std::string GotFromRemote(std::int64_t count);   // "Got 12 byte(s) from remote device"
std::string PortReceived(std::int64_t count);    // "Port received 12 byte(s)."
// "*** Cannot connect to 127.0.0.1:9100: Connection refused ***"
std::string ConnectFailed(const std::string& ipAddr, const std::string& tcpPort,
                          const std::string& reason);

// Control events; long arguments print as the 32-bit values the control delivers.
std::string EventMask(std::uint32_t mask);
std::string Break(bool on);
std::string BaudRate(std::int64_t baudRate);
std::string SpecialChars(std::uint32_t eof, std::uint32_t error, std::uint32_t brk,
                         std::uint32_t event, std::uint32_t xon, std::uint32_t xoff);
std::string HandFlow(std::uint32_t controlHandShake, std::uint32_t flowReplace,
                     std::uint32_t xonLimit, std::uint32_t xoffLimit);
std::string LineControl(std::int32_t stopBits, std::int32_t parity, std::int32_t wordLength);
std::string Timeouts(std::uint32_t readInterval, std::uint32_t readMultiplier,
                     std::uint32_t readConstant, std::uint32_t writeMultiplier,
                     std::uint32_t writeConstant);
std::string Ring();
std::string Rts(bool on);
std::string Dtr(bool on);
// An application's wait for modem input lines (control::kCts ...):
// "Application waits for modem lines (CTS DSR)", "(none)" for no line.
std::string ModemWait(std::uint8_t lines);

}  // namespace vport::loglines
