#include "views/ViewTreeRules.h"

#include <algorithm>
#include <cctype>

#include "views/CViewNode.h"
#include "views/CViewStore.h"
#include "views/ViewRules.h"

namespace views {

namespace {

std::string Lower(const std::string& text) {
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

}  // namespace

bool ViewTreeRules::SiblingLess(const CViewNode* a, const CViewNode* b) {
  if (a->IsView() != b->IsView()) return !a->IsView();
  return Lower(a->Name()) < Lower(b->Name());
}

std::vector<CViewNode*> ViewTreeRules::SortedChildren(const CViewNode& node) {
  std::vector<CViewNode*> children = node.Children();
  std::stable_sort(children.begin(), children.end(), SiblingLess);
  return children;
}

int ViewTreeRules::ImageOf(const CViewNode& node, bool expanded) {
  if (node.IsView()) return node.Icons();
  return node.Icons() + (expanded ? 1 : 0);
}

CViewNode* ViewTreeRules::DropGroup(CViewNode* target) {
  if (target == nullptr) return nullptr;
  return target->IsView() ? target->Parent() : target;
}

bool ViewTreeRules::CanMove(const CViewNode* node, const CViewNode* group) {
  if (node == nullptr || group == nullptr || node->IsRoot()) return false;
  if (group->IsView()) return false;
  return !node->Contains(group) && node->Parent() != group;
}

TreeMenuState ViewTreeRules::MenuState(const CViewNode* node, bool refreshAlways) {
  TreeMenuState state;
  if (node == nullptr) return state;
  const bool view = node->IsView();
  const bool opened = node->Engine() != nullptr;
  state.open = view && opened;
  state.openRefresh = view;
  state.openNewWindow = view;
  state.modify = view;
  state.remove = node->Children().empty() && !node->IsRoot();
  state.defaultCommand = (!opened || refreshAlways) ? kCmdOpenRefresh : kCmdOpen;
  return state;
}

unsigned ViewTreeRules::CheckFolderName(const CViewStore& store, const std::string& name) {
  // Folders and views take names by the same rules.
  return ViewRules::CheckNewName(store, name);
}

}  // namespace views
