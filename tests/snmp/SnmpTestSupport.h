#pragma once
// Helpers shared by the SNMP engine's tests: an engine started per test, builders for BER bytes,
// and shortcuts that make PDUs through the handle interface.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "snmp/SnmpApi.h"

namespace snmptest {

using Bytes = std::vector<uint8_t>;

inline Bytes lengthOctets(size_t n) {
  if (n < 0x80) return {static_cast<uint8_t>(n)};
  Bytes be;
  for (; n != 0; n >>= 8) be.insert(be.begin(), static_cast<uint8_t>(n & 0xFF));
  be.insert(be.begin(), static_cast<uint8_t>(0x80 | be.size()));
  return be;
}

inline Bytes tlv(uint8_t tag, const Bytes& contents) {
  Bytes out{tag};
  Bytes len = lengthOctets(contents.size());
  out.insert(out.end(), len.begin(), len.end());
  out.insert(out.end(), contents.begin(), contents.end());
  return out;
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline Bytes str(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

// 1.3.6.1.2.1.1.3.0 as BER contents.
inline Bytes sysUpTimeOid() {
  return {0x2B, 6, 1, 2, 1, 1, 3, 0};
}

inline Bytes varbind(const Bytes& oidContents, const Bytes& value) {
  return tlv(0x30, cat({tlv(0x06, oidContents), value}));
}

// A v1 message with community "public" around the given PDU tag, header and varbinds.
inline Bytes response(const Bytes& varbinds, uint8_t pduTag = 0xA2, const Bytes& version = {0}) {
  Bytes header = cat({tlv(0x02, {0x12}), tlv(0x02, {0}), tlv(0x02, {0})});
  return tlv(0x30, cat({tlv(0x02, version), tlv(0x04, str("public")),
                        tlv(pduTag, cat({header, tlv(0x30, varbinds)}))}));
}

inline smiOID oidOf(std::vector<smiUINT32>& ids) {
  return smiOID{static_cast<smiUINT32>(ids.size()), ids.data()};
}

inline std::vector<smiUINT32> idsOf(const smiOID& oid) {
  return std::vector<smiUINT32>(oid.ptr, oid.ptr + oid.len);
}

inline smiVALUE nullValue() {
  smiVALUE v{};
  v.syntax = SNMP_SYNTAX_NULL;
  return v;
}

inline smiVALUE intValue(smiINT32 n) {
  smiVALUE v{};
  v.syntax = SNMP_SYNTAX_INT;
  v.value.sNumber = n;
  return v;
}

inline smiVALUE unsignedValue(smiUINT32 syntax, smiUINT32 n) {
  smiVALUE v{};
  v.syntax = syntax;
  v.value.uNumber = n;
  return v;
}

inline smiVALUE octetsValue(smiUINT32 syntax, Bytes& octets) {
  smiVALUE v{};
  v.syntax = syntax;
  v.value.string =
      smiOCTETS{static_cast<smiUINT32>(octets.size()), octets.empty() ? nullptr : octets.data()};
  return v;
}

// Starts the engine for each test and cleans up after it, with one open session.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr), SNMPAPI_SUCCESS);
    session_ = SnmpOpen(nullptr, 0xA01);
    ASSERT_NE(session_, 0u);
  }
  void TearDown() override { SnmpCleanup(); }

  HSNMP_CONTEXT community(const std::string& text = "public") {
    Bytes octets = str(text);
    smiOCTETS c{static_cast<smiUINT32>(octets.size()), octets.data()};
    return SnmpStrToContext(session_, &c);
  }

  // A PDU of the type with one varbind per value, all named 1.3.6.1.2.1.1.3.0.
  HSNMP_PDU pduWith(smiUINT32 type, smiINT32 requestId, const std::vector<smiVALUE>& values) {
    std::vector<smiUINT32> ids{1, 3, 6, 1, 2, 1, 1, 3, 0};
    smiOID name = oidOf(ids);
    HSNMP_VBL vbl = SnmpCreateVbl(session_, nullptr, nullptr);
    for (const smiVALUE& v : values) EXPECT_EQ(SnmpSetVb(vbl, 0, &name, &v), SNMPAPI_SUCCESS);
    return SnmpCreatePdu(session_, type, requestId, 0, 0, vbl);
  }

  // Encodes and hands back the octets (empty on failure, with the error in lastError).
  Bytes encode(HSNMP_PDU pdu, HSNMP_CONTEXT ctx = 0) {
    if (ctx == 0) ctx = community();
    smiOCTETS out{};
    SNMPAPI_STATUS n = SnmpEncodeMsg(session_, 0, 0, ctx, pdu, &out);
    lastError = n == 0 ? SnmpGetLastError(session_) : SNMPAPI_SUCCESS;
    Bytes bytes(out.ptr, out.ptr + out.len);
    SnmpFreeDescriptor(SNMP_SYNTAX_OCTETS, &out);
    return bytes;
  }

  // Decodes; 0 on failure with the error in lastError.
  SNMPAPI_STATUS decode(const Bytes& bytes, HSNMP_CONTEXT* ctx, HSNMP_PDU* pdu) {
    smiOCTETS msg{static_cast<smiUINT32>(bytes.size()), const_cast<uint8_t*>(bytes.data())};
    SNMPAPI_STATUS n = SnmpDecodeMsg(session_, nullptr, nullptr, ctx, pdu, &msg);
    lastError = n == 0 ? SnmpGetLastError(session_) : SNMPAPI_SUCCESS;
    return n;
  }

  // The decode error code of bytes, or 1 when they decode.
  SNMPAPI_STATUS decodeError(const Bytes& bytes) {
    HSNMP_CONTEXT ctx = 0;
    HSNMP_PDU pdu = 0;
    if (decode(bytes, &ctx, &pdu) == 0) return lastError;
    HSNMP_VBL vbl = 0;
    SnmpGetPduData(pdu, nullptr, nullptr, nullptr, nullptr, &vbl);
    SnmpFreeVbl(vbl);
    SnmpFreePdu(pdu);
    SnmpFreeContext(ctx);
    return SNMPAPI_SUCCESS;
  }

  HSNMP_SESSION session_ = 0;
  SNMPAPI_STATUS lastError = SNMPAPI_SUCCESS;
};

}  // namespace snmptest
