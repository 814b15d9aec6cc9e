#include "views/CViewFiltersPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "discovery/CDeviceColumnTable.h"
#include "views/CCustomizeViewPropSheet.h"
#include "views/CSearchTargetDlg.h"

namespace views {

CViewFiltersPage::CViewFiltersPage(CCustomizeViewPropSheet& sheet,
                                   FiltersPageModel::ListedTexts listed, QWidget* parent)
    : ViewSheetPage(parent), sheet_(sheet), listed_(std::move(listed)) {
  setObjectName("3702");
  setWindowTitle("Filters");
  auto* layout = new QVBoxLayout(this);
  auto* searches = new QGroupBox("Search Filters", this);
  auto* searchLayout = new QVBoxLayout(searches);
  local_ = new QCheckBox("Search &Local Network", searches);
  local_->setObjectName("searchLocal");
  list_ = new QCheckBox("&Specify Devices/Networks", searches);
  list_->setObjectName("searchList");
  entries_ = new QListWidget(searches);
  entries_->setObjectName("searchEntries");
  entries_->setAccessibleName("Search entries");
  add_ = new QPushButton("&Add", searches);
  add_->setObjectName("addEntry");
  delete_ = new QPushButton("&Delete", searches);
  delete_->setObjectName("deleteEntry");
  portLabel_ = new QLabel("Select &Port to Add:", searches);
  port_ = new QComboBox(searches);
  port_->setObjectName("portToAdd");
  port_->setAccessibleName("Select Port to Add");
  portLabel_->setBuddy(port_);
  for (const std::string& port : FiltersPageModel::PortChoices()) {
    port_->addItem(QString::fromStdString(port));
  }
  auto* entryButtons = new QHBoxLayout;
  entryButtons->addWidget(portLabel_);
  entryButtons->addWidget(port_);
  entryButtons->addWidget(add_);
  entryButtons->addWidget(delete_);
  searchLayout->addWidget(local_);
  searchLayout->addWidget(list_);
  searchLayout->addWidget(entries_);
  searchLayout->addLayout(entryButtons);
  layout->addWidget(searches);

  auto* display = new QGroupBox("Display Filters", this);
  auto* displayLayout = new QVBoxLayout(display);
  column_ = new QComboBox(display);
  column_->setObjectName("filterColumn");
  column_->setAccessibleName("Display filter column");
  pattern_ = new QLineEdit(display);
  pattern_->setObjectName("filterPattern");
  pattern_->setAccessibleName("Display filter pattern");
  values_ = new QListWidget(display);
  values_->setObjectName("filterValues");
  values_->setAccessibleName("Display filter values");
  values_->setSelectionMode(QAbstractItemView::MultiSelection);
  note_ = new QLabel(display);
  note_->setWordWrap(true);
  displayLayout->addWidget(column_);
  displayLayout->addWidget(pattern_);
  displayLayout->addWidget(values_);
  displayLayout->addWidget(note_);
  layout->addWidget(display);

  connect(local_, &QCheckBox::toggled, this, [this](bool on) { model_->SetSearchLocal(on); });
  connect(list_, &QCheckBox::toggled, this, [this](bool on) {
    model_->SetSearchList(on);
    ShowSearches();
  });
  connect(add_, &QPushButton::clicked, this, [this] {
    model_->AddEntry(model_->AddsPort() ? port_->currentText().toStdString()
                                        : CSearchTargetDlg::Run(this));
    ShowSearches();
  });
  connect(delete_, &QPushButton::clicked, this, [this] {
    std::string refusal;
    if (!model_->DeleteEntry(entries_->currentRow(), &refusal)) ShowRefusal(refusal);
    ShowSearches();
  });
  connect(column_, &QComboBox::activated, this, [this](int index) {
    model_->ChooseFilterColumn(column_->itemData(index).toInt());
    ShowFilter();
  });
  connect(pattern_, &QLineEdit::textEdited, this,
          [this](const QString& text) { model_->SetEditText(text.toStdString()); });
  connect(values_, &QListWidget::itemSelectionChanged, this, [this] {
    std::vector<std::string> selected;
    for (int row = 0; row < values_->count(); ++row) {
      if (values_->item(row)->isSelected())
        selected.push_back(values_->item(row)->text().toStdString());
    }
    model_->SetSelectedValues(std::move(selected));
  });
  Reload();
}

void CViewFiltersPage::Reload() {
  model_ = std::make_unique<FiltersPageModel>(sheet_.Copy(), sheet_.EditedType(), listed_);
  const discovery::CDeviceColumnTable& table = sheet_.Copy().ColumnTable();
  column_->clear();
  for (const int column : model_->FilterColumns()) {
    const bool none = column == FiltersPageModel::kNoFilter;
    column_->addItem(
        none ? FiltersPageModel::kNoFilterText : QString::fromStdString(table.Title(column)),
        column);
  }
  const QSignalBlocker blockLocal(local_);
  const QSignalBlocker blockList(list_);
  local_->setChecked(model_->SearchLocal());
  local_->setEnabled(!model_->IsFixedView());
  list_->setChecked(model_->SearchList());
  column_->setEnabled(!model_->IsFixedView());
  portLabel_->setVisible(model_->AddsPort());
  port_->setVisible(model_->AddsPort());
  ShowSearches();
  ShowFilter();
}

void CViewFiltersPage::ShowSearches() {
  entries_->clear();
  for (const std::string& entry : model_->Entries()) {
    entries_->addItem(QString::fromStdString(entry));
  }
  const bool on = model_->SearchList();
  entries_->setEnabled(on);
  add_->setEnabled(on);
  delete_->setEnabled(on);
  port_->setEnabled(on);
}

void CViewFiltersPage::ShowFilter() {
  column_->setCurrentIndex(column_->findData(model_->FilterColumn()));
  const int kind = model_->Kind();
  pattern_->setVisible(kind == discovery::kFilterTyped);
  pattern_->setText(QString::fromStdString(model_->EditText()));
  values_->setVisible(kind == discovery::kFilterListed || kind == discovery::kFilterChoice);
  const QSignalBlocker block(values_);
  values_->clear();
  for (const std::string& value : model_->OfferedValues()) {
    auto* item = new QListWidgetItem(QString::fromStdString(value), values_);
    const auto& selected = model_->SelectedValues();
    item->setSelected(std::find(selected.begin(), selected.end(), value) != selected.end());
  }
  note_->setText(QString::fromStdString(model_->Note()).trimmed());
}

bool CViewFiltersPage::CanLeave() {
  std::string refusal;
  if (model_->CheckLeave(&refusal)) return true;
  ShowRefusal(refusal);
  return false;
}

bool CViewFiltersPage::Apply() {
  std::string refusal;
  if (model_->Apply(sheet_.Copy(), &refusal)) return true;
  ShowRefusal(refusal);
  return false;
}

}  // namespace views
