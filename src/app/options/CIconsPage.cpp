#include "app/options/CIconsPage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/COptionsPropertySheet.h"
#include "app/StatusIconsPage.h"

namespace app {

namespace {

QIcon LevelIcon(StatusIconsPage::Level level) {
  static const char* const kFiles[] = {":/icons/app/portolan-good-16.svg",
                                       ":/icons/app/portolan-warning-16.svg",
                                       ":/icons/app/portolan-error-16.svg"};
  return QIcon(QString::fromLatin1(kFiles[level]));
}

}  // namespace

CIconsPage::CIconsPage(COptionsPropertySheet& sheet, QWidget* parent)
    : QWidget(parent), sheet_(sheet), page_(sheet.Icons()) {
  setObjectName("166");
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  list_ = new QTreeWidget(this);
  list_->setObjectName("1093");
  list_->setAccessibleName("Status states and their levels");
  list_->setHeaderLabels({"System Status Value", "Error Level"});
  list_->setRootIsDecorated(false);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setAllColumnsShowFocus(true);
  list_->setUniformRowHeights(true);
  row->addWidget(list_, 1);
  auto* buttons = new QVBoxLayout;
  const struct {
    const char* text;
    const char* id;
    StatusIconsPage::Level level;
  } kButtons[] = {{"&Normal", "1103", StatusIconsPage::kGood},
                  {"&Warning", "1104", StatusIconsPage::kWarning},
                  {"&Error", "1105", StatusIconsPage::kError}};
  for (const auto& button : kButtons) {
    auto* push = new QPushButton(button.text, this);
    push->setObjectName(button.id);
    const int level = button.level;
    connect(push, &QPushButton::clicked, this, [this, level] { SetSelectedLevel(level); });
    buttons->addWidget(push);
  }
  buttons->addStretch();
  row->addLayout(buttons);
  layout->addLayout(row, 1);
  auto* note = new QLabel("* Reported only by printers that speak PJL.", this);
  note->setWordWrap(true);
  layout->addWidget(note);
  appIcon_ = new QCheckBox("Change application icon color on Warning or Error", this);
  appIcon_->setObjectName("1094");
  appIcon_->setChecked(sheet_.SetAppIcon());
  layout->addWidget(appIcon_);
  connect(appIcon_, &QCheckBox::toggled, this, [this](bool on) { sheet_.SetSetAppIcon(on); });
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    const int index = list_->indexOfTopLevelItem(item);
    page_.Cycle(static_cast<size_t>(index));
    ShowRow(index);
  });
  Fill();
}

void CIconsPage::Fill() {
  list_->clear();
  for (const StatusIconsPage::Row& state : page_.Rows()) {
    new QTreeWidgetItem(list_, {QString::fromUtf8(state.name), QString()});
    ShowRow(list_->topLevelItemCount() - 1);
  }
  list_->setCurrentItem(list_->topLevelItem(0));
  list_->resizeColumnToContents(0);
  // Every state in view without scrolling: the list is short and fixed.
  const int rows = list_->topLevelItemCount() * list_->sizeHintForRow(0);
  list_->setMinimumHeight(rows + list_->header()->sizeHint().height() + 2 * list_->frameWidth());
}

void CIconsPage::ShowRow(int row) {
  QTreeWidgetItem* item = list_->topLevelItem(row);
  if (item == nullptr) return;
  const StatusIconsPage::Level level = page_.Rows()[static_cast<size_t>(row)].level;
  item->setIcon(0, LevelIcon(level));
  item->setText(1, QString::fromStdString(StatusIconsPage::LevelText(level)));
}

void CIconsPage::SetSelectedLevel(int level) {
  const int row = list_->indexOfTopLevelItem(list_->currentItem());
  if (row < 0) return;
  page_.SetLevel(static_cast<size_t>(row), static_cast<StatusIconsPage::Level>(level));
  ShowRow(row);
}

}  // namespace app
