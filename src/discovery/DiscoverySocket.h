// The datagram socket of one discovery exchange: create, send, receive, close. Result codes are
// those the discovery engine and device records test; failures of creation are reported through
// ReportDiscoveryError, send and receive failures are left to the caller. Every function makes its
// socket calls through sockets (the kernel's by default).
#pragma once

#include <cstddef>

#include "platform/SystemDatagramSockets.h"

namespace discovery {

class DatagramBatch;
class SocketWatcher;

constexpr int kInvalidSocket = -1;
constexpr int kDefaultDiscoveryPort = 4201;
// Receive queue asked for a discovery socket: a thousand devices answering one broadcast at the
// same instant must all fit while the search thread is busy elsewhere. The system's default
// (about 200 KB) holds a few hundred replies.
constexpr int kDefaultDiscoveryReceiveBuffer = 4 << 20;

// Message ids of creation failures (string table).
enum SocketMessage : unsigned {
  kMsgCannotCreateSocket = 5013,  // "Cannot create a socket."
  kMsgCannotBindSocket = 5014,    // "Cannot bind the socket."
  kMsgCannotSetBroadcast = 5015,  // "Cannot set the socket for broadcasts."
  kMsgCannotSetAsync = 5016,      // "Cannot set the socket for asynchronous select."
};

// Creates a non-blocking UDP socket bound to 0.0.0.0 with an ephemeral port and broadcasts allowed,
// asks for the receive queue of SetDiscoveryReceiveBuffer (beyond the system's limit when the
// process may; a refusal is not a failure, DiscoveryReceiveBufferSize tells what was obtained),
// and hands it to watcher (when given) so that a wait loop sees its readiness. *socket receives the
// descriptor right after creation, so the caller closes it even when a later step failed.
// Returns 0 on success, 1 on failure (reported).
int CreateDiscoverySocket(
    int* socket, SocketWatcher* watcher = nullptr,
    platform::DatagramSockets& sockets = platform::SystemDatagramSockets::Instance());

// Sends length bytes to the dotted IPv4 address and port. length < 0 sends nothing and gives 0.
// Returns 0 when sent, 1 on any failure (also would-block, a malformed address or a bad port).
int SendDatagramTo(
    int socket, const char* address, int port, const void* data, int length,
    platform::DatagramSockets& sockets = platform::SystemDatagramSockets::Instance());

// SendDatagramTo with the discovery port (see SetDiscoveryPort).
int SendDiscoveryDatagram(
    int socket, const char* address, const void* data, int length,
    platform::DatagramSockets& sockets = platform::SystemDatagramSockets::Instance());

// Takes one waiting datagram into buffer (at most size bytes; a longer datagram is cut). Returns
// its length, or -1 when nothing is waiting or on error. On success the sender's dotted address is
// written into sender (senderSize bytes, at least 16 for the whole address; always terminated).
int ReceiveDatagramFrom(
    int socket, char* sender, size_t senderSize, void* buffer, int size,
    platform::DatagramSockets& sockets = platform::SystemDatagramSockets::Instance());

// Takes up to max waiting datagrams into batch (fewer when it has less room) without waiting, in
// as few system calls as the kernel allows. Returns how many were taken: 0 when nothing is
// waiting or on error. Each is cut to the batch's slot; senders as in ReceiveDatagramFrom.
int ReceiveDatagramBatch(
    int socket, DatagramBatch& batch, size_t max,
    platform::DatagramSockets& sockets = platform::SystemDatagramSockets::Instance());

// The socket's receive queue in bytes as the kernel accounts it (twice what was asked, bookkeeping
// included), or -1.
int DiscoveryReceiveBufferSize(
    int socket, platform::DatagramSockets& sockets = platform::SystemDatagramSockets::Instance());

// Datagrams the kernel dropped on the way into this socket since it was made (a full receive
// queue, mostly), or -1 when the kernel does not tell.
long long DiscoveryDroppedDatagrams(
    int socket, platform::DatagramSockets& sockets = platform::SystemDatagramSockets::Instance());

// Shuts the socket down for sending, discards what is still queued, and closes it. A negative
// descriptor is ignored. watcher (when given) forgets the socket first.
void CloseDiscoverySocket(
    int socket, SocketWatcher* watcher = nullptr,
    platform::DatagramSockets& sockets = platform::SystemDatagramSockets::Instance());

// The UDP port of discovery datagrams, set from the settings by the application. Values outside
// 1...65535 are refused (false) and the previous port stays.
bool SetDiscoveryPort(int port);
int DiscoveryPort();

// The receive queue that discovery sockets made from now on ask for; 0 keeps the system's
// default. Negative values are refused (false).
bool SetDiscoveryReceiveBuffer(int bytes);
int DiscoveryReceiveBuffer();

}  // namespace discovery
