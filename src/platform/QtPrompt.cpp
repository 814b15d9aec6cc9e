#include "platform/QtPrompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QThread>

namespace platform {

namespace {

struct ButtonSet {
  QMessageBox::StandardButton buttons[3];
};

// The buttons of each set, in the order the default-button flags count them.
ButtonSet ButtonsOf(unsigned type) {
  using B = QMessageBox;
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{B::Ok, B::Cancel, B::NoButton}};
    case MB_ABORTRETRYIGNORE:
      return {{B::Abort, B::Retry, B::Ignore}};
    case MB_YESNOCANCEL:
      return {{B::Yes, B::No, B::Cancel}};
    case MB_YESNO:
      return {{B::Yes, B::No, B::NoButton}};
    case MB_RETRYCANCEL:
      return {{B::Retry, B::Cancel, B::NoButton}};
    default:
      return {{B::Ok, B::NoButton, B::NoButton}};
  }
}

QMessageBox::Icon IconOf(unsigned type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONWARNING:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

int ShowOnGuiThread(const std::string& text, const std::string& caption, unsigned type) {
  // Owned by the active window, like a box of that window; none when nothing is active.
  QMessageBox box(IconOf(type), QString::fromStdString(caption), QString::fromStdString(text),
                  QMessageBox::NoButton, QApplication::activeWindow());
  const ButtonSet set = ButtonsOf(type);
  QPushButton* byIndex[3] = {};
  for (int i = 0; i < 3; ++i) {
    if (set.buttons[i] != QMessageBox::NoButton) byIndex[i] = box.addButton(set.buttons[i]);
  }
  const unsigned index = (type & 0xF00u) >> 8;
  box.setDefaultButton(index < 3 && byIndex[index] ? byIndex[index] : byIndex[0]);
  box.exec();
  return QtPrompt::AnswerFor(box.standardButton(box.clickedButton()), type);
}

}  // namespace

int QtPrompt::AnswerFor(int standardButton, unsigned type) {
  switch (standardButton) {
    case QMessageBox::Ok:
      return IDOK;
    case QMessageBox::Cancel:
      return IDCANCEL;
    case QMessageBox::Abort:
      return IDABORT;
    case QMessageBox::Retry:
      return IDRETRY;
    case QMessageBox::Ignore:
      return IDIGNORE;
    case QMessageBox::Yes:
      return IDYES;
    case QMessageBox::No:
      return IDNO;
    default:
      break;
  }
  // Closed without a button: the most cautious answer the set has, never a "yes" nobody gave.
  const ButtonSet set = ButtonsOf(type);
  for (auto wanted : {QMessageBox::Cancel, QMessageBox::No}) {
    for (auto button : set.buttons) {
      if (button == wanted) return wanted == QMessageBox::Cancel ? IDCANCEL : IDNO;
    }
  }
  return DefaultAnswer(type);
}

int QtPrompt::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || qobject_cast<QApplication*>(app) == nullptr) return DefaultAnswer(type);
  if (QThread::currentThread() == app->thread()) return ShowOnGuiThread(text, caption, type);
  int answer = DefaultAnswer(type);
  // Waits here until the GUI thread has shown and closed the box.
  QMetaObject::invokeMethod(
      app, [&] { answer = ShowOnGuiThread(text, caption, type); }, Qt::BlockingQueuedConnection);
  return answer;
}

}  // namespace platform
