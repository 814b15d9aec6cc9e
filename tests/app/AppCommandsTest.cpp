#include <gtest/gtest.h>

#include "app/AboutBoxTexts.h"
#include "app/AddressSearchCommands.h"
#include "app/LaunchCommands.h"
#include "platform/Prompt.h"
#include "platform/RecordingLauncher.h"
#include "platform/ScriptedPrompt.h"

namespace app {
namespace {

std::vector<std::string> Texts(const platform::ScriptedPrompt& prompt) {
  std::vector<std::string> texts;
  for (const auto& record : prompt.Records()) texts.push_back(record.text);
  return texts;
}

TEST(HttpSession, OpensTheDevicesPageAndSaysWhenNoBrowserTookIt) {
  platform::RecordingLauncher launcher;
  platform::ScriptedPrompt prompt;
  EXPECT_FALSE(LaunchCommands::HttpSession(launcher, prompt, "Portolan", true, "10.1.2.3"));
  EXPECT_EQ(Texts(prompt), std::vector<std::string>{"Unable to launch browser."});
  launcher.SetResult(true);
  EXPECT_TRUE(LaunchCommands::HttpSession(launcher, prompt, "Portolan", true, "10.1.2.3"));
  ASSERT_EQ(launcher.Calls().size(), 2u);
  EXPECT_EQ(launcher.Calls()[1].url, "http://10.1.2.3");
  EXPECT_EQ(prompt.Records()[0].caption, "Portolan");
}

TEST(HttpSession, WithoutTcpWarnsAndGoesOnWithoutADeviceOpensNothing) {
  platform::RecordingLauncher launcher;
  launcher.SetResult(true);
  platform::ScriptedPrompt prompt;
  EXPECT_TRUE(LaunchCommands::HttpSession(launcher, prompt, "Portolan", false, "10.1.2.3"));
  EXPECT_EQ(Texts(prompt), std::vector<std::string>{
                               "TCP/IP protocol not available. Cannot make HTTP connection."});
  EXPECT_FALSE(LaunchCommands::HttpSession(launcher, prompt, "Portolan", true, std::nullopt));
  EXPECT_EQ(launcher.Calls().size(), 1u);
}

TEST(EmailSupport, SubjectIsPercentEncodedAfterTheAddress) {
  platform::RecordingLauncher launcher;
  platform::ScriptedPrompt prompt;
  EXPECT_FALSE(LaunchCommands::EmailSupport(launcher, prompt, "Portolan", "help@example.com",
                                            "Portolan Pro"));
  ASSERT_EQ(launcher.Calls().size(), 1u);
  EXPECT_EQ(launcher.Calls()[0].url, "mailto:help@example.com?subject=Portolan%20Pro%20Support");
  EXPECT_EQ(Texts(prompt), std::vector<std::string>{"Unable to launch e-mail application.\n"});
}

TEST(Search, OnlyForTcpIpViewsAndTellsWhenNotFound) {
  platform::ScriptedPrompt prompt;
  AddressSearchCommands::SearchHooks hooks;
  std::vector<std::string> searched;
  hooks.runDialog = [](std::string& address) {
    address = "10.0.0.7";
    return true;
  };
  hooks.search = [&](const std::string& address) {
    searched.push_back(address);
    return searched.size() > 1;
  };
  using R = AddressSearchCommands::Result;
  EXPECT_EQ(AddressSearchCommands::Search(false, hooks, prompt, "P"), R::kNotSupported);
  EXPECT_EQ(AddressSearchCommands::Search(true, hooks, prompt, "P"), R::kNotFound);
  EXPECT_EQ(AddressSearchCommands::Search(true, hooks, prompt, "P"), R::kFound);
  EXPECT_EQ(searched, (std::vector<std::string>{"10.0.0.7", "10.0.0.7"}));
  EXPECT_EQ(Texts(prompt),
            (std::vector<std::string>{
                "The Search tool is not supported for the protocol of the current view.",
                "The server cannot be found."}));
  hooks.runDialog = [](std::string&) { return false; };
  EXPECT_EQ(AddressSearchCommands::Search(true, hooks, prompt, "P"), R::kCancelled);
}

TEST(UnlistedServer, LoopsOn5018UntilFoundOrCancelled) {
  AddressSearchCommands::UnlistedHooks hooks;
  int dialogs = 0;
  std::vector<int> errors;
  std::vector<std::string> typedBefore;
  hooks.runDialog = [&](UnlistedServerForm& form) {
    typedBefore.push_back(form.serialNumber);
    form.serialNumber = "1234";
    form.ipAddress = "10.0.0." + std::to_string(++dialogs);
    return dialogs <= 3;
  };
  hooks.setAddress = [&](const UnlistedServerForm&) { return dialogs == 1 ? 1 : 0; };
  hooks.findServer = [&](const std::string& ip) { return ip == "10.0.0.3"; };
  hooks.reportError = [&](int code) { errors.push_back(code); };
  EXPECT_EQ(AddressSearchCommands::SetupUnlistedServer(hooks),
            AddressSearchCommands::Result::kFound);
  EXPECT_EQ(dialogs, 3);
  EXPECT_EQ(errors, (std::vector<int>{5018, 5018}));  // not sent, then not found
  EXPECT_EQ(typedBefore, (std::vector<std::string>{"", "1234", "1234"}));

  hooks.findServer = [](const std::string&) { return false; };
  dialogs = 0;
  errors.clear();
  EXPECT_EQ(AddressSearchCommands::SetupUnlistedServer(hooks),
            AddressSearchCommands::Result::kCancelled);
  EXPECT_EQ(errors.size(), 3u);
}

TEST(AboutBox, TextsComeFromTheBranding) {
  BrandingInfo branding;
  branding.programName = "Portolan Pro";
  branding.companyName = "Example Ltd";
  branding.companyHttp = "http://example.com";
  branding.companyBmp = "/opt/p/logo.bmp";
  const AboutBoxTexts texts = AboutBoxTexts::From(branding);
  EXPECT_EQ(texts.caption, "About Portolan Pro");
  EXPECT_EQ(texts.programName, "Portolan Pro");
  EXPECT_EQ(texts.companyName, "Example Ltd");
  EXPECT_EQ(texts.link, "http://example.com");
  EXPECT_EQ(texts.bitmapPath, "/opt/p/logo.bmp");
}

}  // namespace
}  // namespace app
