// Places of names in a vector, found without regard to ASCII case: an open-addressing table of
// (hash of the lower-case name, place) pairs. The names stay in the caller's vector; the table
// only points into it, so that a key of a million values costs eight bytes per value and one
// memory access per look-up, not a node and a string copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

class NameIndex {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // The place of name, or kNone. nameAt(place) gives the name stored at a place.
  template <typename NameAt>
  std::size_t Find(std::string_view name, NameAt nameAt) const {
    if (slots_.empty()) return kNone;
    const std::uint32_t hash = Hash(name);
    for (std::size_t i = hash & Mask();; i = (i + 1) & Mask()) {
      const Slot& slot = slots_[i];
      if (slot.place == 0) return kNone;
      if (slot.hash == hash && EqualNoCase(nameAt(slot.place - 1), name)) return slot.place - 1;
    }
  }
  // Records that name is at place (a name not in the index yet).
  void Add(std::string_view name, std::size_t place);
  // Forgets everything (before the places are given anew).
  void Clear();
  void Reserve(std::size_t names);

 private:
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t place = 0;  // place + 1; 0 marks an empty slot
  };
  static std::uint32_t Hash(std::string_view name);
  static bool EqualNoCase(std::string_view a, std::string_view b);
  std::size_t Mask() const { return slots_.size() - 1; }
  void Grow(std::size_t slots);
  void Put(std::uint32_t hash, std::uint32_t place);

  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

}  // namespace platform
