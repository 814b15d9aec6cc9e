#include "platform/Prompt.h"

#include <atomic>

#include "platform/ConsolePrompt.h"

namespace platform {

namespace {

constexpr unsigned kDefButtonMask = 0xF00;

std::atomic<Prompt*> installed{nullptr};

}  // namespace

int DefaultAnswer(unsigned type) {
  static constexpr int kButtons[][3] = {
      {IDOK, 0, 0},                  // MB_OK
      {IDOK, IDCANCEL, 0},           // MB_OKCANCEL
      {IDABORT, IDRETRY, IDIGNORE},  // MB_ABORTRETRYIGNORE
      {IDYES, IDNO, IDCANCEL},       // MB_YESNOCANCEL
      {IDYES, IDNO, 0},              // MB_YESNO
      {IDRETRY, IDCANCEL, 0},        // MB_RETRYCANCEL
  };
  const unsigned set = type & MB_TYPEMASK;
  if (set >= sizeof kButtons / sizeof kButtons[0]) return IDOK;
  const unsigned index = (type & kDefButtonMask) >> 8;
  // A default button beyond the set falls back to the first one, as the system does.
  if (index >= 3 || kButtons[set][index] == 0) return kButtons[set][0];
  return kButtons[set][index];
}

Prompt& CurrentPrompt() {
  static ConsolePrompt console;
  Prompt* prompt = installed.load(std::memory_order_acquire);
  return prompt ? *prompt : console;
}

void InstallPrompt(Prompt* prompt) {
  installed.store(prompt, std::memory_order_release);
}

}  // namespace platform
