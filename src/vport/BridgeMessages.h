// The texts of the messages a port's bridge shows the user.
#pragma once

#include <string>

namespace vport::bridgemessages {

std::string UnableToOpen(const std::string& comName);
// code: a BridgeCode, shown in hex as the 32-bit value.
std::string ProcessingError(int code);
// code: the errno value of the failed send or receive (0 for the server's orderly close).
std::string CommError(int code, const std::string& comName);

}  // namespace vport::bridgemessages
