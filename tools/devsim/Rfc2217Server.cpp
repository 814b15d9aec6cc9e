#include "Rfc2217Server.h"

#include <cstring>

#include "vport/TelnetCodes.h"

namespace devsim {
namespace {

namespace t = vport::telnet;

// Com-port commands this side answers (RFC 2217 numbering).
constexpr uint8_t kSignatureCmd = 0;
constexpr uint8_t kFlowSuspend = 8;
constexpr uint8_t kFlowResume = 9;
constexpr uint8_t kLineStateMask = 10;
constexpr uint8_t kModemStateMask = 11;
constexpr uint8_t kPurgeData = 12;
constexpr uint8_t kServerOffset = 100;

void PutEscaped(std::vector<uint8_t>* out, uint8_t byte) {
  out->push_back(byte);
  if (byte == t::kIac) out->push_back(byte);
}

}  // namespace

std::vector<uint8_t> Rfc2217Server::Escape(std::span<const uint8_t> data) {
  std::vector<uint8_t> out;
  out.reserve(data.size());
  for (uint8_t b : data) PutEscaped(&out, b);
  return out;
}

void Rfc2217Server::Feed(std::span<const uint8_t> received, std::vector<uint8_t>* data,
                         std::vector<uint8_t>* reply) {
  for (uint8_t b : received) {
    switch (state_) {
      case State::kData:
        if (b == t::kIac) {
          state_ = State::kIac;
        } else {
          data->push_back(b);
        }
        break;
      case State::kIac:
        if (b == t::kIac) {
          data->push_back(b);
          state_ = State::kData;
        } else if (b == t::kSb) {
          sub_.clear();
          subOverflow_ = false;
          state_ = State::kSub;
        } else if (b >= t::kWill && b <= t::kDont) {
          verb_ = b;
          state_ = State::kVerb;
        } else {
          state_ = State::kData;  // NOP, GA and the like carry nothing for a serial line
        }
        break;
      case State::kVerb:
        Negotiate(verb_, b, reply);
        state_ = State::kData;
        break;
      case State::kSub:
        if (b == t::kIac) {
          state_ = State::kSubIac;
        } else if (sub_.size() < kMaxSubnegotiation) {
          sub_.push_back(b);
        } else {
          subOverflow_ = true;
        }
        break;
      case State::kSubIac:
        if (b == t::kSe) {
          if (!subOverflow_) Subnegotiation(reply);
          state_ = State::kData;
        } else if (b == t::kIac) {
          if (sub_.size() < kMaxSubnegotiation) {
            sub_.push_back(b);
          } else {
            subOverflow_ = true;
          }
          state_ = State::kSub;
        } else {
          // A protocol error: end the subnegotiation without acting on it.
          state_ = State::kData;
        }
        break;
    }
  }
}

void Rfc2217Server::Negotiate(uint8_t verb, uint8_t option, std::vector<uint8_t>* reply) {
  auto answer = [reply](uint8_t v, uint8_t o) { reply->insert(reply->end(), {t::kIac, v, o}); };
  if (verb == t::kWill) {
    bool* state = option == t::kOptionComPort  ? &comPort_
                  : option == t::kOptionBinary ? &binaryReceive_
                                               : nullptr;
    if (!state) {
      answer(t::kDont, option);
    } else if (!*state) {
      *state = true;
      answer(t::kDo, option);
    }
  } else if (verb == t::kWont) {
    if (option == t::kOptionComPort && comPort_) {
      comPort_ = false;
      answer(t::kDont, option);
    } else if (option == t::kOptionBinary && binaryReceive_) {
      binaryReceive_ = false;
      answer(t::kDont, option);
    }
  } else if (verb == t::kDo) {
    if (option != t::kOptionBinary) {
      answer(t::kWont, option);
    } else if (!binarySend_) {
      binarySend_ = true;
      answer(t::kWill, option);
    }
  } else if (verb == t::kDont && option == t::kOptionBinary && binarySend_) {
    binarySend_ = false;
    answer(t::kWont, option);
  }
}

void Rfc2217Server::Subnegotiation(std::vector<uint8_t>* reply) {
  if (sub_.size() < 2 || sub_[0] != t::kOptionComPort) return;
  ComPortCommand(sub_[1], std::span<const uint8_t>(sub_).subspan(2), reply);
}

void Rfc2217Server::ComPortCommand(uint8_t command, std::span<const uint8_t> value,
                                   std::vector<uint8_t>* reply) {
  std::vector<uint8_t> answer;
  auto one = [&value](uint8_t* setting) {
    if (value.size() == 1 && value[0] != 0) *setting = value[0];  // 0 asks for the current value
    return std::vector<uint8_t>{*setting};
  };
  switch (command) {
    case kSignatureCmd:
      if (!value.empty()) return;  // the client's own signature: nothing to answer
      answer.assign(kSignature, kSignature + std::strlen(kSignature));
      break;
    case t::kSetBaudRate:
      if (value.size() != 4) return;
      if (const uint32_t rate = (uint32_t{value[0]} << 24) | (uint32_t{value[1]} << 16) |
                                (uint32_t{value[2]} << 8) | value[3];
          rate != 0) {
        settings_.baudRate = rate;
      }
      for (int shift = 24; shift >= 0; shift -= 8) {
        answer.push_back(static_cast<uint8_t>(settings_.baudRate >> shift));
      }
      break;
    case t::kSetDataSize:
      answer = one(&settings_.dataSize);
      break;
    case t::kSetParity:
      answer = one(&settings_.parity);
      break;
    case t::kSetStopSize:
      answer = one(&settings_.stopSize);
      break;
    case t::kSetControl:
      if (value.size() != 1) return;
      if (value[0] >= 1 && value[0] <= 3) settings_.flowControl = value[0];
      answer.push_back(value[0] == 0 ? settings_.flowControl : value[0]);
      break;
    case kLineStateMask:
      answer = one(&lineStateMask_);
      break;
    case kModemStateMask:
      answer = one(&modemStateMask_);
      break;
    case kPurgeData:
      if (value.size() != 1) return;
      answer.push_back(value[0]);
      break;
    case kFlowSuspend:
    case kFlowResume:
    default:
      return;
  }
  reply->insert(reply->end(), {t::kIac, t::kSb, t::kOptionComPort,
                               static_cast<uint8_t>(command + kServerOffset)});
  for (uint8_t b : answer) PutEscaped(reply, b);
  reply->insert(reply->end(), {t::kIac, t::kSe});
  ++answered_;
}

}  // namespace devsim
