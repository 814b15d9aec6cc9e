// The Status Icons page (166): the status states (list 1093) with their levels, "&Normal" (1103),
// "&Warning" (1104) and "&Error" (1105) for the selected state, a double click cycling a state's
// level, and "Change application icon color on Warning or Error" (1094). A thin face over
// StatusIconsPage.
#pragma once

#include <QWidget>

class QCheckBox;
class QTreeWidget;

namespace app {

class COptionsPropertySheet;
class StatusIconsPage;

class CIconsPage : public QWidget {
 public:
  explicit CIconsPage(COptionsPropertySheet& sheet, QWidget* parent = nullptr);

 private:
  void Fill();
  void ShowRow(int row);
  void SetSelectedLevel(int level);

  COptionsPropertySheet& sheet_;
  StatusIconsPage& page_;
  QTreeWidget* list_ = nullptr;
  QCheckBox* appIcon_ = nullptr;
};

}  // namespace app
