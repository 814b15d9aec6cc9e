#include "views/NewViewBuilder.h"

#include "app/Settings.h"
#include "views/CViewDefinition.h"
#include "views/CViewNode.h"
#include "views/CViewStore.h"
#include "views/ViewLayout.h"
#include "views/ViewRules.h"

namespace views {

NewViewBuilder::NewViewBuilder(CViewStore& store, CViewDefinition& copy)
    : store_(store), copy_(copy) {}

unsigned NewViewBuilder::Check(const std::string& name, int type) const {
  if (node_ != nullptr && store_.FindNode(name) == node_ && name.find('\\') == std::string::npos) {
    // The view made before, under a name that differs at most in case.
  } else if (const unsigned refusal = ViewRules::CheckNewName(store_, name)) {
    return refusal;
  }
  return ViewRules::IsOfferedProtocol(type, store_.UdpAvailable()) ? ViewRules::kOk
                                                                   : ViewRules::kMsgNoProtocol;
}

unsigned NewViewBuilder::Create(CViewNode* parent, const std::string& name, int type, int icons) {
  node_ = store_.AddNode(parent, name, type, icons);
  if (node_ == nullptr) return ViewRules::kMsgNoName;
  copy_.Load(node_->Path(), type);
  return ViewRules::kOk;
}

unsigned NewViewBuilder::Rename(const std::string& name) {
  // Keys are named without regard to case: a name that differs only in case is the same key.
  if (store_.FindNode(name) == node_) return ViewRules::kOk;
  // What the pages set so far moves with the key.
  copy_.Save();
  if (store_.RenameNode(node_, name) != app::MOVEKEY_OK) return ViewRules::kMsgNameExists;
  copy_.Load(node_->Path(), node_->Type());
  return ViewRules::kOk;
}

unsigned NewViewBuilder::MakeView(CViewNode* parent, const std::string& name, int type) {
  if (const unsigned refusal = Check(name, type)) return refusal;
  if (node_ != nullptr && node_->Type() != type) Discard();
  if (node_ != nullptr) return Rename(name);
  const ViewLayout layout = ViewLayout::WizardStart();
  if (const unsigned refusal = Create(parent, name, type, layout.icons)) return refusal;
  layout.ApplyTo(copy_);
  return ViewRules::kOk;
}

unsigned NewViewBuilder::FinishDefault(CViewNode* chosenParent, const std::string& name, int type) {
  if (const unsigned refusal = Check(name, type)) return refusal;
  if (node_ != nullptr && node_->Type() != type) Discard();
  CViewNode* group = ProtocolGroup(chosenParent, type);
  const ViewLayout layout = ViewLayout::DefaultFor(type);
  if (node_ == nullptr) {
    if (const unsigned refusal = Create(group, name, type, layout.icons)) return refusal;
  } else {
    if (const unsigned refusal = Rename(name)) return refusal;
    if (node_->Parent() != group && store_.MoveNode(node_, group) != app::MOVEKEY_OK) {
      return ViewRules::kMsgNameExists;
    }
    store_.SetNodeIcons(node_, layout.icons);
    copy_.Load(node_->Path(), type);
  }
  layout.ApplyTo(copy_);
  copy_.Save();
  return ViewRules::kOk;
}

CViewNode* NewViewBuilder::ProtocolGroup(CViewNode* chosenParent, int type) {
  const std::string name = ViewRules::ProtocolGroupName(type);
  CViewNode* found = store_.FindNode(name);
  if (found != nullptr) return found->IsGroup() ? found : chosenParent;
  CViewNode* made =
      store_.AddNode(chosenParent, name, CViewNode::kGroup, ViewRules::ProtocolGroupIcons(type));
  return made != nullptr ? made : chosenParent;
}

void NewViewBuilder::Discard() {
  if (node_ != nullptr) store_.DeleteNode(node_);
  node_ = nullptr;
}

}  // namespace views
