#include "cli/SetIpCommand.h"

#include <cstdlib>
#include <ostream>

#include "app/AppSettings.h"
#include "cli/CtlContext.h"
#include "cli/CtlDiscovery.h"
#include "discovery/CIpDiscoveryEngine.h"
#include "discovery/DiscoveryMessages.h"
#include "res/StringTable.h"

namespace cli {
namespace {

constexpr int kExitNoAnswer = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;

}  // namespace

const char* SetIpCommand::Usage() {
  return "  setip --hw HWADDR --ip A [--send-to B]\n"
         "  setip --serial N --ip A (--send-to B | --multicast)\n"
         "        [--wait SECONDS] [--port N]     give a device its IP address (sent to B, by\n"
         "                                        default 255.255.255.255 with --hw) and wait\n"
         "                                        until it answers there (default ResetTimeout)\n";
}

int SetIpCommand::Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  const auto hw = args.TakeOption("hw");
  const auto serial = args.TakeOption("serial");
  const auto ip = args.TakeOption("ip");
  const auto sendTo = args.TakeOption("send-to");
  const bool multicast = args.TakeFlag("multicast");
  const auto waitText = args.TakeOption("wait");
  discovery::EngineOptions options;
  if (!CtlDiscovery::Configure(args, context.Settings(), &options, err)) return kExitUsage;
  const bool oneTarget = hw.has_value() != serial.has_value();
  const bool serialSendsSomewhere = !serial || (sendTo.has_value() != multicast);
  if (!args.Error().empty() || args.FirstUnknownOption() || !args.Rest().empty() || !oneTarget ||
      !ip || !serialSendsSomewhere || (hw && multicast)) {
    err << "usage:\n" << Usage();
    return kExitUsage;
  }
  app::AppSettings settings;
  settings.Load(context.Settings());
  int seconds = settings.resetTimeout;
  if (waitText) {
    char* end = nullptr;
    const long value = std::strtol(waitText->c_str(), &end, 10);
    if (waitText->empty() || *end != '\0' || value < 0 || value > 3600) {
      err << "portolanctl setip: --wait needs seconds from 0 to 3600\n";
      return kExitUsage;
    }
    seconds = static_cast<int>(value);
  }

  discovery::CIpDiscoveryEngine engine(nullptr, options);
  const int sent = hw ? engine.SetAddressByHardware(*hw, *ip, sendTo.value_or("255.255.255.255"))
                      : engine.SetAddressBySerial(*serial, *ip, sendTo.value_or(""), multicast);
  if (sent == discovery::kSetAddressBadSerial) {
    err << "portolanctl setip: Please enter a positive integer.\n";
    return kExitUsage;
  }
  if (sent == discovery::kMsgBadHwAddress || sent == discovery::kMsgBadIpAddress) {
    err << "portolanctl setip: " << res::LoadString(static_cast<unsigned>(sent)) << "\n";
    return kExitUsage;
  }
  if (sent != discovery::kSetAddressOk) {
    const std::string text = sent == discovery::kSetAddressSocketFailed
                                 ? res::LoadString(5013)
                                 : res::LoadString(static_cast<unsigned>(sent));
    err << "portolanctl setip: " << text << "\n";
    return kExitFailed;
  }
  err << res::LoadString(discovery::kTextSettingIpAddress) << "\n";
  discovery::DeviceRecordOptions recordOptions = options.recordOptions;
  recordOptions.broadcastTimeoutMs = options.broadcastTimeoutMs;
  discovery::CIpDeviceRecord record(&engine.Wait(), recordOptions);
  const int confirmed = discovery::CIpDiscoveryEngine::ConfirmNewAddress(record, *ip, seconds);
  if (confirmed != discovery::kSetAddressOk) {
    err << "portolanctl setip: " << res::LoadString(discovery::kMsgCannotCommunicate) << "\n";
    return kExitNoAnswer;
  }
  out << record.GetColumnText(discovery::kColHwAddress) << " " << record.IpAddress() << "\n";
  return 0;
}

}  // namespace cli
