// A portolanctl run in a folder of the test's own: settings file, port folder and runtime folder
// there, and COM3 as the machine's only serial port.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "../app/TempDir.h"
#include "ProcessRunner.h"

namespace test {

class CtlFixture : public ::testing::Test {
 protected:
  static std::string CtlPath() { return std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl"; }
  std::map<std::string, std::string> Env() {
    return {{"PORTOLAN_REGISTRY", dir.Folder() + "registry.reg"},
            {"PORTOLAN_PORT_DIR", dir.Folder() + "ports"},
            {"XDG_RUNTIME_DIR", dir.Folder()},
            {"PORTOLAN_SERIALCOMM", "COM3"}};
  }
  ProcessResult Ctl(const std::vector<std::string>& args) {
    return RunProcess(CtlPath(), args, Env());
  }
  TempDir dir;
};

}  // namespace test
