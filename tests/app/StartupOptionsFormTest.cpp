#include <gtest/gtest.h>

#include <cstdlib>

#include "app/Settings.h"
#include "app/StartupOptionsForm.h"
#include "app/TempDir.h"
#include "platform/Autostart.h"
#include "platform/RegistryStore.h"

namespace app {
namespace {

class StartupOptionsTest : public ::testing::Test {
 protected:
  StartupOptionsTest() {
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) oldXdg_ = old;
    setenv("XDG_CONFIG_HOME", (dir_.Folder() + "config").c_str(), 1);
  }
  ~StartupOptionsTest() override {
    if (oldXdg_.empty()) {
      unsetenv("XDG_CONFIG_HOME");
    } else {
      setenv("XDG_CONFIG_HOME", oldXdg_.c_str(), 1);
    }
  }

  TempDir dir_;
  std::string oldXdg_;
  platform::RegistryStore store_{""};
  Settings settings_{store_};
};

TEST_F(StartupOptionsTest, OkWritesTheEntryAndOnlyTheMinimizedBit) {
  settings_.WriteInt("General", "Flags", 0x1F3);
  StartupOptionsForm form;
  form.Load(settings_);
  EXPECT_TRUE(form.startMinimized);
  EXPECT_FALSE(form.startWithSession);

  form.startMinimized = false;
  form.startWithSession = true;
  EXPECT_TRUE(form.Save(settings_, "/opt/portolan/bin/portolan"));
  EXPECT_EQ(settings_.GetInt("General", "Flags", 0), 0x0F3);
  EXPECT_TRUE(platform::Autostart::IsEnabled());
  EXPECT_EQ(platform::Autostart::GetArguments(),
            std::vector<std::string>{"/opt/portolan/bin/portolan"});

  StartupOptionsForm again;
  again.Load(settings_);
  EXPECT_TRUE(again.startWithSession);
  EXPECT_FALSE(again.startMinimized);
  again.startWithSession = false;
  again.startMinimized = true;
  EXPECT_TRUE(again.Save(settings_, "/opt/portolan/bin/portolan"));
  EXPECT_FALSE(platform::Autostart::IsEnabled());
  EXPECT_EQ(settings_.GetInt("General", "Flags", 0), 0x1F3);
}

TEST_F(StartupOptionsTest, LoadAloneChangesNothing) {
  StartupOptionsForm form;
  form.Load(settings_);
  EXPECT_FALSE(form.startMinimized);
  EXPECT_FALSE(store_.KeyExists(settings_.SectionPath("General")));
  EXPECT_FALSE(platform::Autostart::IsEnabled());
}

}  // namespace
}  // namespace app
