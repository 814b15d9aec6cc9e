// The engines the desktop program's views search with: UDP discovery engines that post to the
// main window, with the timeouts, status masks and brand tags of the settings loaded at start.
#pragma once

#include "views/CViewStore.h"

namespace platform {
class MessagePoster;
}

namespace views {

// mainWindow receives what the engines post (not owned; it must outlive the store).
CViewStore::EngineFactory IpEngineFactory(platform::MessagePoster* mainWindow);

}  // namespace views
