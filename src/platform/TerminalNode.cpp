#include "platform/TerminalNode.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

int TerminalNode::Open(const std::string& path) {
  Close();
  fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  return fd_ < 0 ? errno : 0;
}

void TerminalNode::Close() {
  if (fd_ < 0) return;
  close(fd_);
  fd_ = -1;
}

bool TerminalNode::GetTermios(struct termios& t) const {
  return fd_ >= 0 && tcgetattr(fd_, &t) == 0;
}

bool TerminalNode::SetTermios(const struct termios& t) {
  return fd_ >= 0 && tcsetattr(fd_, TCSANOW, &t) == 0;
}

}  // namespace platform
