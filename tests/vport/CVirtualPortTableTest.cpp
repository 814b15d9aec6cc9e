#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "BridgeTestSupport.h"
#include "TempPortDir.h"
#include "platform/FakeClock.h"
#include "platform/Prompt.h"
#include "platform/RegistryStore.h"
#include "platform/ScriptedPrompt.h"
#include "platform/SerialPortList.h"
#include "vport/BridgeCodes.h"
#include "vport/CVirtualPortTable.h"

namespace vport {
namespace {

const std::string kRoot = "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan";

class TableTest : public ::testing::Test {
 protected:
  TableTest() {
    platform::InstallPrompt(&prompt);
    platform::SerialPortList::SetSystemSerialPortsForTest(
        std::vector<platform::SerialPortList::Entry>{});
  }
  ~TableTest() override {
    platform::SerialPortList::SetSystemSerialPortsForTest(std::nullopt);
    platform::InstallPrompt(nullptr);
  }
  void SetSystemPorts(const std::string& list) {
    platform::SerialPortList::SetSystemSerialPortsForTest(platform::SerialPortList::FromList(list));
  }
  // A table that does not really wait out the start-up reset; its ports run on real time.
  std::unique_ptr<CVirtualPortTable> MakeTable() {
    CVirtualPortTable::Options options;
    options.clock = &fakeClock;
    options.observer = &observer;
    auto table = std::make_unique<CVirtualPortTable>(store, kRoot, options);
    return table;
  }
  void StorePort(int n, const std::string& hw, const std::string& ip, const std::string& tcp,
                 uint32_t devPort, uint32_t flags) {
    const std::string key = kRoot + "\\Ports\\COM" + std::to_string(n);
    if (!hw.empty()) store.SetString(key, "DevHwAddr", hw);
    if (!ip.empty()) store.SetString(key, "DevIpAddr", ip);
    store.SetString(key, "DevTcpPrt", tcp);
    store.SetDword(key, "ComPrtNum", static_cast<uint32_t>(n));
    store.SetDword(key, "DevPrtNum", devPort);
    store.SetDword(key, "PortFlags", flags);
  }

  test::TempPortDir portDir;
  platform::ScriptedPrompt prompt;
  platform::RegistryStore store{""};
  platform::FakeClock fakeClock;  // only the table's own start-up wait uses it
  test::RecordingObserver observer;
};

TEST(SystemPortNumber, TakesUpToThreeDigitsAfterCom) {
  EXPECT_EQ(CVirtualPortTable::SystemPortNumber("COM12"), 12);
  EXPECT_EQ(CVirtualPortTable::SystemPortNumber("COM1"), 1);
  EXPECT_EQ(CVirtualPortTable::SystemPortNumber("COM254"), 254);
  EXPECT_EQ(CVirtualPortTable::SystemPortNumber("COM255"), 0);
  EXPECT_EQ(CVirtualPortTable::SystemPortNumber("COM0"), 0);
  EXPECT_EQ(CVirtualPortTable::SystemPortNumber("COM1234"), 123);
  EXPECT_EQ(CVirtualPortTable::SystemPortNumber("ttyS3"), 0);
  EXPECT_EQ(CVirtualPortTable::SystemPortNumber("COM"), 0);
  EXPECT_EQ(CVirtualPortTable::SystemPortNumber("xCOMy7z"), 7);
  EXPECT_EQ(CVirtualPortTable::SystemPortNumber(std::string(200, 'C') + "COM5"), 0);
}

TEST_F(TableTest, StartsFreeAndMarksSystemPorts) {
  SetSystemPorts("COM12,COM255,COM0,LPT1,COM3");
  auto table = MakeTable();
  EXPECT_EQ(table->GetSlotState(12), PORT_SLOT_SYSTEM);
  EXPECT_EQ(table->GetSlotState(3), PORT_SLOT_SYSTEM);
  EXPECT_EQ(table->GetSlotState(255), PORT_SLOT_FREE);
  EXPECT_EQ(table->GetSlotState(1), PORT_SLOT_FREE);
  EXPECT_EQ(table->GetSlotState(0), PORT_SLOT_INVALID);
  EXPECT_EQ(table->GetSlotState(256), PORT_SLOT_INVALID);
  EXPECT_EQ(table->GetSlotState(-1), PORT_SLOT_INVALID);
  EXPECT_EQ(table->CreatePort(12, "00-80-D4-01-02-03", 0, "127.0.0.1", "9100", 0, true), 255);
  EXPECT_EQ(table->CreatePort(0, "hw", 0, "127.0.0.1", "9100", 0, true), 255);
  EXPECT_EQ(table->CreatePort(256, "hw", 0, "127.0.0.1", "9100", 0, true), 255);
}

TEST_F(TableTest, StartupRemovesLinksLeftByACrashedRun) {
  // A dangling link to a pty node, as a run that died leaves it.
  ASSERT_EQ(symlink("/dev/pts/999", portDir.Entry("COM9").c_str()), 0);
  auto table = MakeTable();
  struct stat info {};
  EXPECT_NE(lstat(portDir.Entry("COM9").c_str(), &info), 0);
}

TEST_F(TableTest, CreateFindInfoAndDestroy) {
  auto table = MakeTable();
  ASSERT_EQ(table->CreatePort(5, "00-80-D4-01-02-03", 1, "127.0.0.1", "9101", 0, true), 0);
  EXPECT_EQ(table->GetSlotState(5), PORT_SLOT_DEFINED);
  EXPECT_TRUE(observer.WaitFor("COM5 created " + portDir.Entry("COM5")));
  struct stat info {};
  EXPECT_EQ(lstat(portDir.Entry("COM5").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));

  std::string comName, hw, tcp;
  int32_t devPort = -1;
  uint32_t flags = 99;
  ASSERT_EQ(table->GetPortInfo(5, comName, hw, devPort, flags, tcp), 0);
  EXPECT_EQ(comName, "COM5");
  EXPECT_EQ(hw, "00-80-D4-01-02-03");
  EXPECT_EQ(devPort, 1);
  EXPECT_EQ(flags, 0u);
  EXPECT_EQ(tcp, "9101");
  EXPECT_EQ(table->GetPortInfo(6, comName, hw, devPort, flags, tcp), 255);
  EXPECT_EQ(table->GetPortInfo(0, comName, hw, devPort, flags, tcp), 255);

  EXPECT_EQ(table->FindPort("00-80-D4-01-02-03", 1), 5);
  EXPECT_EQ(table->FindPort("00-80-d4-01-02-03", 1), -1);  // case counts
  EXPECT_EQ(table->FindPort("00-80-D4-01-02-03", 0), -1);
  EXPECT_EQ(table->CreatePort(5, "x", 0, "127.0.0.1", "9100", 0, true), 255);  // taken

  EXPECT_EQ(table->DestroyPort(5), 0);
  EXPECT_EQ(table->GetSlotState(5), PORT_SLOT_FREE);
  EXPECT_NE(lstat(portDir.Entry("COM5").c_str(), &info), 0);
  EXPECT_EQ(table->FindPort("00-80-D4-01-02-03", 1), -1);
  EXPECT_TRUE(observer.WaitFor("COM5 removed"));
  EXPECT_EQ(table->DestroyPort(5), 0);  // free slot
  EXPECT_EQ(table->DestroyPort(0), 0);
  EXPECT_EQ(prompt.Count(), 0u);
}

TEST_F(TableTest, FailedCreationWithWaitLeavesSlotFreeAndTellsTheUser) {
  // Something foreign under the port's name: the port cannot be made.
  { std::ofstream(portDir.Entry("COM7")) << "not ours"; }
  auto table = MakeTable();
  EXPECT_EQ(table->CreatePort(7, "hw", 0, "127.0.0.1", "9100", 0, true), 255);
  EXPECT_EQ(table->GetSlotState(7), PORT_SLOT_FREE);
  ASSERT_EQ(prompt.Count(), 1u);
  EXPECT_EQ(prompt.Records()[0].text, "Error creating virtual port \"COM7\".");
  // The foreign file is left as it was.
  std::ifstream in(portDir.Entry("COM7"));
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "not ours");
}

TEST_F(TableTest, AFailedCreationSaysTheSystemsReason) {
  { std::ofstream(portDir.Entry("COM7")) << "not ours"; }
  StorePort(7, "hw7", "127.0.0.1", "9100", 0, PORTFLAG_AUTOSTART);
  auto table = MakeTable();
  table->LoadAllPorts();
  EXPECT_EQ(table->GetSlotState(7), PORT_SLOT_FREE);
  ASSERT_EQ(prompt.Count(), 1u);
  EXPECT_EQ(prompt.Records()[0].text, "Error creating virtual port \"COM7\".");
  EXPECT_TRUE(observer.WaitFor("COM7 not created: " + std::string(std::strerror(EEXIST))));
}

TEST_F(TableTest, StoredPortsAreMadeSideBySide) {
  for (int n = 20; n < 26; ++n) StorePort(n, "hw", "127.0.0.1", "9100", 0, 0);
  auto table = MakeTable();
  // With the clock held, every port waits in its priming: all six do at the same time.
  fakeClock.SetAutoAdvance(false);
  table->StartStoredPorts();
  ASSERT_TRUE(fakeClock.WaitForBlocked(6));
  EXPECT_EQ(table->GetSlotState(20), PORT_SLOT_DEFINED);  // taken while starting
  EXPECT_EQ(table->CreatePort(20, "x", 0, "127.0.0.1", "9100", 0, true), 255);
  EXPECT_FALSE(table->IsLive(20));
  EXPECT_FALSE(table->CollectStartedPorts(false));
  fakeClock.SetAutoAdvance(true);
  fakeClock.Advance(1000);
  EXPECT_TRUE(table->CollectStartedPorts(true));
  for (int n = 20; n < 26; ++n) EXPECT_TRUE(table->IsLive(n)) << n;
  EXPECT_EQ(prompt.Count(), 0u);
}

TEST_F(TableTest, AStartUpStoppedMidwayGivesUpThePortsStillBeingMade) {
  auto table = MakeTable();
  ASSERT_EQ(table->CreatePort(2, "hw2", 0, "127.0.0.1", "9100", 0, true), 0);  // up already
  for (int n = 30; n < 34; ++n) StorePort(n, "hw", "127.0.0.1", "9100", 0, 0);
  fakeClock.SetAutoAdvance(false);
  table->StartStoredPorts();
  ASSERT_TRUE(fakeClock.WaitForBlocked(4));
  int asked = 0;
  EXPECT_TRUE(table->CollectStartedPorts(true, [&] { return ++asked > 0; }));
  EXPECT_EQ(asked, 1);
  fakeClock.SetAutoAdvance(true);
  for (int n = 30; n < 34; ++n) {
    EXPECT_EQ(table->GetSlotState(n), PORT_SLOT_FREE) << n;
    struct stat info {};
    EXPECT_NE(lstat(portDir.Entry("COM" + std::to_string(n)).c_str(), &info), 0) << n;
  }
  EXPECT_EQ(prompt.Count(), 0u);  // given up, not failed
  EXPECT_TRUE(table->IsLive(2));
  EXPECT_TRUE(store.KeyExists(kRoot + "\\Ports\\COM30"));
}

TEST_F(TableTest, EndingTheTableDuringItsStartUpRemovesEveryPort) {
  for (int n = 40; n < 44; ++n) StorePort(n, "hw", "127.0.0.1", "9100", 0, 0);
  {
    auto table = MakeTable();
    fakeClock.SetAutoAdvance(false);
    table->StartStoredPorts();
    ASSERT_TRUE(fakeClock.WaitForBlocked(4));
  }
  EXPECT_TRUE(std::filesystem::is_empty(portDir.Path()));
  EXPECT_EQ(prompt.Count(), 0u);
}

TEST_F(TableTest, FailedCreationWithoutWaitIsNotLiveAndDestroyFreesIt) {
  { std::ofstream(portDir.Entry("COM8")) << "x"; }
  auto table = MakeTable();
  EXPECT_EQ(table->CreatePort(8, "hw", 2, "127.0.0.1", "9102", 0, false), 0);
  EXPECT_EQ(table->GetSlotState(8), PORT_SLOT_DEFINED);
  ASSERT_TRUE(prompt.WaitForCount(1));
  EXPECT_EQ(table->FindPort("hw", 2), -1);
  EXPECT_EQ(table->DestroyPort(8), 0);
  EXPECT_EQ(table->GetSlotState(8), PORT_SLOT_FREE);
}

TEST_F(TableTest, SavePortWritesTheLayout) {
  auto table = MakeTable();
  ASSERT_EQ(table->CreatePort(5, "00-80-D4-0A-0B-0C", 3, "127.0.0.1", "9203",
                              PORTFLAG_RFC2217 | PORTFLAG_AUTOSTART | 64, true),
            0);
  table->SavePort(5);
  table->SavePort(6);  // free: nothing
  const std::string key = kRoot + "\\Ports\\COM5";
  auto values = store.EnumValues(key);
  ASSERT_EQ(values.size(), 6u);
  EXPECT_EQ(values[0].name, "DevHwAddr");
  EXPECT_EQ(values[0].text, "00-80-D4-0A-0B-0C");
  EXPECT_EQ(values[1].name, "DevIpAddr");
  EXPECT_EQ(values[1].text, "127.0.0.1");
  EXPECT_EQ(values[2].name, "DevTcpPrt");
  EXPECT_EQ(values[2].type, platform::RegType::String);
  EXPECT_EQ(values[2].text, "9203");
  EXPECT_EQ(values[3].name, "ComPrtNum");
  EXPECT_EQ(values[3].dword, 5u);
  EXPECT_EQ(values[4].name, "DevPrtNum");
  EXPECT_EQ(values[4].dword, 3u);
  EXPECT_EQ(values[5].name, "PortFlags");
  EXPECT_EQ(values[5].dword, 1u | 2u | 64u);
  EXPECT_FALSE(store.KeyExists(kRoot + "\\Ports\\COM6"));

  table->DeletePortKey(5);
  EXPECT_FALSE(store.KeyExists(key));
}

TEST_F(TableTest, LoadAllPortsCreatesCompleteOnesAndDeletesIncompleteOnes) {
  StorePort(4, "hw4", "127.0.0.1", "9100", 0, PORTFLAG_AUTOSTART);
  StorePort(7, "hw7", "127.0.0.1", "", 0, PORTFLAG_AUTOSTART);  // empty DevTcpPrt
  StorePort(9, "", "127.0.0.1", "9100", 0, 0);                  // no DevHwAddr
  StorePort(11, "hw11", "127.0.0.1", "9101", 1, 0);
  store.SetDword(kRoot + "\\Ports\\COM11", "ComPrtNum", 200);  // has no effect
  SetSystemPorts("COM4");
  auto table = MakeTable();
  table->LoadAllPorts();
  EXPECT_EQ(table->GetSlotState(7), PORT_SLOT_FREE);
  EXPECT_FALSE(store.KeyExists(kRoot + "\\Ports\\COM7"));
  EXPECT_FALSE(store.KeyExists(kRoot + "\\Ports\\COM9"));
  // COM4 is the system's: its creation fails, the key stays.
  EXPECT_EQ(table->GetSlotState(4), PORT_SLOT_SYSTEM);
  EXPECT_TRUE(store.KeyExists(kRoot + "\\Ports\\COM4"));
  EXPECT_EQ(table->GetSlotState(11), PORT_SLOT_DEFINED);
  EXPECT_EQ(table->GetSlotState(200), PORT_SLOT_FREE);
  EXPECT_EQ(table->FindPort("hw11", 1), 11);
  table->DestroyAllPorts();
  EXPECT_EQ(table->GetSlotState(11), PORT_SLOT_FREE);
  EXPECT_TRUE(store.KeyExists(kRoot + "\\Ports\\COM11"));  // the registry is not touched
}

TEST_F(TableTest, DestroyWhileAnApplicationHoldsThePortKeepsIt) {
  auto table = MakeTable();
  ASSERT_EQ(table->CreatePort(3, "hw", 0, "127.0.0.1", "1", 0, true), 0);
  // Nobody listens on port 1: opening only fails the connection, the port stays open.
  const int fd = open(portDir.Entry("COM3").c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(observer.WaitFor("COM3 Closed"));
  EXPECT_EQ(table->DestroyPort(3), 255);
  EXPECT_EQ(table->GetSlotState(3), PORT_SLOT_DEFINED);
  EXPECT_EQ(table->FindPort("hw", 0), 3);
  close(fd);
  // Once closed the port can go.
  int result = 255;
  for (int attempt = 0; attempt < 200 && result != 0; ++attempt) {
    result = table->DestroyPort(3);
    if (result != 0) usleep(10000);
  }
  EXPECT_EQ(result, 0);
  EXPECT_EQ(table->GetSlotState(3), PORT_SLOT_FREE);
}

TEST_F(TableTest, TableDestructionRemovesPortsStillHeldOpen) {
  int fd = -1;
  {
    auto table = MakeTable();
    ASSERT_EQ(table->CreatePort(2, "hw", 0, "127.0.0.1", "1", 0, true), 0);
    fd = open(portDir.Entry("COM2").c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
  }
  struct stat info {};
  EXPECT_NE(lstat(portDir.Entry("COM2").c_str(), &info), 0);
  close(fd);
}

// Fixed line settings are stored as an added "LineSettings" value and come back with the port;
// records without the value, or with a text that is no line setting, run as observed.
TEST_F(TableTest, LineSettingsAreStoredAndLoadedWithThePort) {
  {
    auto table = MakeTable();
    ASSERT_EQ(
        table->CreatePort(5, "hw", 3, "127.0.0.1", "9203", PORTFLAG_RFC2217 | PORTFLAG_AUTOSTART,
                          true, LineSettings::Parse("7E1")),
        0);
    table->SavePort(5);
    ASSERT_EQ(table->CreatePort(6, "hw", 4, "127.0.0.1", "9204", PORTFLAG_AUTOSTART, true), 0);
    table->SavePort(6);
  }
  const auto stored = store.GetValue(kRoot + "\\Ports\\COM5", "LineSettings");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->type, platform::RegType::String);
  EXPECT_EQ(stored->text, "7E1");
  EXPECT_FALSE(store.GetValue(kRoot + "\\Ports\\COM6", "LineSettings"));
  StorePort(7, "hw", "127.0.0.1", "9205", 5, PORTFLAG_RFC2217);
  store.SetString(kRoot + "\\Ports\\COM7", "LineSettings", "9Q1");

  auto table = MakeTable();
  table->LoadAllPorts();
  ASSERT_TRUE(table->IsLive(5));
  ASSERT_TRUE(table->IsLive(6));
  ASSERT_TRUE(table->IsLive(7));
  EXPECT_EQ(table->Record(5).line, (LineSettings{7, 2, 0}));
  EXPECT_FALSE(table->Record(6).line);
  EXPECT_FALSE(table->Record(7).line);
  EXPECT_TRUE(observer.WaitFor("COM7 stored line settings \"9Q1\" ignored: not " +
                               std::string(LineSettings::AcceptedForms())));
  EXPECT_EQ(table->DestroyPort(5), 0);
  EXPECT_FALSE(table->Record(5).line);
}

// Wine sees the port as com4 while it exists; a prefix's own com6 is neither replaced nor removed.
TEST_F(TableTest, WinePortsArePublishedInTheWinePrefixAndRemovedWithThePort) {
  const std::string dosDevices = portDir.Entry("prefix/dosdevices");
  std::filesystem::create_directories(dosDevices);
  setenv("WINEPREFIX", portDir.Entry("prefix").c_str(), 1);
  ASSERT_EQ(symlink("/dev/ttyS5", (dosDevices + "/com6").c_str()), 0);
  {
    auto table = MakeTable();
    ASSERT_EQ(table->CreatePort(4, "hw", 0, "127.0.0.1", "1", PORTFLAG_WINE, true), 0);
    ASSERT_EQ(table->CreatePort(6, "hw", 1, "127.0.0.1", "1", PORTFLAG_WINE, true), 0);
    ASSERT_EQ(table->CreatePort(7, "hw", 2, "127.0.0.1", "1", 0, true), 0);
    EXPECT_EQ(std::filesystem::read_symlink(dosDevices + "/com4").string(), portDir.Entry("COM4"));
    EXPECT_TRUE(observer.WaitFor("COM4 Wine link " + dosDevices + "/com4 made"));
    EXPECT_TRUE(observer.WaitFor("COM6 Wine link " + dosDevices +
                                 "/com6 left alone: it is not Portolan's"));
    EXPECT_FALSE(std::filesystem::is_symlink(dosDevices + "/com7"));
    EXPECT_EQ(table->DestroyPort(4), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(dosDevices + "/com4"));
    EXPECT_TRUE(observer.WaitFor("COM4 Wine link " + dosDevices + "/com4 removed"));
  }
  EXPECT_EQ(std::filesystem::read_symlink(dosDevices + "/com6").string(), "/dev/ttyS5");
  unsetenv("WINEPREFIX");
}

}  // namespace
}  // namespace vport
