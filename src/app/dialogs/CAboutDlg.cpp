#include "app/dialogs/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/CStaticLink.h"
#include "ui/DialogButtons.h"

namespace app {

CAboutDlg::CAboutDlg(const AboutBoxTexts& texts, platform::Launcher* launcher, QWidget* parent)
    : QDialog(parent) {
  setObjectName("100");
  setWindowTitle(QString::fromStdString(texts.caption));
  auto* layout = new QVBoxLayout(this);
  auto* picture = new QLabel(this);
  picture->setObjectName("1183");
  const QPixmap pixmap(QString::fromStdString(texts.bitmapPath));
  if (!pixmap.isNull()) {
    picture->setPixmap(pixmap);
    picture->setAccessibleName(QString::fromStdString(texts.companyName));
  } else {
    picture->hide();
  }
  auto* program = new QLabel(QString::fromStdString(texts.programName), this);
  program->setObjectName("1182");
  auto* company = new QLabel(QString::fromStdString(texts.companyName), this);
  company->setObjectName("1181");
  auto* link = new ui::CStaticLink(texts.link, {}, launcher, this);
  link->setObjectName("1105");
  link->setVisible(!texts.link.empty());
  layout->addWidget(picture, 0, Qt::AlignHCenter);
  layout->addWidget(program);
  layout->addWidget(company);
  layout->addWidget(link);
  QDialogButtonBox* buttons = ui::DialogButtons::Make(this, QDialogButtonBox::Ok);
  layout->addWidget(buttons);
}

}  // namespace app
