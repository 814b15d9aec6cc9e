// A set of COM numbers 1 to 255, as the port dialogs offer them. Kept by number in 256 places, so
// that every number of the range has its own (0 is never in the set).
#pragma once

#include <array>
#include <string>
#include <vector>

namespace vport {

class ComNumberSet {
 public:
  static constexpr int kMaxNumber = 255;

  // Numbers outside 1..255 are ignored.
  void Set(int number, bool in = true);
  bool Has(int number) const;
  bool Empty() const;
  // The numbers in the set from 1 to maxNumber, ascending.
  std::vector<int> Numbers(int maxNumber = kMaxNumber) const;
  // The number at index of Numbers(maxNumber) (a list entry), -1 when there is none.
  int NumberAt(int index, int maxNumber = kMaxNumber) const;
  // "COM5" for 5.
  static std::string Text(int number) { return "COM" + std::to_string(number); }

 private:
  std::array<bool, kMaxNumber + 1> in_{};
};

}  // namespace vport
