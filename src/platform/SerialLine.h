// A serial line as its users see it: settings in the shape of a Windows DCB with its time-outs,
// blocking reads and writes bounded by those time-outs, breaks, and the line events (a break or a
// line error received) that a device uses to signal. SerialPort is the termios implementation;
// ScriptedSerialLine plays a prepared script in tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

enum class SerialParity : uint8_t { None, Odd, Even, Mark, Space };
enum class SerialStopBits : uint8_t { One, OnePointFive, Two };
enum class SerialDtr : uint8_t { Off, On, Handshake };
enum class SerialRts : uint8_t { Off, On, Handshake, Toggle };

// Read and write time-outs as Windows counts them (0 = not used). A read ends when the buffer is
// full, when the gap between two octets exceeds readIntervalMs, or when the whole read exceeds
// readTotalMultiplierMs * count + readTotalConstantMs. A write gives up after
// writeTotalMultiplierMs * count + writeTotalConstantMs.
struct SerialTimeouts {
  uint32_t readIntervalMs = 0;
  uint32_t readTotalMultiplierMs = 0;
  uint32_t readTotalConstantMs = 0;
  uint32_t writeTotalMultiplierMs = 0;
  uint32_t writeTotalConstantMs = 0;
};

struct SerialSettings {
  uint32_t baudRate = 9600;
  uint8_t dataBits = 8;  // 5 to 8
  SerialParity parity = SerialParity::None;
  SerialStopBits stopBits = SerialStopBits::One;
  bool ctsOutputFlow = false;  // hold output while CTS is low
  SerialDtr dtr = SerialDtr::On;
  SerialRts rts = SerialRts::On;
  bool xonXoffOutput = false;
  bool xonXoffInput = false;
  uint32_t inputQueue = 0;  // driver queue sizes; advisory on Linux
  uint32_t outputQueue = 0;
  SerialTimeouts timeouts;
};

// What a wait for a line event saw.
enum class SerialLineEvent : uint8_t {
  None,       // nothing within the wait
  Break,      // a break was received (possibly with errors)
  LineError,  // a framing, parity or overrun error without a break
  Failed,     // the line cannot report events (or the wait itself failed)
};

class SerialLine {
 public:
  virtual ~SerialLine() = default;

  virtual bool Configure(const SerialSettings& settings) = 0;
  // Reads up to count octets within the time-outs. Returns the number read (fewer on time-out),
  // or -1 when the read failed.
  virtual long Read(uint8_t* buffer, size_t count) = 0;
  // Writes count octets within the time-outs. Returns the number written, or -1 on failure.
  virtual long Write(const uint8_t* buffer, size_t count) = 0;
  virtual bool SetBreak(bool on) = 0;
  // Discards whatever waits in the receive queue.
  virtual bool PurgeInput() = 0;
  // Starts watching for line events: later waits report only what arrives after this call.
  virtual bool ArmLineEvents() = 0;
  // Waits up to timeoutMs for a line event since ArmLineEvents.
  virtual SerialLineEvent WaitLineEvent(unsigned timeoutMs) = 0;
  virtual bool Close() = 0;
};

}  // namespace platform
