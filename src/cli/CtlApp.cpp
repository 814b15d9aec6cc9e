#include "cli/CtlApp.h"

#include <map>
#include <ostream>

#include "cli/AccessCommand.h"
#include "cli/ArgList.h"
#include "cli/CtlContext.h"
#include "cli/DiscoverCommand.h"
#include "cli/NetinfoCommand.h"
#include "cli/PortsCommand.h"
#include "cli/QueryCommand.h"
#include "cli/ResetCommand.h"
#include "cli/RestoreCommand.h"
#include "cli/RunCommand.h"
#include "cli/SetIpCommand.h"
#include "cli/SettingsCommand.h"
#include "cli/SnmpCommand.h"
#include "cli/ViewsCommand.h"

#ifndef PORTOLAN_VERSION
#define PORTOLAN_VERSION "0"
#endif

namespace cli {

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailure = 3;

}  // namespace

std::string CtlApp::HelpText() {
  std::string text =
      "Usage: portolanctl COMMAND [ARGUMENTS...]\n"
      "\n"
      "The headless front end of Portolan: works on the same settings as the desktop program.\n"
      "\n"
      "Commands:\n";
  text += SettingsCommand::Usage();
  text += SnmpCommand::Usage();
  text += PortsCommand::Usage();
  text += RunCommand::Usage();
  text += DiscoverCommand::Usage();
  text += QueryCommand::Usage();
  text += SetIpCommand::Usage();
  text += AccessCommand::Usage();
  text += ViewsCommand::Usage();
  text += NetinfoCommand::Usage();
  text += ResetCommand::Usage();
  text += RestoreCommand::Usage();
  text +=
      "\n"
      "Options:\n"
      "  --help       show this help and exit\n"
      "  --version    show the version and exit\n"
      "\n"
      "Environment:\n"
      "  PORTOLAN_REGISTRY   the settings file (default $XDG_CONFIG_HOME/portolan/registry.reg)\n"
      "\n"
      "Exit status: 0 success, 1 not found or no answer, 2 usage error, 3 failure.\n";
  return text;
}

int CtlApp::Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  if (arguments.empty()) {
    err << HelpText();
    return kExitUsage;
  }
  const std::string& command = arguments.front();
  if (command == "--help" || command == "-h" || command == "help") {
    out << HelpText();
    return 0;
  }
  if (command == "--version") {
    out << "portolanctl " << PORTOLAN_VERSION << "\n";
    return 0;
  }
  ArgList args(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
  if (args.TakeFlag("help")) {
    out << HelpText();
    return 0;
  }
  using Command = int (*)(ArgList&, CtlContext&, std::ostream&, std::ostream&);
  static const std::map<std::string, Command> kCommands = {
      {"settings", &SettingsCommand::Run}, {"snmp", &SnmpCommand::Run},
      {"ports", &PortsCommand::Run},       {"run", &RunCommand::Run},
      {"discover", &DiscoverCommand::Run}, {"query", &QueryCommand::Run},
      {"setip", &SetIpCommand::Run},       {"access", &AccessCommand::Run},
      {"netinfo", &NetinfoCommand::Run},   {"reset", &ResetCommand::Run},
      {"restore", &RestoreCommand::Run},   {"views", &ViewsCommand::Run},
  };
  auto found = kCommands.find(command);
  if (found != kCommands.end()) {
    CtlContext context;
    if (!context.StoreProblem().empty()) err << "portolanctl: " << context.StoreProblem() << "\n";
    // Nothing of such a file is known, and nothing may be written over it.
    if (context.Store().Unreadable()) return kExitFailure;
    return found->second(args, context, out, err);
  }
  err << "portolanctl: unknown command \"" << command << "\"; see portolanctl --help\n";
  return kExitUsage;
}

}  // namespace cli
