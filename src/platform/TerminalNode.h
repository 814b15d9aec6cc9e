// A terminal device opened by its path, only to read and set its termios: for a port's own look at
// the slave side of its pty, through the node that applications open. Non-blocking, never the
// controlling terminal, closed with the object.
#pragma once

#include <termios.h>

#include <string>

namespace platform {

class TerminalNode {
 public:
  TerminalNode() = default;
  ~TerminalNode() { Close(); }
  TerminalNode(const TerminalNode&) = delete;
  TerminalNode& operator=(const TerminalNode&) = delete;

  // Opens path for reading and writing. Returns 0 or an errno value.
  int Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  bool GetTermios(struct termios& t) const;
  // Sets t at once (TCSANOW).
  bool SetTermios(const struct termios& t);

 private:
  int fd_ = -1;
};

}  // namespace platform
