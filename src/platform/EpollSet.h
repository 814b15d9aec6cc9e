// An epoll set whose one descriptor stands for several: its owner's loop polls Fd() and then
// takes what is ready. Each registered descriptor is reported with its own number in data.fd.
#pragma once

#include <sys/epoll.h>

#include <cstdint>

namespace platform {

class EpollSet {
 public:
  EpollSet() = default;
  ~EpollSet() { Close(); }
  EpollSet(const EpollSet&) = delete;
  EpollSet& operator=(const EpollSet&) = delete;

  // Makes the set (close-on-exec; closing an earlier one): 0, or the errno value.
  int Open();
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }

  // Watches fd for events (EPOLLIN, EPOLLET, ...), or changes what it is watched for: 0, or the
  // errno value.
  int Add(int fd, uint32_t events);
  int Modify(int fd, uint32_t events);
  // Takes up to max ready events without waiting: how many, or -1 with errno.
  int TakeReady(epoll_event* events, int max);

 private:
  int Control(int op, int fd, uint32_t events);

  int fd_ = -1;
};

}  // namespace platform
