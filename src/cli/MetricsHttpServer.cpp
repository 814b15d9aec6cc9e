#include "cli/MetricsHttpServer.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace cli {

namespace {

constexpr const char* kPath = "/metrics";

// For HEAD the library sends the headers of the answer (its length included) and no body.
MHD_Result Queue(MHD_Connection* connection, unsigned status, const std::string& body,
                 const char* contentType) {
  MHD_Response* response = MHD_create_response_from_buffer(
      body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
  if (response == nullptr) return MHD_NO;
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, contentType);
  if (status == MHD_HTTP_METHOD_NOT_ALLOWED) {
    MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET, HEAD");
  }
  const MHD_Result result = MHD_queue_response(connection, status, response);
  MHD_destroy_response(response);
  return result;
}

MHD_Result Answer(void* cls, MHD_Connection* connection, const char* url, const char* method,
                  const char* /*version*/, const char* /*uploadData*/, size_t* uploadSize,
                  void** requestState) {
  // The first call announces the request; a body it may carry is read and dropped.
  static int announced;
  if (*requestState == nullptr) {
    *requestState = &announced;
    return MHD_YES;
  }
  if (*uploadSize != 0) {
    *uploadSize = 0;
    return MHD_YES;
  }
  const auto& content = *static_cast<const MetricsHttpServer::Content*>(cls);
  const bool get = std::strcmp(method, MHD_HTTP_METHOD_GET) == 0;
  const bool head = std::strcmp(method, MHD_HTTP_METHOD_HEAD) == 0;
  if (!get && !head) {
    return Queue(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "only GET and HEAD\n", "text/plain");
  }
  if (std::strcmp(url, kPath) != 0) {
    return Queue(connection, MHD_HTTP_NOT_FOUND, "not found; the figures are at /metrics\n",
                 "text/plain");
  }
  return Queue(connection, MHD_HTTP_OK, content.body(), content.contentType.c_str());
}

void KeepMessage(void* cls, const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  auto& kept = *static_cast<std::string*>(cls);
  if (kept.empty()) kept = text;
  while (!kept.empty() && (kept.back() == '\n' || kept.back() == '\r')) kept.pop_back();
}

bool ParsePort(const std::string& text, uint16_t* port) {
  if (text.empty() || text.size() > 5) return false;
  unsigned value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value < 1 || value > 65535 || text[0] == '0') return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

}  // namespace

std::optional<MetricsHttpServer::Address> MetricsHttpServer::ParseAddress(const std::string& text) {
  Address address;
  std::string portText = text;
  address.host = "127.0.0.1";  // loopback unless an address is given
  if (!text.empty() && text[0] == '[') {
    const size_t close = text.find(']');
    if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':') {
      return std::nullopt;
    }
    address.host = text.substr(1, close - 1);
    portText = text.substr(close + 2);
    in6_addr v6{};
    if (inet_pton(AF_INET6, address.host.c_str(), &v6) != 1) return std::nullopt;
  } else if (const size_t colon = text.rfind(':'); colon != std::string::npos) {
    if (colon > 0) address.host = text.substr(0, colon);
    portText = text.substr(colon + 1);
    in_addr v4{};
    if (inet_pton(AF_INET, address.host.c_str(), &v4) != 1) return std::nullopt;
  }
  if (!ParsePort(portText, &address.port)) return std::nullopt;
  return address;
}

MetricsHttpServer::MetricsHttpServer(Body body, std::string contentType)
    : content_{std::move(body), std::move(contentType)} {}

MetricsHttpServer::~MetricsHttpServer() {
  Stop();
}

std::string MetricsHttpServer::Start(const Address& address) {
  if (daemon_ != nullptr) return "";
  sockaddr_in v4{};
  sockaddr_in6 v6{};
  const sockaddr* where = nullptr;
  unsigned flags = MHD_USE_AUTO_INTERNAL_THREAD | MHD_USE_ERROR_LOG;
  if (inet_pton(AF_INET, address.host.c_str(), &v4.sin_addr) == 1) {
    v4.sin_family = AF_INET;
    v4.sin_port = htons(address.port);
    where = reinterpret_cast<const sockaddr*>(&v4);
  } else if (inet_pton(AF_INET6, address.host.c_str(), &v6.sin6_addr) == 1) {
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(address.port);
    where = reinterpret_cast<const sockaddr*>(&v6);
    flags |= MHD_USE_IPv6;
  } else {
    return "\"" + address.host + "\" is no numeric address";
  }
  startError_.clear();
  daemon_ = MHD_start_daemon(
      // The logger comes first, so that it hears every message of the start.
      flags, address.port, nullptr, nullptr, &Answer, &content_, MHD_OPTION_EXTERNAL_LOGGER,
      &KeepMessage, &startError_, MHD_OPTION_SOCK_ADDR, where, MHD_OPTION_CONNECTION_LIMIT,
      kMaxConnections, MHD_OPTION_CONNECTION_TIMEOUT, kIdleSeconds, MHD_OPTION_END);
  if (daemon_ == nullptr)
    return startError_.empty() ? "the HTTP server did not start" : startError_;
  return "";
}

void MetricsHttpServer::Stop() {
  if (daemon_ == nullptr) return;
  MHD_stop_daemon(daemon_);
  daemon_ = nullptr;
}

}  // namespace cli
