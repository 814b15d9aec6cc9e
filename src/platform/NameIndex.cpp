#include "platform/NameIndex.h"

namespace platform {

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::uint32_t NameIndex::Hash(std::string_view name) {
  std::uint32_t hash = 2166136261u;  // FNV-1a over the lower-case bytes
  for (const char c : name) {
    hash ^= static_cast<unsigned char>(Lower(c));
    hash *= 16777619u;
  }
  return hash;
}

bool NameIndex::EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

void NameIndex::Add(std::string_view name, std::size_t place) {
  if ((count_ + 1) * 2 > slots_.size()) Grow(slots_.empty() ? 16 : slots_.size() * 2);
  Put(Hash(name), static_cast<std::uint32_t>(place + 1));
  ++count_;
}

void NameIndex::Clear() {
  slots_.clear();
  count_ = 0;
}

void NameIndex::Reserve(std::size_t names) {
  std::size_t slots = slots_.empty() ? 16 : slots_.size();
  while (names * 2 > slots) slots *= 2;
  if (slots > slots_.size()) Grow(slots);
}

void NameIndex::Grow(std::size_t slots) {
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(slots, Slot{});
  for (const Slot& slot : old) {
    if (slot.place != 0) Put(slot.hash, slot.place);
  }
}

void NameIndex::Put(std::uint32_t hash, std::uint32_t place) {
  std::size_t i = hash & Mask();
  while (slots_[i].place != 0) i = (i + 1) & Mask();
  slots_[i] = Slot{hash, place};
}

}  // namespace platform
