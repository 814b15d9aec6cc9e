// The rules that the New View page, the Create a New Folder dialog, the Select a View dialog and
// portolanctl views share: which names a new node may have, which nodes may be deleted and why
// not, and the group a protocol's views go into.
#pragma once

#include <string>

namespace views {

class CViewNode;
class CViewStore;

class ViewRules {
 public:
  // Message ids; 0 means allowed.
  static constexpr unsigned kOk = 0;
  static constexpr unsigned kMsgNoViewSelected = 5500;
  static constexpr unsigned kMsgCannotDelete = 5501;  // the root
  static constexpr unsigned kMsgNameExists = 5505;
  static constexpr unsigned kMsgNoName = 5507;
  static constexpr unsigned kMsgNoProtocol = 5508;
  static constexpr unsigned kMsgBackslash = 5509;
  static constexpr unsigned kMsgHasChildren = 5514;
  static constexpr unsigned kMsgCurrentView = 5036;
  static constexpr unsigned kMsgLastView = 5037;
  static constexpr unsigned kQuestionDelete = 6006;  // "Delete the %s "%s"?"
  static constexpr unsigned kTextView = 6004;
  static constexpr unsigned kTextGroup = 6005;

  // The name a new view or group may take: kOk, 5507 (empty or longer than a key name may be),
  // 5509 (holds "\"), or 5505 (a node of that name exists, compared without regard to case).
  static unsigned CheckNewName(const CViewStore& store, const std::string& name);
  // Whether node may be deleted: kOk, or the reason. When several reasons apply the last of
  // current view (5036), last view (5037), children (5514), root (5501) is given, as the Select a
  // View dialog shows them; nullptr gives 5500.
  static unsigned DeleteRefusal(const CViewStore& store, const CViewNode* node);
  // The question before deleting node: "Delete the view "Lab"?".
  static std::string DeleteQuestion(const CViewNode& node);
  static int CountViews(const CViewStore& store);

  // The group of a protocol's views ("TCP/IP", "NetWare", "Serial", "IPX") and its folder image.
  static std::string ProtocolGroupName(int type);
  static int ProtocolGroupIcons(int type);
  // "TCP/IP", "NetWare", "Serial Port", "IPX Broadcast" or "Unknown", as the General page shows.
  static std::string ProtocolText(int type);
  // Whether the wizard offers this protocol: TCP/IP, when the machine can send UDP.
  static bool IsOfferedProtocol(int type, bool udpAvailable);
  // The message text of id with its arguments in place of %s, in order.
  static std::string Text(unsigned id, const std::string& first = "",
                          const std::string& second = "");
};

}  // namespace views
