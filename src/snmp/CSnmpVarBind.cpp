#include "snmp/CSnmpVarBind.h"

#include <arpa/inet.h>

#include <cstdio>
#include <cstring>

#include "snmp/SnmpApi.h"

namespace snmp {

namespace {

// Dotted text to subidentifiers through the engine's own conversion. 0 when it is not an OID.
int ParseOid(std::string_view dotted, std::vector<smiUINT32>* out) {
  const std::string text(dotted);
  smiOID oid{0, nullptr};
  const SNMPAPI_STATUS n = SnmpStrToOid(text.c_str(), &oid);
  if (n == SNMPAPI_FAILURE || oid.len == 0) {
    SnmpFreeDescriptor(SNMP_SYNTAX_OID, &oid);
    return 0;
  }
  out->assign(oid.ptr, oid.ptr + oid.len);
  SnmpFreeDescriptor(SNMP_SYNTAX_OID, &oid);
  return static_cast<int>(n);
}

std::string OidToText(const std::vector<smiUINT32>& ids) {
  std::string text;
  for (size_t i = 0; i < ids.size(); ++i) {
    if (i > 0) text += '.';
    text += std::to_string(ids[i]);
  }
  return text;
}

bool IsUnsignedSyntax(smiUINT32 syntax) {
  return syntax == SNMP_SYNTAX_CNTR32 || syntax == SNMP_SYNTAX_GAUGE32 ||
         syntax == SNMP_SYNTAX_TIMETICKS || syntax == SNMP_SYNTAX_UINT32;
}

bool IsOctetSyntax(smiUINT32 syntax) {
  return syntax == SNMP_SYNTAX_OCTETS || syntax == SNMP_SYNTAX_OPAQUE ||
         syntax == SNMP_SYNTAX_NSAPADDR || syntax == SNMP_SYNTAX_BITS ||
         syntax == SNMP_SYNTAX_IPADDR;
}

std::string HexOf(const std::vector<uint8_t>& octets) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (uint8_t b : octets) {
    if (!hex.empty()) hex += ' ';
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0x0F];
  }
  return hex;
}

bool IsPrintableOrSpace(uint8_t c) {
  return (c >= 0x20 && c < 0x7F) || (c >= 0x09 && c <= 0x0D);
}

}  // namespace

int CSnmpVarBind::SetOid(std::string_view dottedOid) {
  oid_.clear();
  oidResult_ = ParseOid(dottedOid, &oid_);
  return oidResult_;
}

std::string CSnmpVarBind::OidText() const {
  return OidToText(oid_);
}

smiOID CSnmpVarBind::Oid() const {
  return smiOID{static_cast<smiUINT32>(oid_.size()), const_cast<smiUINT32*>(oid_.data())};
}

void CSnmpVarBind::SetNull() {
  syntax_ = SNMP_SYNTAX_NULL;
  octets_.clear();
  oidValue_.clear();
}

void CSnmpVarBind::SetInteger(int32_t value) {
  SetNull();
  syntax_ = SNMP_SYNTAX_INT;
  signed_ = value;
}

void CSnmpVarBind::SetUnsigned(uint32_t value, smiUINT32 syntax) {
  SetNull();
  syntax_ = IsUnsignedSyntax(syntax) ? syntax : SNMP_SYNTAX_GAUGE32;
  unsigned_ = value;
}

void CSnmpVarBind::SetOctets(const uint8_t* data, size_t size, smiUINT32 syntax) {
  SetNull();
  syntax_ = IsOctetSyntax(syntax) ? syntax : SNMP_SYNTAX_OCTETS;
  if (data != nullptr) octets_.assign(data, data + size);
}

void CSnmpVarBind::SetString(std::string_view text) {
  SetOctets(reinterpret_cast<const uint8_t*>(text.data()), text.size(), SNMP_SYNTAX_OCTETS);
}

bool CSnmpVarBind::SetOidValue(std::string_view dottedOid) {
  std::vector<smiUINT32> ids;
  if (ParseOid(dottedOid, &ids) == 0) return false;
  SetNull();
  syntax_ = SNMP_SYNTAX_OID;
  oidValue_ = std::move(ids);
  return true;
}

bool CSnmpVarBind::SetIpAddress(std::string_view dotted) {
  in_addr address{};
  if (inet_pton(AF_INET, std::string(dotted).c_str(), &address) != 1) return false;
  const auto* bytes = reinterpret_cast<const uint8_t*>(&address.s_addr);
  SetOctets(bytes, 4, SNMP_SYNTAX_IPADDR);
  return true;
}

int CSnmpVarBind::GetInteger(int32_t* out) const {
  if (syntax_ != SNMP_SYNTAX_INT) return kWrongSyntax;
  if (out != nullptr) *out = signed_;
  return kOk;
}

int CSnmpVarBind::GetUnsigned(uint32_t* out) const {
  if (!IsUnsignedSyntax(syntax_)) return kWrongSyntax;
  if (out != nullptr) *out = unsigned_;
  return kOk;
}

int CSnmpVarBind::GetCounter64(smiCNTR64* out) const {
  if (syntax_ != SNMP_SYNTAX_CNTR64) return kWrongSyntax;
  if (out != nullptr) *out = counter64_;
  return kOk;
}

int CSnmpVarBind::GetOctets(uint8_t* buffer, size_t size, size_t* length) const {
  if (!IsOctetSyntax(syntax_)) return kWrongSyntax;
  if (octets_.size() > size || (buffer == nullptr && !octets_.empty())) return kBufferTooSmall;
  if (!octets_.empty()) std::memcpy(buffer, octets_.data(), octets_.size());
  if (length != nullptr) *length = octets_.size();
  return kOk;
}

int CSnmpVarBind::GetText(std::string* out) const {
  if (syntax_ != SNMP_SYNTAX_OCTETS) return kWrongSyntax;
  if (out != nullptr) *out = OctetsAsText(octets_.data(), octets_.size());
  return kOk;
}

int CSnmpVarBind::GetText(char* buffer, size_t size) const {
  std::string text;
  const int result = GetText(&text);
  if (result != kOk) return result;
  if (buffer == nullptr || text.size() + 1 > size) return kBufferTooSmall;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return kOk;
}

int CSnmpVarBind::GetOidText(std::string* out) const {
  if (syntax_ != SNMP_SYNTAX_OID) return kWrongSyntax;
  if (oidValue_.empty()) return kBufferTooSmall;
  if (out != nullptr) *out = OidToText(oidValue_);
  return kOk;
}

int CSnmpVarBind::GetIpAddress(std::string* out) const {
  if (syntax_ != SNMP_SYNTAX_IPADDR) return kWrongSyntax;
  if (octets_.size() != 4) return kBufferTooSmall;
  if (out != nullptr) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", octets_[0], octets_[1], octets_[2], octets_[3]);
    *out = text;
  }
  return kOk;
}

smiVALUE CSnmpVarBind::Value() const {
  smiVALUE value{};
  value.syntax = syntax_;
  if (syntax_ == SNMP_SYNTAX_INT) {
    value.value.sNumber = signed_;
  } else if (IsUnsignedSyntax(syntax_)) {
    value.value.uNumber = unsigned_;
  } else if (syntax_ == SNMP_SYNTAX_CNTR64) {
    value.value.hNumber = counter64_;
  } else if (IsOctetSyntax(syntax_)) {
    // A bits value counts bits.
    const size_t n = syntax_ == SNMP_SYNTAX_BITS ? octets_.size() * 8 : octets_.size();
    value.value.string.len = static_cast<smiUINT32>(n);
    value.value.string.ptr = octets_.empty() ? nullptr : const_cast<uint8_t*>(octets_.data());
  } else if (syntax_ == SNMP_SYNTAX_OID) {
    value.value.oid.len = static_cast<smiUINT32>(oidValue_.size());
    value.value.oid.ptr = oidValue_.empty() ? nullptr : const_cast<smiUINT32*>(oidValue_.data());
  }
  return value;
}

int CSnmpVarBind::Assign(const smiOID& oid, const smiVALUE& value) {
  // The OID travels through its dotted text, as every caller sees it.
  if (oid.len == 0 || oid.ptr == nullptr) return kUnreadable;
  std::vector<char> text(oid.len * 11 + 1);
  if (SnmpOidToStr(&oid, static_cast<smiUINT32>(text.size()), text.data()) == SNMPAPI_FAILURE) {
    return kUnreadable;
  }
  CSnmpVarBind next;
  if (next.SetOid(text.data()) == 0) return kUnreadable;
  const smiUINT32 syntax = value.syntax;
  if (syntax == SNMP_SYNTAX_INT) {
    next.signed_ = value.value.sNumber;
  } else if (IsUnsignedSyntax(syntax)) {
    next.unsigned_ = value.value.uNumber;
  } else if (syntax == SNMP_SYNTAX_CNTR64) {
    next.counter64_ = value.value.hNumber;
  } else if (IsOctetSyntax(syntax)) {
    const smiOCTETS& s = value.value.string;
    const size_t n = syntax == SNMP_SYNTAX_BITS ? (s.len + 7) / 8 : s.len;
    if (n > 0 && s.ptr == nullptr) return kUnreadable;
    if (n > 0) next.octets_.assign(s.ptr, s.ptr + n);
  } else if (syntax == SNMP_SYNTAX_OID) {
    const smiOID& v = value.value.oid;
    if (v.len > 0 && v.ptr == nullptr) return kUnreadable;
    if (v.len > 0) {
      std::vector<char> valueText(v.len * 11 + 1);
      if (SnmpOidToStr(&v, static_cast<smiUINT32>(valueText.size()), valueText.data()) ==
              SNMPAPI_FAILURE ||
          ParseOid(valueText.data(), &next.oidValue_) == 0) {
        return kUnreadable;
      }
    }
  }
  next.syntax_ = syntax;
  *this = std::move(next);
  return kOk;
}

std::string CSnmpVarBind::OctetsAsText(const uint8_t* data, size_t size) {
  bool printable = true;
  for (size_t i = 0; i < size && printable; ++i) printable = IsPrintableOrSpace(data[i]);
  if (printable) return std::string(reinterpret_cast<const char*>(data), size);
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  const size_t n = size < kMaxHexOctets ? size : kMaxHexOctets;
  hex.reserve(n * 3);
  for (size_t i = 0; i < n; ++i) {
    hex += kDigits[data[i] >> 4];
    hex += kDigits[data[i] & 0x0F];
    hex += ' ';
  }
  if (!hex.empty()) hex.pop_back();
  return hex;
}

std::string CSnmpVarBind::Describe() const {
  std::string line = OidText() + " = ";
  std::string text;
  switch (syntax_) {
    case SNMP_SYNTAX_INT:
      return line + "INTEGER: " + std::to_string(signed_);
    case SNMP_SYNTAX_CNTR32:
      return line + "Counter32: " + std::to_string(unsigned_);
    case SNMP_SYNTAX_GAUGE32:
      return line + "Gauge32: " + std::to_string(unsigned_);
    case SNMP_SYNTAX_TIMETICKS:
      return line + "Timeticks: " + std::to_string(unsigned_);
    case SNMP_SYNTAX_UINT32:
      return line + "UInteger32: " + std::to_string(unsigned_);
    case SNMP_SYNTAX_CNTR64:
      return line + "Counter64: " +
             std::to_string((uint64_t{counter64_.hipart} << 32) | counter64_.lopart);
    case SNMP_SYNTAX_OCTETS:
      GetText(&text);
      return line + "STRING: " + text;
    case SNMP_SYNTAX_OPAQUE:
    case SNMP_SYNTAX_NSAPADDR:
    case SNMP_SYNTAX_BITS:
      return line + "Hex-STRING: " + HexOf(octets_);
    case SNMP_SYNTAX_IPADDR:
      if (GetIpAddress(&text) != kOk) text.clear();
      return line + "IpAddress: " + text;
    case SNMP_SYNTAX_OID:
      if (GetOidText(&text) != kOk) text.clear();
      return line + "OID: " + text;
    case SNMP_SYNTAX_NOSUCHOBJECT:
      return line + "No Such Object available on this agent at this OID";
    case SNMP_SYNTAX_NOSUCHINSTANCE:
      return line + "No Such Instance currently exists at this OID";
    case SNMP_SYNTAX_ENDOFMIBVIEW:
      return line + "No more variables left in this MIB View";
    default:
      return line + "NULL";
  }
}

}  // namespace snmp
