// The termios serial port: a tty device opened exclusively, configured from SerialSettings, with
// reads and writes bounded by the Windows-style time-outs. Line events (breaks and line errors)
// come from the driver's interrupt counters, which real UARTs keep and pseudo-terminals do not:
// on a pty ArmLineEvents fails, as a pty cannot carry a break.
#pragma once

#include <memory>
#include <string>

#include "platform/SerialLine.h"

namespace platform {

class SerialPort : public SerialLine {
 public:
  // Opens path for reading and writing, exclusively. Null on failure, with errno in *error.
  static std::unique_ptr<SerialPort> Open(const std::string& path, int* error = nullptr);
  ~SerialPort() override;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  bool Configure(const SerialSettings& settings) override;
  long Read(uint8_t* buffer, size_t count) override;
  long Write(const uint8_t* buffer, size_t count) override;
  bool SetBreak(bool on) override;
  bool PurgeInput() override;
  bool ArmLineEvents() override;
  SerialLineEvent WaitLineEvent(unsigned timeoutMs) override;
  bool Close() override;

  int Fd() const { return fd_; }
  const std::string& Path() const { return path_; }

 private:
  SerialPort(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

  struct Counters {
    int brk = 0;
    int frame = 0;
    int parity = 0;
    int overrun = 0;
    int bufOverrun = 0;
  };
  bool ReadCounters(Counters* out) const;

  int fd_ = -1;
  std::string path_;
  SerialTimeouts timeouts_;
  Counters armed_;
  bool armedValid_ = false;
};

// The termios speed constant for a rate in bit/s; 0 when the rate has none.
unsigned SerialSpeedConstant(uint32_t baudRate);

}  // namespace platform
