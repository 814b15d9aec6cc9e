// The /metrics endpoint of `portolanctl run --metrics`: an HTTP server (libmicrohttpd, on a thread
// of its own) that answers GET and HEAD of /metrics with the text the body callback renders at
// that moment, 404 for any other path and 405 for any other method. The thread sleeps in the
// kernel while no request comes (no timer runs), so an idle endpoint costs nothing; at most
// kMaxConnections connections are served at once, each closed after kIdleSeconds of silence.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

struct MHD_Daemon;

namespace cli {

class MetricsHttpServer {
 public:
  using Body = std::function<std::string()>;
  static constexpr unsigned kMaxConnections = 16;
  static constexpr unsigned kIdleSeconds = 10;

  struct Address {
    std::string host;  // numeric IPv4 or IPv6 address
    uint16_t port = 0;
    bool operator==(const Address&) const = default;
  };
  // "ADDRESS:PORT", "[IPV6]:PORT", ":PORT" or "PORT" (the last two on 127.0.0.1); nullopt
  // unless the address is numeric and the port 1 to 65535.
  static std::optional<Address> ParseAddress(const std::string& text);

  MetricsHttpServer(Body body, std::string contentType);
  ~MetricsHttpServer();
  MetricsHttpServer(const MetricsHttpServer&) = delete;
  MetricsHttpServer& operator=(const MetricsHttpServer&) = delete;

  // Listens on address and serves from now on. Empty, or why it cannot listen (the library's
  // own words, such as "Failed to bind to port 9465: Address already in use").
  std::string Start(const Address& address);
  void Stop();
  bool Running() const { return daemon_ != nullptr; }

  // What a request is answered with (the library's thread reads it).
  struct Content {
    Body body;
    std::string contentType;
  };

 private:
  Content content_;
  std::string startError_;  // the library's messages while starting
  MHD_Daemon* daemon_ = nullptr;
};

}  // namespace cli
