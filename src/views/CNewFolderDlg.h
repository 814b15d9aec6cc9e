// "Create a New Folder" (dialog 3744): the name (3770), the picture (3772, the closed group
// pictures 0, 2, ... 14) and the parent (3771, a tree of the root and the groups). OK checks the
// name (5507, 5509, 5505) and makes the group through the store.
#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace views {

class CViewNode;
class CViewStore;
class ViewTreeActions;

class CNewFolderDlg : public QDialog {
  Q_OBJECT

 public:
  // selected: the group to preselect as parent (the root when nullptr).
  CNewFolderDlg(CViewStore& store, ViewTreeActions& actions, CViewNode* selected,
                QWidget* parent = nullptr);

  CViewNode* Created() const { return created_; }
  QLineEdit* NameEdit() const { return name_; }
  QComboBox* IconBox() const { return icons_; }
  QTreeWidget* LocationTree() const { return location_; }

  void accept() override;

 private:
  void AddGroups(QTreeWidgetItem* item, const CViewNode& node, const CViewNode* selected);

  CViewStore& store_;
  ViewTreeActions& actions_;
  QLineEdit* name_ = nullptr;
  QComboBox* icons_ = nullptr;
  QTreeWidget* location_ = nullptr;
  CViewNode* created_ = nullptr;
};

}  // namespace views
