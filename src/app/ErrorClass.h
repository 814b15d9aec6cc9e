// Classes of error codes: each says where a code comes from, how its text is found, and which tag
// and caption a report carries.
#pragma once

#include <string>

namespace app {

enum ErrorClass : int {
  ERRCLASS_NONE = 0,
  ERRCLASS_IP = 1,   // a string-table id of the application
  ERRCLASS_VW = 2,   // a string-table id of the views
  ERRCLASS_WS = 3,   // a sockets error number (errno)
  ERRCLASS_SN = 4,   // an SNMP engine code
  ERRCLASS_NW = 5,   // NetWare, string-table id
  ERRCLASS_CM = 6,   // serial port, string-table id
  ERRCLASS_WIN = 7,  // operating system, string-table id
  ERRCLASS_VNS = 8,  // VINES, string-table id
};

struct ErrorClassInfo {
  const char* tag;           // "" for the unknown classes
  bool textFromTable;        // the code is a string-table id
  const char* fallbackText;  // nullptr: the product name
  const char* caption;       // nullptr: the product name
};

// What the table says of class; any class outside 1..8 gives the entry of "none".
const ErrorClassInfo& DescribeErrorClass(int errorClass);

}  // namespace app
