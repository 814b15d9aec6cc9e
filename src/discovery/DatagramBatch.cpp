#include "discovery/DatagramBatch.h"

#include <algorithm>

namespace discovery {

void DatagramBatch::Reserve(size_t count) {
  const size_t slots = std::min(lengths_.size() + count, capacity_);
  if (bytes_.size() < slots * kSlotSize) {
    bytes_.resize(slots * kSlotSize);
    senders_.resize(slots * kSenderSize);
  }
}

void DatagramBatch::Commit(size_t length) {
  if (lengths_.size() >= capacity_ || bytes_.size() < (lengths_.size() + 1) * kSlotSize) return;
  senders_[lengths_.size() * kSenderSize + kSenderSize - 1] = '\0';
  lengths_.push_back(std::min(length, kSlotSize));
}

}  // namespace discovery
