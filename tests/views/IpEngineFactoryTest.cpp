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

// After the options changed them, an engine made earlier searches with the new values.
TEST(IpEngineFactoryTest, AnEngineMadeBeforeTakesChangedSettings) {
  app::AppSettings& values = app::TheAppSettings();
  const app::AppSettings saved = values;
  CViewNode view("Lab", CViewNode::kTcpIpView, 16, nullptr);
  auto engine = IpEngineFactory(nullptr)(view);
  auto* ip = dynamic_cast<discovery::CIpDiscoveryEngine*>(engine.get());
  ASSERT_NE(ip, nullptr);
  discovery::ExtendedQuery* query = ip->Options().recordOptions.extendedQuery;
  values.broadcast = 777;
  values.maxBroadcast = 4;
  values.errorMask = 0x40;
  RefitIpEngine(engine.get());
  EXPECT_EQ(ip->Options().broadcastTimeoutMs, 777);
  EXPECT_EQ(ip->Options().lossRetries, 4);
  EXPECT_EQ(ip->Options().recordOptions.masks.error, 0x40u);
  EXPECT_EQ(ip->Options().recordOptions.extendedQuery, query);  // the same query, kept
  RefitIpEngine(nullptr);
  values = saved;
}

}  // namespace
}  // namespace views
