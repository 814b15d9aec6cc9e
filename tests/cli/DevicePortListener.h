// A TCP listener that stands for a device server's port in tests.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

// A listener on TCP 9100 + some device port index (0 ... 5) of some loopback address of
// 127.0.77.x, so that "run --port" reaches it while other tests use the usual addresses.
struct DevicePortListener {
  int fd = -1;
  int devPort = -1;
  std::string ip;
  DevicePortListener() {
    for (int host = 1 + getpid() % 200; host < 255 && devPort < 0; ++host) {
      for (int candidate = 0; candidate < 6 && devPort < 0; ++candidate) {
        fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl((127u << 24) | (77u << 8) | static_cast<uint32_t>(host));
        a.sin_port = htons(static_cast<uint16_t>(9100 + candidate));
        if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && listen(fd, 4) == 0) {
          devPort = candidate;
          ip = "127.0.77." + std::to_string(host);
        } else {
          close(fd);
          fd = -1;
        }
      }
    }
  }
  ~DevicePortListener() {
    if (fd >= 0) close(fd);
  }
};
