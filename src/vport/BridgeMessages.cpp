#include "vport/BridgeMessages.h"

#include <cstdio>

namespace vport::bridgemessages {

namespace {

std::string Hex(int code) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(code));
  return text;
}

}  // namespace

std::string UnableToOpen(const std::string& comName) {
  return "Unable to open virtual port \"" + comName +
         "\".\nEnsure that the server is powered on and is on line.";
}

std::string ProcessingError(int code) {
  return "Error (" + Hex(code) + ") processing data received from remote device";
}

std::string CommError(int code, const std::string& comName) {
  return "Error (" + Hex(code) + ") communicating with remote server.\nVirtual port \"" + comName +
         "\" closed. \nBefore attempting to use this port again, \nbe sure to have your "
         "application 'Close' then re-open it.";
}

}  // namespace vport::bridgemessages
