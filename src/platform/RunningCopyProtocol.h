// The running copy's local socket: a fixed-size binary request and reply, little-endian.
//
//   request (28 bytes): "PLRQ", u16 version 1, u16 op, u32 message id, i64 wParam, i64 lParam
//   reply   (16 bytes): "PLRA", u16 version 1, u16 status, i64 result
//
// op 1 sends a message (the running copy answers 0x8013 with 123456789, anything else with 0);
// op 2 asks it to restore and raise its main window (result 1).
// op 3 asks it to open a view in its window: wParam bytes of the view's name (1 to 1024, no NUL)
// follow the request; result 1 when it took the request, status 1 for a name out of bounds.
// op 4 asks for the figures of its ports: wParam is the newest version of the port report the
// client reads (1 or more); the reply's result is the length of the report (0 to
// kMaxStatusPayload bytes), which follows the reply. A program that runs no ports, or does not
// know the op, answers status 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class RunningCopyProtocol {
 public:
  static constexpr uint32_t kQueryMessage = 0x8013;
  static constexpr int64_t kRunningAnswer = 123456789;
  static constexpr const char* kSocketName = "portolan.sock";
  static constexpr size_t kRequestSize = 28;
  static constexpr size_t kReplySize = 16;
  static constexpr uint16_t kVersion = 1;

  enum Op : uint16_t { kSendMessage = 1, kRestoreAndRaise = 2, kOpenView = 3, kPortStatus = 4 };
  static constexpr size_t kMaxViewName = 1024;
  static constexpr size_t kMaxStatusPayload = 256 * 1024;
  enum Status : uint16_t { kOk = 0, kBadRequest = 1 };

  enum class DecodeError { None, Short, BadMagic, BadVersion, BadOp, BadStatus };

  struct Request {
    uint16_t op = kSendMessage;
    uint32_t id = 0;
    int64_t wParam = 0;
    int64_t lParam = 0;
  };
  struct Reply {
    uint16_t status = kOk;
    int64_t result = 0;
  };

  // The socket beside the lock file: <runtime folder>/portolan.sock (empty without a folder).
  static std::string DefaultSocketPath();

  static std::array<uint8_t, kRequestSize> EncodeRequest(const Request& request);
  static std::array<uint8_t, kReplySize> EncodeReply(const Reply& reply);
  // failedAt (optional) receives the offset of the field that failed.
  static DecodeError DecodeRequest(const uint8_t* data, size_t size, Request* out,
                                   size_t* failedAt = nullptr);
  static DecodeError DecodeReply(const uint8_t* data, size_t size, Reply* out,
                                 size_t* failedAt = nullptr);
};

}  // namespace platform
