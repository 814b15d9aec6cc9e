#include "vport/PortPriming.h"

#include <termios.h>

namespace vport {

void PrimeTerminal(platform::TerminalNode& slave, const std::function<void(uint32_t)>& settle) {
  struct termios t {};
  if (!slave.GetTermios(t)) return;
  cfsetispeed(&t, B115200);
  cfsetospeed(&t, B115200);
  t.c_cflag = (t.c_cflag & ~(CSIZE | PARENB | PARODD | CSTOPB)) | CS8 | CRTSCTS;
  slave.SetTermios(t);
  settle(kPrimeSettleMs);
  struct termios back {};
  if (slave.GetTermios(back) && (back.c_cflag & CRTSCTS) == 0) {
    back.c_cflag |= CRTSCTS;
    slave.SetTermios(back);
    settle(kPrimeRetryMs);
    t = back;
  }
  slave.SetTermios(t);
}

}  // namespace vport
