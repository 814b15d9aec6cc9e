#include "vport/PortStatusWindow.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"

namespace vport {

namespace {

// The log keeps CR LF; the box shows plain line breaks.
QString BoxText(const std::string& text) {
  QString shown = QString::fromStdString(text);
  shown.remove(QLatin1Char('\r'));
  return shown;
}

QLineEdit* ShownValue(const char* id, const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(id);
  edit->setAccessibleName(name);
  edit->setEnabled(false);
  return edit;
}

QCheckBox* Box(const char* text, const char* id, QWidget* parent) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(id);
  return box;
}

}  // namespace

PortStatusWindow::PortStatusWindow(PortStatusController::PostToPort post, platform::Prompt& prompt,
                                   platform::FileChooser& files, std::string caption,
                                   std::function<void(unsigned)> help, QWidget* parent)
    : QDialog(parent), controller_(std::move(post), prompt, files, std::move(caption)) {
  setObjectName("104");
  setModal(false);
  // A status window left open must not keep the program running once the main window closes.
  setAttribute(Qt::WA_QuitOnClose, false);
  Build(help);
  ShowFields();
}

void PortStatusWindow::Build(const std::function<void(unsigned)>& help) {
  auto* grid = new QGridLayout;
  statusLabel_ = new QLabel("Status:", this);
  statusLabel_->setObjectName("1169");
  status_ = ShownValue("1170", "Status", this);
  statusLabel_->setBuddy(status_);
  auto* rxLabel = new QLabel("Rx Bytes:", this);
  rxLabel->setObjectName("1171");
  rx_ = ShownValue("1172", "Rx Bytes", this);
  auto* txLabel = new QLabel("Tx Bytes:", this);
  txLabel->setObjectName("1173");
  tx_ = ShownValue("1174", "Tx Bytes", this);
  auto* tcpLabel = new QLabel("TCP Port:", this);
  tcpLabel->setObjectName("1175");
  tcpPort_ = ShownValue("1176", "TCP Port", this);
  grid->addWidget(statusLabel_, 0, 0);
  grid->addWidget(status_, 0, 1);
  grid->addWidget(rxLabel, 1, 0);
  grid->addWidget(rx_, 1, 1);
  grid->addWidget(txLabel, 2, 0);
  grid->addWidget(tx_, 2, 1);
  grid->addWidget(tcpLabel, 3, 0);
  grid->addWidget(tcpPort_, 3, 1);
  rfc2217_ = Box("Using RFC 2217 Protocol", "1168", this);
  rfc2217_->setEnabled(false);
  strictBaud_ = Box("Using Strict Baudrate Emulation", "1189", this);
  strictBaud_->setEnabled(false);

  auto* group = new QGroupBox("COM Port Log", this);
  group->setObjectName("1194");
  logging_ = Box("Enable Logging", "1190", group);
  log_ = new QPlainTextEdit(group);
  log_->setObjectName("1191");
  log_->setAccessibleName("COM Port Log");
  log_->setReadOnly(true);
  log_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  clear_ = new QPushButton("Clear", group);
  clear_->setObjectName("1192");
  save_ = new QPushButton("Save...", group);
  save_->setObjectName("1193");
  auto* logButtons = new QHBoxLayout;
  logButtons->addWidget(logging_);
  logButtons->addStretch();
  logButtons->addWidget(clear_);
  logButtons->addWidget(save_);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addLayout(logButtons);
  groupLayout->addWidget(log_);

  QDialogButtonBox* buttons = ui::DialogButtons::Make(this);
  cancel_ = buttons->button(QDialogButtonBox::Cancel);
  QPushButton* helpButton =
      ui::DialogButtons::Add(buttons, "Help", "1180", QDialogButtonBox::HelpRole);

  connect(helpButton, &QPushButton::clicked, this, [help] {
    if (help) help(PortStatusController::kHelpTopic);
  });
  connect(logging_, &QCheckBox::clicked, this, [this](bool on) {
    controller_.SetLogging(on);
    ShowFields();
  });
  connect(clear_, &QPushButton::clicked, this, [this] {
    controller_.Clear();
    log_->clear();
  });
  connect(save_, &QPushButton::clicked, this, [this] { controller_.Save(); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(rfc2217_);
  layout->addWidget(strictBaud_);
  layout->addWidget(group, 1);
  layout->addWidget(buttons);
}

void PortStatusWindow::ShowFields() {
  const PortStatusSnapshot& shown = controller_.Shown();
  setWindowTitle(QString::fromStdString(shown.title));
  statusLabel_->setText(QString::fromStdString(shown.statusLabel));
  status_->setText(QString::fromStdString(shown.statusText));
  rx_->setText(QString::fromStdString(shown.rxText));
  tx_->setText(QString::fromStdString(shown.txText));
  tcpPort_->setText(QString::fromStdString(shown.tcpPort));
  rfc2217_->setChecked(shown.rfc2217);
  strictBaud_->setChecked(shown.strictBaud);
  logging_->setChecked(controller_.Logging());
  clear_->setEnabled(controller_.SaveClearEnabled());
  save_->setEnabled(controller_.SaveClearEnabled());
  cancel_->setVisible(shown.cancelVisible);
}

void PortStatusWindow::Apply(const PortStatusSnapshot& snapshot) {
  const PortStatusController::LogUpdate update = controller_.Apply(snapshot);
  ShowFields();
  if (update.kind == PortStatusController::LogUpdate::kReplace) {
    log_->setPlainText(BoxText(update.text));
  } else if (update.kind == PortStatusController::LogUpdate::kAppend) {
    // Only what is new goes in; the end stays in view.
    QTextCursor end(log_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(BoxText(update.text));
  }
  if (update.kind != PortStatusController::LogUpdate::kNone) {
    log_->verticalScrollBar()->setValue(log_->verticalScrollBar()->maximum());
  }
  if (controller_.Visible() && (!isVisible() || snapshot.show)) {
    show();
    raise();
    activateWindow();
  } else if (!controller_.Visible() && isVisible()) {
    QDialog::hide();
  }
}

void PortStatusWindow::HideWindow() {
  controller_.Hide();
  QDialog::hide();
}

void PortStatusWindow::accept() {
  HideWindow();
}

void PortStatusWindow::reject() {
  HideWindow();
}

}  // namespace vport
