// The Filters page (3702): the searches (local network, the search list) and the display filter.
#pragma once

#include <memory>

#include "views/FiltersPageModel.h"
#include "views/ViewSheetPage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace views {

class CCustomizeViewPropSheet;

class CViewFiltersPage : public ViewSheetPage {
 public:
  CViewFiltersPage(CCustomizeViewPropSheet& sheet, FiltersPageModel::ListedTexts listed,
                   QWidget* parent = nullptr);
  void Reload() override;
  bool Apply() override;
  bool CanLeave() override;

 private:
  void ShowSearches();
  void ShowFilter();

  CCustomizeViewPropSheet& sheet_;
  FiltersPageModel::ListedTexts listed_;
  std::unique_ptr<FiltersPageModel> model_;
  QCheckBox* local_;
  QCheckBox* list_;
  QListWidget* entries_;
  QPushButton* add_;
  QPushButton* delete_;
  QLabel* portLabel_;
  QComboBox* port_;  // "Select Port to Add:" of a serial view
  QComboBox* column_;
  QLineEdit* pattern_;
  QListWidget* values_;
  QLabel* note_;
};

}  // namespace views
