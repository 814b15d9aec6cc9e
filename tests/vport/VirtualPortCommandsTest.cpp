#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "BridgeTestSupport.h"
#include "TempPortDir.h"
#include "platform/FakeClock.h"
#include "platform/Prompt.h"
#include "platform/RegistryStore.h"
#include "platform/RegistryTestDir.h"
#include "platform/ScriptedPrompt.h"
#include "platform/SerialPortList.h"
#include "vport/AddVirtualPortForm.h"
#include "vport/CVirtualPortTable.h"
#include "vport/DeleteVirtualPortForm.h"
#include "vport/PortFlags.h"
#include "vport/VirtualPortCommands.h"
#include "vport/VirtualPortDialogs.h"

namespace vport {
namespace {

const std::string kRoot = "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan";
const std::string kHw = "00-80-D4-01-02-03";

// Dialogs answered by the test: each call hands the form to a script, which plays the user.
class ScriptedDialogs : public VirtualPortDialogs {
 public:
  std::function<bool(AddVirtualPortForm&)> add;
  std::function<bool(DeleteVirtualPortForm&)> del;
  int addRuns = 0;
  int deleteRuns = 0;

  bool RunAddDialog(AddVirtualPortForm& form) override {
    ++addRuns;
    form.Open();
    return add ? add(form) : false;
  }
  bool RunDeleteDialog(DeleteVirtualPortForm& form) override {
    ++deleteRuns;
    return del ? del(form) : false;
  }
};

// Picks COMn from the add dialog's list, with the Advanced choices and the check box given.
std::function<bool(AddVirtualPortForm&)> Choose(int n, bool autoStart, bool rfc2217 = false,
                                                bool strictBaud = false) {
  return [=](AddVirtualPortForm& form) {
    VirtualPortAdvancedForm advanced = form.AdvancedForm();
    advanced.Accept(rfc2217, strictBaud);
    form.AdvancedClosed(advanced, true);
    const std::vector<int> numbers = form.ListNumbers();
    int index = -1;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
      if (numbers[i] == n) index = static_cast<int>(i);
    }
    form.Accept(index, autoStart);
    return true;
  };
}

class CommandsTest : public ::testing::Test {
 protected:
  CommandsTest() {
    platform::InstallPrompt(&threadPrompt);
    platform::SerialPortList::SetSystemSerialPortsForTest(
        std::vector<platform::SerialPortList::Entry>{});
    CVirtualPortTable::Options options;
    options.clock = &fakeClock;
    options.observer = &observer;
    table = std::make_unique<CVirtualPortTable>(store, kRoot, options);
    hooks.stopSearch = [this] { ++stops; };
    hooks.columnChanged = [this](const VirtualPortColumnChange& change) {
      changes.push_back(change);
    };
    hooks.reportError = [this](int code) { errors.push_back(code); };
  }
  ~CommandsTest() override {
    table.reset();
    platform::SerialPortList::SetSystemSerialPortsForTest(std::nullopt);
    platform::InstallPrompt(nullptr);
  }

  VirtualPortCommands Commands() {
    return VirtualPortCommands(table.get(), dialogs, prompt, "Portolan", hooks);
  }
  static SelectedDevicePort Device(int32_t devPort) {
    return SelectedDevicePort{"127.0.0.1", kHw, devPort, 4, true};
  }
  std::string SettingsFile() { return platform::RegistryTestDir::Read(registryFile); }
  bool Stored(int n) { return store.KeyExists(kRoot + "\\Ports\\COM" + std::to_string(n)); }
  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const auto& record : prompt.Records()) texts.push_back(record.text);
    return texts;
  }
  struct PortInfo {
    std::string tcpPort;
    uint32_t flags = 0;
  };
  PortInfo Info(int n) {
    std::string comName, hw;
    int32_t devPort = 0;
    PortInfo info;
    table->GetPortInfo(n, comName, hw, devPort, info.flags, info.tcpPort);
    return info;
  }

  test::TempPortDir portDir;
  platform::RegistryTestDir registryDir;
  std::string registryFile = registryDir.File("registry.reg");
  platform::RegistryStore store{registryFile};
  platform::ScriptedPrompt prompt;        // the command's own boxes
  platform::ScriptedPrompt threadPrompt;  // the boxes of the port threads
  platform::FakeClock fakeClock;
  test::RecordingObserver observer;
  std::unique_ptr<CVirtualPortTable> table;
  ScriptedDialogs dialogs;
  VirtualPortCommands::Hooks hooks;
  int stops = 0;
  std::vector<VirtualPortColumnChange> changes;
  std::vector<int> errors;
};

TEST(TcpPortRule, RawIs9100AndRfc2217Is9200PlusThePortIndex) {
  EXPECT_EQ(VirtualPortCommands::TcpPortFor(false, 0), "9100");
  EXPECT_EQ(VirtualPortCommands::TcpPortFor(true, 0), "9200");
  EXPECT_EQ(VirtualPortCommands::TcpPortFor(false, 15), "9115");
  EXPECT_EQ(VirtualPortCommands::TcpPortFor(true, 3), "9203");
  EXPECT_EQ(VirtualPortCommands::FlagsFor(true, false, false), PORTFLAG_RFC2217);
  EXPECT_EQ(VirtualPortCommands::FlagsFor(false, true, true),
            PORTFLAG_AUTOSTART | PORTFLAG_STRICTBAUD);
}

TEST_F(CommandsTest, AddWithoutConnectAtStartMakesThePortAndStoresNothing) {
  // A record of an earlier binding of COM5, which must not come back at the next start.
  store.SetString(kRoot + "\\Ports\\COM5", "DevHwAddr", "00-80-D4-09-09-09");
  store.SetString(kRoot + "\\Ports\\COM5", "DevTcpPrt", "9103");
  std::string shownPort;
  bool listed5 = false;
  dialogs.add = [&](AddVirtualPortForm& form) {
    shownPort = form.ServerPortText();
    for (int n : form.ListNumbers()) listed5 = listed5 || n == 5;
    EXPECT_EQ(form.Caption(), "Add Virtual COM port");
    EXPECT_EQ(form.OkText(), "Add");
    EXPECT_EQ(form.HelpTopic(), 77u);
    EXPECT_FALSE(form.AdvancedForm().readOnly);
    return Choose(5, false)(form);
  };
  auto commands = Commands();
  EXPECT_EQ(commands.CreateOrDelete(Device(0)), VirtualPortCommands::Result::kAdded);
  EXPECT_EQ(shownPort, "1");
  EXPECT_TRUE(listed5);
  EXPECT_EQ(table->GetSlotState(5), PORT_SLOT_DEFINED);
  EXPECT_EQ(table->FindPort(kHw, 0), 5);
  EXPECT_EQ(Info(5).tcpPort, "9100");
  EXPECT_EQ(Info(5).flags, 0u);
  struct stat info {};
  EXPECT_EQ(lstat(portDir.Entry("COM5").c_str(), &info), 0);
  EXPECT_FALSE(Stored(5));
  EXPECT_EQ(SettingsFile().find("COM5"), std::string::npos);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].comName, "COM5");
  EXPECT_EQ(changes[0].hwAddr, kHw);
  EXPECT_EQ(changes[0].devPort, 0);
  EXPECT_TRUE(changes[0].bound);
  EXPECT_EQ(stops, 1);
  EXPECT_TRUE(Texts().empty());
}

TEST_F(CommandsTest, AddWithConnectAtStartStoresThePortOnceItIsUp) {
  dialogs.add = Choose(7, true, true, true);
  auto commands = Commands();
  EXPECT_EQ(commands.CreateOrDelete(Device(2)), VirtualPortCommands::Result::kAdded);
  EXPECT_EQ(Info(7).tcpPort, "9202");
  EXPECT_EQ(Info(7).flags, PORTFLAG_RFC2217 | PORTFLAG_AUTOSTART | PORTFLAG_STRICTBAUD);
  const std::string file = SettingsFile();
  const std::size_t key = file.find("[" + kRoot + "\\Ports\\COM7]");
  ASSERT_NE(key, std::string::npos) << file;
  const std::string section = file.substr(key);
  EXPECT_NE(section.find("\"DevHwAddr\"=\"" + kHw + "\""), std::string::npos);
  EXPECT_NE(section.find("\"DevIpAddr\"=\"127.0.0.1\""), std::string::npos);
  EXPECT_NE(section.find("\"DevTcpPrt\"=\"9202\""), std::string::npos);
  EXPECT_NE(section.find("\"ComPrtNum\"=dword:00000007"), std::string::npos);
  EXPECT_NE(section.find("\"DevPrtNum\"=dword:00000002"), std::string::npos);
  EXPECT_NE(section.find("\"PortFlags\"=dword:00000007"), std::string::npos);
  EXPECT_TRUE(Texts().empty());
}

TEST_F(CommandsTest, AddOfAPortThatCannotComeUpStoresNothing) {
  // Something foreign under the port's name: the local port cannot be made.
  { std::ofstream(portDir.Entry("COM9")) << "not ours"; }
  dialogs.add = Choose(9, true);
  auto commands = Commands();
  EXPECT_EQ(commands.CreateOrDelete(Device(0)), VirtualPortCommands::Result::kFailed);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Unable to create virtual port"});
  // The port thread said why, before the command gave its result.
  ASSERT_EQ(threadPrompt.Count(), 1u);
  EXPECT_EQ(threadPrompt.Records()[0].text, "Error creating virtual port \"COM9\".");
  EXPECT_EQ(table->GetSlotState(9), PORT_SLOT_FREE);
  EXPECT_FALSE(Stored(9));
  EXPECT_TRUE(changes.empty());
}

TEST_F(CommandsTest, AddWithAnEmptyListFails) {
  dialogs.add = [](AddVirtualPortForm& form) {
    form.Accept(-1, true);
    return true;
  };
  auto commands = Commands();
  EXPECT_EQ(commands.CreateOrDelete(Device(0)), VirtualPortCommands::Result::kFailed);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Unable to create virtual port"});
}

TEST_F(CommandsTest, CancelChangesNothing) {
  auto commands = Commands();
  EXPECT_EQ(commands.CreateOrDelete(Device(0)), VirtualPortCommands::Result::kCancelled);
  EXPECT_EQ(dialogs.addRuns, 1);
  for (int n = 1; n <= 255; ++n) ASSERT_EQ(table->GetSlotState(n), PORT_SLOT_FREE);
  EXPECT_TRUE(changes.empty());
}

TEST_F(CommandsTest, LineSettingsOfTheAdvancedDialogGoWithThePortAndItsRecord) {
  dialogs.add = [](AddVirtualPortForm& form) {
    VirtualPortAdvancedForm advanced = form.AdvancedForm();
    EXPECT_TRUE(advanced.Accept(true, false, "7E1"));
    form.AdvancedClosed(advanced, true);
    form.Accept(0, true);
    return true;
  };
  auto commands = Commands();
  EXPECT_EQ(commands.CreateOrDelete(Device(1)), VirtualPortCommands::Result::kAdded);
  const int n = table->FindPort(kHw, 1);
  ASSERT_GT(n, 0);
  ASSERT_TRUE(table->GetPortLineSettings(n).has_value());
  EXPECT_EQ(table->GetPortLineSettings(n)->Text(), "7E1");
  EXPECT_NE(SettingsFile().find("\"LineSettings\"=\"7E1\""), std::string::npos);
  // The command on the bound port shows them, read-only.
  dialogs.add = [](AddVirtualPortForm& form) {
    const VirtualPortAdvancedForm advanced = form.AdvancedForm();
    EXPECT_TRUE(advanced.readOnly);
    EXPECT_EQ(advanced.lineText, "7E1");
    return false;
  };
  EXPECT_EQ(commands.CreateOrDelete(Device(1)), VirtualPortCommands::Result::kCancelled);
}

TEST_F(CommandsTest, CommandOnABoundPortOpensTheDialogToDeleteIt) {
  ASSERT_EQ(table->CreatePort(4, kHw, 1, "127.0.0.1", "9201", PORTFLAG_RFC2217 | PORTFLAG_AUTOSTART,
                              true),
            0);
  table->SavePort(4);
  dialogs.add = [](AddVirtualPortForm& form) {
    EXPECT_EQ(form.comNumber, 4);
    EXPECT_EQ(form.Caption(), "Delete virtual port COM4");
    EXPECT_EQ(form.OkText(), "Delete");
    EXPECT_FALSE(form.ListEnabled());
    EXPECT_FALSE(form.AutoStartEnabled());
    EXPECT_TRUE(form.autoStart);
    EXPECT_TRUE(form.rfc2217);
    EXPECT_FALSE(form.strictBaud);
    EXPECT_EQ(form.HelpTopic(), 12u);
    const std::vector<int> numbers = form.ListNumbers();
    EXPECT_EQ(numbers[static_cast<std::size_t>(form.InitialSelection())], 4);
    // The Advanced dialog only shows the options.
    VirtualPortAdvancedForm advanced = form.AdvancedForm();
    EXPECT_TRUE(advanced.readOnly);
    advanced.Accept(false, true);
    form.AdvancedClosed(advanced, true);
    EXPECT_TRUE(form.rfc2217);
    form.Accept(form.InitialSelection(), form.autoStart);
    return true;
  };
  auto commands = Commands();
  EXPECT_EQ(commands.CreateOrDelete(Device(1)), VirtualPortCommands::Result::kDeleted);
  EXPECT_EQ(table->GetSlotState(4), PORT_SLOT_FREE);
  EXPECT_FALSE(Stored(4));
  EXPECT_EQ(SettingsFile().find("COM4"), std::string::npos);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].comName, "COM4");
  EXPECT_FALSE(changes[0].bound);
}

TEST_F(CommandsTest, DeleteWhileAnApplicationHoldsThePortKeepsPortAndRecord) {
  ASSERT_EQ(table->CreatePort(3, kHw, 0, "127.0.0.1", "1", PORTFLAG_AUTOSTART, true), 0);
  table->SavePort(3);
  const int fd = open(portDir.Entry("COM3").c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(observer.WaitFor("COM3 Closed"));  // nobody listens on port 1
  dialogs.add = [](AddVirtualPortForm& form) {
    form.Accept(form.InitialSelection(), form.autoStart);
    return true;
  };
  auto commands = Commands();
  EXPECT_EQ(commands.CreateOrDelete(Device(0)), VirtualPortCommands::Result::kFailed);
  EXPECT_EQ(Texts(), std::vector<std::string>{
                         "Unable to delete virtual port COM3\nAn application may have the port "
                         "open."});
  EXPECT_EQ(table->GetSlotState(3), PORT_SLOT_DEFINED);
  EXPECT_TRUE(Stored(3));
  EXPECT_TRUE(changes.empty());
  close(fd);
}

TEST_F(CommandsTest, DeleteByNumberWithNoPortSaysSo) {
  auto commands = Commands();
  EXPECT_EQ(commands.DeleteByNumber(), VirtualPortCommands::Result::kNothing);
  EXPECT_EQ(Texts(), std::vector<std::string>{"No virtual COM ports are defined"});
  EXPECT_EQ(dialogs.deleteRuns, 0);
  EXPECT_EQ(stops, 1);
}

TEST_F(CommandsTest, DeleteByNumberRemovesPortAndRecordAndClearsTheColumn) {
  ASSERT_EQ(table->CreatePort(2, kHw, 1, "127.0.0.1", "9101", PORTFLAG_AUTOSTART, true), 0);
  ASSERT_EQ(table->CreatePort(250, "hw2", 0, "127.0.0.1", "9100", 0, true), 0);
  table->SavePort(2);
  std::vector<int> listed;
  dialogs.del = [&](DeleteVirtualPortForm& form) {
    listed = form.ListNumbers();
    EXPECT_EQ(form.InitialSelection(), 0);
    form.Accept(0);
    return true;
  };
  auto commands = Commands();
  EXPECT_EQ(commands.DeleteByNumber(), VirtualPortCommands::Result::kDeleted);
  EXPECT_EQ(listed, (std::vector<int>{2, 250}));
  EXPECT_EQ(table->GetSlotState(2), PORT_SLOT_FREE);
  EXPECT_EQ(table->GetSlotState(250), PORT_SLOT_DEFINED);
  EXPECT_FALSE(Stored(2));
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].comName, "COM2");
  EXPECT_EQ(changes[0].hwAddr, kHw);
  EXPECT_EQ(changes[0].devPort, 1);
  EXPECT_FALSE(changes[0].bound);
  EXPECT_TRUE(Texts().empty());
}

TEST_F(CommandsTest, DeleteByNumberOfAHeldPortAsksAboutTheRecord) {
  ASSERT_EQ(table->CreatePort(6, kHw, 0, "127.0.0.1", "1", PORTFLAG_AUTOSTART, true), 0);
  table->SavePort(6);
  const int fd = open(portDir.Entry("COM6").c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(observer.WaitFor("COM6 Closed"));
  dialogs.del = [](DeleteVirtualPortForm& form) {
    form.Accept(0);
    return true;
  };
  auto commands = Commands();
  prompt.QueueAnswer(platform::IDNO);
  EXPECT_EQ(commands.DeleteByNumber(), VirtualPortCommands::Result::kFailed);
  EXPECT_TRUE(Stored(6));
  prompt.QueueAnswer(platform::IDYES);
  EXPECT_EQ(commands.DeleteByNumber(), VirtualPortCommands::Result::kKeyDeleted);
  EXPECT_FALSE(Stored(6));
  EXPECT_EQ(table->GetSlotState(6), PORT_SLOT_DEFINED);  // the port stays while it is held
  const auto records = prompt.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].text,
            "Unable to delete virtual port COM6\nAn application may have the port open.\nDo you "
            "want to delete the Registry key for this port?");
  EXPECT_EQ(records[0].type & platform::MB_TYPEMASK, platform::MB_YESNO);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_TRUE(changes[0].bound);
  close(fd);
}

TEST_F(CommandsTest, AvailabilityCoversOneTo255WithoutTheSystemsOrTakenPorts) {
  platform::SerialPortList::SetSystemSerialPortsForTest(
      platform::SerialPortList::FromList("COM1,COM254"));
  table.reset();
  CVirtualPortTable::Options options;
  options.clock = &fakeClock;
  table = std::make_unique<CVirtualPortTable>(store, kRoot, options);
  ASSERT_EQ(table->CreatePort(255, "other", 0, "127.0.0.1", "9100", 0, true), 0);
  std::vector<int> numbers;
  dialogs.add = [&](AddVirtualPortForm& form) {
    numbers = form.ListNumbers();
    return false;
  };
  auto commands = Commands();
  EXPECT_EQ(commands.CreateOrDelete(Device(0)), VirtualPortCommands::Result::kCancelled);
  ASSERT_EQ(numbers.size(), 252u);
  EXPECT_EQ(numbers.front(), 2);
  EXPECT_EQ(numbers.back(), 253);

  // With 255 free, it is the last entry offered.
  EXPECT_EQ(table->DestroyPort(255), 0);
  EXPECT_EQ(commands.CreateOrDelete(Device(0)), VirtualPortCommands::Result::kCancelled);
  ASSERT_EQ(numbers.size(), 253u);
  EXPECT_EQ(numbers.back(), 255);
}

TEST_F(CommandsTest, ViewStatusShowsThePortsWindowOrSaysThereIsNone) {
  auto commands = Commands();
  EXPECT_EQ(commands.ViewStatus(Device(0)), VirtualPortCommands::Result::kNothing);
  EXPECT_EQ(Texts(),
            std::vector<std::string>{"No virtual COM port is associated with this server/port"});
  EXPECT_EQ(commands.ViewStatus(std::nullopt), VirtualPortCommands::Result::kNothing);
  ASSERT_EQ(table->CreatePort(8, kHw, 0, "127.0.0.1", "9100", 0, true), 0);
  EXPECT_EQ(commands.ViewStatus(Device(0)), VirtualPortCommands::Result::kShown);
  EXPECT_EQ(stops, 3);
}

TEST_F(CommandsTest, OnlyTcpIpViewsAndDevicesWithDetails) {
  hooks.viewIsTcpIp = [] { return false; };
  {
    auto commands = Commands();
    EXPECT_EQ(commands.CreateOrDelete(Device(0)), VirtualPortCommands::Result::kNothing);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Protocol not supported"});
  }
  hooks.viewIsTcpIp = [] { return true; };
  int rebuilds = 0;
  hooks.rebuildSelected = [&]() -> std::optional<SelectedDevicePort> {
    ++rebuilds;
    SelectedDevicePort device = Device(0);
    device.detailsRead = false;
    return device;
  };
  auto commands = Commands();
  SelectedDevicePort unread = Device(0);
  unread.detailsRead = false;
  EXPECT_EQ(commands.CreateOrDelete(unread), VirtualPortCommands::Result::kFailed);
  EXPECT_EQ(rebuilds, 1);
  EXPECT_EQ(errors, std::vector<int>{5018});
  EXPECT_EQ(dialogs.addRuns, 0);

  // A rebuild that reads the details gives the command the fresh values.
  hooks.rebuildSelected = [] { return std::optional<SelectedDevicePort>(Device(3)); };
  auto again = Commands();
  int shownDevPort = -1;
  dialogs.add = [&](AddVirtualPortForm& form) {
    shownDevPort = form.devPort;
    return false;
  };
  EXPECT_EQ(again.CreateOrDelete(unread), VirtualPortCommands::Result::kCancelled);
  EXPECT_EQ(shownDevPort, 3);
  EXPECT_EQ(commands.CreateOrDelete(std::nullopt), VirtualPortCommands::Result::kNothing);
}

TEST_F(CommandsTest, WithoutATableNothingHappens) {
  VirtualPortCommands commands(nullptr, dialogs, prompt, "Portolan", hooks);
  EXPECT_EQ(commands.CreateOrDelete(Device(0)), VirtualPortCommands::Result::kNothing);
  EXPECT_EQ(commands.DeleteByNumber(), VirtualPortCommands::Result::kNothing);
  EXPECT_EQ(commands.ViewStatus(Device(0)), VirtualPortCommands::Result::kNothing);
  EXPECT_EQ(dialogs.addRuns + dialogs.deleteRuns, 0);
  EXPECT_TRUE(Texts().empty());
}

}  // namespace
}  // namespace vport
