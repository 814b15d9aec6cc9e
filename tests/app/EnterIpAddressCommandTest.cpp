// "Enter IP address" without widgets: the H/W Address check, the dialog coming back after a
// refused request, and the confirming query with its 5018.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/EnterIpAddressCommand.h"

namespace app {
namespace {

struct Script {
  std::deque<std::string> typed;  // one per OK; empty: Cancel
  std::deque<int> sends;
  int confirm = 0;
  std::vector<std::string> sent;
  std::vector<unsigned> shown;
  int dialogs = 0;
  int confirms = 0;
  int refreshes = 0;

  EnterIpAddressCommand::Hooks Hooks() {
    EnterIpAddressCommand::Hooks hooks;
    hooks.runDialog = [this](std::string& ip) {
      ++dialogs;
      if (typed.empty()) return false;
      ip = typed.front();
      typed.pop_front();
      return true;
    };
    hooks.send = [this](const std::string& ip) {
      sent.push_back(ip);
      const int result = sends.front();
      sends.pop_front();
      return result;
    };
    hooks.confirm = [this](const std::string&) {
      ++confirms;
      return confirm;
    };
    hooks.show = [this](unsigned id) { shown.push_back(id); };
    hooks.refreshRows = [this] { ++refreshes; };
    return hooks;
  }
};

constexpr const char* kHw = "00409D123456";

TEST(EnterIpAddressCommandTest, TheDialogChecksTheAddressStrictly) {
  for (const char* good : {"10.0.0.5", "0.0.0.0", "255.255.255.255"}) {
    EXPECT_EQ(EnterIpAddressCommand::Check(good), 0u) << good;
  }
  for (const char* bad : {"", "10.0.0", "10.0.0.256", "10.0.0.5.", "1.2.3.4x", "010.0.0.1 x"}) {
    EXPECT_EQ(EnterIpAddressCommand::Check(bad), 5003u) << bad;
  }
}

TEST(EnterIpAddressCommandTest, NoUsableHardwareAddressGivesNoDialog) {
  for (const char* hw : {"", "garbage"}) {
    Script script;
    EXPECT_EQ(EnterIpAddressCommand::Run(hw, script.Hooks()),
              EnterIpAddressCommand::Result::kBadHwAddress);
    EXPECT_EQ(script.shown, (std::vector<unsigned>{5000}));
    EXPECT_EQ(script.dialogs, 0);
  }
}

TEST(EnterIpAddressCommandTest, RefusedRequestsBringTheDialogBackThenTheDeviceIsConfirmed) {
  Script script;
  script.typed = {"10.0.0.9", "10.0.0.9", "10.0.0.10"};
  script.sends = {5004, 1, 0};  // retries ran out; the socket failed (reported there); sent
  EXPECT_EQ(EnterIpAddressCommand::Run(kHw, script.Hooks()),
            EnterIpAddressCommand::Result::kAssigned);
  EXPECT_EQ(script.sent, (std::vector<std::string>{"10.0.0.9", "10.0.0.9", "10.0.0.10"}));
  EXPECT_EQ(script.shown, (std::vector<unsigned>{5004}));
  EXPECT_EQ(script.confirms, 1);
  EXPECT_EQ(script.refreshes, 1);
}

TEST(EnterIpAddressCommandTest, ConfirmingOutcomes) {
  struct Case {
    int confirm;
    EnterIpAddressCommand::Result result;
    std::vector<unsigned> shown;
  };
  const Case cases[] = {
      {5018, EnterIpAddressCommand::Result::kNoAnswer, {5018}},
      {2, EnterIpAddressCommand::Result::kCancelled, {}},  // the user cancelled the wait
      {0, EnterIpAddressCommand::Result::kAssigned, {}},
  };
  for (const Case& c : cases) {
    Script script;
    script.typed = {"192.168.7.20"};
    script.sends = {0};
    script.confirm = c.confirm;
    EXPECT_EQ(EnterIpAddressCommand::Run(kHw, script.Hooks()), c.result) << c.confirm;
    EXPECT_EQ(script.shown, c.shown) << c.confirm;
    EXPECT_EQ(script.refreshes, 1) << c.confirm;
  }
}

TEST(EnterIpAddressCommandTest, CancelSendsNothing) {
  Script script;
  EXPECT_EQ(EnterIpAddressCommand::Run(kHw, script.Hooks()),
            EnterIpAddressCommand::Result::kCancelled);
  EXPECT_TRUE(script.sent.empty());
  EXPECT_EQ(script.refreshes, 0);
}

}  // namespace
}  // namespace app
