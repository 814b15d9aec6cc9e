#include "app/options/OptionsSheet.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <utility>

#include "app/options/CDeviceAccessPage.h"
#include "app/options/CIconsPage.h"
#include "app/options/CMiscPage.h"
#include "app/options/CTimeoutPage.h"
#include "res/StringTable.h"
#include "ui/DialogButtons.h"

namespace app {

namespace {

const char* TabTitle(COptionsPropertySheet::Page page) {
  switch (page) {
    case COptionsPropertySheet::kDeviceAccess:
      return "Device Access";
    case COptionsPropertySheet::kTimeouts:
      return "Timeouts";
    case COptionsPropertySheet::kStatusIcons:
      return "Status Icons";
    case COptionsPropertySheet::kMisc:
      return "Miscellaneous";
  }
  return "";
}

}  // namespace

OptionsSheet::OptionsSheet(COptionsPropertySheet& sheet, int environmentFlags, Help help,
                           QWidget* parent)
    : QDialog(parent), sheet_(sheet), environmentFlags_(environmentFlags), help_(std::move(help)) {
  setObjectName("COptionsPropertySheet");
  setWindowTitle(QString::fromStdString(res::LoadString(COptionsPropertySheet::kCaption)));
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("tabs");
  tabs_->setAccessibleName("Option pages");
  // Empty holders until shown: a page's controller reads the settings when its face is made.
  for (const COptionsPropertySheet::Page page : COptionsPropertySheet::Pages()) {
    auto* holder = new QWidget(tabs_);
    auto* holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    tabs_->addTab(holder, TabTitle(page));
  }
  layout->addWidget(tabs_);
  QDialogButtonBox* buttons =
      ui::DialogButtons::Make(this, QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  helpButton_ = ui::DialogButtons::Add(buttons, "&Help", "9", QDialogButtonBox::HelpRole);
  connect(helpButton_, &QPushButton::clicked, this, [this] {
    const unsigned topic = COptionsPropertySheet::HelpTopic(PageAt(tabs_->currentIndex()));
    if (help_ && topic != 0) help_(topic);
  });
  layout->addWidget(buttons);
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) { ShowPage(index); });
  ShowPage(0);
}

COptionsPropertySheet::Page OptionsSheet::PageAt(int index) const {
  return COptionsPropertySheet::Pages().at(static_cast<size_t>(index));
}

void OptionsSheet::ShowPage(int index) {
  if (index < 0) return;
  const COptionsPropertySheet::Page page = PageAt(index);
  helpButton_->setEnabled(help_ && COptionsPropertySheet::HelpTopic(page) != 0);
  QWidget* holder = tabs_->widget(index);
  if (!holder->findChildren<QWidget*>().isEmpty()) return;
  QWidget* face = nullptr;
  switch (page) {
    case COptionsPropertySheet::kDeviceAccess:
      face = new CDeviceAccessPage(sheet_, environmentFlags_, holder);
      break;
    case COptionsPropertySheet::kTimeouts:
      face = timeouts_ = new CTimeoutPage(sheet_, holder);
      break;
    case COptionsPropertySheet::kStatusIcons:
      face = new CIconsPage(sheet_, holder);
      break;
    case COptionsPropertySheet::kMisc:
      face = new CMiscPage(sheet_, holder);
      break;
  }
  holder->layout()->addWidget(face);
}

void OptionsSheet::accept() {
  outcome_ = sheet_.Ok();
  if (!outcome_.saved) {
    if (timeouts_ != nullptr) {
      tabs_->setCurrentWidget(timeouts_->parentWidget());
      QLineEdit* edit = timeouts_->Edit(outcome_.badField);
      edit->setFocus();
      edit->selectAll();
    }
    return;
  }
  QDialog::accept();
}

}  // namespace app
