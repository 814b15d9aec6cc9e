#include "vport/PortStatusWindows.h"

#include "platform/Prompt.h"
#include "platform/QtFileChooser.h"
#include "vport/CVirtualPortTable.h"

namespace vport {

PortStatusWindows::PortStatusWindows(Services services)
    : services_(std::move(services)),
      poster_([this](const platform::Message&) { TakeSnapshots(); }),
      relay_(poster_, services_.next) {
  if (services_.prompt == nullptr) services_.prompt = &platform::CurrentPrompt();
  if (services_.files == nullptr) {
    ownFiles_ = std::make_unique<platform::QtFileChooser>();
    services_.files = ownFiles_.get();
  }
}

PortStatusWindows::~PortStatusWindows() {
  poster_.Close();
}

PortStatusWindow* PortStatusWindows::Window(const std::string& comName) const {
  const auto found = windows_.find(comName);
  return found == windows_.end() ? nullptr : found->second.get();
}

bool PortStatusWindows::PostToPort(const std::string& comName, std::uint32_t id,
                                   std::intptr_t wParam) {
  if (table_ == nullptr || comName.size() <= 3) return false;
  int number = 0;
  for (std::size_t i = 3; i < comName.size() && number <= CVirtualPortTable::kSlots; ++i) {
    if (comName[i] < '0' || comName[i] > '9') return false;
    number = number * 10 + (comName[i] - '0');
  }
  return table_->PostToPort(number, id, wParam);
}

void PortStatusWindows::TakeSnapshots() {
  for (const PortStatusSnapshot& snapshot : relay_.TakeAll()) {
    // A window is made when it is first asked for; until then there is nothing to follow. The
    // window of a port that went is only hidden, never deleted here (this may run inside one of
    // its own dialogs), and serves the port again if it comes back under the same name.
    if (!snapshot.show && windows_.find(snapshot.comName) == windows_.end()) continue;
    std::unique_ptr<PortStatusWindow>& window = windows_[snapshot.comName];
    if (!window) {
      const std::string comName = snapshot.comName;
      window = std::make_unique<PortStatusWindow>(
          [this, comName](std::uint32_t id, std::intptr_t wParam) {
            return PostToPort(comName, id, wParam);
          },
          *services_.prompt, *services_.files, services_.caption, services_.help);
    }
    window->Apply(snapshot);
  }
}

}  // namespace vport
