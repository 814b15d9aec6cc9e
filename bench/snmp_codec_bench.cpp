// Encode and decode rates of Portolan's SNMP codec against net-snmp's, on the identical message
// (a v1 GetResponse with 18 varbinds), in one run.
// Usage: snmp_codec_bench [message-file] [seconds-per-measurement] [rounds]

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <algorithm>
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

struct Rates {
  double encode;
  double decode;
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : PORTOLAN_SHARED_DATA "/getresponse18.bin";
  const double seconds = argc > 2 ? std::atof(argv[2]) : 1.0;
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  std::ifstream file(path, std::ios::binary);
  std::vector<uint8_t> message((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
  if (message.empty()) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 1;
  }
  const double slice = seconds / rounds;

  // Ours: the decode builds and frees a context, a PDU and a varbind list; the encode returns a
  // new block of the encoded octets, which is freed.
  SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr);
  HSNMP_SESSION session = SnmpOpen(nullptr, 0);
  smiOCTETS in{static_cast<smiUINT32>(message.size()), message.data()};
  auto ourDecodeOp = [&] {
    HSNMP_CONTEXT ctx = 0;
    HSNMP_PDU pdu = 0;
    if (SnmpDecodeMsg(session, nullptr, nullptr, &ctx, &pdu, &in) != message.size()) return false;
    releaseOurs(ctx, pdu);
    return true;
  };
  HSNMP_CONTEXT ctx = 0;
  HSNMP_PDU pdu = 0;
  SnmpDecodeMsg(session, nullptr, nullptr, &ctx, &pdu, &in);
  bool same = false;
  auto ourEncodeOp = [&] {
    smiOCTETS out{};
    if (SnmpEncodeMsg(session, 0, 0, ctx, pdu, &out) == 0) return false;
    same = out.len == message.size() && std::memcmp(out.ptr, message.data(), out.len) == 0;
    SnmpFreeDescriptor(SNMP_SYNTAX_OCTETS, &out);
    return true;
  };

  // net-snmp's library, codec only (no init_snmp: no MIBs, no configuration files). The decode
  // builds and frees a PDU with its varbinds; the encode writes into a buffer kept across calls.
  // snmp_parse takes a non-const buffer but does not write to a v1 message, so it parses one
  // copy made here, not a fresh copy per call (that would charge it an allocation we do not pay).
  netsnmp_session s = v1Session();
  std::vector<uint8_t> theirInput = message;
  auto theirDecodeOp = [&] {
    netsnmp_pdu* p = snmp_pdu_create(0);
    const bool ok = snmp_parse(nullptr, &s, p, theirInput.data(), theirInput.size()) == 0;
    snmp_free_pdu(p);
    return ok;
  };
  netsnmp_pdu* parsed = snmp_pdu_create(0);
  snmp_parse(nullptr, &s, parsed, theirInput.data(), theirInput.size());
  size_t size = 2048;
  auto* buffer = static_cast<u_char*>(std::malloc(size));
  bool theirSame = false;
  auto theirEncodeOp = [&] {
    size_t offset = 0;
    if (snmp_build(&buffer, &size, &offset, &s, parsed) != 0) return false;
    theirSame = offset == message.size() &&
                std::memcmp(buffer + size - offset, message.data(), offset) == 0;
    return true;
  };

  // Rounds alternate between the libraries so that a change in machine load hits both alike;
  // each rate is the median over the rounds.
  std::vector<double> ourEnc, ourDec, theirEnc, theirDec;
  for (int r = 0; r < rounds; ++r) {
    ourDec.push_back(rate(slice, ourDecodeOp));
    theirDec.push_back(rate(slice, theirDecodeOp));
    ourEnc.push_back(rate(slice, ourEncodeOp));
    theirEnc.push_back(rate(slice, theirEncodeOp));
  }
  const bool inputUntouched = theirInput == message;
  std::free(buffer);
  snmp_free_pdu(parsed);
  releaseOurs(ctx, pdu);
  SnmpCleanup();

  const Rates ours{median(ourEnc), median(ourDec)};
  const Rates theirs{median(theirEnc), median(theirDec)};
  std::printf("message: %s (%zu octets), %d rounds\n", path.c_str(), message.size(), rounds);
  std::printf("%-10s %16s %16s\n", "", "encode msg/s", "decode msg/s");
  std::printf("%-10s %16.0f %16.0f\n", "portolan", ours.encode, ours.decode);
  std::printf("%-10s %16.0f %16.0f\n", "net-snmp", theirs.encode, theirs.decode);
  std::printf("%-10s %15.2fx %15.2fx\n", "ratio", ours.encode / theirs.encode,
              ours.decode / theirs.decode);
  std::printf("re-encoded identical to the input: portolan %s, net-snmp %s\n", same ? "yes" : "no",
              theirSame ? "yes" : "no");
  if (!inputUntouched) {
    std::printf("warning: net-snmp wrote to its input buffer; its decode rate is not valid\n");
    return 1;
  }
  return 0;
}
