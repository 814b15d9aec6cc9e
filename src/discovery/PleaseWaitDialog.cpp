#include "discovery/PleaseWaitDialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "discovery/CPleaseWaitDlg.h"

namespace discovery {

// The text with the done part of the percentage behind it, in the selection colours.
class PleaseWaitDialog::ProgressText : public QWidget {
 public:
  explicit ProgressText(QWidget* parent) : QWidget(parent) {
    setObjectName("5007");
    setMinimumSize(fontMetrics().averageCharWidth() * 40, fontMetrics().height() * 2);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  void SetText(const QString& text) {
    text_ = text;
    setAccessibleName(text);
    update();
  }
  void SetPercent(int percent) {
    percent_ = std::clamp(percent, 0, 100);
    update();
  }
  const QString& Text() const { return text_; }
  int Percent() const { return percent_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QRect all = rect();
    painter.fillRect(all, palette().button());
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(all, Qt::AlignCenter | Qt::TextWordWrap, text_);
    QRect done = all;
    done.setWidth(all.width() * percent_ / 100);
    if (done.width() <= 0) return;
    painter.setClipRect(done);
    painter.fillRect(done, palette().highlight());
    painter.setPen(palette().color(QPalette::HighlightedText));
    painter.drawText(all, Qt::AlignCenter | Qt::TextWordWrap, text_);
  }

 private:
  QString text_;
  int percent_ = 0;
};

PleaseWaitDialog::PleaseWaitDialog(CPleaseWaitDlg& dialog, QWidget* mainWindow)
    : QDialog(mainWindow), dialog_(dialog), mainWindow_(mainWindow) {
  setObjectName("5006");
  setWindowTitle(tr("Please Wait"));
  setModal(false);  // the owner is disabled instead, as the old window did
  text_ = new ProgressText(this);
  cancel_ = new QPushButton(tr("Cancel"), this);
  cancel_->setObjectName("2");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  layout->addWidget(cancel_, 0, Qt::AlignHCenter);
  connect(cancel_, &QPushButton::clicked, this, [this] { dialog_.Cancel(); });
  text_->SetText(QString::fromStdString(dialog_.Text()));
  dialog_.SetView(this);
  dialog_.SetPump(this);
}

PleaseWaitDialog::~PleaseWaitDialog() {
  dialog_.SetView(nullptr);
  dialog_.SetPump(nullptr);
}

void PleaseWaitDialog::Show(void* owner, void* centre) {
  QWidget* ownerWidget = owner != nullptr ? static_cast<QWidget*>(owner) : mainWindow_.data();
  QWidget* over = centre != nullptr ? static_cast<QWidget*>(centre) : ownerWidget;
  if (ownerWidget != nullptr && ownerWidget != this) {
    ownerWidget->setEnabled(false);
    disabledOwner_ = ownerWidget;
  }
  adjustSize();
  QRect area = over != nullptr && over->isVisible() ? over->frameGeometry() : QRect();
  if (area.isNull() && screen() != nullptr) area = screen()->availableGeometry();
  move(area.center() - rect().center());
  show();
  setEnabled(true);
  cancel_->setFocus();
  raise();
}

void PleaseWaitDialog::Hide(void* owner) {
  hide();
  QWidget* ownerWidget = owner != nullptr ? static_cast<QWidget*>(owner) : disabledOwner_.data();
  if (disabledOwner_ != nullptr) disabledOwner_->setEnabled(true);
  disabledOwner_ = nullptr;
  if (ownerWidget != nullptr) {
    ownerWidget->setEnabled(true);
    ownerWidget->activateWindow();
    ownerWidget->setFocus();
  }
}

void PleaseWaitDialog::ShowText(const std::string& text) {
  text_->SetText(QString::fromStdString(text));
}

void PleaseWaitDialog::ShowPercent(int percent) {
  text_->SetPercent(percent);
}

void PleaseWaitDialog::PumpPending() {
  QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

QString PleaseWaitDialog::Text() const {
  return text_->Text();
}

int PleaseWaitDialog::Percent() const {
  return text_->Percent();
}

void PleaseWaitDialog::reject() {
  dialog_.Cancel();
}

void PleaseWaitDialog::closeEvent(QCloseEvent* event) {
  dialog_.Cancel();
  event->ignore();
}

}  // namespace discovery
