// Feeds arbitrary server bytes to the Telnet decoder, whole and split in two, and checks that the
// two give the same output, that no command outgrows the buffer, and that escaped data survives the
// round trip through the encoder and the decoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "vport/Rfc2217Frames.h"
#include "vport/TelnetDecoder.h"

namespace {

struct Output {
  std::vector<std::uint8_t> data;
  std::vector<std::vector<std::uint8_t>> commands;
  std::vector<std::size_t> dataBeforeCommand;  // data length when each command came
  bool operator==(const Output&) const = default;
};

void Feed(vport::TelnetDecoder& decoder, std::span<const std::uint8_t> bytes, Output& out) {
  decoder.Decode(
      bytes,
      [&out](std::span<const std::uint8_t> data) {
        out.data.insert(out.data.end(), data.begin(), data.end());
      },
      [&out](std::span<const std::uint8_t> command, const std::string&) {
        if (command.size() > vport::TelnetDecoder::kCommandCapacity) std::abort();
        out.commands.emplace_back(command.begin(), command.end());
        out.dataBeforeCommand.push_back(out.data.size());
      });
  if (decoder.commandLength() > vport::TelnetDecoder::kCommandCapacity) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::span<const std::uint8_t> input(bytes, size);

  vport::TelnetDecoder whole;
  Output wholeOut;
  Feed(whole, input, wholeOut);

  const std::size_t split = size == 0 ? 0 : bytes[0] % size;
  vport::TelnetDecoder parts;
  Output partsOut;
  Feed(parts, input.first(split), partsOut);
  Feed(parts, input.subspan(split), partsOut);
  if (!(wholeOut == partsOut) || whole.state() != parts.state()) std::abort();

  const vport::EscapedChunk escaped = vport::EscapeData(input);
  vport::TelnetDecoder roundTrip;
  Output roundTripOut;
  Feed(roundTrip, escaped.bytes, roundTripOut);
  if (!roundTripOut.commands.empty() || roundTripOut.data.size() != size) std::abort();
  for (std::size_t i = 0; i < size; ++i) {
    if (roundTripOut.data[i] != bytes[i]) std::abort();
  }
  return 0;
}
