// The engines the desktop program's views search with: UDP discovery engines that post to the
// main window, with the timeouts, status masks and brand tags of the settings in memory.
#pragma once

#include "views/CViewStore.h"

namespace discovery {
class CDiscoveryEngine;
}
namespace platform {
class MessagePoster;
}

namespace views {

// mainWindow receives what the engines post (not owned; it must outlive the store).
CViewStore::EngineFactory IpEngineFactory(platform::MessagePoster* mainWindow);

// An engine made earlier takes the settings again (time-outs, retries, status masks), after the
// options changed them. Only while it does not search; engines of other kinds are left alone.
void RefitIpEngine(discovery::CDiscoveryEngine* engine);

}  // namespace views
