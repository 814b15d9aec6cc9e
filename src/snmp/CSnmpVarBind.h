// One variable of a request: its OID and its value. Before a request it holds what to set (or
// NULL for a Get); after a successful one, what the agent answered. The value accessors check the
// syntax and the caller's buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "snmp/SnmpTypes.h"

namespace snmp {

class CSnmpVarBind {
 public:
  // Accessor results.
  static constexpr int kOk = 0;
  static constexpr int kWrongSyntax = 3152;
  static constexpr int kBufferTooSmall = 3153;
  static constexpr int kUnreadable = 3154;
  // Octets shown as hexadecimal at most (three characters each, the last blank dropped).
  static constexpr size_t kMaxHexOctets = 341;

  CSnmpVarBind() = default;
  explicit CSnmpVarBind(std::string_view dottedOid) { SetOid(dottedOid); }

  // The OID from dotted text; keeps the conversion's result (the number of subidentifiers, or 0
  // when the text is not an OID, which leaves the OID empty).
  int SetOid(std::string_view dottedOid);
  int OidConversionResult() const { return oidResult_; }
  std::string OidText() const;
  smiOID Oid() const;

  smiUINT32 Syntax() const { return syntax_; }
  void SetNull();
  void SetInteger(int32_t value);
  // syntax one of 65, 66, 67, 71.
  void SetUnsigned(uint32_t value, smiUINT32 syntax = SNMP_SYNTAX_GAUGE32);
  void SetOctets(const uint8_t* data, size_t size, smiUINT32 syntax = SNMP_SYNTAX_OCTETS);
  void SetString(std::string_view text);
  // False (and nothing changed) when the text is not an OID.
  bool SetOidValue(std::string_view dottedOid);
  // False (and nothing changed) when the text is not a dotted IPv4 address.
  bool SetIpAddress(std::string_view dotted);

  int GetInteger(int32_t* out) const;    // syntax 2
  int GetUnsigned(uint32_t* out) const;  // 65, 66, 67, 71
  int GetCounter64(smiCNTR64* out) const;
  // Octet values (3, 4, 64, 68, 69): copies them; *length gets their count.
  int GetOctets(uint8_t* buffer, size_t size, size_t* length) const;
  // Syntax 4 as zero-terminated text: the octets themselves when all are printable or white
  // space, else their hexadecimal form.
  int GetText(char* buffer, size_t size) const;
  int GetText(std::string* out) const;
  // Syntax 6 as dotted text; kBufferTooSmall also when the OID value is missing.
  int GetOidText(std::string* out) const;
  // Syntax 64 as dotted text.
  int GetIpAddress(std::string* out) const;

  // The value as the engine takes it; points into this object, valid while it is unchanged.
  smiVALUE Value() const;
  // Takes an agent's varbind: its OID through dotted text and its value by syntax (unknown
  // syntaxes leave the value NULL but keep the syntax). kOk or kUnreadable (nothing changed).
  int Assign(const smiOID& oid, const smiVALUE& value);

  // The text/hex rule for octet strings.
  static std::string OctetsAsText(const uint8_t* data, size_t size);
  // "OID = TYPE: value", as net-snmp's tools print a variable.
  std::string Describe() const;

 private:
  std::vector<smiUINT32> oid_;
  int oidResult_ = 0;
  smiUINT32 syntax_ = SNMP_SYNTAX_NULL;
  int32_t signed_ = 0;
  uint32_t unsigned_ = 0;
  smiCNTR64 counter64_{};
  std::vector<uint8_t> octets_;
  std::vector<smiUINT32> oidValue_;
};

}  // namespace snmp
