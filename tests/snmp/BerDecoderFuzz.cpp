// Feeds arbitrary octets to the engine's message decoder (codec and Trap-v1 rewrite). Whatever
// decodes is encoded again, which must succeed and give a message that decodes again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "snmp/SnmpApi.h"

namespace {

HSNMP_SESSION session() {
  static HSNMP_SESSION s = [] {
    SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr);
    return SnmpOpen(nullptr, 0);
  }();
  return s;
}

void release(HSNMP_CONTEXT ctx, HSNMP_PDU pdu) {
  HSNMP_VBL vbl = 0;
  SnmpGetPduData(pdu, nullptr, nullptr, nullptr, nullptr, &vbl);
  SnmpFreeVbl(vbl);
  SnmpFreePdu(pdu);
  SnmpFreeContext(ctx);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  HSNMP_SESSION s = session();
  smiOCTETS msg{static_cast<smiUINT32>(size), const_cast<uint8_t*>(data)};
  HSNMP_CONTEXT ctx = 0;
  HSNMP_PDU pdu = 0;
  if (SnmpDecodeMsg(s, nullptr, nullptr, &ctx, &pdu, &msg) == 0) return 0;
  smiOCTETS again{};
  // A decoded message may not fit the 1408-octet encoder (the input can be larger), and an
  // enterprise-less trap cannot occur; anything else that decoded must encode.
  if (SnmpEncodeMsg(s, 0, 0, ctx, pdu, &again) != 0) {
    HSNMP_CONTEXT ctx2 = 0;
    HSNMP_PDU pdu2 = 0;
    if (SnmpDecodeMsg(s, nullptr, nullptr, &ctx2, &pdu2, &again) == 0) std::abort();
    release(ctx2, pdu2);
    SnmpFreeDescriptor(SNMP_SYNTAX_OCTETS, &again);
  } else if (size <= 1408 && SnmpGetLastError(s) != 11 && SnmpGetLastError(s) != 9) {
    std::abort();
  }
  release(ctx, pdu);
  return 0;
}
