#include "vport/DeleteVirtualPortForm.h"

namespace vport {

void DeleteVirtualPortForm::Accept(int selectedIndex) {
  comNumber = available.NumberAt(selectedIndex, maxNumber);
}

}  // namespace vport
