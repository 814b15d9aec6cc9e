#include "platform/GuiWaitPump.h"

#include <memory>
#include <mutex>

namespace platform {

namespace {

std::mutex g_mutex;
std::shared_ptr<std::function<bool()>> g_pump;

}  // namespace

void InstallGuiWaitPump(std::function<bool()> pump) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_pump = pump ? std::make_shared<std::function<bool()>>(std::move(pump)) : nullptr;
}

bool RunGuiWaitPump() {
  std::shared_ptr<std::function<bool()>> pump;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    pump = g_pump;
  }
  return pump && (*pump)();
}

}  // namespace platform
