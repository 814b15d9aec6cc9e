#include "app/ErrorClass.h"

namespace app {

const ErrorClassInfo& DescribeErrorClass(int errorClass) {
  static const ErrorClassInfo kNone{"", false, "Error", "Error"};
  static const ErrorClassInfo kTable[] = {
      {"IP", true, nullptr, nullptr},
      {"VW", true, "View Error", "Customize View Error"},
      {"WS", false, "Winsock Error.", "Windows Sockets Error"},
      {"SN", false, "SNMP Error.", "SNMP Error"},
      {"NW", true, "NetWare Error.", "NetWare Error"},
      {"CM", true, "Serial Port Error.", "Serial Port Error"},
      {"WIN", true, "Windows Error.", "Windows Error"},
      {"VNS", true, "Windows Error.", "VINES Error"},
  };
  if (errorClass < ERRCLASS_IP || errorClass > ERRCLASS_VNS) return kNone;
  return kTable[errorClass - 1];
}

}  // namespace app
