// The "Modify View" sheet without its windows: which pages a mode shows, the working copy of the
// view definition that every page edits, the view selector and its save question, the wizard that
// makes a new view (its node made once), and the saves on OK, Finish or Yes.
//
// Nothing reaches the settings until OK, Finish or Yes to the selector's question; the result
// given to the caller is the strongest of the sheet's saves, so a save that needs a search is
// never hidden by a later one that does not. A view whose definition could not be loaded (a view
// of a protocol that cannot search here) is shown as stored but never saved.
//
// The store's hooks, connected by the main window (Qt faces in CustomizeViewSheet):
//   store.SetCustomizeSheet(...)  runs the sheet in mode 2, 3 or another on the view and page;
//   store.SetNewViewSheet(...)    runs it in mode 1 (mode 0 while the store has no view yet).
#pragma once

#include <string>
#include <vector>

#include "views/CViewDefinition.h"
#include "views/NewViewBuilder.h"

namespace app {
class Settings;
}
namespace platform {
class Prompt;
}

namespace views {

class CViewNode;
class CViewStore;

class CCustomizeViewPropSheet {
 public:
  enum Mode : int {
    kModeFirstStart = 0,  // no view exists yet: Welcome first
    kModeNewView = 1,
    kModeCustomizeGeneral = 2,
    kModeCustomizeFilters = 3,  // "Modify" in the view tree
    // any other value: customize, Columns first
  };
  enum Page : int {
    kWelcome = 3748,
    kNewView = 3706,
    kFilters = 3702,
    kColumns = 3703,
    kGeneral = 3745
  };
  static constexpr int kIdFinish = 12325;     // ID_WIZFINISH
  static constexpr unsigned kCaption = 3700;  // "Modify View"
  static constexpr const char* kSaveQuestion = "Do you want to save the settings?";
  static constexpr const char* kSaveCaption = "Customize View";

  // view: the view to customize, or the parent group of the wizard's new view.
  CCustomizeViewPropSheet(CViewStore& store, app::Settings& settings, int mode, CViewNode& view,
                          platform::Prompt* prompt = nullptr);

  int Mode() const { return mode_; }
  bool IsWizard() const { return mode_ == kModeFirstStart || mode_ == kModeNewView; }
  std::vector<Page> Pages() const;
  Page FirstPage() const;

  // The working copy the pages edit, and the view it belongs to (nullptr in the wizard before its
  // view is made).
  CViewDefinition& Copy() { return copy_; }
  CViewNode* EditedView() const { return edited_; }
  int EditedType() const;
  // False when the edited view's definition could not be loaded: the sheet will not save it.
  bool CanSave() const { return loaded_; }

  // The General page's placement, applied with the next save: the tree image and the group.
  void SetPlacement(int icons, CViewNode* parent);
  int PlacementIcons() const;
  CViewNode* PlacementParent() const;
  // True when the copy or the placement holds something not saved.
  bool HasChanges() const;

  // The selector (customize modes): every view, in the store's order.
  std::vector<CViewNode*> SelectableViews() const;
  // Another view chosen in the selector: unsaved changes are asked about (Yes saves them), then
  // the chosen view is loaded.
  void SelectView(CViewNode* view);

  // Next on the New View page: makes (once) or renames the new view; false after the refusal's
  // message.
  bool NewViewNext(const std::string& name, int type);
  // Finish in the wizard: with default settings the view is made in its protocol's group;
  // otherwise the pages' copy is saved into the view (made now when Next was never pressed).
  bool Finish(const std::string& name, int type, bool defaultSettings);
  // OK in the customize modes: saves the copy. The strongest save result of the sheet.
  int Ok();
  // Cancel: the wizard's partly made view is deleted; nothing is saved.
  void Cancel();

  // The view the wizard made and finished, or nullptr.
  CViewNode* GetNewNode() const { return newNode_; }
  // True when one of the sheet's saves needs a new search.
  bool SearchNeeded() const { return strongest_ == CViewDefinition::kSaveNeedsSearch; }
  // The strongest CViewDefinition::SaveResult of the sheet's saves (kSaveNoSearch when none).
  int SaveResult() const { return strongest_; }
  // True once the sheet wrote a view (OK, Finish, or Yes to the selector's question).
  bool Saved() const { return saved_; }

 private:
  void Load(CViewNode* view);
  void Save();
  void Show(unsigned message);

  CViewStore& store_;
  int mode_;
  platform::Prompt* prompt_;
  CViewDefinition copy_;
  NewViewBuilder builder_;
  CViewNode* parent_ = nullptr;  // the wizard's chosen parent
  CViewNode* edited_ = nullptr;
  bool loaded_ = false;
  int icons_ = -1;                  // placement not changed while -1
  CViewNode* newParent_ = nullptr;  // placement not changed while nullptr
  CViewNode* newNode_ = nullptr;
  int strongest_ = CViewDefinition::kSaveNoSearch;
  bool saved_ = false;
};

}  // namespace views
