#include "cli/CtlContext.h"

#include "app/BrandingInfo.h"
#include "app/ErrorReporter.h"
#include "discovery/DiscoveryErrors.h"
#include "platform/SystemInfo.h"

namespace cli {

CtlContext::CtlContext()
    : store_(std::make_unique<platform::RegistryStore>(platform::RegistryStore::DefaultPath())) {
  app::TheBranding() = app::BrandingInfo::Read(platform::SystemInfo::DataFolder());
  settings_ = std::make_unique<app::Settings>(*store_, app::TheBranding().companyReg);
  app::InstallSettings(settings_.get());
}

CtlContext::~CtlContext() {
  app::InstallSettings(nullptr);
}

std::string CtlContext::StoreProblem() const {
  if (store_->Status() == platform::REG_OK) return "";
  return store_->StatusText();
}

}  // namespace cli
