// What the view tree does to the store when the user moves, deletes or adds a node: the
// questions (6003, 6006), the refusals (5036, 5037, 5514) and the store's work. The tree is filled
// again from the store afterwards, so it never shows what the store does not hold: a move whose
// settings key cannot be moved stays where it was (the store reports the failure).
#pragma once

#include <string>

namespace platform {
class Prompt;
}

namespace views {

class CViewNode;
class CViewStore;

class ViewTreeActions {
 public:
  static constexpr unsigned kMoveQuestion = 6003;
  static constexpr unsigned kDeleteQuestion = 6006;
  static constexpr unsigned kWordView = 6004;
  static constexpr unsigned kWordGroup = 6005;
  static constexpr unsigned kCurrentViewOpen = 5036;
  static constexpr unsigned kLastView = 5037;
  static constexpr unsigned kGroupHoldsCurrent = 5514;

  ViewTreeActions(CViewStore& store, platform::Prompt& prompt, std::string caption);

  // Drops node onto target (an item, or nullptr for empty space). False when refused (the
  // caller beeps), declined, or the store could not move it.
  enum class MoveResult { kRefused, kDeclined, kFailed, kMoved };
  MoveResult Move(CViewNode* node, CViewNode* target);

  // Deletes node after the question; a group goes with everything below it, each view's search
  // stopped first. False when refused or declined.
  bool Delete(CViewNode* node);

  // A group under parent named name with picture icons; nullptr when refused (*message then
  // holds the message id, already shown).
  CViewNode* CreateFolder(CViewNode* parent, const std::string& name, int icons,
                          unsigned* message = nullptr);

 private:
  int Ask(unsigned formatId, const CViewNode& node, const std::string& extra = "");
  void Tell(unsigned messageId);
  int ViewCount() const;

  CViewStore& store_;
  platform::Prompt& prompt_;
  std::string caption_;
};

}  // namespace views
