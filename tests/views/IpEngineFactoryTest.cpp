#include <gtest/gtest.h>

#include "app/AppSettings.h"
#include "discovery/CIpDiscoveryEngine.h"
#include "views/CViewNode.h"
#include "views/IpEngineFactory.h"

namespace views {
namespace {

// The desktop program's engines search with the settings loaded at start.
TEST(IpEngineFactoryTest, EnginesTakeTheLoadedSettings) {
  app::AppSettings& values = app::TheAppSettings();
  const app::AppSettings saved = values;
  values.broadcast = 1234;
  values.warningMask = 0x11;
  values.errorMask = 0x22;

  CViewNode view("Lab", CViewNode::kTcpIpView, 16, nullptr);
  auto engine = IpEngineFactory(nullptr)(view);
  auto* ip = dynamic_cast<discovery::CIpDiscoveryEngine*>(engine.get());
  ASSERT_NE(ip, nullptr);
  EXPECT_EQ(ip->Options().broadcastTimeoutMs, 1234);
  EXPECT_EQ(ip->Options().recordOptions.masks.warning, 0x11u);
  EXPECT_EQ(ip->Options().recordOptions.masks.error, 0x22u);
  EXPECT_NE(ip->Options().recordOptions.extendedQuery, nullptr);
  EXPECT_FALSE(ip->IsBusy());
  values = saved;
}

}  // namespace
}  // namespace views
