#include "vport/DeleteVirtualPortForm.h"

namespace vport {

void DeleteVirtualPortForm::Accept(int selectedIndex) {
  const std::vector<int> numbers = ListNumbers();
  comNumber = selectedIndex >= 0 && static_cast<std::size_t>(selectedIndex) < numbers.size()
                  ? numbers[static_cast<std::size_t>(selectedIndex)]
                  : -1;
}

}  // namespace vport
