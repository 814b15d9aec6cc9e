#include <iostream>
#include <string>
#include <vector>

#include "cli/CtlApp.h"
#include "platform/CoreDumps.h"

int main(int argc, char** argv) {
  // Every command may load the settings, and with them the access list's communities.
  platform::KeepOutOfCoreDumps();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return cli::CtlApp::Run(arguments, std::cout, std::cerr);
}
