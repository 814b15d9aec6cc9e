#include "discovery/BackgroundSearchWait.h"

namespace discovery {

BackgroundSearchWait::BackgroundSearchWait(platform::MessagePoster* mainWindow) : dialog_(true) {
  dialog_.SetMainWindow(mainWindow);
}

BackgroundSearchWait::BackgroundSearchWait(platform::MessagePoster* mainWindow,
                                           platform::Clock& clock)
    : dialog_(true, clock) {
  dialog_.SetMainWindow(mainWindow);
}

}  // namespace discovery
