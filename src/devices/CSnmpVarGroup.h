// A variable group: an ordered set of MIB variables of one device that are read and written
// together through the request layer, each with a changed flag. An OID given as text that begins
// with "." is a suffix of the enterprise root the group was built with; other text is a full OID.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "snmp/CSnmpVarBind.h"

namespace snmp {
class CSnmpManager;
}

namespace devices {

class CSnmpVarGroup {
 public:
  static constexpr int kOk = 0;
  static constexpr int kIndexOutOfRange = 3332;

  // root: the device's enterprise root; getTimeout and setTimeout in hundredths of a second (the
  // GetTimeout and SetTimeout settings).
  CSnmpVarGroup(std::string root, int getTimeout, int setTimeout);
  CSnmpVarGroup(std::string root, int getTimeout, int setTimeout,
                const std::vector<std::string>& oids);

  // Appends a variable (suffix or full OID); its index.
  int Add(std::string_view oid);
  int Count() const { return static_cast<int>(vars_.size()); }

  // Sets every value to NULL and reads the whole group with Get (in pieces when long or when the
  // agent says tooBig; a group longer than the request layer can read at once in runs of 50).
  // 0 or the request code; a failed read leaves the group unread.
  int Read(snmp::CSnmpManager& manager);
  // Sends the changed variables, in order, in one Set (pieces on tooBig; more than one varbind
  // list holds in runs of 32). Clears every changed
  // flag whatever the result, so that a later write never repeats this one. 0 or the request
  // code (3155 with nothing changed: nothing is sent).
  int Write(snmp::CSnmpManager& manager);

  // Set a value and mark it changed: 0 or 3332.
  int SetInteger(int index, int32_t value);
  int SetText(int index, std::string_view text);
  // Read a value: 0, 3332, or the accessor codes 3152 (another syntax) and 3153.
  int GetInteger(int index, int32_t* value) const;
  int GetText(int index, std::string* text) const;

  bool IsChanged(int index) const;
  bool IsRead() const { return read_; }
  std::string OidText(int index) const;
  // The agent's error index of the last request, counted from the variables it was sent.
  int LastErrorIndex() const { return lastErrorIndex_; }

 private:
  bool InRange(int index) const { return index >= 0 && index < Count(); }

  std::string root_;
  int getTimeout_;
  int setTimeout_;
  std::vector<snmp::CSnmpVarBind> vars_;
  std::vector<bool> changed_;
  bool read_ = false;
  int lastErrorIndex_ = 0;
};

}  // namespace devices
