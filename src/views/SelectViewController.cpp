#include "views/SelectViewController.h"

#include <cstdint>

#include "app/BrandingInfo.h"
#include "platform/Prompt.h"
#include "res/StringTable.h"
#include "views/CViewNode.h"
#include "views/CViewStore.h"
#include "views/ViewRules.h"
#include "views/ViewStoreHost.h"

namespace views {

SelectViewController::SelectViewController(CViewStore& store, ViewStoreHost* host,
                                           platform::Prompt* prompt)
    : store_(store), host_(host), prompt_(prompt) {}

bool SelectViewController::CanDelete() const {
  return ViewRules::DeleteRefusal(store_, selected_) == ViewRules::kOk;
}

std::string SelectViewController::Reason() const {
  const unsigned refusal = ViewRules::DeleteRefusal(store_, selected_);
  return refusal == ViewRules::kOk ? "" : res::LoadString(refusal);
}

bool SelectViewController::Delete() {
  if (!CanDelete()) return false;
  platform::Prompt& prompt = prompt_ != nullptr ? *prompt_ : platform::CurrentPrompt();
  if (prompt.MessageBox(ViewRules::DeleteQuestion(*selected_), app::ProgramCaption(),
                        platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES) {
    return false;
  }
  CViewNode* parent = selected_->Parent();
  if (!store_.DeleteNode(selected_)) return false;
  selected_ = parent;
  if (host_ != nullptr) {
    host_->PostMessage(CViewStore::kMsgViewsChanged,
                       reinterpret_cast<intptr_t>(store_.CurrentNode()), 0);
  }
  return true;
}

CViewNode* SelectViewController::NewViewParent() const {
  if (selected_ == nullptr) return store_.Root();
  if (selected_->IsView()) return selected_->Parent();
  return selected_;
}

}  // namespace views
