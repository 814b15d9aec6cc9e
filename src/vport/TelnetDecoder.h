// Decoder of the Telnet stream that a Com Port Control server sends: data bytes go on to the local
// port, every Telnet command is reported whole and otherwise dropped (nothing is answered). The
// state survives between calls, so a command may be split across received chunks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace vport {

class TelnetDecoder {
 public:
  // State values as the bridge stores and logs them.
  enum State : std::int32_t {
    kData = 1,
    kIac = 5,
    kDone = 11,
    kOption = 12,
    kSub = 16,
    kSubIac = 18,
  };

  static constexpr std::size_t kCommandCapacity = 32;

  // Data bytes for the local port, in order; a run of plain data comes as one call.
  using DataSink = std::function<void(std::span<const std::uint8_t>)>;
  // One decoded command: its bytes as received (at most kCommandCapacity, see below) and the log
  // line the port log shows for it.
  using CommandSink =
      std::function<void(std::span<const std::uint8_t> command, const std::string& logLine)>;

  TelnetDecoder() = default;

  // Back to plain data with an empty command buffer.
  void Reset();

  // Decodes received bytes. Data preceding a command reaches dataSink before the command reaches
  // commandSink. Either sink may be empty.
  void Decode(std::span<const std::uint8_t> received, const DataSink& dataSink,
              const CommandSink& commandSink);

  State state() const { return state_; }
  std::size_t commandLength() const { return length_; }
  // Bytes of an overlong subnegotiation that did not fit the command buffer (and were dropped).
  std::size_t droppedLength() const { return dropped_; }

  // "Received Telnet command from server:\r\n\t" and "0x%02X " for each byte.
  static std::string CommandLogLine(std::span<const std::uint8_t> command);

 private:
  class Output;

  void Step(std::uint8_t byte, Output& out);
  void StepIac(std::uint8_t byte, Output& out);
  void StepSubIac(std::uint8_t byte, Output& out);
  bool Append(std::uint8_t byte);  // false when the buffer is full and the byte was dropped
  void Flush(Output& out);
  void CompleteCommand(Output& out);

  State state_ = kData;
  std::array<std::uint8_t, kCommandCapacity> command_{};
  std::size_t length_ = 0;
  std::size_t dropped_ = 0;
  bool subIacStored_ = false;  // whether the IAC that entered kSubIac is in the buffer
};

}  // namespace vport
