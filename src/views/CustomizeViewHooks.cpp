#include "views/CustomizeViewHooks.h"

#include "views/CCustomizeViewPropSheet.h"
#include "views/CViewNode.h"
#include "views/CViewStore.h"

namespace views {

void CustomizeViewHooks::Connect(CViewStore& store, app::Settings& settings, Runner runner,
                                 platform::Prompt* prompt) {
  store.SetCustomizeSheet(
      [&store, &settings, runner, prompt](CViewNode& view, int page, CViewNode*& chosen) {
        CCustomizeViewPropSheet sheet(store, settings, page, view, prompt);
        if (!runner(sheet)) {
          sheet.Cancel();
          // Views saved on Yes to the selector's question stay saved: the store reloads them.
          return sheet.Saved() ? sheet.SaveResult() : -1;
        }
        chosen = sheet.EditedView();
        return sheet.Ok();
      });
  store.SetNewViewSheet([&store, &settings, runner, prompt](CViewNode& parent) -> CViewNode* {
    const int mode = store.CurrentNode() == nullptr ? CCustomizeViewPropSheet::kModeFirstStart
                                                    : CCustomizeViewPropSheet::kModeNewView;
    CCustomizeViewPropSheet sheet(store, settings, mode, parent, prompt);
    if (!runner(sheet) || sheet.GetNewNode() == nullptr) {
      sheet.Cancel();
      return nullptr;
    }
    return sheet.GetNewNode();
  });
}

}  // namespace views
