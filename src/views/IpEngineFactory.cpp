#include "views/IpEngineFactory.h"

#include <memory>

#include "app/AppSettings.h"
#include "app/OemBrandTable.h"
#include "discovery/CIpDiscoveryEngine.h"
#include "discovery/PleaseWaitWindow.h"
#include "discovery/SnmpExtendedQuery.h"
#include "res/StringTable.h"

namespace views {
namespace {

constexpr unsigned kStrOwnMakerTag = 8000;

discovery::EngineOptions OptionsFromSettings(discovery::ExtendedQuery* query) {
  const app::AppSettings& values = app::TheAppSettings();
  discovery::EngineOptions options;
  options.broadcastTimeoutMs = values.broadcast > 0 ? values.broadcast : 3000;
  options.lossRetries = values.maxBroadcast > 0 ? values.maxBroadcast : options.lossRetries;
  options.recordOptions.masks.warning = static_cast<uint32_t>(values.warningMask);
  options.recordOptions.masks.error = static_cast<uint32_t>(values.errorMask);
  options.recordOptions.extendedQuery = query;
  options.ownMakerTag = res::LoadString(kStrOwnMakerTag);
  // The Search and Setup Unlisted IP Server dialogs' queries run on the window's thread: under
  // the application's please-wait window, which pumps the window's events and offers Cancel.
  options.queryWait = &discovery::PleaseWaitWindow();
  for (const app::OemBrand& brand : app::TheOemBrandTable().Entries()) {
    options.brandTags.push_back(brand.tag);
  }
  return options;
}

}  // namespace

CViewStore::EngineFactory IpEngineFactory(platform::MessagePoster* mainWindow) {
  return [mainWindow](const CViewNode&) -> std::unique_ptr<discovery::CDiscoveryEngine> {
    discovery::SnmpExtendedQueryConfig config = discovery::SnmpExtendedQueryConfig::Defaults();
    config.getTimeout = app::TheAppSettings().getTimeout;
    for (const app::OemBrand& brand : app::TheOemBrandTable().Entries()) {
      config.brands.emplace_back(brand.tag, brand.oid);
    }
    // The query lives as long as the engine whose records use it.
    struct Engine : discovery::CIpDiscoveryEngine {
      Engine(platform::MessagePoster* window, std::unique_ptr<discovery::SnmpExtendedQuery> q)
          : CIpDiscoveryEngine(window, OptionsFromSettings(q.get())), query(std::move(q)) {}
      ~Engine() override { Stop(); }
      std::unique_ptr<discovery::SnmpExtendedQuery> query;
    };
    return std::make_unique<Engine>(
        mainWindow, std::make_unique<discovery::SnmpExtendedQuery>(std::move(config)));
  };
}

void RefitIpEngine(discovery::CDiscoveryEngine* engine) {
  auto* ip = dynamic_cast<discovery::CIpDiscoveryEngine*>(engine);
  if (ip == nullptr || ip->IsBusy()) return;
  discovery::ExtendedQuery* query = ip->Options().recordOptions.extendedQuery;
  ip->SetOptions(OptionsFromSettings(query));
  if (auto* snmp = dynamic_cast<discovery::SnmpExtendedQuery*>(query)) {
    snmp->SetGetTimeout(app::TheAppSettings().getTimeout);
  }
}

}  // namespace views
