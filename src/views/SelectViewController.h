// The "Select a View" dialog (3707) without its widgets: the selected node, whether Delete is
// offered and the text that says why not, and the deletion with its question.
#pragma once

#include <string>

namespace platform {
class Prompt;
}

namespace views {

class CViewNode;
class CViewStore;
class ViewStoreHost;

class SelectViewController {
 public:
  // host gets 0x800D after a deletion (the main window rebuilds its view indicators and tree).
  SelectViewController(CViewStore& store, ViewStoreHost* host, platform::Prompt* prompt = nullptr);

  CViewNode* Selected() const { return selected_; }
  void Select(CViewNode* node) { selected_ = node; }
  // Delete is enabled exactly when Reason() is empty.
  bool CanDelete() const;
  // The text beside Delete (control 3804): why it is unavailable, or "" when it is available.
  std::string Reason() const;
  // Asks "Delete the view "Lab"?"; Yes deletes the node with its key, tells the main window and
  // selects the parent. True when the node was deleted.
  bool Delete();
  // The group a new view made from the dialog goes into: the selected group, the selected view's
  // group, or the root.
  CViewNode* NewViewParent() const;

 private:
  CViewStore& store_;
  ViewStoreHost* host_;
  platform::Prompt* prompt_;
  CViewNode* selected_ = nullptr;
};

}  // namespace views
