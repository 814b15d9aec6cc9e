// One posted message: an id and two word-sized parameters, as window and thread messages carry.
#pragma once

#include <cstdint>

namespace platform {

struct Message {
  uint32_t id = 0;
  intptr_t wParam = 0;
  intptr_t lParam = 0;
};

}  // namespace platform
