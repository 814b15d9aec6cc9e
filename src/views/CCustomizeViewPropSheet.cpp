#include "views/CCustomizeViewPropSheet.h"

#include <algorithm>

#include "app/BrandingInfo.h"
#include "app/Settings.h"
#include "platform/Prompt.h"
#include "views/CViewNode.h"
#include "views/CViewStore.h"
#include "views/ViewLayout.h"
#include "views/ViewRules.h"

namespace views {

namespace {}  // namespace

CCustomizeViewPropSheet::CCustomizeViewPropSheet(CViewStore& store, app::Settings& settings,
                                                 int mode, CViewNode& view,
                                                 platform::Prompt* prompt)
    : store_(store),
      mode_(mode),
      prompt_(prompt),
      copy_(settings, store.ColumnTable()),
      builder_(store, copy_) {
  if (IsWizard()) {
    parent_ = &view;
  } else {
    Load(&view);
  }
}

std::vector<CCustomizeViewPropSheet::Page> CCustomizeViewPropSheet::Pages() const {
  if (mode_ == kModeFirstStart) return {kWelcome, kNewView, kFilters, kColumns, kGeneral};
  if (mode_ == kModeNewView) return {kNewView, kFilters, kColumns, kGeneral};
  return {kFilters, kColumns, kGeneral};
}

CCustomizeViewPropSheet::Page CCustomizeViewPropSheet::FirstPage() const {
  switch (mode_) {
    case kModeFirstStart:
      return kWelcome;
    case kModeNewView:
      return kNewView;
    case kModeCustomizeGeneral:
      return kGeneral;
    case kModeCustomizeFilters:
      return kFilters;
    default:
      return kColumns;
  }
}

int CCustomizeViewPropSheet::EditedType() const {
  return edited_ != nullptr ? edited_->Type() : CViewNode::kTcpIpView;
}

void CCustomizeViewPropSheet::Load(CViewNode* view) {
  edited_ = view;
  // Read as stored whatever the protocol, so the pages show the view; only a view that loads as
  // what it is may be saved, or another view's values could be written into it.
  copy_.Load(view->Path(), CViewNode::kTcpIpView);
  loaded_ = view->IsSearchable();
  icons_ = -1;
  newParent_ = nullptr;
}

void CCustomizeViewPropSheet::SetPlacement(int icons, CViewNode* parent) {
  icons_ = icons;
  newParent_ = parent;
}

int CCustomizeViewPropSheet::PlacementIcons() const {
  if (icons_ >= 0) return icons_;
  return edited_ != nullptr ? edited_->Icons() : ViewLayout::kViewIcons;
}

CViewNode* CCustomizeViewPropSheet::PlacementParent() const {
  if (newParent_ != nullptr) return newParent_;
  return edited_ != nullptr ? edited_->Parent() : parent_;
}

bool CCustomizeViewPropSheet::HasChanges() const {
  if (copy_.IsChanged()) return true;
  if (edited_ == nullptr) return false;
  return (icons_ >= 0 && icons_ != edited_->Icons()) ||
         (newParent_ != nullptr && newParent_ != edited_->Parent());
}

std::vector<CViewNode*> CCustomizeViewPropSheet::SelectableViews() const {
  std::vector<CViewNode*> views;
  for (CViewNode* node : store_.Nodes()) {
    if (node->IsView()) views.push_back(node);
  }
  return views;
}

void CCustomizeViewPropSheet::SelectView(CViewNode* view) {
  if (view == nullptr || view == edited_ || !view->IsView()) return;
  if (loaded_ && HasChanges()) {
    platform::Prompt& prompt = prompt_ != nullptr ? *prompt_ : platform::CurrentPrompt();
    if (prompt.MessageBox(kSaveQuestion, kSaveCaption,
                          platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES) {
      Save();
    }
  }
  Load(view);
}

void CCustomizeViewPropSheet::Save() {
  if (!loaded_ || edited_ == nullptr) return;
  saved_ = saved_ || HasChanges();
  strongest_ = std::max(strongest_, copy_.Save());
  if (icons_ >= 0 && icons_ != edited_->Icons()) store_.SetNodeIcons(edited_, icons_);
  if (newParent_ != nullptr && newParent_ != edited_->Parent() &&
      store_.MoveNode(edited_, newParent_) == app::MOVEKEY_OK) {
    copy_.Load(edited_->Path(), CViewNode::kTcpIpView);
  }
  icons_ = -1;
  newParent_ = nullptr;
}

bool CCustomizeViewPropSheet::NewViewNext(const std::string& name, int type) {
  if (const unsigned refusal = builder_.MakeView(parent_, name, type)) {
    Show(refusal);
    return false;
  }
  edited_ = builder_.Node();
  loaded_ = true;
  return true;
}

bool CCustomizeViewPropSheet::Finish(const std::string& name, int type, bool defaultSettings) {
  if (defaultSettings) {
    if (const unsigned refusal = builder_.FinishDefault(parent_, name, type)) {
      Show(refusal);
      return false;
    }
    edited_ = builder_.Node();
    loaded_ = true;
    icons_ = -1;
    newParent_ = nullptr;
  } else {
    if (!NewViewNext(name, type)) return false;
    Save();
  }
  newNode_ = builder_.Node();
  // A new view has never been searched.
  strongest_ = CViewDefinition::kSaveNeedsSearch;
  return true;
}

int CCustomizeViewPropSheet::Ok() {
  if (!IsWizard()) Save();
  return strongest_;
}

void CCustomizeViewPropSheet::Cancel() {
  if (IsWizard()) builder_.Discard();
  edited_ = nullptr;
  newNode_ = nullptr;
}

void CCustomizeViewPropSheet::Show(unsigned message) {
  platform::Prompt& prompt = prompt_ != nullptr ? *prompt_ : platform::CurrentPrompt();
  prompt.MessageBox(ViewRules::Text(message), app::ProgramCaption(),
                    platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

}  // namespace views
