#include "views/ViewSheetPage.h"

#include "app/BrandingInfo.h"
#include "platform/Prompt.h"

namespace views {

void ViewSheetPage::ShowRefusal(const std::string& text) {
  platform::CurrentPrompt().MessageBox(text, app::ProgramCaption(),
                                       platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

}  // namespace views
