// The port commands as the main window runs them: enabled only with the list focused and a row
// selected, on the selected row's device and port, after the search is stopped, with the real port
// table (pty ports), the view store's list and the ports' status windows. The dialogs and boxes
// are answered by the test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "app/DesktopPortCommands.h"
#include "app/FrameIds.h"
#include "app_qt/ScriptedListFixture.h"
#include "discovery/CPleaseWaitDlg.h"
#include "platform/FakeClock.h"
#include "platform/RegistryStore.h"
#include "platform/ScriptedPrompt.h"
#include "platform/SerialPortList.h"
#include "support/QtTestApplication.h"
#include "vport/AddVirtualPortForm.h"
#include "vport/CVirtualPortTable.h"
#include "vport/DeleteVirtualPortForm.h"
#include "vport/PortStatusWindows.h"
#include "vport/TempPortDir.h"
#include "vport/VirtualPortDialogs.h"

namespace {

namespace cmd = app::cmd;
using views::test::Device;
using views::test::ScriptedRecord;

const std::string kRoot = "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan";
constexpr const char* kLab = "Views\\Lab";

// The dialogs as the user answers them: the form each one was opened with is kept, and the
// answer picks an entry of its list (or cancels).
class AnsweredDialogs : public vport::VirtualPortDialogs {
 public:
  std::optional<vport::AddVirtualPortForm> added;  // the add dialog as it opened
  std::optional<vport::DeleteVirtualPortForm> deleted;
  int addIndex = 0;  // the list entry chosen; -1 cancels
  int deleteIndex = 0;

  bool RunAddDialog(vport::AddVirtualPortForm& form) override {
    form.Open();
    added = form;
    if (addIndex < 0) return false;
    form.Accept(form.Adding() ? addIndex : form.InitialSelection(), false);
    return true;
  }
  bool RunDeleteDialog(vport::DeleteVirtualPortForm& form) override {
    deleted = form;
    if (deleteIndex < 0) return false;
    form.Accept(deleteIndex);
    return true;
  }
};

class DesktopPortCommandsTest : public ScriptedListFixture {
 protected:
  static void SetUpTestSuite() { testsupport::EnsureQApplication("appqt_DesktopPortCommandsTest"); }

  DesktopPortCommandsTest() {
    platform::InstallPrompt(&threadPrompt_);
    platform::SerialPortList::SetSystemSerialPortsForTest(
        std::vector<platform::SerialPortList::Entry>{});
    settings_.WriteInt(kLab, "Type", 6);
    settings_.WriteInt(kLab, "Icons", 16);
    settings_.WriteString(kLab, "Columns", "System Name,IP Address,H/W Address,Virtual Port");
    settings_.WriteString(kLab, "Sort", ">IP Address");
    settings_.WriteInt("Views\\Netware", "Type", 7);
    settings_.WriteInt("Views\\Netware", "Icons", 16);
    settings_.WriteString("General", "CurrentView", "Lab");
    windows_ = std::make_unique<vport::PortStatusWindows>(
        vport::PortStatusWindows::Services{&prompt_, nullptr, "Portolan", {}});
    vport::CVirtualPortTable::Options options;
    options.observer = &windows_->Observer();
    table_ = std::make_unique<vport::CVirtualPortTable>(registry_, kRoot, options);
    windows_->SetTable(table_.get());

    store_.SetPrompt(&prompt_);
    store_.SetWaitWindow(&wait_);
    store_.SetPortLookup(
        [this](const std::string& hw, int port) { return table_->FindPort(hw, port); });
    OpenStore();
    commands_ = std::make_unique<app::DesktopPortCommands>(
        frame_, store_, table_.get(), dialogs_, prompt_, "Portolan",
        [this](int code) { errors_.push_back(code); });
  }
  ~DesktopPortCommandsTest() override {
    commands_.reset();
    windows_->SetTable(nullptr);
    table_.reset();
    windows_.reset();
    platform::SerialPortList::SetSystemSerialPortsForTest(std::nullopt);
    platform::InstallPrompt(nullptr);
  }

  std::vector<std::string> VirtualPortColumn() const { return list_.ColumnTexts(3); }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const auto& record : prompt_.Records()) texts.push_back(record.text);
    return texts;
  }
  std::string TcpPortOf(int n) const {
    std::string comName, hw, tcpPort;
    int32_t devPort = 0;
    uint32_t flags = 0;
    table_->GetPortInfo(n, comName, hw, devPort, flags, tcpPort);
    return tcpPort;
  }

  vport::test::TempPortDir portDir_;
  platform::ScriptedPrompt threadPrompt_;  // the port threads' boxes
  platform::FakeClock clock_;
  discovery::CPleaseWaitDlg wait_{true, clock_};
  std::unique_ptr<vport::PortStatusWindows> windows_;
  std::unique_ptr<vport::CVirtualPortTable> table_;
  AnsweredDialogs dialogs_;
  std::vector<int> errors_;
  std::unique_ptr<app::DesktopPortCommands> commands_;
};

TEST_F(DesktopPortCommandsTest, CommandsRunOnlyWithTheListFocusedAndARowSelected) {
  Searching({Device(1, "one")});
  for (int id : {cmd::kVirtualPort, cmd::kConnectionStatus, cmd::kDeletePortByNumber,
                 cmd::kDeletePortByNumber2}) {
    EXPECT_TRUE(frame_.HasHandler(id)) << id;
    EXPECT_FALSE(frame_.StateOf(id).enabled) << id;
    EXPECT_FALSE(frame_.RunCommand(id)) << id;
  }
  EXPECT_FALSE(dialogs_.added);

  Select(0);
  dialogs_.addIndex = -1;
  EXPECT_TRUE(frame_.StateOf(cmd::kVirtualPort).enabled);
  EXPECT_TRUE(frame_.RunCommand(cmd::kVirtualPort));
  ASSERT_TRUE(dialogs_.added);
  // Both ids of Delete Port by Number reach it.
  EXPECT_TRUE(frame_.RunCommand(cmd::kDeletePortByNumber));
  EXPECT_TRUE(frame_.RunCommand(cmd::kDeletePortByNumber2));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"No virtual COM ports are defined",
                                               "No virtual COM ports are defined"}));

  // Multi-selection leaves none of them.
  frame_.RunCommand(cmd::kMultiSelect);
  EXPECT_FALSE(frame_.StateOf(cmd::kVirtualPort).enabled);
  EXPECT_FALSE(frame_.StateOf(cmd::kDeletePortByNumber).enabled);

  // Gone with the commands object: the menu shows them disabled.
  commands_.reset();
  EXPECT_FALSE(frame_.HasHandler(cmd::kVirtualPort));
  EXPECT_FALSE(frame_.HasHandler(cmd::kDeletePortByNumber2));
}

TEST_F(DesktopPortCommandsTest, VirtualPortBindsTheSelectedPortAndTheColumnFollows) {
  Searching({Device(1, "one"), Device(2, "two", 2)});
  ASSERT_EQ(list_.GetRowCount(), 3);
  Select(2);  // "two", Port # 2
  ASSERT_TRUE(Engine().IsBusy());

  ASSERT_TRUE(frame_.RunCommand(cmd::kVirtualPort));
  EXPECT_FALSE(Engine().IsBusy());  // the search was stopped first
  EXPECT_EQ(Engine().stops, 1);
  EXPECT_EQ(list_.GetSelectedRow(), 2);  // and the row picked while it ran stays picked
  ASSERT_TRUE(dialogs_.added);
  EXPECT_TRUE(dialogs_.added->Adding());
  EXPECT_EQ(dialogs_.added->ipAddr, "10.0.0.2");
  EXPECT_EQ(dialogs_.added->ServerPortText(), "2");
  EXPECT_EQ(dialogs_.added->ListNumbers().front(), 1);
  EXPECT_EQ(table_->FindPort("00409D000002", 1), 1);
  EXPECT_EQ(TcpPortOf(1), "9101");
  EXPECT_EQ(::access(portDir_.Entry("COM1").c_str(), F_OK), 0);
  EXPECT_EQ(VirtualPortColumn(), (std::vector<std::string>{"", "", "COM1"}));
  EXPECT_TRUE(prompt_.Records().empty());

  // The same port again: the dialog confirms the deletion of COM1.
  dialogs_.added.reset();
  ASSERT_TRUE(frame_.RunCommand(cmd::kVirtualPort));
  ASSERT_TRUE(dialogs_.added);
  EXPECT_EQ(dialogs_.added->comNumber, 1);
  EXPECT_EQ(table_->FindPort("00409D000002", 1), -1);
  EXPECT_NE(::access(portDir_.Entry("COM1").c_str(), F_OK), 0);
  EXPECT_EQ(VirtualPortColumn(), (std::vector<std::string>{"", "", ""}));
}

TEST_F(DesktopPortCommandsTest, DeleteByNumberClearsThePortFromEveryRow) {
  Searching({Device(1, "one"), Device(2, "two")});
  Select(1);
  dialogs_.addIndex = 2;  // COM3
  ASSERT_TRUE(frame_.RunCommand(cmd::kVirtualPort));
  ASSERT_EQ(table_->FindPort("00409D000002", 0), 3);
  EXPECT_EQ(VirtualPortColumn(), (std::vector<std::string>{"", "COM3"}));

  Select(0);  // another device: the number, not the selection, says which port goes
  ASSERT_TRUE(frame_.RunCommand(cmd::kDeletePortByNumber));
  ASSERT_TRUE(dialogs_.deleted);
  EXPECT_EQ(dialogs_.deleted->ListNumbers(), std::vector<int>{3});
  EXPECT_EQ(table_->GetSlotState(3), vport::PORT_SLOT_FREE);
  EXPECT_EQ(VirtualPortColumn(), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(list_.GetSelectedRow(), 0);
}

TEST_F(DesktopPortCommandsTest, ADeviceWithoutDetailsIsQueriedBeforeTheDialog) {
  Searching({Device(1, "one")});
  frame_.StopSearch();
  auto* record = static_cast<ScriptedRecord*>(Engine().GetDevice(0));
  const uint8_t cut[] = {0x01, 0x02};
  record->FillFromReply(cut, sizeof cut);  // a damaged answer: its details are gone
  ASSERT_FALSE(record->IsValid());
  Select(0);

  // No answer this time either: the user hears that the server cannot be reached.
  ASSERT_TRUE(frame_.RunCommand(cmd::kVirtualPort));
  EXPECT_EQ(record->queries, 1);
  EXPECT_EQ(errors_, std::vector<int>{5018});
  EXPECT_FALSE(dialogs_.added);

  // It answers: the dialog opens on the fresh values and binds the device's own address.
  record = static_cast<ScriptedRecord*>(Engine().GetDevice(0));
  record->next = discovery::test::BuildReply(Device(1, "one"));
  Select(0);
  ASSERT_TRUE(frame_.RunCommand(cmd::kVirtualPort));
  EXPECT_EQ(record->queries, 2);
  ASSERT_TRUE(dialogs_.added);
  EXPECT_EQ(dialogs_.added->ipAddr, "10.0.0.1");
  EXPECT_EQ(table_->FindPort("00409D000001", 0), 1);
  EXPECT_EQ(VirtualPortColumn(), std::vector<std::string>{"COM1"});
  EXPECT_EQ(errors_.size(), 1u);
}

TEST_F(DesktopPortCommandsTest, ConnectionStatusShowsTheWindowOfTheSelectedPort) {
  Searching({Device(1, "one"), Device(2, "two")});
  Select(0);
  ASSERT_TRUE(frame_.RunCommand(cmd::kConnectionStatus));
  EXPECT_EQ(Boxes(),
            std::vector<std::string>{"No virtual COM port is associated with this server/port"});
  EXPECT_FALSE(Engine().IsBusy());

  Select(1);
  ASSERT_TRUE(frame_.RunCommand(cmd::kVirtualPort));
  ASSERT_EQ(table_->FindPort("00409D000002", 0), 1);
  ASSERT_TRUE(frame_.RunCommand(cmd::kConnectionStatus));
  // The port's thread answers through the windows' observer, on the GUI thread's queue.
  vport::PortStatusWindow* window = nullptr;
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while ((window == nullptr || !window->isVisible()) && std::chrono::steady_clock::now() < limit) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    window = windows_->Window("COM1");
  }
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), "Virtual Port Status: COM1");
  EXPECT_EQ(windows_->Window("COM2"), nullptr);
  EXPECT_EQ(prompt_.Count(), 1u);
}

TEST_F(DesktopPortCommandsTest, OutsideATcpIpViewTheVirtualPortCommandRefuses) {
  store_.SelectView(store_.FindNode("Netware"), false, true);
  face_.listFocus = face_.listSelection = true;  // as the window would say
  ASSERT_TRUE(frame_.RunCommand(cmd::kVirtualPort));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Protocol not supported"});
  EXPECT_FALSE(dialogs_.added);
}

}  // namespace
