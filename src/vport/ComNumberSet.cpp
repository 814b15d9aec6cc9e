#include "vport/ComNumberSet.h"

namespace vport {

void ComNumberSet::Set(int number, bool in) {
  if (number >= 1 && number <= kMaxNumber) in_[static_cast<std::size_t>(number)] = in;
}

bool ComNumberSet::Has(int number) const {
  return number >= 1 && number <= kMaxNumber && in_[static_cast<std::size_t>(number)];
}

bool ComNumberSet::Empty() const {
  return Numbers().empty();
}

std::vector<int> ComNumberSet::Numbers(int maxNumber) const {
  std::vector<int> numbers;
  for (int n = 1; n <= maxNumber && n <= kMaxNumber; ++n) {
    if (in_[static_cast<std::size_t>(n)]) numbers.push_back(n);
  }
  return numbers;
}

int ComNumberSet::NumberAt(int index, int maxNumber) const {
  const std::vector<int> numbers = Numbers(maxNumber);
  if (index < 0 || static_cast<std::size_t>(index) >= numbers.size()) return -1;
  return numbers[static_cast<std::size_t>(index)];
}

}  // namespace vport
