// The Columns page (3703): the offered server and port columns, the displayed ones in order, the
// sort column and column fitting.
#pragma once

#include <memory>

#include "views/ColumnsPageModel.h"
#include "views/ViewSheetPage.h"

class QCheckBox;
class QComboBox;
class QListWidget;

namespace views {

class CCustomizeViewPropSheet;

class CViewColumnsPage : public ViewSheetPage {
 public:
  explicit CViewColumnsPage(CCustomizeViewPropSheet& sheet, QWidget* parent = nullptr);
  void Reload() override;
  bool Apply() override;

 private:
  void Show(int displayedRow);
  void Refused(bool done, const std::string& refusal, int displayedRow);

  CCustomizeViewPropSheet& sheet_;
  std::unique_ptr<ColumnsPageModel> model_;
  QListWidget* server_;
  QListWidget* port_;
  QListWidget* displayed_;
  QComboBox* sort_;
  QCheckBox* fit_;
};

}  // namespace views
