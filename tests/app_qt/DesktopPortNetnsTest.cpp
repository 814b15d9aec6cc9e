// A virtual port end to end: the desktop program (in this test program, offscreen) runs in a
// network namespace of the test's own, with a simulated device server in the other; its first
// refresh lists the device, the user selects it and makes a port through the Virtual Port dialog,
// and an application that opens the port's link as its serial port gets back, through the bridge
// and the device's echo, every byte it wrote. The status window counts them; the same dialog then
// deletes the port.
//
// The outer test makes the namespaces and the device and starts this program again inside the
// asking namespace, where only the inner test runs (PORTOLAN_PORT_TEST_INNER is set then).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <thread>

#include "app/CDesktopApp.h"
#include "app/CMainFrame.h"
#include "app/DesktopViews.h"
#include "app/FrameIds.h"
#include "app/TempDir.h"
#include "cli/DevSimProcess.h"
#include "cli/NetnsPair.h"
#include "views/CKestrelView.h"
#include "views/DeviceListModel.h"
#include "vport/CVirtualPortTable.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kInner = "PORTOLAN_PORT_TEST_INNER";
constexpr const char* kDeviceIp = "10.0.0.20";
constexpr const char* kDeviceHw = "02504F000001";

// ---- the outer test: namespaces, the device, and this program again inside ----

std::string ThisProgram() {
  char path[4096] = {};
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

TEST(DesktopPortNetnsTest, ADialogMadePortCarriesAnApplicationsBytesToTheDeviceAndBack) {
  if (std::getenv(kInner) != nullptr) GTEST_SKIP() << "the inner run";
  if (::access(DevSimProcess::Program().c_str(), X_OK) != 0) {
    GTEST_SKIP() << "build portolan-devsim first";
  }
  NetnsPair net;
  if (!net.Ok()) GTEST_SKIP() << "needs root and network namespaces";
  ASSERT_TRUE(net.AddDeviceAddresses(20, 1));
  // One device with one serial port that echoes on 9100 (raw) and 9200 (RFC 2217).
  DevSimProcess sim(
      {"--count", "1", "--base-ip", kDeviceIp, "--mask", "255.255.0.0", "--ports", "1"}, net.B());
  ASSERT_TRUE(sim.Ready());

  TempDir dir;
  std::filesystem::create_directories(dir.Path() / "run");
  ::chmod((dir.Path() / "run").c_str(), 0700);
  const std::string self = ThisProgram();
  const pid_t pid = ::fork();
  if (pid == 0) {
    const std::map<std::string, std::string> env = {
        {kInner, "1"},
        {"PORTOLAN_REGISTRY", dir.Folder() + "registry.reg"},
        {"XDG_RUNTIME_DIR", dir.Folder() + "run"},
        {"XDG_CONFIG_HOME", dir.Folder()},
        {"PORTOLAN_PORT_DIR", dir.Folder() + "run/ports"},
        {"WINDIR", dir.Folder() + "windows"},
        {"QT_QPA_PLATFORM", "offscreen"}};
    for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
    std::vector<std::string> args = {
        "/usr/sbin/ip", "netns", "exec", net.A(), self, "--gtest_filter=DesktopPortNetnsInner.*"};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ASSERT_GT(pid, 0);
  // A give-up limit for a run that hangs, far beyond what it needs.
  const auto deadline = Clock::now() + std::chrono::seconds(200);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      FAIL() << "the inner run did not end";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the inner run failed (its output is above)";
}

// ---- the inner test: the program and the user ----

// Runs the event loop until done says so; false when the limit passed first (a give-up limit,
// not a measure). A timer of the caller keeps the loop waking.
bool PumpUntil(const std::function<bool()>& done, int seconds = 60) {
  const auto deadline = Clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (Clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

// What a serial application does: opens the port, sets it raw, writes and reads back.
std::string EchoThrough(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  if (fd < 0) return std::string("open: ") + std::strerror(errno);
  termios tio{};
  ::tcgetattr(fd, &tio);
  ::cfmakeraw(&tio);
  ::cfsetspeed(&tio, B115200);
  ::tcsetattr(fd, TCSANOW, &tio);
  std::string got;
  if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    got = "write failed";
  }
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  while (got.size() < bytes.size() && Clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    char buffer[256];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) got.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return got;
}

// Plays the user at modal windows: the add dialog is accepted with the number it offers first
// (remembered), any message box is noted and closed (none is expected).
class ModalHand {
 public:
  ModalHand() {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Act(); });
    timer_.start();
  }
  std::string chosen;  // the COM name the add dialog was accepted with
  std::string okText;  // the text of its OK button
  std::vector<std::string> boxes;

 private:
  void Act() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      boxes.push_back(box->text().toStdString());
      box->reject();
    } else if (modal->objectName() == "106") {
      chosen = modal->findChild<QComboBox*>("1167")->currentText().toStdString();
      auto* ok = modal->findChild<QPushButton*>("1");
      okText = ok->text().toStdString();
      ok->click();
    }
  }
  QTimer timer_;
};

int ColumnOf(const QAbstractItemModel& model, const QString& title) {
  for (int c = 0; c < model.columnCount(); ++c) {
    if (model.headerData(c, Qt::Horizontal).toString() == title) return c;
  }
  return -1;
}

QWidget* StatusWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == "104" && widget->isVisible()) return widget;
  }
  return nullptr;
}

TEST(DesktopPortNetnsInner, TheUserMakesAPortAndAnApplicationTalksThroughIt) {
  if (std::getenv(kInner) == nullptr) {
    GTEST_SKIP() << "run by DesktopPortNetnsTest inside its network namespace";
  }
  static int argc = 1;
  static char name[] = "portolan";
  static char* argv[] = {name, nullptr};
  QApplication qt(argc, argv);
  QApplication::setApplicationName("Portolan");
  {
    app::CDesktopApp application(qt);
    ASSERT_TRUE(application.InitInstance({}));
    ModalHand hand;
    app::CMainFrame& frame = *application.MainFrame();
    views::CKestrelView& list = *application.Views()->List();
    const QAbstractItemModel& model = *list.Model();

    // The first refresh finds the device.
    ASSERT_TRUE(
        PumpUntil([&] { return list.GetRowCount() > 0 && !frame.Controller().Searching(); }));
    ASSERT_EQ(list.GetRowCount(), 1);
    const int ipColumn = ColumnOf(model, "IP Address");
    const int portColumn = ColumnOf(model, "Virtual Port");
    ASSERT_GE(ipColumn, 0);
    ASSERT_GE(portColumn, 0);
    EXPECT_EQ(model.index(0, ipColumn).data().toString().toStdString(), kDeviceIp);

    // The user selects it; with the list focused, the port commands are offered.
    list.SelectRow(0);
    auto focusList = [&] {
      frame.activateWindow();
      list.setFocus(Qt::MouseFocusReason);
      return PumpUntil([&] { return frame.Controller().StateOf(app::cmd::kVirtualPort).enabled; },
                       10);
    };
    ASSERT_TRUE(focusList());

    ASSERT_TRUE(frame.RunCommand(app::cmd::kVirtualPort));
    EXPECT_EQ(hand.okText, "Add");
    ASSERT_EQ(hand.chosen.rfind("COM", 0), 0u) << hand.chosen;
    const std::string link = std::string(std::getenv("PORTOLAN_PORT_DIR")) + "/" + hand.chosen;
    EXPECT_EQ(::access(link.c_str(), F_OK), 0) << link;
    EXPECT_EQ(model.index(0, portColumn).data().toString().toStdString(), hand.chosen);
    EXPECT_EQ(application.PortTable()->FindPort(kDeviceHw, 0), std::stoi(hand.chosen.substr(3)));

    // An application talks through the port while the program goes on.
    std::string bytes = "Portolan over the bridge\r\n";
    bytes += std::string{'\0', '\x01', '\x11', '\x13', '\xfe', '\xff'};  // NUL, XON, XOFF
    bytes += std::string(300, 'x');
    auto echoed = std::async(std::launch::async, [&] { return EchoThrough(link, bytes); });
    ASSERT_TRUE(PumpUntil(
        [&] { return echoed.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(echoed.get(), bytes);

    // Connection Status shows the port's window with what crossed it.
    ASSERT_TRUE(focusList());
    ASSERT_TRUE(frame.RunCommand(app::cmd::kConnectionStatus));
    const QString count = QString::number(bytes.size());
    ASSERT_TRUE(PumpUntil(
        [&] {
          QWidget* window = StatusWindow();
          return window != nullptr && window->findChild<QLineEdit*>("1172")->text() == count &&
                 window->findChild<QLineEdit*>("1174")->text() == count;
        },
        20));
    EXPECT_EQ(StatusWindow()->windowTitle().toStdString(), "Virtual Port Status: " + hand.chosen);

    // The same command on the bound port deletes it.
    ASSERT_TRUE(focusList());
    const std::string made = hand.chosen;
    ASSERT_TRUE(frame.RunCommand(app::cmd::kVirtualPort));
    EXPECT_EQ(hand.okText, "Delete");
    EXPECT_EQ(hand.chosen, made);
    EXPECT_NE(::access(link.c_str(), F_OK), 0);
    EXPECT_EQ(model.index(0, portColumn).data().toString().toStdString(), "");
    EXPECT_EQ(application.PortTable()->FindPort(kDeviceHw, 0), -1);

    EXPECT_TRUE(hand.boxes.empty()) << hand.boxes.front();
    frame.close();
    application.ExitInstance();
  }
}

}  // namespace
