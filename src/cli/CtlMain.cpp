#include <iostream>
#include <string>
#include <vector>

#include "cli/CtlApp.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return cli::CtlApp::Run(arguments, std::cout, std::cerr);
}
