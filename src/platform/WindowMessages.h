// Message ids with the values that callers and logs use.
#pragma once

#include <cstdint>

namespace platform {

constexpr uint32_t WM_QUIT = 0x0012;   // ends a loop; wParam is the exit code
constexpr uint32_t WM_TIMER = 0x0113;  // wParam is the timer id
constexpr uint32_t WM_USER = 0x0400;   // first private message of a window or thread
constexpr uint32_t WM_APP = 0x8000;    // first private message of the application

}  // namespace platform
