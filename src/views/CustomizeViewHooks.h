// Connects the view store's customize and new-view hooks to the customize sheet. The face that
// shows the sheet's pages is given as a runner, so the desktop program passes its Qt sheet and the
// tests a scripted one.
#pragma once

#include <functional>

namespace app {
class Settings;
}
namespace platform {
class Prompt;
}

namespace views {

class CCustomizeViewPropSheet;
class CViewStore;

class CustomizeViewHooks {
 public:
  // Shows the sheet modally. The pages apply their controls into sheet.Copy() (and the
  // placement); in the wizard the face calls NewViewNext on Next and Finish on Finish, staying
  // open while they refuse. True for OK, or for a Finish the sheet accepted; false for Cancel.
  using Runner = std::function<bool(CCustomizeViewPropSheet& sheet)>;

  // store.CustomizeView(page) runs the sheet in mode page on the current view and saves on OK
  // (after Cancel the store still hears of views saved on Yes to the selector's question);
  // store.NewView(parent) and the first-start loop of store.Open run the wizard (mode 0 while
  // the store has no view yet, else 1). Cancel deletes the wizard's partly made view.
  static void Connect(CViewStore& store, app::Settings& settings, Runner runner,
                      platform::Prompt* prompt = nullptr);
};

}  // namespace views
