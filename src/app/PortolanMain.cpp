// The desktop program.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/CDesktopApp.h"
#include "app/CMainFrame.h"
#include "app/DesktopCommandLine.h"
#include "platform/CoreDumps.h"
#include "platform/Prompt.h"

#ifndef PORTOLAN_VERSION
#define PORTOLAN_VERSION "0"
#endif

namespace {

int g_signalPipe[2] = {-1, -1};

void OnTerminate(int) {
  char byte = 1;
  [[maybe_unused]] ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM close the program as closing its window does.
void QuitOnSignals(QApplication& qt) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &qt);
  QObject::connect(notifier, &QSocketNotifier::activated, &qt, [&qt] {
    char byte = 0;
    [[maybe_unused]] ssize_t got = ::read(g_signalPipe[0], &byte, 1);
    // A box that a search thread is waiting on would hold up the close (the window stops the
    // search first): boxes asked from now on take their default answer, those shown are closed,
    // and the windows close once their loops have ended.
    platform::InstallPrompt(nullptr);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->isVisible() && widget->isModal()) widget->close();
    }
    QTimer::singleShot(0, &qt, [&qt] {
      qt.closeAllWindows();
      qt.quit();
    });
  });
  struct sigaction action {};
  action.sa_handler = OnTerminate;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

// While Qt starts, its messages wait here: when it finds no display it can use, the user gets one
// line instead of its warnings and an abort; otherwise they are printed as Qt would have.
std::string g_startMessages;

void HoldStartMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  const std::string text = message.toStdString();
  if (type == QtFatalMsg) {
    const std::string firstLine = g_startMessages.substr(0, g_startMessages.find('\n'));
    std::cerr << app::DesktopCommandLine::NoDisplayLine(firstLine.empty() ? text : firstLine)
              << std::flush;
    std::_Exit(app::DesktopCommandLine::kExitNoDisplay);
  }
  g_startMessages += text + "\n";
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> given(argv + 1, argv + argc);
  // Answered before Qt starts: no window, no display and no network are needed for them.
  if (auto code = app::DesktopCommandLine::AnswerInfoOptions(given, PORTOLAN_VERSION, std::cout)) {
    return *code;
  }
  const std::string noDisplay = app::DesktopCommandLine::NoDisplayProblem(
      app::DesktopCommandLine::PlatformName(given, std::getenv("QT_QPA_PLATFORM")),
      std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
  if (!noDisplay.empty()) {
    std::cerr << app::DesktopCommandLine::NoDisplayLine(noDisplay);
    return app::DesktopCommandLine::kExitNoDisplay;
  }
  // The settings, and with them the access list's communities, are loaded from here on.
  platform::KeepOutOfCoreDumps();
  qInstallMessageHandler(HoldStartMessages);
  QApplication qt(argc, argv);
  qInstallMessageHandler(nullptr);
  std::cerr << g_startMessages << std::flush;
  QApplication::setApplicationName("Portolan");
#ifdef PORTOLAN_APP_ID
  // Ties the windows to the installed desktop entry (its icon and name in the shell's task list).
  QGuiApplication::setDesktopFileName(QStringLiteral(PORTOLAN_APP_ID));
#endif
  QuitOnSignals(qt);

  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);

  app::CDesktopApp application(qt);
  if (!application.InitInstance(arguments)) return application.ExitInstance();
  QApplication::exec();
  return application.ExitInstance();
}
