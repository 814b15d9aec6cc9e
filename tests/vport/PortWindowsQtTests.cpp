// The port windows on the offscreen platform: the dialogs of the port commands over their forms,
// and the status windows following real ports (pty ports, a loopback server).
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <fstream>
#include <functional>
#include <thread>

#include "BridgeTestSupport.h"
#include "TempPortDir.h"
#include "platform/FakeClock.h"
#include "platform/FileChooser.h"
#include "platform/GuiWaitPump.h"
#include "platform/QtPrompt.h"
#include "platform/RegistryStore.h"
#include "platform/ScriptedPrompt.h"
#include "platform/SerialPortList.h"
#include "support/QtTestApplication.h"
#include "vport/CAddVirtualPortDlg.h"
#include "vport/CDeleteVirtualPortDlg.h"
#include "vport/CVirtualPortAdvancedDlg.h"
#include "vport/CVirtualPortTable.h"
#include "vport/PortStatusWindows.h"

namespace vport {
namespace {

const std::string kRoot = "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan";

class PortWindowsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    app_ = testsupport::EnsureQApplication("vport_PortWindowsQtTests");
  }
  static void TearDownTestSuite() {
    delete app_;
    app_ = nullptr;
  }

  // Runs the GUI loop until done() holds; false when it did not within a generous real-time
  // limit (a fault fails the test instead of hanging it). done() also runs inside loops that
  // boxes and dialogs open.
  static bool SpinUntil(const std::function<bool()>& done, int limitMs = 20000) {
    QEventLoop loop;
    QTimer check;
    QElapsedTimer clock;
    clock.start();
    bool reached = false;
    QObject::connect(&check, &QTimer::timeout, [&] {
      if (reached) return;
      reached = done();
      if (reached || clock.elapsed() > limitMs) {
        check.stop();
        loop.quit();
      }
    });
    check.start(2);
    loop.exec();
    return reached;
  }

  template <typename T>
  static T* Child(QWidget* parent, const char* id) {
    return parent->findChild<T*>(id);
  }

  static QApplication* app_;
};

QApplication* PortWindowsTest::app_ = nullptr;

TEST_F(PortWindowsTest, AddDialogInAddingMode) {
  AddVirtualPortForm form;
  form.devPort = 2;
  form.ipAddr = "127.0.0.1";
  form.available.Set(4);
  form.available.Set(255);
  form.rfc2217 = true;  // reset on opening
  std::vector<unsigned> topics;
  CAddVirtualPortDlg dialog(form, [&](unsigned topic) { topics.push_back(topic); });
  EXPECT_EQ(dialog.windowTitle(), "Add Virtual COM port");
  EXPECT_FALSE(form.rfc2217);
  EXPECT_EQ(Child<QLineEdit>(&dialog, "1163")->text(), "127.0.0.1");
  EXPECT_EQ(Child<QLineEdit>(&dialog, "1165")->text(), "3");
  auto* list = Child<QComboBox>(&dialog, "1167");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->itemText(1), "COM255");
  EXPECT_EQ(list->currentIndex(), 0);
  EXPECT_TRUE(list->isEnabled());
  EXPECT_EQ(Child<QPushButton>(&dialog, "1")->text(), "Add");
  Child<QPushButton>(&dialog, "1124")->click();
  EXPECT_EQ(topics, std::vector<unsigned>{77});
  EXPECT_FALSE(list->accessibleName().isEmpty());
  list->setCurrentIndex(1);
  Child<QCheckBox>(&dialog, "1178")->setChecked(true);
  Child<QPushButton>(&dialog, "1")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(form.comNumber, 255);
  EXPECT_TRUE(form.autoStart);
}

TEST_F(PortWindowsTest, AddDialogInDeletingModeLeavesOnlyDeleteCancelHelpAndAdvanced) {
  AddVirtualPortForm form;
  form.comNumber = 6;
  form.autoStart = true;
  form.strictBaud = true;
  form.available.Set(2);
  CAddVirtualPortDlg dialog(form, {});
  EXPECT_EQ(dialog.windowTitle(), "Delete virtual port COM6");
  auto* list = Child<QComboBox>(&dialog, "1167");
  EXPECT_FALSE(list->isEnabled());
  EXPECT_EQ(list->currentText(), "COM6");
  auto* box = Child<QCheckBox>(&dialog, "1178");
  EXPECT_FALSE(box->isEnabled());
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(Child<QPushButton>(&dialog, "1")->text(), "Delete");
  EXPECT_TRUE(Child<QPushButton>(&dialog, "1198")->isEnabled());

  VirtualPortAdvancedForm advanced = form.AdvancedForm();
  CVirtualPortAdvancedDlg advancedDialog(advanced, {});
  EXPECT_EQ(advancedDialog.windowTitle(), "Advanced");
  EXPECT_FALSE(Child<QCheckBox>(&advancedDialog, "1168")->isEnabled());
  EXPECT_TRUE(Child<QCheckBox>(&advancedDialog, "1188")->isChecked());
  Child<QCheckBox>(&advancedDialog, "1188")->setChecked(false);
  advancedDialog.accept();
  EXPECT_TRUE(advanced.strictBaud);  // read-only: nothing read back
}

TEST_F(PortWindowsTest, AdvancedDialogTakesValidLineSettingsAndExplainsOthers) {
  platform::ScriptedPrompt boxes;
  platform::InstallPrompt(&boxes);
  VirtualPortAdvancedForm advanced;
  advanced.readOnly = false;
  CVirtualPortAdvancedDlg dialog(advanced, {});
  auto* line = Child<QLineEdit>(&dialog, "LineSettings");
  EXPECT_EQ(line->accessibleName(), "Line settings");
  EXPECT_FALSE(line->isReadOnly());
  line->setText("7Q1");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);  // still open
  ASSERT_EQ(boxes.Records().size(), 1u);
  EXPECT_EQ(boxes.Records()[0].text.rfind("\"7Q1\" is not a line setting", 0), 0u);
  EXPECT_EQ(advanced.lineText, "");
  line->setText("7e1");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(advanced.lineText, "7E1");
  platform::InstallPrompt(nullptr);

  advanced.readOnly = true;
  CVirtualPortAdvancedDlg shown(advanced, {});
  EXPECT_EQ(Child<QLineEdit>(&shown, "LineSettings")->text(), "7E1");
  EXPECT_TRUE(Child<QLineEdit>(&shown, "LineSettings")->isReadOnly());
}

TEST_F(PortWindowsTest, DeleteDialogListsTheDefinedPorts) {
  DeleteVirtualPortForm form;
  form.available.Set(9);
  form.available.Set(3);
  std::vector<unsigned> topics;
  CDeleteVirtualPortDlg dialog(form, [&](unsigned topic) { topics.push_back(topic); });
  EXPECT_EQ(dialog.windowTitle(), "Delete Virtual COM Port");
  auto* list = Child<QComboBox>(&dialog, "1184");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->currentText(), "COM3");
  EXPECT_EQ(Child<QPushButton>(&dialog, "1")->text(), "Delete");
  Child<QPushButton>(&dialog, "1187")->click();
  EXPECT_EQ(topics, std::vector<unsigned>{95});
  list->setCurrentIndex(1);
  Child<QPushButton>(&dialog, "1")->click();
  EXPECT_EQ(form.comNumber, 9);
}

class StatusWindowTest : public PortWindowsTest {
 protected:
  StatusWindowTest() {
    platform::InstallPrompt(&threadPrompt);
    // As in the program: a wait of the GUI thread for a port keeps the GUI going.
    platform::InstallGuiWaitPump([] {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      return true;
    });
    platform::SerialPortList::SetSystemSerialPortsForTest(
        std::vector<platform::SerialPortList::Entry>{});
  }
  ~StatusWindowTest() override {
    table.reset();
    windows.reset();
    platform::SerialPortList::SetSystemSerialPortsForTest(std::nullopt);
    platform::InstallGuiWaitPump(nullptr);
    platform::InstallPrompt(nullptr);
  }
  void MakeTable() {
    PortStatusWindows::Services services;
    services.prompt = &windowPrompt;
    services.files = &files;
    windows = std::make_unique<PortStatusWindows>(services);
    CVirtualPortTable::Options options;
    options.clock = &fakeClock;
    options.observer = &windows->Observer();
    table = std::make_unique<CVirtualPortTable>(store, kRoot, options);
    windows->SetTable(table.get());
  }
  PortStatusWindow* ShownWindow(const std::string& comName) {
    PortStatusWindow* window = nullptr;
    const bool shown = SpinUntil([&] {
      window = windows->Window(comName);
      return window != nullptr && window->isVisible();
    });
    return shown ? window : nullptr;
  }
  static QString Text(QWidget* window, const char* id) {
    return window->findChild<QLineEdit*>(id)->text();
  }
  static QString Log(QWidget* window) {
    return window->findChild<QPlainTextEdit*>("1191")->toPlainText();
  }

  test::TempPortDir portDir;
  platform::RegistryStore store{""};
  platform::ScriptedPrompt threadPrompt;
  platform::ScriptedPrompt windowPrompt;
  platform::ScriptedFileChooser files;
  platform::FakeClock fakeClock;
  std::unique_ptr<PortStatusWindows> windows;
  std::unique_ptr<CVirtualPortTable> table;
};

TEST_F(StatusWindowTest, FieldsFollowAPortThatConnectsMovesBytesAndCloses) {
  MakeTable();
  test::LoopbackListener server;
  ASSERT_EQ(table->CreatePort(5, "hw", 0, "127.0.0.1", server.PortText(), 0, true), 0);
  // The port's window is made when it is first asked for, not with the port.
  // The port's first snapshot was posted before CreatePort returned.
  QCoreApplication::processEvents();
  EXPECT_EQ(windows->Window("COM5"), nullptr);

  table->ShowPortStatus(5);
  PortStatusWindow* window = ShownWindow("COM5");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), "Virtual Port Status: COM5");
  EXPECT_EQ(window->findChild<QLabel*>("1169")->text(), "Port Status");
  EXPECT_EQ(Text(window, "1170"), "Closed");
  EXPECT_EQ(Text(window, "1176"), QString::fromStdString(server.PortText()));
  EXPECT_FALSE(window->findChild<QPushButton*>("2")->isVisible());
  EXPECT_FALSE(window->findChild<QCheckBox*>("1168")->isChecked());
  auto* clear = window->findChild<QPushButton*>("1192");
  auto* save = window->findChild<QPushButton*>("1193");
  EXPECT_FALSE(clear->isEnabled());
  EXPECT_FALSE(save->isEnabled());
  window->findChild<QCheckBox*>("1190")->click();
  EXPECT_TRUE(clear->isEnabled());
  EXPECT_TRUE(save->isEnabled());

  const int app = test::OpenAsApplication(portDir.Entry("COM5"));
  ASSERT_GE(app, 0);
  const int peer = server.Accept();
  ASSERT_GE(peer, 0);
  EXPECT_TRUE(SpinUntil([&] { return Text(window, "1170") == "Open"; }));
  const std::vector<uint8_t> out = test::Pattern(5, 1);
  ASSERT_TRUE(test::WriteAll(app, out.data(), out.size()));
  EXPECT_EQ(test::ReadExactly(peer, 5), out);
  const std::vector<uint8_t> in = test::Pattern(7, 2);
  ASSERT_TRUE(test::WriteAll(peer, in.data(), in.size()));
  EXPECT_EQ(test::ReadExactly(app, 7), in);
  EXPECT_TRUE(SpinUntil([&] {
    return Text(window, "1172") == "7" && Text(window, "1174") == "5" &&
           Log(window).contains("Got 7 byte(s) from remote device");
  }));
  EXPECT_TRUE(Log(window).startsWith("\n*** Virtual port (COM5) opened ***"));
  EXPECT_TRUE(Log(window).contains("Port received 5 byte(s)."));

  // Clear, then new traffic: only the new lines.
  clear->click();
  EXPECT_EQ(Log(window), "");
  ASSERT_TRUE(test::WriteAll(peer, in.data(), 3));
  EXPECT_EQ(test::ReadExactly(app, 3).size(), 3u);
  EXPECT_TRUE(SpinUntil([&] { return Log(window).contains("Got 3 byte(s)"); }));
  EXPECT_EQ(Log(window), "\nGot 3 byte(s) from remote device");
  EXPECT_TRUE(SpinUntil([&] { return Text(window, "1172") == "10"; }));

  close(app);
  EXPECT_TRUE(SpinUntil([&] {
    return Text(window, "1170") == "Closed" &&
           Log(window).endsWith("*** Virtual port (COM5) closed ***\n");
  }));
  close(peer);

  // Save... writes what the box shows.
  const std::string path = portDir.Entry("saved.txt");
  files.QueueAnswer(path);
  save->click();
  EXPECT_EQ(files.Requests().back().fileName, "COM5PrtLog.txt");
  std::ifstream saved(path);
  std::string first;
  std::getline(saved, first);
  std::getline(saved, first);
  EXPECT_EQ(first, "Got 3 byte(s) from remote device");

  // OK only hides; asked again, the window comes back with its log.
  window->findChild<QPushButton*>("1")->click();
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(table->IsLive(5));
  table->ShowPortStatus(5);
  ASSERT_EQ(ShownWindow("COM5"), window);
  EXPECT_TRUE(Log(window).contains("Got 3 byte(s)"));

  // The port goes, and its window is hidden; a new COM5 starts it over.
  EXPECT_EQ(table->DestroyPort(5), 0);
  EXPECT_TRUE(SpinUntil([&] { return window->Controller().Removed() && !window->isVisible(); }));
  ASSERT_EQ(table->CreatePort(5, "hw", 0, "127.0.0.1", server.PortText(), 0, true), 0);
  table->ShowPortStatus(5);
  ASSERT_EQ(ShownWindow("COM5"), window);
  EXPECT_EQ(Log(window), "");
  EXPECT_FALSE(window->findChild<QCheckBox*>("1190")->isChecked());
  EXPECT_EQ(Text(window, "1172"), "0");
  EXPECT_EQ(threadPrompt.Count(), 0u);
}

TEST_F(StatusWindowTest, AnOpenStatusWindowLetsTheProgramEndWithItsMainWindow) {
  MakeTable();
  ASSERT_EQ(table->CreatePort(6, "hw", 0, "127.0.0.1", "9", 0, true), 0);
  table->ShowPortStatus(6);
  ASSERT_NE(ShownWindow("COM6"), nullptr);
  QWidget mainWindow;
  mainWindow.show();
  // The program's loop ends when its last window closes; the limit only ends a loop that would
  // not.
  QTimer::singleShot(0, &mainWindow, [&mainWindow] { mainWindow.close(); });
  QTimer::singleShot(20000, [] { QCoreApplication::exit(1); });
  EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(StatusWindowTest, APortsMessageWaitsOnTheGuiThreadWhileOtherPortsGoOn) {
  platform::QtPrompt qtPrompt;
  platform::InstallPrompt(&qtPrompt);
  MakeTable();
  test::LoopbackListener server;
  ASSERT_EQ(table->CreatePort(3, "hwA", 0, "127.0.0.1", "1", 0, true), 0);  // nobody listens
  ASSERT_EQ(table->CreatePort(4, "hwB", 0, "127.0.0.1", server.PortText(), 0, true), 0);
  table->ShowPortStatus(4);
  PortStatusWindow* window = ShownWindow("COM4");
  ASSERT_NE(window, nullptr);

  // COM3's connection fails: its thread shows a box and waits for the answer.
  const int appA = test::OpenAsApplication(portDir.Entry("COM3"));
  ASSERT_GE(appA, 0);
  std::atomic<bool> exchanged{false};
  int appB = -1;
  int peerB = -1;
  std::thread other;
  QString boxText;
  bool answered = false;
  const bool done = SpinUntil([&] {
    QMessageBox* box = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* b = qobject_cast<QMessageBox*>(w); b != nullptr && b->isVisible()) box = b;
    }
    if (box == nullptr) return answered;
    if (!other.joinable()) {
      boxText = box->text();
      // Meanwhile COM4 moves bytes both ways.
      other = std::thread([&] {
        appB = test::OpenAsApplication(portDir.Entry("COM4"));
        peerB = server.Accept();
        const std::vector<uint8_t> data = test::Pattern(64, 3);
        test::WriteAll(peerB, data.data(), data.size());
        const bool in = test::ReadExactly(appB, 64) == data;
        test::WriteAll(appB, data.data(), 16);
        const bool out = test::ReadExactly(peerB, 16).size() == 16;
        exchanged = in && out;
      });
    }
    // The box stays until COM4's window, still refreshed, shows the bytes.
    if (exchanged && Text(window, "1172") == "64" && Text(window, "1174") == "16") {
      box->button(QMessageBox::Ok)->click();
      answered = true;
    }
    return false;
  });
  if (other.joinable()) other.join();
  EXPECT_TRUE(done);
  EXPECT_TRUE(exchanged);
  EXPECT_TRUE(boxText.startsWith("Unable to open virtual port \"COM3\"."));
  close(appA);
  // The application lets go first, so that the server's close is no error to report.
  close(appB);
  EXPECT_TRUE(SpinUntil([&] { return Text(window, "1170") == "Closed"; }));
  close(peerB);
  table.reset();
  platform::InstallPrompt(&threadPrompt);
}

}  // namespace
}  // namespace vport
