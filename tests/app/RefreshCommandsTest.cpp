#include <gtest/gtest.h>

#include "app/PlaceholderCommands.h"
#include "app/StartupRefreshGuard.h"
#include "app/ViewAvailability.h"
#include "platform/Prompt.h"
#include "platform/ScriptedPrompt.h"

namespace app {
namespace {

TEST(StartupRefreshGuard, SkipsOnlyTheFirstRefreshAfterNs) {
  StartupRefreshGuard guard("/ns");
  EXPECT_TRUE(guard.SkipThisRefresh());
  EXPECT_FALSE(guard.SkipThisRefresh());
  EXPECT_TRUE(StartupRefreshGuard::AsksToSkip("-NS"));
  EXPECT_TRUE(StartupRefreshGuard::AsksToSkip("/nSomething"));
  EXPECT_FALSE(StartupRefreshGuard::AsksToSkip("/new /v x"));
  EXPECT_FALSE(StartupRefreshGuard::AsksToSkip("/n"));
  EXPECT_FALSE(StartupRefreshGuard::AsksToSkip(""));
  StartupRefreshGuard none("");
  EXPECT_FALSE(none.SkipThisRefresh());
}

TEST(ViewAvailability, OnlyTcpIpWithUdpAndOtherwiseSays5047) {
  platform::ScriptedPrompt prompt;
  EXPECT_TRUE(ViewAvailability::Check(6, true, prompt, "Portolan"));
  EXPECT_EQ(prompt.Count(), 0u);
  EXPECT_FALSE(ViewAvailability::Check(6, false, prompt, "Portolan"));
  EXPECT_FALSE(ViewAvailability::Check(7, true, prompt, "Portolan"));
  const auto records = prompt.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].text, "The TCP/IP protocol could not be initialized.");
  EXPECT_EQ(records[1].text, "The  protocol could not be initialized.");
  EXPECT_EQ(records[1].type & platform::MB_ICONMASK, platform::MB_ICONEXCLAMATION);
}

TEST(PlaceholderCommands, PlainBoxesWithTheirTexts) {
  platform::ScriptedPrompt prompt;
  EXPECT_EQ(PlaceholderCommands::Table().size(), 8u);
  EXPECT_TRUE(PlaceholderCommands::Show(32842, prompt, "Portolan"));
  EXPECT_TRUE(PlaceholderCommands::Show(32820, prompt, "Portolan"));
  EXPECT_FALSE(PlaceholderCommands::Show(32772, prompt, "Portolan"));
  const auto records = prompt.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].text, "Unused function 9");
  EXPECT_EQ(records[0].type, static_cast<unsigned>(platform::MB_OK));
  EXPECT_EQ(records[1].text, "Feature Not Yet Complete");
  EXPECT_EQ(records[1].caption, "Portolan");
}

}  // namespace
}  // namespace app
