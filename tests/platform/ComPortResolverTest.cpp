#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "platform/ComPortResolver.h"

namespace platform {
namespace {

class ResolverFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/portolan-resolver-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    places_.portFolder = root_ + "/ports";
    places_.devPrefix = root_ + "/ttyS";
    mkdir(places_.portFolder.c_str(), 0700);
  }
  void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }

  void Touch(const std::string& path) { std::ofstream(path) << ""; }

  std::string root_;
  ComPortPlaces places_;
};

TEST(ComPortNameTest, Numbers) {
  struct Case {
    const char* name;
    unsigned number;
  } cases[] = {{"COM1", 1}, {"COM9", 9},   {"COM10", 10}, {"COM255", 255}, {"COM5:", 5},
               {"COM0", 0}, {"COM256", 0}, {"COM05", 0},  {"com5", 0},     {"COM", 0},
               {"COMX", 0}, {"COM/", 0},   {"LPT1", 0},   {"COM1000", 0},  {"COM2::", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ParseComPortNumber(c.name), c.number);
  }
}

TEST_F(ResolverFixture, VirtualPortLinkComesFirst) {
  ASSERT_EQ(symlink("/dev/null", (places_.portFolder + "/COM3").c_str()), 0);
  Touch(root_ + "/ttyS2");
  EXPECT_EQ(ResolveComPort("COM3", nullptr, places_), places_.portFolder + "/COM3");
  EXPECT_EQ(ResolveComPort("COM3:", nullptr, places_), places_.portFolder + "/COM3");
}

TEST_F(ResolverFixture, ThenTheMachinesPort) {
  Touch(root_ + "/ttyS2");
  EXPECT_EQ(ResolveComPort("COM3", nullptr, places_), root_ + "/ttyS2");
}

TEST_F(ResolverFixture, ThenTheStoredMapping) {
  std::string asked;
  auto mapping = [&asked](const std::string& name) {
    asked = name;
    return std::string("/dev/ttyUSB0");
  };
  EXPECT_EQ(ResolveComPort("COM4:", mapping, places_), "/dev/ttyUSB0");
  EXPECT_EQ(asked, "COM4");
  EXPECT_EQ(ResolveComPort("COM4", nullptr, places_), "");
}

TEST_F(ResolverFixture, MalformedNamesNeverReachThePaths) {
  int calls = 0;
  auto mapping = [&calls](const std::string&) {
    ++calls;
    return std::string("/dev/ttyUSB0");
  };
  for (const char* name : {"COM/", "COM.", "COMX", "COM0", "../COM1", ""}) {
    EXPECT_EQ(ResolveComPort(name, mapping, places_), "") << name;
  }
  EXPECT_EQ(calls, 0);
}

TEST(ComPortFolderTest, EnvironmentOrder) {
  std::string savedPort = getenv("PORTOLAN_PORT_DIR") ? getenv("PORTOLAN_PORT_DIR") : "";
  std::string savedXdg = getenv("XDG_RUNTIME_DIR") ? getenv("XDG_RUNTIME_DIR") : "";
  setenv("PORTOLAN_PORT_DIR", "/tmp/a", 1);
  setenv("XDG_RUNTIME_DIR", "/tmp/b", 1);
  EXPECT_EQ(ComPortFolder(), "/tmp/a");
  unsetenv("PORTOLAN_PORT_DIR");
  EXPECT_EQ(ComPortFolder(), "/tmp/b/portolan");
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(ComPortFolder(), "/tmp/portolan-" + std::to_string(getuid()) + "/ports");
  if (!savedPort.empty()) setenv("PORTOLAN_PORT_DIR", savedPort.c_str(), 1);
  if (!savedXdg.empty()) setenv("XDG_RUNTIME_DIR", savedXdg.c_str(), 1);
}

}  // namespace
}  // namespace platform
