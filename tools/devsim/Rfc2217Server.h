// The device side of a Telnet connection with the Com Port Control Option (RFC 2217): splits the
// client's stream into data and commands, agrees to BINARY and COM-PORT-OPTION, refuses every
// other option, and answers each com-port command with its server reply (command + 100), keeping
// the serial settings the client set. Answers are sent only when an option's state changes, so two
// sides that both answer cannot loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace devsim {

struct SerialSettings {
  uint32_t baudRate = 9600;
  uint8_t dataSize = 8;
  uint8_t parity = 1;       // 1 none, 2 odd, 3 even, 4 mark, 5 space
  uint8_t stopSize = 1;     // 1 one, 2 two, 3 one and a half
  uint8_t flowControl = 1;  // 1 none, 2 XON/XOFF, 3 hardware
};

class Rfc2217Server {
 public:
  static constexpr size_t kMaxSubnegotiation = 64;  // longer ones are dropped whole
  static constexpr char kSignature[] = "Portolan devsim";

  // Decodes received bytes: plain data is appended to data, the answers to send to reply.
  void Feed(std::span<const uint8_t> received, std::vector<uint8_t>* data,
            std::vector<uint8_t>* reply);

  const SerialSettings& Settings() const { return settings_; }
  bool ComPortEnabled() const { return comPort_; }
  bool BinaryReceive() const { return binaryReceive_; }
  size_t CommandsAnswered() const { return answered_; }

  // Data for the client, every 255 doubled.
  static std::vector<uint8_t> Escape(std::span<const uint8_t> data);

 private:
  enum class State { kData, kIac, kVerb, kSub, kSubIac };

  void Negotiate(uint8_t verb, uint8_t option, std::vector<uint8_t>* reply);
  void Subnegotiation(std::vector<uint8_t>* reply);
  void ComPortCommand(uint8_t command, std::span<const uint8_t> value, std::vector<uint8_t>* reply);

  State state_ = State::kData;
  uint8_t verb_ = 0;
  std::vector<uint8_t> sub_;
  bool subOverflow_ = false;
  bool comPort_ = false;        // we said DO COM-PORT-OPTION
  bool binaryReceive_ = false;  // we said DO BINARY
  bool binarySend_ = false;     // we said WILL BINARY
  SerialSettings settings_;
  uint8_t lineStateMask_ = 0;
  uint8_t modemStateMask_ = 0;
  size_t answered_ = 0;
};

}  // namespace devsim
