// The delete-by-number dialog (112) without widgets: a list of the defined ports.
#pragma once

#include <vector>

#include "vport/ComNumberSet.h"

namespace vport {

class DeleteVirtualPortForm {
 public:
  static constexpr unsigned kHelpTopic = 95;

  ComNumberSet available;  // the defined ports
  int maxNumber = ComNumberSet::kMaxNumber;
  int comNumber = -1;  // out: the chosen port

  std::vector<int> ListNumbers() const { return available.Numbers(maxNumber); }
  int InitialSelection() const { return ListNumbers().empty() ? -1 : 0; }
  // Delete (OK): the number of the selected entry, -1 when none is.
  void Accept(int selectedIndex);
};

}  // namespace vport
