#include "views/ViewRules.h"

#include "res/StringTable.h"
#include "views/CViewNode.h"
#include "views/CViewStore.h"

namespace views {
namespace {

constexpr unsigned kStrGroupTcpIp = 6066;     // 6067 NetWare, 6068 Serial, 6069 IPX
constexpr unsigned kStrProtocolTcpIp = 6160;  // 6161 NetWare ... 6163 IPX Broadcast
constexpr unsigned kStrProtocolUnknown = 6164;

bool IsKnownViewType(int type) {
  return type >= CViewNode::kTcpIpView && type <= CViewNode::kIpxView;
}

}  // namespace

unsigned ViewRules::CheckNewName(const CViewStore& store, const std::string& name) {
  if (name.empty() || name.size() > CViewStore::kMaxKeyName) return kMsgNoName;
  if (name.find('\\') != std::string::npos) return kMsgBackslash;
  if (store.FindNode(name) != nullptr) return kMsgNameExists;
  return kOk;
}

int ViewRules::CountViews(const CViewStore& store) {
  int views = 0;
  for (const CViewNode* node : store.Nodes()) views += node->IsView() ? 1 : 0;
  return views;
}

unsigned ViewRules::DeleteRefusal(const CViewStore& store, const CViewNode* node) {
  if (node == nullptr) return kMsgNoViewSelected;
  unsigned refusal = kOk;
  if (node == store.CurrentNode()) refusal = kMsgCurrentView;
  // Only a view's deletion can leave the program without a view; an empty group can always go.
  if (node->IsView() && CountViews(store) < 2) refusal = kMsgLastView;
  if (!node->Children().empty()) refusal = kMsgHasChildren;
  if (node->IsRoot()) refusal = kMsgCannotDelete;
  return refusal;
}

std::string ViewRules::DeleteQuestion(const CViewNode& node) {
  return Text(kQuestionDelete, res::LoadString(node.IsView() ? kTextView : kTextGroup),
              node.Name());
}

std::string ViewRules::ProtocolGroupName(int type) {
  if (!IsKnownViewType(type)) type = CViewNode::kTcpIpView;
  return res::LoadString(kStrGroupTcpIp + static_cast<unsigned>(type - CViewNode::kTcpIpView));
}

int ViewRules::ProtocolGroupIcons(int type) {
  switch (type) {
    case CViewNode::kNetWareView:
      return 9;
    case CViewNode::kSerialView:
      return 5;
    case CViewNode::kIpxView:
      return 3;
    default:
      return 7;
  }
}

std::string ViewRules::ProtocolText(int type) {
  if (!IsKnownViewType(type)) return res::LoadString(kStrProtocolUnknown);
  return res::LoadString(kStrProtocolTcpIp + static_cast<unsigned>(type - CViewNode::kTcpIpView));
}

bool ViewRules::IsOfferedProtocol(int type, bool udpAvailable) {
  // Only TCP/IP views can search on this system, and only over UDP.
  return type == CViewNode::kTcpIpView && udpAvailable;
}

std::string ViewRules::Text(unsigned id, const std::string& first, const std::string& second) {
  std::string text = res::LoadString(id);
  size_t from = 0;
  for (const std::string* argument : {&first, &second}) {
    const size_t at = text.find("%s", from);
    if (at == std::string::npos) break;
    text.replace(at, 2, *argument);
    from = at + argument->size();
  }
  return text;
}

}  // namespace views
