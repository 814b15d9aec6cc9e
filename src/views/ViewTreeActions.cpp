#include "views/ViewTreeActions.h"

#include <vector>

#include "app/Settings.h"
#include "discovery/CDiscoveryEngine.h"
#include "platform/Prompt.h"
#include "res/StringTable.h"
#include "views/CViewNode.h"
#include "views/CViewStore.h"
#include "views/ViewTreeRules.h"

namespace views {

namespace {

// format holds "%s" twice (or three times for the move): the kind word, then the names.
std::string Fill(std::string format, const std::vector<std::string>& parts) {
  size_t at = 0;
  for (const std::string& part : parts) {
    at = format.find("%s", at);
    if (at == std::string::npos) break;
    format.replace(at, 2, part);
    at += part.size();
  }
  return format;
}

void StopSearches(CViewNode& node) {
  if (node.Engine() != nullptr) node.Engine()->Stop();
  for (CViewNode* child : node.Children()) StopSearches(*child);
}

}  // namespace

ViewTreeActions::ViewTreeActions(CViewStore& store, platform::Prompt& prompt, std::string caption)
    : store_(store), prompt_(prompt), caption_(std::move(caption)) {}

int ViewTreeActions::Ask(unsigned formatId, const CViewNode& node, const std::string& extra) {
  const std::string kind = res::LoadString(node.IsView() ? kWordView : kWordGroup);
  std::vector<std::string> parts = {kind, node.Name()};
  if (!extra.empty()) parts.push_back(extra);
  return prompt_.MessageBox(Fill(res::LoadString(formatId), parts), caption_,
                            platform::MB_YESNO | platform::MB_ICONQUESTION);
}

void ViewTreeActions::Tell(unsigned messageId) {
  prompt_.MessageBox(res::LoadString(messageId), caption_,
                     platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

int ViewTreeActions::ViewCount() const {
  int count = 0;
  for (const CViewNode* node : store_.Nodes()) count += node->IsView() ? 1 : 0;
  return count;
}

ViewTreeActions::MoveResult ViewTreeActions::Move(CViewNode* node, CViewNode* target) {
  CViewNode* group = ViewTreeRules::DropGroup(target);
  if (!ViewTreeRules::CanMove(node, group)) return MoveResult::kRefused;
  if (Ask(kMoveQuestion, *node, group->Name()) != platform::IDYES) return MoveResult::kDeclined;
  return store_.MoveNode(node, group) == app::MOVEKEY_OK ? MoveResult::kMoved : MoveResult::kFailed;
}

bool ViewTreeActions::Delete(CViewNode* node) {
  if (node == nullptr || node->IsRoot()) return false;
  CViewNode* current = store_.CurrentNode();
  if (node == current) {
    // The selector lists the views and "<<Create New View>>": more than two entries.
    Tell(ViewCount() + 1 > 2 ? kCurrentViewOpen : kLastView);
    return false;
  }
  if (node->Contains(current)) {
    Tell(kGroupHoldsCurrent);
    return false;
  }
  if (Ask(kDeleteQuestion, *node) != platform::IDYES) return false;
  StopSearches(*node);
  return store_.DeleteNode(node);
}

CViewNode* ViewTreeActions::CreateFolder(CViewNode* parent, const std::string& name, int icons,
                                         unsigned* message) {
  unsigned refusal = ViewTreeRules::CheckFolderName(store_, name);
  if (message != nullptr) *message = refusal;
  if (refusal != 0) {
    Tell(refusal);
    return nullptr;
  }
  return store_.AddNode(parent, name, CViewNode::kGroup, icons);
}

}  // namespace views
