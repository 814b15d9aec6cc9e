#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/SerialPortList.h"

using platform::SerialPortList;
using Entries = std::vector<SerialPortList::Entry>;

namespace {

class SerialPortListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/portolan-ttytest-XXXXXX";
    ASSERT_NE(::mkdtemp(templ), nullptr);
    root_ = templ;
    if (const char* old = std::getenv("PORTOLAN_SERIALCOMM")) oldEnv_ = old;
  }
  void TearDown() override {
    std::filesystem::remove_all(root_);
    SerialPortList::SetSystemSerialPortsForTest(std::nullopt);
    if (oldEnv_) {
      ::setenv("PORTOLAN_SERIALCOMM", oldEnv_->c_str(), 1);
    } else {
      ::unsetenv("PORTOLAN_SERIALCOMM");
    }
  }
  // A fake tty class entry; device: with a device link; type: contents of "type", if any.
  void AddTty(const std::string& name, bool device, std::optional<std::string> type) {
    const std::string dir = root_ + "/" + name;
    std::filesystem::create_directories(dir);
    if (device) {
      std::filesystem::create_directories(root_ + "/devices/" + name);
      std::filesystem::create_directory_symlink(root_ + "/devices/" + name, dir + "/device");
    }
    if (type) std::ofstream(dir + "/type") << *type;
  }
  std::string root_;
  std::optional<std::string> oldEnv_;
};

TEST_F(SerialPortListTest, OnlyPortsWithARealUartInNumericOrder) {
  AddTty("ttyS0", true, "4\n");
  AddTty("ttyS1", true, "0\n");          // placeholder: no UART
  AddTty("ttyS2", false, "4\n");         // no device behind it
  AddTty("ttyS10", true, std::nullopt);  // type unreadable: the device link decides
  AddTty("ttyS3", true, "14\n");
  AddTty("ttyUSB0", true, "4\n");  // not a ttyS port
  AddTty("ttyS", true, "4\n");
  AddTty("ttySx1", true, "4\n");
  const Entries expected = {{"\\Device\\Serial0", "COM1"},
                            {"\\Device\\Serial3", "COM4"},
                            {"\\Device\\Serial10", "COM11"}};
  EXPECT_EQ(SerialPortList::FromSysfs(root_), expected);
}

TEST_F(SerialPortListTest, MissingFolderGivesNoPorts) {
  EXPECT_TRUE(SerialPortList::FromSysfs(root_ + "/absent").empty());
}

TEST_F(SerialPortListTest, ListTextIsSplitAndNumbered) {
  const Entries expected = {{"\\Device\\Serial0", "COM3"}, {"\\Device\\Serial1", "COM12"}};
  EXPECT_EQ(SerialPortList::FromList("COM3,COM12"), expected);
  EXPECT_EQ(SerialPortList::FromList(" COM3 , ,COM12,"), expected);
  EXPECT_TRUE(SerialPortList::FromList("").empty());
}

TEST_F(SerialPortListTest, EnvironmentReplacesTheSystemList) {
  ::setenv("PORTOLAN_SERIALCOMM", "COM7", 1);
  const Entries one = {{"\\Device\\Serial0", "COM7"}};
  EXPECT_EQ(SerialPortList::SystemSerialPorts(), one);
  ::setenv("PORTOLAN_SERIALCOMM", "", 1);
  EXPECT_TRUE(SerialPortList::SystemSerialPorts().empty());
}

TEST_F(SerialPortListTest, TestOverrideWinsAndCanBeCleared) {
  ::setenv("PORTOLAN_SERIALCOMM", "COM7", 1);
  const Entries injected = {{"x", "COM200"}};
  SerialPortList::SetSystemSerialPortsForTest(injected);
  EXPECT_EQ(SerialPortList::SystemSerialPorts(), injected);
  SerialPortList::SetSystemSerialPortsForTest(std::nullopt);
  const Entries env = {{"\\Device\\Serial0", "COM7"}};
  EXPECT_EQ(SerialPortList::SystemSerialPorts(), env);
}

}  // namespace
