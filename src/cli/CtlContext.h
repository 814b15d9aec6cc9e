// What every portolanctl command works on: the settings store the desktop program uses too.
#pragma once

#include <memory>
#include <string>

#include "app/Settings.h"
#include "platform/RegistryStore.h"

namespace cli {

class CtlContext {
 public:
  // Opens the store at $PORTOLAN_REGISTRY (or the default path) under the branding's key.
  CtlContext();
  ~CtlContext();

  platform::RegistryStore& Store() { return *store_; }
  app::Settings& Settings() { return *settings_; }
  // A problem with the store that the user should hear of ("" when none).
  std::string StoreProblem() const;

 private:
  std::unique_ptr<platform::RegistryStore> store_;
  std::unique_ptr<app::Settings> settings_;
};

}  // namespace cli
