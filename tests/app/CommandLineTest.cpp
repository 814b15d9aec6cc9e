#include <gtest/gtest.h>

#include "app/CKestrelApp.h"
#include "app/CKestrelCommandLineInfo.h"

namespace {

TEST(CommandLine, OptionsTakeTheFollowingPlainArgument) {
  app::CKestrelCommandLineInfo info;
  info.Parse({"/new", "/v", "My View", "stray", "-x"});
  EXPECT_EQ(info.Get("new"), "TRUE");
  EXPECT_EQ(info.Get("v"), "My View");
  EXPECT_EQ(info.Get("x"), "TRUE");
  EXPECT_EQ(info.LastOption(), "x");
  EXPECT_FALSE(info.Has("stray"));
}

TEST(CommandLine, OptionWithoutArgumentIsTrueAndNamesAreCaseSensitive) {
  app::CKestrelCommandLineInfo info;
  info.Parse({"plain", "/V"});
  EXPECT_EQ(info.Get("V"), "TRUE");
  EXPECT_FALSE(info.Has("v"));
  info.Parse({"/v"});
  EXPECT_EQ(info.Get("v"), "TRUE");
}

TEST(CommandLine, OnlyTheFirstPlainArgumentAfterAnOptionCounts) {
  app::CKestrelCommandLineInfo info;
  info.Parse({"/v", "one", "two"});
  EXPECT_EQ(info.Get("v"), "one");
  EXPECT_TRUE(info.LastOption().empty());
}

TEST(Help, ContextsAboveOneHundredOpenTopicFive) {
  EXPECT_EQ(app::CKestrelApp::MapHelpContext(24), 24u);
  EXPECT_EQ(app::CKestrelApp::MapHelpContext(100), 100u);
  EXPECT_EQ(app::CKestrelApp::MapHelpContext(101), 5u);
  EXPECT_EQ(app::CKestrelApp::MapHelpContext(0x20000 + 32811), 5u);
}

}  // namespace
