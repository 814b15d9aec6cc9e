#include "cli/AccessCommand.h"

#include <iostream>
#include <map>
#include <ostream>
#include <string>

#include "app/DeviceAccessList.h"
#include "cli/CtlContext.h"
#include "discovery/DiscoveryRequest.h"

namespace cli {

namespace {

constexpr int kExitAbsent = 1;
constexpr int kExitUsage = 2;
constexpr int kExitStoreFailed = 3;
constexpr const char* kHidden = "****";

const std::map<std::string, const char*> kSections = {
    {"ip", app::DeviceAccessList::kSectionIp},
    {"nw", app::DeviceAccessList::kSectionNw},
    {"com", app::DeviceAccessList::kSectionCom},
};

std::string Shown(const std::string& community, bool show) {
  return show ? community : kHidden;
}

void PrintEntry(const app::DeviceAccessEntry& entry, bool show, std::ostream& out) {
  out << entry.address << "\t" << Shown(entry.getCommunity, show) << "\t"
      << Shown(entry.setCommunity, show) << "\n";
}

// A community given as "-" is read as one line of standard input, so that it never shows in the
// process list.
bool ReadCommunity(const std::string& given, std::string* community, std::ostream& err) {
  if (given != "-") {
    *community = given;
  } else if (!std::getline(std::cin, *community)) {
    err << "portolanctl access: no community name on standard input\n";
    return false;
  } else if (!community->empty() && community->back() == '\r') {
    community->pop_back();
  }
  const app::AccessTextCheck check = app::DeviceAccessList::CheckCommunity(*community);
  if (check != app::kAccessTextOk) {
    err << "portolanctl access: " << app::DeviceAccessList::CheckText(check) << "\n";
    return false;
  }
  return true;
}

int Save(const app::DeviceAccessList& list, CtlContext& context, std::ostream& err) {
  if (list.Save(context.Settings(), list.Section())) return 0;
  err << "portolanctl access: cannot write the settings store " << context.Store().FilePath()
      << ": " << context.StoreProblem() << "\n";
  return kExitStoreFailed;
}

int List(ArgList& args, app::DeviceAccessList& list, CtlContext& context, std::ostream& out,
         std::ostream& err) {
  const auto protocol = args.TakeOption("protocol");
  const bool show = args.TakeFlag("show-communities");
  const auto section = kSections.find(protocol.value_or("ip"));
  if (section == kSections.end() || args.Rest().size() != 1 || !args.Error().empty() ||
      args.FirstUnknownOption()) {
    err << "usage: portolanctl access list [--protocol ip|nw|com] [--show-communities]\n";
    return kExitUsage;
  }
  list.Load(context.Settings(), section->second, true);
  for (const app::DeviceAccessEntry& entry : list.Entries()) PrintEntry(entry, show, out);
  return 0;
}

int Set(ArgList& args, app::DeviceAccessList& list, CtlContext& context, std::ostream& err) {
  const auto get = args.TakeOption("get");
  const auto set = args.TakeOption("set");
  if (args.Rest().size() != 2 || !args.Error().empty() || args.FirstUnknownOption()) {
    err << "usage: portolanctl access set ADDRESS [--get C] [--set C]\n";
    return kExitUsage;
  }
  const std::string& address = args.Rest()[1];
  const app::DeviceAccessEntry* entry = list.Find(address);
  if (entry == nullptr) {
    const app::AccessTextCheck check = list.CheckNewAddress(address);
    if (check != app::kAccessTextOk) {
      err << "portolanctl access: " << app::DeviceAccessList::CheckText(check) << "\n";
      return kExitUsage;
    }
  }
  std::string getCommunity = entry ? entry->getCommunity : app::DeviceAccessList::kDefaultCommunity;
  std::string setCommunity = entry ? entry->setCommunity : app::DeviceAccessList::kDefaultCommunity;
  if (get && !ReadCommunity(*get, &getCommunity, err)) return kExitUsage;
  if (set && !ReadCommunity(*set, &setCommunity, err)) return kExitUsage;
  list.Set(address, getCommunity, setCommunity);
  return Save(list, context, err);
}

int Delete(ArgList& args, app::DeviceAccessList& list, CtlContext& context, std::ostream& err) {
  if (args.Rest().size() != 2 || !args.Error().empty() || args.FirstUnknownOption()) {
    err << "usage: portolanctl access delete ADDRESS\n";
    return kExitUsage;
  }
  const std::string& address = args.Rest()[1];
  if (address == app::DeviceAccessList::kDefaultAddress) {
    err << "portolanctl access: \"<Default>\" is always in the list\n";
    return kExitUsage;
  }
  if (!list.Remove(address)) {
    err << "portolanctl access: no entry \"" << address << "\"\n";
    return kExitAbsent;
  }
  return Save(list, context, err);
}

int Lookup(ArgList& args, app::DeviceAccessList& list, std::ostream& out, std::ostream& err) {
  const bool show = args.TakeFlag("show-communities");
  if (args.Rest().size() != 2 || !args.Error().empty() || args.FirstUnknownOption()) {
    err << "usage: portolanctl access lookup IP [--show-communities]\n";
    return kExitUsage;
  }
  if (!discovery::ParseStrictAddress(args.Rest()[1])) {
    err << "portolanctl access: The IP address is invalid.\n";
    return kExitUsage;
  }
  PrintEntry(list.EntryFor(args.Rest()[1]), show, out);
  return 0;
}

}  // namespace

const char* AccessCommand::Usage() {
  return "  access list [--protocol ip|nw|com] [--show-communities]\n"
         "                                        list the device access entries: address, get\n"
         "                                        and set community (shown as **** unless asked)\n"
         "  access set ADDRESS [--get C] [--set C]\n"
         "                                        add or change a TCP/IP entry (an address or a\n"
         "                                        pattern with *); C \"-\" reads it from stdin;\n"
         "                                        a new entry's unnamed community is quorum\n"
         "  access delete ADDRESS                 remove a TCP/IP entry\n"
         "  access lookup IP [--show-communities] print the entry that applies to a device\n";
}

int AccessCommand::Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  if (args.Rest().empty()) {
    err << "portolanctl access: say list, set, delete or lookup\n" << Usage();
    return kExitUsage;
  }
  app::DeviceAccessList list;
  list.Load(context.Settings(), app::DeviceAccessList::kSectionIp, true);
  const std::string verb = args.Rest().front();
  if (verb == "list") return List(args, list, context, out, err);
  if (verb == "set") return Set(args, list, context, err);
  if (verb == "delete") return Delete(args, list, context, err);
  if (verb == "lookup") return Lookup(args, list, out, err);
  err << "portolanctl access: unknown command \"" << verb << "\"\n" << Usage();
  return kExitUsage;
}

}  // namespace cli
