// "Select a View" (dialog 3707): a tree of every node with Done, New..., Delete and Help, and the
// text (3804) that says why Delete is unavailable. The rules are SelectViewController's.
#pragma once

#include <QDialog>
#include <functional>

#include "views/SelectViewController.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace views {

class CViewNode;
class CViewStore;
class ViewStoreHost;

class CSelectViewDlg : public QDialog {
 public:
  // The help page of the dialog (help/topic60.html).
  static constexpr unsigned kHelpTopic = 60;

  // help: opens a help topic; without it the Help button stays disabled.
  CSelectViewDlg(CViewStore& store, ViewStoreHost* host, QWidget* parent = nullptr,
                 std::function<void(unsigned)> help = {});

  SelectViewController& Controller() { return controller_; }
  QTreeWidget* Tree() const { return tree_; }

 private:
  void Fill(CViewNode* select);
  void AddChildren(CViewNode* node, QTreeWidgetItem* item, CViewNode* select);
  void OnSelected();
  void OnDelete();
  void OnNew();

  CViewStore& store_;
  SelectViewController controller_;
  QTreeWidget* tree_;
  QLabel* reason_;
  QPushButton* delete_;
};

}  // namespace views
