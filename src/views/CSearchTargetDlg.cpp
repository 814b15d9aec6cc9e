#include "views/CSearchTargetDlg.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/BrandingInfo.h"
#include "platform/Prompt.h"
#include "platform/SystemInfo.h"
#include "ui/DialogButtons.h"

namespace views {

using discovery::SearchTargetForm;

CSearchTargetDlg::CSearchTargetDlg(const std::string& folder, QWidget* parent)
    : QDialog(parent), form_(folder) {
  setObjectName(QString::number(SearchTargetForm::kDialogId));
  setWindowTitle(tr("Specify a Device"));
  auto* layout = new QVBoxLayout(this);
  auto* kinds = new QGroupBox(tr("Search for"), this);
  auto* kindsLayout = new QVBoxLayout(kinds);
  auto* group = new QButtonGroup(this);
  for (int i = 0; i < SearchTargetForm::kChoiceCount; ++i) {
    const auto choice = static_cast<SearchTargetForm::Choice>(i);
    auto* button = new QRadioButton(SearchTargetForm::ChoiceText(choice), kinds);
    button->setObjectName(QString("choice%1").arg(i));
    group->addButton(button, i);
    kindsLayout->addWidget(button);
    choices_[static_cast<size_t>(i)] = button;
  }
  layout->addWidget(kinds);

  label_ = new QLabel(this);
  text_ = new QLineEdit(this);
  text_->setObjectName("entryText");
  label_->setBuddy(text_);
  browse_ = new QPushButton("...", this);
  browse_->setObjectName("browse");
  browse_->setAccessibleName(tr("Choose the address list file"));
  browse_->setToolTip(browse_->accessibleName());
  auto* field = new QHBoxLayout;
  field->addWidget(text_, 1);
  field->addWidget(browse_);
  layout->addWidget(label_);
  layout->addLayout(field);
  layout->addWidget(ui::DialogButtons::Make(this));

  connect(group, &QButtonGroup::idClicked, this,
          [this](int id) { Choose(static_cast<SearchTargetForm::Choice>(id)); });
  connect(text_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.SetText(text.toStdString()); });
  connect(browse_, &QPushButton::clicked, this, [this] { Browse(); });
  choices_[0]->setChecked(true);
  Choose(SearchTargetForm::kAddress);
  text_->setFocus();
}

void CSearchTargetDlg::Choose(SearchTargetForm::Choice choice) {
  form_.Choose(choice);
  label_->setText(form_.Label());
  // The field is named by what it holds, as its label says without the colon.
  text_->setAccessibleName(QString(form_.Label()).remove(':'));
  text_->setMaxLength(form_.MaxLength());
  text_->setText(QString::fromStdString(form_.Text()));
  browse_->setVisible(form_.BrowseShown());
}

void CSearchTargetDlg::Browse() {
  const QString chosen = QFileDialog::getOpenFileName(this, tr("Address List File"),
                                                      QFileInfo(text_->text()).absolutePath(),
                                                      tr("Text Files (*.txt);;All Files (*)"));
  if (chosen.isEmpty()) return;
  text_->setText(chosen);
  form_.SetText(chosen.toStdString());
}

void CSearchTargetDlg::accept() {
  std::string refusal;
  if (!form_.Finish(&entry_, &refusal)) {
    platform::CurrentPrompt().MessageBox(refusal, app::ProgramCaption(),
                                         platform::MB_OK | platform::MB_ICONEXCLAMATION);
    text_->setFocus();
    text_->selectAll();
    return;
  }
  QDialog::accept();
}

std::string CSearchTargetDlg::Run(QWidget* parent) {
  // The address list is proposed in the home folder: the program's own folder is not the
  // user's to write, so "Save IP List" could never have put the file there.
  std::string home = platform::SystemInfo::HomeFolder();
  if (home.empty() || home.back() != '/') home += '/';
  CSearchTargetDlg dialog(home, parent);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.Entry();
}

}  // namespace views
