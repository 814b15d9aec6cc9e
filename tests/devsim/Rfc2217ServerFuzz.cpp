// Any client stream, fed whole or split at any point: the same data and the same answers.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "Rfc2217Server.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t cut = data[0] % size;
  const std::span<const uint8_t> stream(data + 1, size - 1);
  devsim::Rfc2217Server whole;
  std::vector<uint8_t> wholeData, wholeReply;
  whole.Feed(stream, &wholeData, &wholeReply);
  devsim::Rfc2217Server split;
  std::vector<uint8_t> splitData, splitReply;
  const size_t at = cut < stream.size() ? cut : stream.size();
  split.Feed(stream.first(at), &splitData, &splitReply);
  split.Feed(stream.subspan(at), &splitData, &splitReply);
  if (wholeData != splitData || wholeReply != splitReply) std::abort();
  if (wholeData.size() > stream.size()) std::abort();
  return 0;
}
