// Encode and decode rates of Portolan's SNMP codec against net-snmp's, on the identical message
// (a v1 GetResponse with 18 varbinds), in one run. Usage: snmp_codec_bench [message-file] [seconds]

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "snmp/SnmpApi.h"

namespace {

using Clock = std::chrono::steady_clock;

// Runs op in batches until the time is up; returns operations per second.
double rate(double seconds, const std::function<bool()>& op) {
  for (int i = 0; i < 1000; ++i) op();  // warm caches and allocators
  uint64_t count = 0;
  const auto start = Clock::now();
  const auto end = start + std::chrono::duration<double>(seconds);
  Clock::time_point now;
  do {
    for (int i = 0; i < 1000; ++i) {
      if (!op()) {
        std::fprintf(stderr, "operation failed\n");
        std::exit(1);
      }
    }
    count += 1000;
    now = Clock::now();
  } while (now < end);
  return static_cast<double>(count) / std::chrono::duration<double>(now - start).count();
}

netsnmp_session v1Session() {
  netsnmp_session s;
  snmp_sess_init(&s);
  s.version = SNMP_VERSION_1;
  return s;
}

void releaseOurs(HSNMP_CONTEXT ctx, HSNMP_PDU pdu) {
  HSNMP_VBL vbl = 0;
  SnmpGetPduData(pdu, nullptr, nullptr, nullptr, nullptr, &vbl);
  SnmpFreeVbl(vbl);
  SnmpFreePdu(pdu);
  SnmpFreeContext(ctx);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : PORTOLAN_SHARED_DATA "/getresponse18.bin";
  const double seconds = argc > 2 ? std::atof(argv[2]) : 1.0;
  std::ifstream file(path, std::ios::binary);
  std::vector<uint8_t> message((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
  if (message.empty()) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 1;
  }

  // Ours.
  SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr);
  HSNMP_SESSION session = SnmpOpen(nullptr, 0);
  smiOCTETS in{static_cast<smiUINT32>(message.size()), message.data()};
  const double ourDecode = rate(seconds, [&] {
    HSNMP_CONTEXT ctx = 0;
    HSNMP_PDU pdu = 0;
    if (SnmpDecodeMsg(session, nullptr, nullptr, &ctx, &pdu, &in) != message.size()) return false;
    releaseOurs(ctx, pdu);
    return true;
  });
  HSNMP_CONTEXT ctx = 0;
  HSNMP_PDU pdu = 0;
  SnmpDecodeMsg(session, nullptr, nullptr, &ctx, &pdu, &in);
  bool same = false;
  const double ourEncode = rate(seconds, [&] {
    smiOCTETS out{};
    if (SnmpEncodeMsg(session, 0, 0, ctx, pdu, &out) == 0) return false;
    same = out.len == message.size() && std::memcmp(out.ptr, message.data(), out.len) == 0;
    SnmpFreeDescriptor(SNMP_SYNTAX_OCTETS, &out);
    return true;
  });
  releaseOurs(ctx, pdu);
  SnmpCleanup();

  // net-snmp's library, codec only (no init_snmp: no MIBs, no configuration files).
  netsnmp_session s = v1Session();
  const double theirDecode = rate(seconds, [&] {
    netsnmp_pdu* p = snmp_pdu_create(0);
    std::vector<uint8_t> copy = message;  // its parser takes a non-const buffer
    const bool ok = snmp_parse(nullptr, &s, p, copy.data(), copy.size()) == 0;
    snmp_free_pdu(p);
    return ok;
  });
  netsnmp_pdu* parsed = snmp_pdu_create(0);
  std::vector<uint8_t> copy = message;
  snmp_parse(nullptr, &s, parsed, copy.data(), copy.size());
  size_t size = 2048;
  auto* buffer = static_cast<u_char*>(std::malloc(size));
  bool theirSame = false;
  const double theirEncode = rate(seconds, [&] {
    size_t offset = 0;
    if (snmp_build(&buffer, &size, &offset, &s, parsed) != 0) return false;
    theirSame = offset == message.size() &&
                std::memcmp(buffer + size - offset, message.data(), offset) == 0;
    return true;
  });
  std::free(buffer);
  snmp_free_pdu(parsed);

  std::printf("message: %s (%zu octets)\n", path.c_str(), message.size());
  std::printf("%-10s %16s %16s\n", "", "encode msg/s", "decode msg/s");
  std::printf("%-10s %16.0f %16.0f\n", "portolan", ourEncode, ourDecode);
  std::printf("%-10s %16.0f %16.0f\n", "net-snmp", theirEncode, theirDecode);
  std::printf("%-10s %15.2fx %15.2fx\n", "ratio", ourEncode / theirEncode,
              ourDecode / theirDecode);
  std::printf("re-encoded identical to the input: portolan %s, net-snmp %s\n", same ? "yes" : "no",
              theirSame ? "yes" : "no");
  return 0;
}
