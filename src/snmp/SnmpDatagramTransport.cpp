#include "snmp/SnmpDatagramTransport.h"

#include <cerrno>

namespace snmp {

namespace {

// A non-blocking datagram socket of the family bound to port; -1 on failure.
int BoundSocket(platform::DatagramSockets& sockets, const DatagramFamily& family, uint16_t port) {
  int fd = sockets.Open(family.domain, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, family.protocol);
  if (fd < 0) return -1;
  sockaddr_storage addr{};
  socklen_t size = family.anyAddress(&addr, port);
  if (sockets.Bind(fd, reinterpret_cast<sockaddr*>(&addr), size) != 0) {
    sockets.Close(fd);
    return -1;
  }
  return fd;
}

void CloseFd(platform::DatagramSockets& sockets, int* fd) {
  if (*fd >= 0) sockets.Close(*fd);
  *fd = -1;
}

// One datagram from fd into buffer; its length, or -1 when none could be read whole.
long ReadDatagram(platform::DatagramSockets& sockets, int fd, uint8_t* buffer, size_t size,
                  sockaddr_storage* from) {
  if (fd < 0) return -1;
  socklen_t fromSize = sizeof *from;
  ssize_t n;
  do {
    n = sockets.ReceiveFrom(fd, buffer, size, MSG_DONTWAIT | MSG_TRUNC,
                            reinterpret_cast<sockaddr*>(from), &fromSize);
  } while (n < 0 && errno == EINTR);
  // MSG_TRUNC reports the datagram's real length: a datagram larger than the buffer is refused
  // rather than handed on cut short.
  if (n < 0 || static_cast<size_t>(n) > size) return -1;
  return static_cast<long>(n);
}

// Replies that came after their request gave up would be taken for the answer to the next one,
// so every datagram already waiting is dropped (not only the first).
void DropStaleReplies(platform::DatagramSockets& sockets, int fd) {
  uint8_t scratch[kDatagramStaleSize];
  for (int i = 0; i < kDatagramStaleLimit; ++i) {
    if (sockets.ReceiveFrom(fd, scratch, sizeof scratch, MSG_DONTWAIT, nullptr, nullptr) < 0 &&
        errno != EINTR) {
      return;
    }
  }
}

}  // namespace

int32_t DatagramOpen(const DatagramFamily& family, SnmpTransportSession* session) {
  if (session == nullptr) return kTransportNotInitialized;
  // The two network transports share the socket fields: whichever held them lets go.
  CloseFd(*session->sockets, &session->requestSocket);
  CloseFd(*session->sockets, &session->trapSocket);
  session->udpOpen = false;
  session->ipxOpen = false;
  int fd = BoundSocket(*session->sockets, family, 0);
  if (fd < 0) return kTransportNotInitialized;
  session->requestSocket = fd;
  session->*family.openFlag = true;
  return kTransportSuccess;
}

int32_t DatagramClose(const DatagramFamily& family, SnmpTransportSession* session) {
  if (session == nullptr) return kTransportSuccess;
  if (session->*family.openFlag) {
    CloseFd(*session->sockets, &session->requestSocket);
    CloseFd(*session->sockets, &session->trapSocket);
  }
  session->*family.openFlag = false;
  return kTransportSuccess;
}

int32_t DatagramSend(const DatagramFamily& family, SnmpTransportSession* session,
                     const SnmpTransportEntity* dst, const uint8_t* message, size_t length) {
  if (session == nullptr) return kTransportNotInitialized;
  if (!(session->*family.openFlag)) {
    int32_t opened = DatagramOpen(family, session);
    if (opened != kTransportSuccess) return opened;
  }
  if (dst == nullptr || (message == nullptr && length > 0)) return kTransportIoFailed;
  DropStaleReplies(*session->sockets, session->requestSocket);
  sockaddr_storage to{};
  socklen_t toSize = family.agentAddress(*session, *dst, &to);
  if (toSize == 0) return kTransportIoFailed;
  ssize_t sent;
  do {
    sent = session->sockets->SendTo(session->requestSocket, message, length, MSG_NOSIGNAL,
                                    reinterpret_cast<sockaddr*>(&to), toSize);
  } while (sent < 0 && errno == EINTR);
  if (sent < 0 || static_cast<size_t>(sent) != length) return kTransportIoFailed;
  return kTransportSuccess;
}

int32_t DatagramReceive(const DatagramFamily& family, SnmpTransportSession* session,
                        SnmpTransportEntity* src, SnmpTransportEntity* dst, uint8_t* buffer,
                        size_t* length) {
  if (session == nullptr || buffer == nullptr || length == nullptr) return kTransportIoFailed;
  sockaddr_storage from{};
  long n = ReadDatagram(*session->sockets, session->requestSocket, buffer, *length, &from);
  if (n < 0 && session->trapSocket >= 0) {
    from = sockaddr_storage{};
    n = ReadDatagram(*session->sockets, session->trapSocket, buffer, *length, &from);
  }
  if (n < 0) return kTransportIoFailed;
  *length = static_cast<size_t>(n);
  SnmpTransportEntity scratchSrc;
  SnmpTransportEntity scratchDst;
  family.senderEntity(from, src != nullptr ? src : &scratchSrc, dst != nullptr ? dst : &scratchDst);
  return kTransportSuccess;
}

int32_t DatagramRegister(const DatagramFamily& family, SnmpTransportSession* session,
                         int32_t state) {
  if (session == nullptr) return kTransportNotAvailable;
  if (state == 0) {
    CloseFd(*session->sockets, &session->trapSocket);
    return kTransportSuccess;
  }
  if (!(session->*family.openFlag)) {
    int32_t opened = DatagramOpen(family, session);
    if (opened != kTransportSuccess) return opened;
  }
  if (state != 1 || session->trapSocket >= 0) return kTransportSuccess;
  int fd = BoundSocket(*session->sockets, family, family.trapPort(session->Config()));
  if (fd < 0) return kTransportNotAvailable;
  session->trapSocket = fd;
  return kTransportSuccess;
}

}  // namespace snmp
