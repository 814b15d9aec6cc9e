#include "UdpEndpoint.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>

namespace devsim {

namespace {
constexpr size_t kMaxDatagram = 2048;  // requests are short; anything longer is cut and refused
constexpr int kBufferBytes = 4 << 20;
}  // namespace

UdpEndpoint::~UdpEndpoint() {
  if (fd_ >= 0) ::close(fd_);
}

int UdpEndpoint::Open(int port) {
  fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return errno;
  const int one = 1;
  ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
  // Larger buffers only soften bursts; the kernel caps them and that is fine.
  ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &kBufferBytes, sizeof kBufferBytes);
  ::setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &kBufferBytes, sizeof kBufferBytes);
  if (::setsockopt(fd_, IPPROTO_IP, IP_PKTINFO, &one, sizeof one) != 0) return errno;
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = htons(static_cast<uint16_t>(port));
  if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) return errno;
  socklen_t size = sizeof local;
  if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &size) != 0) return errno;
  port_ = ntohs(local.sin_port);
  return 0;
}

int UdpEndpoint::JoinGroup(uint32_t group) {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return 0;
  std::set<unsigned> joined;
  for (const ifaddrs* a = list; a; a = a->ifa_next) {
    if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
    if (!(a->ifa_flags & IFF_UP) || !(a->ifa_flags & IFF_MULTICAST)) continue;
    const unsigned index = ::if_nametoindex(a->ifa_name);
    if (index == 0 || joined.count(index)) continue;
    ip_mreqn request{};
    request.imr_multiaddr.s_addr = htonl(group);
    request.imr_ifindex = static_cast<int>(index);
    if (::setsockopt(fd_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request) == 0) {
      joined.insert(index);
    }
  }
  ::freeifaddrs(list);
  return static_cast<int>(joined.size());
}

bool UdpEndpoint::Receive(Datagram* datagram) {
  uint8_t buffer[kMaxDatagram];
  alignas(cmsghdr) uint8_t control[CMSG_SPACE(sizeof(in_pktinfo))];
  iovec io{buffer, sizeof buffer};
  msghdr message{};
  message.msg_name = &datagram->sender;
  message.msg_namelen = sizeof datagram->sender;
  message.msg_iov = &io;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  const ssize_t n = ::recvmsg(fd_, &message, 0);
  if (n < 0) return false;
  datagram->bytes.assign(buffer, buffer + n);
  datagram->destination = 0;
  for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
    if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
      in_pktinfo info;
      std::memcpy(&info, CMSG_DATA(c), sizeof info);
      datagram->destination = ntohl(info.ipi_addr.s_addr);
    }
  }
  return true;
}

int UdpEndpoint::Send(const OutgoingDatagram& datagram) {
  alignas(cmsghdr) uint8_t control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
  iovec io{const_cast<uint8_t*>(datagram.bytes.data()), datagram.bytes.size()};
  msghdr message{};
  sockaddr_in to = datagram.to;
  message.msg_name = &to;
  message.msg_namelen = sizeof to;
  message.msg_iov = &io;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  cmsghdr* c = CMSG_FIRSTHDR(&message);
  c->cmsg_level = IPPROTO_IP;
  c->cmsg_type = IP_PKTINFO;
  c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
  in_pktinfo info{};
  info.ipi_spec_dst.s_addr = htonl(datagram.from);
  std::memcpy(CMSG_DATA(c), &info, sizeof info);
  if (::sendmsg(fd_, &message, 0) < 0) return errno == EWOULDBLOCK ? EAGAIN : errno;
  return 0;
}

}  // namespace devsim
