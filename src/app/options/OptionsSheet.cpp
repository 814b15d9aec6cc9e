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

OptionsSheet::OptionsSheet(COptionsPropertySheet& sheet, int environmentFlags, Help help,
                           QWidget* parent)
    : QDialog(parent), sheet_(sheet), help_(std::move(help)) {
  setObjectName("COptionsPropertySheet");
  setWindowTitle(QString::fromStdString(res::LoadString(COptionsPropertySheet::kCaption)));
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("tabs");
  tabs_->setAccessibleName("Option pages");
  tabs_->setUsesScrollButtons(false);
  // Every page is made now, so that the sheet opens large enough for the largest; a page counts
  // as shown (and saves on OK) once its tab was shown.
  timeouts_ = new CTimeoutPage(sheet_, tabs_);
  tabs_->addTab(new CDeviceAccessPage(sheet_, environmentFlags, tabs_), "Device Access");
  tabs_->addTab(timeouts_, "Timeouts");
  tabs_->addTab(new CIconsPage(sheet_, tabs_), "Status Icons");
  tabs_->addTab(new CMiscPage(sheet_, tabs_), "Miscellaneous");
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
  sheet_.MarkShown(page);
  helpButton_->setEnabled(help_ && COptionsPropertySheet::HelpTopic(page) != 0);
}

void OptionsSheet::accept() {
  outcome_ = sheet_.Ok();
  if (!outcome_.saved) {
    if (timeouts_ != nullptr) {
      tabs_->setCurrentWidget(timeouts_);
      QLineEdit* edit = timeouts_->Edit(outcome_.badField);
      edit->setFocus();
      edit->selectAll();
    }
    return;
  }
  QDialog::accept();
}

}  // namespace app
