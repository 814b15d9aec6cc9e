// The General page (3745): protocol, tree image, place in the tree with New Folder, and the
// automatic refresh in minutes.
#pragma once

#include <memory>

#include "views/GeneralPageModel.h"
#include "views/ViewSheetPage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace views {

class CCustomizeViewPropSheet;
class CViewNode;
class CViewStore;

class CViewGeneralPage : public ViewSheetPage {
 public:
  CViewGeneralPage(CCustomizeViewPropSheet& sheet, CViewStore& store, QWidget* parent = nullptr);
  void Reload() override;
  bool Apply() override;

 private:
  void FillTree(CViewNode* select);
  void AddGroups(CViewNode* node, QTreeWidgetItem* item, CViewNode* select);
  void NewFolder();
  CViewNode* SelectedGroup() const;

  CCustomizeViewPropSheet& sheet_;
  CViewStore& store_;
  GeneralPageModel model_;
  QLabel* protocol_;
  QComboBox* image_;
  QTreeWidget* location_;
  QCheckBox* refresh_;
  QLineEdit* minutes_;
  bool minutesEdited_ = false;
};

}  // namespace views
