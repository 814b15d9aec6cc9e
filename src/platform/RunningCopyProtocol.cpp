#include "platform/RunningCopyProtocol.h"

#include <cstring>

#include "platform/RuntimeDir.h"

namespace platform {

namespace {

constexpr char kRequestMagic[4] = {'P', 'L', 'R', 'Q'};
constexpr char kReplyMagic[4] = {'P', 'L', 'R', 'A'};

// Little-endian writer into a fixed array; the sizes are fixed at compile time by the callers.
class Writer {
 public:
  explicit Writer(uint8_t* out) : out_(out) {}
  void Bytes(const char* bytes, size_t n) {
    std::memcpy(out_ + pos_, bytes, n);
    pos_ += n;
  }
  void Unsigned(uint64_t value, size_t n) {
    for (size_t i = 0; i < n; ++i) out_[pos_++] = static_cast<uint8_t>(value >> (8 * i));
  }

 private:
  uint8_t* out_;
  size_t pos_ = 0;
};

// Bounded little-endian reader: every step checks what is left.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t Position() const { return pos_; }
  bool Magic(const char* magic) {
    if (size_ - pos_ < 4) return false;
    const bool same = std::memcmp(data_ + pos_, magic, 4) == 0;
    if (same) pos_ += 4;
    return same;
  }
  bool Unsigned(size_t n, uint64_t* value) {
    if (size_ - pos_ < n) return false;
    *value = 0;
    for (size_t i = 0; i < n; ++i) *value |= uint64_t{data_[pos_ + i]} << (8 * i);
    pos_ += n;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

RunningCopyProtocol::DecodeError Fail(RunningCopyProtocol::DecodeError error, size_t at,
                                      size_t* failedAt) {
  if (failedAt != nullptr) *failedAt = at;
  return error;
}

}  // namespace

std::string RunningCopyProtocol::DefaultSocketPath() {
  const std::string dir = RuntimeDir();
  return dir.empty() ? std::string() : dir + "/" + kSocketName;
}

std::array<uint8_t, RunningCopyProtocol::kRequestSize> RunningCopyProtocol::EncodeRequest(
    const Request& request) {
  std::array<uint8_t, kRequestSize> out{};
  Writer w(out.data());
  w.Bytes(kRequestMagic, 4);
  w.Unsigned(kVersion, 2);
  w.Unsigned(request.op, 2);
  w.Unsigned(request.id, 4);
  w.Unsigned(static_cast<uint64_t>(request.wParam), 8);
  w.Unsigned(static_cast<uint64_t>(request.lParam), 8);
  return out;
}

std::array<uint8_t, RunningCopyProtocol::kReplySize> RunningCopyProtocol::EncodeReply(
    const Reply& reply) {
  std::array<uint8_t, kReplySize> out{};
  Writer w(out.data());
  w.Bytes(kReplyMagic, 4);
  w.Unsigned(kVersion, 2);
  w.Unsigned(reply.status, 2);
  w.Unsigned(static_cast<uint64_t>(reply.result), 8);
  return out;
}

RunningCopyProtocol::DecodeError RunningCopyProtocol::DecodeRequest(const uint8_t* data,
                                                                    size_t size, Request* out,
                                                                    size_t* failedAt) {
  if (size < kRequestSize) return Fail(DecodeError::Short, size, failedAt);
  Reader r(data, size);
  if (!r.Magic(kRequestMagic)) return Fail(DecodeError::BadMagic, 0, failedAt);
  uint64_t version = 0, op = 0, id = 0, wParam = 0, lParam = 0;
  r.Unsigned(2, &version);
  if (version != kVersion) return Fail(DecodeError::BadVersion, 4, failedAt);
  r.Unsigned(2, &op);
  if (op != kSendMessage && op != kRestoreAndRaise && op != kOpenView && op != kPortStatus) {
    return Fail(DecodeError::BadOp, 6, failedAt);
  }
  r.Unsigned(4, &id);
  r.Unsigned(8, &wParam);
  r.Unsigned(8, &lParam);
  out->op = static_cast<uint16_t>(op);
  out->id = static_cast<uint32_t>(id);
  out->wParam = static_cast<int64_t>(wParam);
  out->lParam = static_cast<int64_t>(lParam);
  return DecodeError::None;
}

RunningCopyProtocol::DecodeError RunningCopyProtocol::DecodeReply(const uint8_t* data, size_t size,
                                                                  Reply* out, size_t* failedAt) {
  if (size < kReplySize) return Fail(DecodeError::Short, size, failedAt);
  Reader r(data, size);
  if (!r.Magic(kReplyMagic)) return Fail(DecodeError::BadMagic, 0, failedAt);
  uint64_t version = 0, status = 0, result = 0;
  r.Unsigned(2, &version);
  if (version != kVersion) return Fail(DecodeError::BadVersion, 4, failedAt);
  r.Unsigned(2, &status);
  if (status != kOk && status != kBadRequest) return Fail(DecodeError::BadStatus, 6, failedAt);
  r.Unsigned(8, &result);
  out->status = static_cast<uint16_t>(status);
  out->result = static_cast<int64_t>(result);
  return DecodeError::None;
}

}  // namespace platform
