#include "views/ViewSheetPage.h"

#include "platform/Prompt.h"

namespace views {

void ViewSheetPage::ShowRefusal(const std::string& text) {
  platform::CurrentPrompt().MessageBox(text, "Portolan",
                                       platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

}  // namespace views
