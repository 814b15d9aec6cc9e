// What an application's preload library asks of its port's bridge (data size and parity, DTR,
// RTS, break) and what the server reports of its modem lines, turned into the RFC 2217 frames the
// bridge sends. Pure: the bridge hands in the requests and the connection's events, and sends the
// frames it gets back.
//
// Rules:
// - Data size and parity come only from here (a pty cannot carry them); baud rate and stop bits
//   keep coming from the pty. Fixed line settings of the port win: with them the application's
//   data size and parity are taken but never sent.
// - Data size and parity go with every settings write the pty reports (WithApplicationLine: the
//   whole line each time, as fixed settings do; some servers reset the line with the rate), and on
//   the application's request when they differ from what the server was last told.
// - DTR and RTS start on (as a serial port's open raises them). Lines the application set before
//   the connection was made are sent once it is.
// - The server's NOTIFY-MODEMSTATE gives CTS, DSR, RI and CD for the application's TIOCMGET.
// - Each report also counts the input lines' transitions, for TIOCGICOUNT and TIOCMIWAIT, as a
//   serial driver counts its status register's delta bits: CTS, DSR and CD once per change, RI
//   once per trailing edge (the end of a ring). A line counts when the report's delta bit says
//   it changed or when it differs from the last report of the connection (servers that send no
//   delta bits); the first report of a connection counts its delta bits only. The counters belong
//   to the port: they only grow, across connections and applications.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "vport/ComPortSettings.h"
#include "vport/PortControlMessage.h"
#include "vport/Rfc2217Frames.h"

namespace vport {

class PortLineControl {
 public:
  // SET-CONTROL values.
  static constexpr std::uint8_t kBreakOn = 5;
  static constexpr std::uint8_t kBreakOff = 6;
  static constexpr std::uint8_t kDtrOn = 8;
  static constexpr std::uint8_t kDtrOff = 9;
  static constexpr std::uint8_t kRtsOn = 11;
  static constexpr std::uint8_t kRtsOff = 12;
  static constexpr std::uint8_t kNotifyModemState = 107;  // server to client

  // rfc2217: the port speaks RFC 2217 (else every request is answered "not supported").
  // fixedLine: the port has fixed line settings.
  PortLineControl(bool rfc2217 = false, bool fixedLine = false)
      : rfc2217_(rfc2217), fixedLine_(fixedLine) {}
  void Configure(bool rfc2217, bool fixedLine) {
    rfc2217_ = rfc2217;
    fixedLine_ = fixedLine;
  }

  // A request of the application; *frames gets what to send now (nothing while not connected).
  control::Reply Handle(const control::Request& request, bool connected, Frames* frames);
  // After the bridge sent a baud rate: the application's data size and parity again.
  Frames AfterBaudRate();
  // A new connection: the server knows nothing yet.
  void ConnectionStarted();
  // The settings sent right after the option offers, with the application's data size and
  // parity where the pty left them unknown (fixed settings go over them later).
  ComPortSettings WithApplicationLine(ComPortSettings settings);
  // Right after the settings of a new connection: the lines the application set meanwhile.
  Frames AfterConnected();
  // The last application closed the port: its choices go with it.
  void ApplicationClosed();
  // A Telnet command the server sent (IAC ... as decoded); a NOTIFY-MODEMSTATE is taken.
  // Returns the input lines (control::kCts ...) whose transition counters it moved.
  std::uint8_t ServerCommand(std::span<const std::uint8_t> command);

  std::uint8_t Lines() const;  // control::kDtr ... kCarrier
  bool LinesKnown() const { return serverLines_.has_value(); }
  // The transitions counted on the line of kCountCts ... kCountCarrier (0 for another index).
  std::uint32_t Count(std::uint8_t counter) const;

 private:
  control::Reply HandleRaw(const control::Request& request);

  struct DataLine {
    std::uint8_t dataBits = 8;
    std::uint8_t parity = 0;
    bool operator==(const DataLine&) const = default;
  };
  Frames DataLineFrames();
  static Bytes ControlFrame(std::uint8_t value);

  bool rfc2217_;
  bool fixedLine_;
  std::optional<DataLine> application_;  // what the application last set
  std::optional<DataLine> told_;         // what the server was last told on this connection
  bool dtr_ = true, rts_ = true;
  bool dtrSet_ = false, rtsSet_ = false;  // set by the application (sent after a connect)
  std::optional<std::uint8_t> serverLines_;
  std::uint32_t counts_[4] = {};  // by kCountCts ... kCountCarrier; wrap as a driver's do
};

}  // namespace vport
