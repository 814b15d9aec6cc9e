// The view tree: the left-hand pane of the main window. It shows the store's groups and views
// (groups first, names without regard to case), opens a view when the user selects it, moves
// nodes by drag and drop (question 6003), and offers menu 135. Items carry their CViewNode; the
// store does the registry work, and the tree is filled again from it after every change.
#pragma once

#include <QTreeWidget>
#include <functional>
#include <memory>

#include "app/FramePanes.h"

namespace platform {
class Prompt;
}

namespace views {

class CViewNode;
class CViewStore;
class ViewTreeActions;

class CLeftView : public QTreeWidget, public app::FrameTreePane {
  Q_OBJECT

 public:
  // command: posts a command to the main window (32835, 32861, 32789, the menu's).
  CLeftView(CViewStore& store, platform::Prompt& prompt, const std::string& caption,
            QWidget* parent = nullptr);
  ~CLeftView() override;

  void SetCommandPoster(std::function<void(int)> post) { post_ = std::move(post); }
  // Whether a command has its handler yet (menu entries without one are disabled).
  void SetCommandCheck(std::function<bool(int)> available) { available_ = std::move(available); }
  // Called after this tree added, moved or deleted nodes (the main window's 0x800D).
  // Told after the tree changed the store; selected: the node the rebuilt tree keeps selected
  // (nullptr: the current view).
  void SetChangeHandler(std::function<void(const CViewNode* selected)> changed) {
    changed_ = std::move(changed);
  }
  void SetRefreshAlways(bool on) { refreshAlways_ = on; }

  // app::FrameTreePane
  QWidget* Widget() override { return this; }
  void SelectCurrentView() override;
  void Rebuild(intptr_t view) override;

  // The node of the selected item (nullptr when none).
  CViewNode* SelectedNode() const;
  QTreeWidgetItem* ItemOf(const CViewNode* node) const;
  CViewNode* NodeOf(const QTreeWidgetItem* item) const;
  // Selects node's item without opening it.
  void SelectNode(const CViewNode* node);

  // The tree's commands (run by the main window).
  void DeleteSelected();
  void NewFolder();
  void OpenSelected(bool refresh);
  // Drops node onto target as a drag would (nullptr: empty space). True when it moved.
  bool DropOn(CViewNode* node, CViewNode* target);
  // Menu 135 for the selected item, states set (the caller owns it).
  QMenu* MakeContextMenu();

 protected:
  void startDrag(Qt::DropActions actions) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void Fill();
  void AddChildren(QTreeWidgetItem* parentItem, const CViewNode& parent);
  QTreeWidgetItem* MakeItem(const CViewNode& node);
  void OnSelectionChanged();
  void Post(int command);

  CViewStore& store_;
  std::unique_ptr<ViewTreeActions> actions_;
  platform::Prompt& prompt_;
  std::string caption_;
  std::function<void(int)> post_;
  std::function<bool(int)> available_;
  std::function<void(const CViewNode*)> changed_;
  bool refreshAlways_ = false;
  bool filling_ = false;  // selections made by the code, not the user
  CViewNode* dragged_ = nullptr;
};

}  // namespace views
