// The Qt face of the customize sheet ("Modify View"): in the customize modes the view selector
// (3713) above the Filters, Columns and General tabs with OK and Cancel; in the wizard the pages
// one after another with Back, Next, Finish and Cancel. The rules and the saves are the
// controller's (CCustomizeViewPropSheet); this face only shows its pages.
//
// The main window connects the store's hooks with
//   views::CustomizeViewHooks::Connect(store, settings, views::CustomizeViewSheet::Runner(store,
//   this));
#pragma once

#include <QDialog>
#include <vector>

#include "views/CustomizeViewHooks.h"

class QComboBox;
class QPushButton;
class QStackedWidget;
class QTabWidget;

namespace views {

class CCustomizeViewPropSheet;
class CNewViewPage;
class CViewStore;
class ViewSheetPage;

class CustomizeViewSheet : public QDialog {
 public:
  CustomizeViewSheet(CCustomizeViewPropSheet& sheet, CViewStore& store, QWidget* parent = nullptr);

  // Runs this face for the hooks: true for OK or an accepted Finish.
  static CustomizeViewHooks::Runner Runner(CViewStore& store, QWidget* parent);

  void accept() override;

 private:
  void BuildCustomize();
  void BuildWizard();
  void ChooseView(int index);
  void LeaveTab(int index);
  bool ApplyPages();
  void Go(int step);
  void ShowStep();
  void ReloadPages();

  CCustomizeViewPropSheet& sheet_;
  CViewStore& store_;
  std::vector<ViewSheetPage*> editPages_;  // Filters, Columns, General
  CNewViewPage* newView_ = nullptr;
  QComboBox* selector_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  int shownTab_ = -1;  // the tab shown last, checked before another is shown
  QStackedWidget* steps_ = nullptr;
  QPushButton* back_ = nullptr;
  QPushButton* next_ = nullptr;
  QPushButton* finish_ = nullptr;
};

}  // namespace views
