#include "platform/EpollSet.h"

#include <unistd.h>

#include <cerrno>

namespace platform {

int EpollSet::Open() {
  Close();
  fd_ = epoll_create1(EPOLL_CLOEXEC);
  return fd_ < 0 ? errno : 0;
}

void EpollSet::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

int EpollSet::Add(int fd, uint32_t events) {
  return Control(EPOLL_CTL_ADD, fd, events);
}

int EpollSet::Modify(int fd, uint32_t events) {
  return Control(EPOLL_CTL_MOD, fd, events);
}

int EpollSet::TakeReady(epoll_event* events, int max) {
  return epoll_wait(fd_, events, max, 0);
}

int EpollSet::Control(int op, int fd, uint32_t events) {
  epoll_event event{};
  event.events = events;
  event.data.fd = fd;
  return epoll_ctl(fd_, op, fd, &event) == 0 ? 0 : errno;
}

}  // namespace platform
