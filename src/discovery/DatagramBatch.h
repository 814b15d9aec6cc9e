// Datagrams taken off a socket in one go, each in a slot of the reply buffer's size with its
// sender's dotted address. A broadcast exchange empties the socket into a batch before it looks
// at any reply, so that the kernel's queue has room again while the replies are handled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "discovery/DiscoveryReply.h"

namespace discovery {

class DatagramBatch {
 public:
  static constexpr size_t kSlotSize = kReplyBufferSize;
  static constexpr size_t kSenderSize = 16;

  // At most capacity datagrams; slots are allocated as they fill.
  explicit DatagramBatch(size_t capacity) : capacity_(capacity) {}

  size_t Size() const { return lengths_.size(); }
  size_t Room() const { return capacity_ - lengths_.size(); }
  void Clear() { lengths_.clear(); }

  // Makes count more slots writable after the filled ones (count <= Room()); the first of them
  // is Slot(Size()).
  void Reserve(size_t count);
  uint8_t* Slot(size_t index) { return &bytes_[index * kSlotSize]; }
  char* SenderSlot(size_t index) { return &senders_[index * kSenderSize]; }
  // Counts the next reserved slot as filled with length bytes (cut to the slot).
  void Commit(size_t length);

  const uint8_t* Data(size_t index) const { return &bytes_[index * kSlotSize]; }
  size_t Length(size_t index) const { return lengths_[index]; }
  const char* Sender(size_t index) const { return &senders_[index * kSenderSize]; }

 private:
  size_t capacity_;
  std::vector<uint8_t> bytes_;
  std::vector<char> senders_;
  std::vector<size_t> lengths_;
};

}  // namespace discovery
