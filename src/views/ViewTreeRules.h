// The view tree's rules, free of the toolkit: the order of siblings, the pictures, which drops
// are refused, the pop-up menu's state, and the checks of a new folder's name. Groups and views
// are told apart by node type, never by their pictures.
#pragma once

#include <string>
#include <vector>

namespace views {

class CViewNode;
class CViewStore;

struct TreeMenuState {
  bool open = false;
  bool openRefresh = false;
  bool openNewWindow = false;
  bool modify = false;
  bool remove = false;
  int defaultCommand = 0;  // 32835 Open or 32861 Open and Refresh
};

class ViewTreeRules {
 public:
  static constexpr int kFirstViewImage = 16;
  static constexpr int kGroupImages = 16;
  static constexpr int kCmdOpen = 32835;
  static constexpr int kCmdOpenRefresh = 32861;
  // Messages of the folder dialog.
  static constexpr unsigned kNoName = 5507;
  static constexpr unsigned kBackslash = 5509;
  static constexpr unsigned kNameUsed = 5505;

  // Groups before views, then by name without regard to case.
  static bool SiblingLess(const CViewNode* a, const CViewNode* b);
  static std::vector<CViewNode*> SortedChildren(const CViewNode& node);
  // The picture of a node: its icons value; a group's closed/open pair by the expanded state.
  static int ImageOf(const CViewNode& node, bool expanded);

  // The group a drop onto target lands in: the target when it is the root or a group, its
  // parent when it is a view; nullptr for a drop on empty space.
  static CViewNode* DropGroup(CViewNode* target);
  // A node may go into group unless it is the root, group is the node itself or lies below it,
  // or group is already its parent.
  static bool CanMove(const CViewNode* node, const CViewNode* group);

  // Menu 135 for node: what is enabled and the default entry.
  static TreeMenuState MenuState(const CViewNode* node, bool refreshAlways);

  // 0 when a folder of this name may be made, else the message to show.
  static unsigned CheckFolderName(const CViewStore& store, const std::string& name);
};

}  // namespace views
