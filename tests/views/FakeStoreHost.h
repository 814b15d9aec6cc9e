// The main window as the store's tests see it: every sent and posted message and every timer
// call, recorded.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Message.h"
#include "views/ViewStoreHost.h"

namespace views::test {

class FakeStoreHost : public ViewStoreHost {
 public:
  intptr_t SendMessage(uint32_t id, intptr_t wParam, intptr_t lParam) override {
    sent.push_back({id, wParam, lParam});
    return 1;
  }
  bool PostMessage(uint32_t id, intptr_t wParam, intptr_t lParam) override {
    posted.push_back({id, wParam, lParam});
    return true;
  }
  bool SetTimer(uint32_t id, uint32_t ms) override {
    ++timerStarts;
    timerId = id;
    timerMs = ms;
    timerRunning = timerWorks;
    return timerWorks;
  }
  void KillTimer(uint32_t id) override {
    (void)id;
    timerRunning = false;
  }

  int Count(uint32_t id) const {
    int n = 0;
    for (const auto& message : sent) n += message.id == id ? 1 : 0;
    return n;
  }
  intptr_t LastSent(uint32_t id) const {
    for (auto it = sent.rbegin(); it != sent.rend(); ++it) {
      if (it->id == id) return it->wParam;
    }
    return -1;
  }

  std::vector<platform::Message> sent;
  std::vector<platform::Message> posted;
  bool timerWorks = true;
  bool timerRunning = false;
  int timerStarts = 0;
  uint32_t timerId = 0;
  uint32_t timerMs = 0;
};

}  // namespace views::test
