#include "app/options/CTimeoutPage.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/COptionsPropertySheet.h"

namespace app {

namespace {

// The edits' control ids, in the order of TimeoutsPage's fields.
constexpr const char* kEditIds[] = {"1045", "1046", "1050", "1047", "1048", "1049"};

}  // namespace

CTimeoutPage::CTimeoutPage(COptionsPropertySheet& sheet, QWidget* parent)
    : QWidget(parent), page_(sheet.Timeouts()) {
  setObjectName("165");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  for (int i = 0; i < TimeoutsPage::kFieldCount; ++i) {
    const auto field = static_cast<TimeoutsPage::Field>(i);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(kEditIds[i]);
    const QString label = QString::fromUtf8(TimeoutsPage::Label(field));
    edit->setAccessibleName(QString(label).remove('&').remove(':'));
    connect(edit, &QLineEdit::textEdited, this,
            [this, field](const QString& text) { page_.SetText(field, text.toStdString()); });
    form->addRow(label, edit);
    edits_[static_cast<size_t>(i)] = edit;
  }
  layout->addLayout(form);
  auto* range = new QLabel(QString("Each value is a whole number from %1 to %2.")
                               .arg(TimeoutsPage::kMin)
                               .arg(TimeoutsPage::kMax),
                           this);
  range->setWordWrap(true);
  layout->addWidget(range);
  auto* buttons = new QHBoxLayout;
  auto* defaults = new QPushButton("Set To &Defaults", this);
  defaults->setObjectName("1054");
  buttons->addStretch();
  buttons->addWidget(defaults);
  layout->addLayout(buttons);
  layout->addStretch();
  connect(defaults, &QPushButton::clicked, this, [this] {
    page_.SetDefaults();
    Fill();
  });
  Fill();
}

QLineEdit* CTimeoutPage::Edit(TimeoutsPage::Field field) const {
  return edits_[static_cast<size_t>(field)];
}

void CTimeoutPage::Fill() {
  for (int i = 0; i < TimeoutsPage::kFieldCount; ++i) {
    edits_[static_cast<size_t>(i)]->setText(
        QString::fromStdString(page_.Text(static_cast<TimeoutsPage::Field>(i))));
  }
}

}  // namespace app
