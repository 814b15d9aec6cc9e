// Makes the wizard's new view: its node (once, however often the user goes Next and Back), the
// working copy of its definition, and the default Finish that files it in its protocol's group.
// The New View page and portolanctl views new both go through it.
#pragma once

#include <string>

namespace views {

class CViewDefinition;
class CViewNode;
class CViewStore;

class NewViewBuilder {
 public:
  // copy: the definition the wizard's pages edit; it is loaded with the new view.
  NewViewBuilder(CViewStore& store, CViewDefinition& copy);

  // Next on the New View page: makes the view under parent with the wizard's starting layout, or,
  // when it was made before, gives it the new name and keeps what the pages set. ViewRules::kOk
  // or the message id of the refusal (nothing made then).
  unsigned MakeView(CViewNode* parent, const std::string& name, int type);
  // Finish with default settings: the view goes into its protocol's group (made under
  // chosenParent when there is none) with the protocol's default layout, and is saved.
  unsigned FinishDefault(CViewNode* chosenParent, const std::string& name, int type);
  // The view made so far, or nullptr.
  CViewNode* Node() const { return node_; }
  // Deletes the view made so far (the wizard was cancelled).
  void Discard();

  // The group a default view of this type goes into: the group named after the protocol, or
  // chosenParent when a view has that name; made under chosenParent when nothing has it.
  CViewNode* ProtocolGroup(CViewNode* chosenParent, int type);

 private:
  unsigned Check(const std::string& name, int type) const;
  unsigned Create(CViewNode* parent, const std::string& name, int type, int icons);
  unsigned Rename(const std::string& name);

  CViewStore& store_;
  CViewDefinition& copy_;
  CViewNode* node_ = nullptr;
};

}  // namespace views
