// The codec against net-snmp's library as a real peer: for the same PDUs both produce the same
// octets, and each decodes what the other encodes.

#include <gtest/gtest.h>

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <fstream>
#include <iterator>

#include "snmp/BerCodec.h"
#include "snmp/SnmpHandleTable.h"
#include "snmp/SnmpTestSupport.h"

namespace {

using namespace snmptest;

// One varbind as both libraries take it.
struct Var {
  std::vector<smiUINT32> name;
  smiUINT32 syntax;
  int64_t number = 0;          // INTEGER and the unsigned syntaxes
  Bytes octets;                // octet syntaxes
  std::vector<smiUINT32> oid;  // OBJECT IDENTIFIER
  uint64_t counter64 = 0;
};

struct Case {
  const char* what;
  smiUINT32 type;
  smiINT32 requestId;
  smiINT32 errorStatus;
  smiINT32 errorIndex;
  std::vector<Var> vars;
};

void initNetSnmp() {
  static bool done = false;
  if (done) return;
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
  // Only the codec is used: no init_snmp, so no MIB loading and no files written.
  done = true;
}

netsnmp_session v1Session() {
  netsnmp_session s;
  snmp_sess_init(&s);
  s.version = SNMP_VERSION_1;
  s.community = reinterpret_cast<u_char*>(const_cast<char*>("public"));
  s.community_len = 6;
  return s;
}

std::vector<oid> netOid(const std::vector<smiUINT32>& ids) {
  return std::vector<oid>(ids.begin(), ids.end());
}

void addNetVar(netsnmp_pdu* pdu, const Var& v) {
  std::vector<oid> name = netOid(v.name);
  const auto type = static_cast<u_char>(v.syntax);
  switch (v.syntax) {
    case SNMP_SYNTAX_INT: {
      long n = static_cast<long>(v.number);
      snmp_pdu_add_variable(pdu, name.data(), name.size(), type, &n, sizeof n);
      break;
    }
    case SNMP_SYNTAX_CNTR32:
    case SNMP_SYNTAX_GAUGE32:
    case SNMP_SYNTAX_TIMETICKS:
    case SNMP_SYNTAX_UINT32: {
      u_long n = static_cast<u_long>(v.number);
      snmp_pdu_add_variable(pdu, name.data(), name.size(), type, &n, sizeof n);
      break;
    }
    case SNMP_SYNTAX_CNTR64: {
      counter64 c{static_cast<u_long>(v.counter64 >> 32),
                  static_cast<u_long>(v.counter64 & 0xFFFFFFFFu)};
      snmp_pdu_add_variable(pdu, name.data(), name.size(), type, &c, sizeof c);
      break;
    }
    case SNMP_SYNTAX_OID: {
      std::vector<oid> value = netOid(v.oid);
      snmp_pdu_add_variable(pdu, name.data(), name.size(), type, value.data(),
                            value.size() * sizeof(oid));
      break;
    }
    case SNMP_SYNTAX_NULL:
    case SNMP_SYNTAX_NOSUCHOBJECT:
    case SNMP_SYNTAX_NOSUCHINSTANCE:
    case SNMP_SYNTAX_ENDOFMIBVIEW:
      snmp_pdu_add_variable(pdu, name.data(), name.size(), type, nullptr, 0);
      break;
    default:
      snmp_pdu_add_variable(pdu, name.data(), name.size(), type, v.octets.data(), v.octets.size());
      break;
  }
}

void setNetCommunity(netsnmp_pdu* pdu) {
  pdu->version = SNMP_VERSION_1;
  pdu->community = static_cast<u_char*>(malloc(6));
  std::memcpy(pdu->community, "public", 6);
  pdu->community_len = 6;
}

// net-snmp builds backwards too: the message is the last `offset` octets of its buffer.
Bytes netEncode(netsnmp_pdu* pdu) {
  netsnmp_session s = v1Session();
  size_t size = 2048;
  size_t offset = 0;
  auto* buffer = static_cast<u_char*>(malloc(size));
  int rc = snmp_build(&buffer, &size, &offset, &s, pdu);
  if (rc != 0)
    ADD_FAILURE() << "net-snmp build: " << rc << " " << snmp_api_errstring(s.s_snmp_errno);
  Bytes out;
  if (rc == 0) out.assign(buffer + size - offset, buffer + size);
  free(buffer);
  return out;
}

netsnmp_pdu* netPdu(const Case& c) {
  netsnmp_pdu* pdu = snmp_pdu_create(static_cast<int>(c.type));
  setNetCommunity(pdu);
  pdu->reqid = c.requestId;
  pdu->errstat = c.errorStatus;
  pdu->errindex = c.errorIndex;
  for (const Var& v : c.vars) addNetVar(pdu, v);
  return pdu;
}

// Parses with net-snmp; null when it refuses.
netsnmp_pdu* netDecode(const Bytes& bytes) {
  netsnmp_session s = v1Session();
  netsnmp_pdu* pdu = snmp_pdu_create(0);
  Bytes copy = bytes;
  if (snmp_parse(nullptr, &s, pdu, copy.data(), copy.size()) != 0) {
    snmp_free_pdu(pdu);
    return nullptr;
  }
  return pdu;
}

class NetSnmpInteropTest : public EngineTest {
 protected:
  void SetUp() override {
    initNetSnmp();
    EngineTest::SetUp();
  }

  HSNMP_PDU ourPdu(const Case& c) {
    HSNMP_VBL vbl = SnmpCreateVbl(session_, nullptr, nullptr);
    for (const Var& v : c.vars) {
      std::vector<smiUINT32> nameIds = v.name;
      smiOID name = oidOf(nameIds);
      smiVALUE value{};
      value.syntax = v.syntax;
      Bytes octets = v.octets;
      std::vector<smiUINT32> oidIds = v.oid;
      if (v.syntax == SNMP_SYNTAX_INT) value.value.sNumber = static_cast<smiINT32>(v.number);
      if (v.syntax >= SNMP_SYNTAX_CNTR32 && v.syntax <= SNMP_SYNTAX_UINT32) {
        value.value.uNumber = static_cast<smiUINT32>(v.number);
      }
      if (v.syntax == SNMP_SYNTAX_CNTR64) {
        value.value.hNumber = smiCNTR64{static_cast<smiUINT32>(v.counter64 >> 32),
                                        static_cast<smiUINT32>(v.counter64)};
      }
      if (v.syntax == SNMP_SYNTAX_OID) value.value.oid = oidOf(oidIds);
      if (SnmpSyntaxHasOctetsForTest(v.syntax)) value = octetsValue(v.syntax, octets);
      EXPECT_EQ(SnmpSetVb(vbl, 0, &name, &value), SNMPAPI_SUCCESS);
    }
    return SnmpCreatePdu(session_, c.type, c.requestId, c.errorStatus, c.errorIndex, vbl);
  }

  static bool SnmpSyntaxHasOctetsForTest(smiUINT32 s) {
    return s == SNMP_SYNTAX_OCTETS || s == SNMP_SYNTAX_IPADDR || s == SNMP_SYNTAX_OPAQUE ||
           s == SNMP_SYNTAX_NSAPADDR;
  }

  // Decodes with our codec and encodes the result again.
  Bytes ourReencode(const Bytes& bytes) {
    HSNMP_CONTEXT ctx = 0;
    HSNMP_PDU pdu = 0;
    if (decode(bytes, &ctx, &pdu) != bytes.size()) return {};
    return encode(pdu, ctx);
  }
};

const std::vector<smiUINT32> kIfDescr{1, 3, 6, 1, 2, 1, 2, 2, 1, 2, 1};

std::vector<Case> cases() {
  Var descr{kIfDescr, SNMP_SYNTAX_OCTETS, 0, str("GigabitEthernet0/0/1")};
  std::vector<Case> all;
  all.push_back({"get", SNMP_PDU_GET, 1, 0, 0, {Var{kIfDescr, SNMP_SYNTAX_NULL}}});
  all.push_back({"getnext of three",
                 SNMP_PDU_GETNEXT,
                 0x1A2B3C4D,
                 0,
                 0,
                 {Var{{1, 3, 6, 1}, SNMP_SYNTAX_NULL}, Var{kIfDescr, SNMP_SYNTAX_NULL},
                  Var{{1, 3, 6, 1, 4, 1, 2699, 1, 4294967295u}, SNMP_SYNTAX_NULL}}});
  all.push_back({"set", SNMP_PDU_SET, -5, 0, 0, {descr, Var{kIfDescr, SNMP_SYNTAX_INT, -129}}});
  Case integers{"integers", SNMP_PDU_RESPONSE, 128, 2, 3, {}};
  for (int64_t n : {0LL, -1LL, 1LL, 127LL, 128LL, -128LL, -129LL, 255LL, 256LL, 32767LL, 32768LL,
                    -32769LL, 8388608LL, 2147483647LL, -2147483648LL}) {
    integers.vars.push_back(Var{kIfDescr, SNMP_SYNTAX_INT, n});
  }
  all.push_back(integers);
  Case unsigneds{"unsigned numbers", SNMP_PDU_RESPONSE, -129, 0, 0, {}};
  for (smiUINT32 syntax :
       {SNMP_SYNTAX_CNTR32, SNMP_SYNTAX_GAUGE32, SNMP_SYNTAX_TIMETICKS, SNMP_SYNTAX_UINT32}) {
    for (int64_t n : {0LL, 127LL, 128LL, 255LL, 65535LL, 2147483648LL, 4294967295LL}) {
      unsigneds.vars.push_back(Var{kIfDescr, syntax, n});
    }
  }
  while (unsigneds.vars.size() < kSnmpMaxVarBinds) {
    unsigneds.vars.push_back(Var{kIfDescr, SNMP_SYNTAX_NULL});
  }
  all.push_back(unsigneds);
  Case strings{"octet lengths 0, 127, 128, 300", SNMP_PDU_RESPONSE, 7, 0, 0, {}};
  for (size_t n : {0u, 1u, 127u, 128u, 300u}) {
    strings.vars.push_back(Var{kIfDescr, SNMP_SYNTAX_OCTETS, 0, Bytes(n, 0xA5)});
  }
  strings.vars.push_back(Var{kIfDescr, SNMP_SYNTAX_IPADDR, 0, Bytes{10, 1, 2, 254}});
  strings.vars.push_back(Var{kIfDescr, SNMP_SYNTAX_OPAQUE, 0, Bytes{0x30, 0x03, 0x02, 0x01, 0x05}});
  all.push_back(strings);
  Case oids{"object identifiers", SNMP_PDU_RESPONSE, 9, 0, 0, {}};
  for (auto ids : std::vector<std::vector<smiUINT32>>{
           {0, 0},
           {1, 3},
           {2, 100, 3},
           {1, 3, 6, 1, 4, 1, 127, 128, 16383, 16384},
           {1, 3, 6, 1, 4, 1, 2097151, 2097152, 268435455, 268435456, 4294967295u}}) {
    oids.vars.push_back(Var{kIfDescr, SNMP_SYNTAX_OID, 0, {}, ids});
  }
  all.push_back(oids);
  Case counter64s{"counter64", SNMP_PDU_RESPONSE, 10, 0, 0, {}};
  for (uint64_t n : {0ULL, 128ULL, 0xFFFFFFFFULL, 0x100000000ULL, 0x7FFFFFFFFFFFFFFFULL,
                     0xFFFFFFFFFFFFFFFFULL}) {
    counter64s.vars.push_back(Var{kIfDescr, SNMP_SYNTAX_CNTR64, 0, {}, {}, n});
  }
  all.push_back(counter64s);
  return all;
}

TEST_F(NetSnmpInteropTest, SamePdusGiveTheSameOctets) {
  for (const Case& c : cases()) {
    netsnmp_pdu* theirs = netPdu(c);
    Bytes expected = netEncode(theirs);
    snmp_free_pdu(theirs);
    ASSERT_FALSE(expected.empty()) << c.what;
    EXPECT_EQ(encode(ourPdu(c)), expected) << c.what;
  }
}

TEST_F(NetSnmpInteropTest, EachDecodesWhatTheOtherEncodes) {
  for (const Case& c : cases()) {
    netsnmp_pdu* theirs = netPdu(c);
    Bytes theirBytes = netEncode(theirs);
    snmp_free_pdu(theirs);
    // Ours reads theirs: re-encoding what we decoded gives their octets back.
    EXPECT_EQ(ourReencode(theirBytes), theirBytes) << c.what;

    // Theirs reads ours, field by field.
    Bytes ourBytes = encode(ourPdu(c));
    netsnmp_pdu* parsed = netDecode(ourBytes);
    ASSERT_NE(parsed, nullptr) << c.what;
    EXPECT_EQ(static_cast<smiUINT32>(parsed->command), c.type) << c.what;
    EXPECT_EQ(parsed->reqid, c.requestId) << c.what;
    EXPECT_EQ(parsed->errstat, c.errorStatus) << c.what;
    EXPECT_EQ(parsed->errindex, c.errorIndex) << c.what;
    size_t i = 0;
    for (netsnmp_variable_list* v = parsed->variables; v != nullptr; v = v->next_variable, ++i) {
      ASSERT_LT(i, c.vars.size()) << c.what;
      const Var& want = c.vars[i];
      EXPECT_EQ(v->type, want.syntax) << c.what << " #" << i;
      EXPECT_EQ(std::vector<smiUINT32>(v->name, v->name + v->name_length), want.name);
      if (want.syntax == SNMP_SYNTAX_INT) {
        EXPECT_EQ(*v->val.integer, want.number);
      }
      if (want.syntax >= SNMP_SYNTAX_CNTR32 && want.syntax <= SNMP_SYNTAX_UINT32 &&
          want.syntax != SNMP_SYNTAX_OPAQUE && want.syntax != SNMP_SYNTAX_NSAPADDR &&
          want.syntax != SNMP_SYNTAX_CNTR64) {
        EXPECT_EQ(static_cast<uint64_t>(*v->val.integer), static_cast<uint64_t>(want.number));
      }
      if (want.syntax == SNMP_SYNTAX_CNTR64) {
        EXPECT_EQ((static_cast<uint64_t>(v->val.counter64->high) << 32) | v->val.counter64->low,
                  want.counter64);
      }
      if (want.syntax == SNMP_SYNTAX_OCTETS || want.syntax == SNMP_SYNTAX_IPADDR) {
        EXPECT_EQ(Bytes(v->val.string, v->val.string + v->val_len), want.octets);
      }
      if (want.syntax == SNMP_SYNTAX_OID) {
        EXPECT_EQ(std::vector<smiUINT32>(v->val.objid, v->val.objid + v->val_len / sizeof(oid)),
                  want.oid);
      }
    }
    EXPECT_EQ(i, c.vars.size()) << c.what;
    snmp_free_pdu(parsed);
  }
}

TEST_F(NetSnmpInteropTest, TrapV1AgreesBothWays) {
  std::vector<smiUINT32> enterprise{1, 3, 6, 1, 4, 1, 2636, 1};
  netsnmp_pdu* theirs = snmp_pdu_create(SNMP_MSG_TRAP);
  setNetCommunity(theirs);
  std::vector<oid> ent = netOid(enterprise);
  theirs->enterprise = static_cast<oid*>(malloc(ent.size() * sizeof(oid)));
  std::copy(ent.begin(), ent.end(), theirs->enterprise);
  theirs->enterprise_length = ent.size();
  const u_char agent[4] = {192, 168, 7, 9};
  std::memcpy(theirs->agent_addr, agent, 4);
  theirs->trap_type = 6;
  theirs->specific_type = 300;
  theirs->time = 0x80000000u;
  addNetVar(theirs, Var{kIfDescr, SNMP_SYNTAX_INT, -1});
  Bytes theirBytes = netEncode(theirs);
  snmp_free_pdu(theirs);
  ASSERT_FALSE(theirBytes.empty());

  // Our codec, before the engine's rewrite, reads every trap field.
  smiOCTETS in{static_cast<smiUINT32>(theirBytes.size()), theirBytes.data()};
  SnmpPduObject pdu{};
  pdu.session = session_;
  SnmpContextObject ctx{};
  BerState* state = BerOpenDecoder(&in);
  ASSERT_EQ(BerDecodeMessage(state, &pdu, &ctx), SNMPAPI_SUCCESS);
  EXPECT_EQ(BerGetDecodedLength(state), theirBytes.size());
  BerClose(state);
  EXPECT_EQ(pdu.type, SNMP_PDU_V1TRAP);
  EXPECT_EQ(idsOf(*pdu.enterprise), enterprise);
  EXPECT_EQ(Bytes(pdu.agentAddress->ptr, pdu.agentAddress->ptr + pdu.agentAddress->len),
            Bytes(agent, agent + 4));
  EXPECT_EQ(pdu.genericTrap, 6);
  EXPECT_EQ(pdu.specificTrap, 300);
  EXPECT_EQ(pdu.timeStamp, 0x80000000u);

  // And encodes the same record to the same octets.
  uint8_t buffer[kSnmpMaxMessage];
  smiOCTETS out{sizeof buffer, buffer};
  state = BerOpenEncoder(&out);
  ASSERT_EQ(BerEncodeMessage(state, &pdu, &ctx), SNMPAPI_SUCCESS);
  smiOCTETS encoded{};
  BerGetEncoded(state, &encoded);
  EXPECT_EQ(Bytes(encoded.ptr, encoded.ptr + encoded.len), theirBytes);
  BerClose(state);

  netsnmp_pdu* parsed = netDecode(Bytes(encoded.ptr, encoded.ptr + encoded.len));
  ASSERT_NE(parsed, nullptr);
  EXPECT_EQ(parsed->specific_type, 300);
  snmp_free_pdu(parsed);
  free(pdu.enterprise->ptr);
  free(pdu.enterprise);
  free(pdu.agentAddress->ptr);
  free(pdu.agentAddress);
}

TEST_F(NetSnmpInteropTest, SharedGetResponseWith18VarbindsRoundTrips) {
  std::ifstream file(PORTOLAN_SOURCE_DIR "/../shared/data/getresponse18.bin", std::ios::binary);
  if (!file) GTEST_SKIP() << "shared test data not present";
  Bytes message((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_EQ(message.size(), 513u);
  HSNMP_CONTEXT ctx = 0;
  HSNMP_PDU pdu = 0;
  ASSERT_EQ(decode(message, &ctx, &pdu), message.size());
  HSNMP_VBL vbl = 0;
  SnmpGetPduData(pdu, nullptr, nullptr, nullptr, nullptr, &vbl);
  EXPECT_EQ(SnmpCountVbl(vbl), 18u);
  EXPECT_EQ(encode(pdu, ctx), message);
}

}  // namespace
