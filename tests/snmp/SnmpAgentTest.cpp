// The simulator's SNMP agent on its own: requests encoded by the engine, answers decoded by it;
// its faults, and the per-device agents behind the simulator's datagram seam.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceTable.h"
#include "SnmpAgent.h"
#include "SnmpAgentHandler.h"
#include "snmp/CSnmpVarBind.h"
#include "snmp/SnmpApi.h"

namespace devsim {
namespace {

using snmp::CSnmpVarBind;

const std::string kRoot = "1.3.6.1.4.1.32473";

class AgentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr), SNMPAPI_SUCCESS);
    session = SnmpOpen(nullptr, 0);
    AddDeviceVariables(agent, kRoot, 2);
  }
  void TearDown() override { SnmpCleanup(); }

  std::vector<uint8_t> Request(smiUINT32 type, const std::vector<CSnmpVarBind>& vars,
                               const std::string& community = "public", smiINT32 id = 77) {
    HSNMP_VBL list = SnmpCreateVbl(session, nullptr, nullptr);
    for (const CSnmpVarBind& v : vars) {
      const smiOID oid = v.Oid();
      const smiVALUE value = v.Value();
      SnmpSetVb(list, 0, &oid, &value);
    }
    HSNMP_PDU pdu = SnmpCreatePdu(session, type, id, 0, 0, list);
    smiOCTETS text{static_cast<smiUINT32>(community.size()),
                   reinterpret_cast<smiLPBYTE>(const_cast<char*>(community.data()))};
    HSNMP_CONTEXT context = SnmpStrToContext(session, &text);
    smiOCTETS out{};
    SnmpEncodeMsg(session, 0, 0, context, pdu, &out);
    std::vector<uint8_t> bytes(out.ptr, out.ptr + out.len);
    SnmpFreeDescriptor(SNMP_SYNTAX_OCTETS, &out);
    SnmpFreePdu(pdu);
    SnmpFreeVbl(list);
    SnmpFreeContext(context);
    return bytes;
  }

  struct Reply {
    smiUINT32 type = 0;
    smiINT32 id = 0, status = -1, index = -1;
    std::vector<CSnmpVarBind> vars;
  };
  Reply Decode(const std::vector<uint8_t>& bytes) {
    Reply reply;
    smiOCTETS message{static_cast<smiUINT32>(bytes.size()), const_cast<uint8_t*>(bytes.data())};
    HSNMP_CONTEXT context = 0;
    HSNMP_PDU pdu = 0;
    if (SnmpDecodeMsg(session, nullptr, nullptr, &context, &pdu, &message) != bytes.size()) {
      return reply;
    }
    HSNMP_VBL list = 0;
    SnmpGetPduData(pdu, &reply.type, &reply.id, &reply.status, &reply.index, &list);
    for (smiUINT32 i = 1; i <= SnmpCountVbl(list); ++i) {
      smiOID oid{};
      smiVALUE value{};
      SnmpGetVb(list, i, &oid, &value);
      CSnmpVarBind vb;
      vb.Assign(oid, value);
      SnmpFreeDescriptor(SNMP_SYNTAX_OID, &oid);
      if (value.syntax == SNMP_SYNTAX_OCTETS) SnmpFreeDescriptor(4, &value.value.string);
      reply.vars.push_back(vb);
    }
    SnmpFreePdu(pdu);
    SnmpFreeVbl(list);
    SnmpFreeContext(context);
    return reply;
  }
  Reply Ask(smiUINT32 type, const std::vector<CSnmpVarBind>& vars,
            const std::string& community = "public") {
    const auto request = Request(type, vars, community);
    return Decode(agent.Answer(request.data(), request.size()));
  }

  HSNMP_SESSION session = 0;
  SnmpAgent agent;
};

TEST_F(AgentTest, GetAnswersWithTheRequestsIdAndTheValues) {
  Reply r = Ask(SNMP_PDU_GET, {CSnmpVarBind(kRoot + ".1.15.1.0"), CSnmpVarBind(kRoot + ".1.9.0")});
  EXPECT_EQ(r.type, SNMP_PDU_RESPONSE);
  EXPECT_EQ(r.id, 77);
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(r.vars.size(), 2u);
  EXPECT_EQ(r.vars[0].Describe(), kRoot + ".1.15.1.0 = INTEGER: 2");
  EXPECT_EQ(r.vars[1].Describe(), kRoot + ".1.9.0 = STRING: 6.2.1 (sim)");
}

TEST_F(AgentTest, TooBigNamesTheFirstVariableThatDoesNotFit) {
  std::vector<CSnmpVarBind> vars;
  for (int i = 1; i <= 8; ++i) {
    agent.SetString(kRoot + ".9." + std::to_string(i), std::string(100, 'x'));
    vars.emplace_back(kRoot + ".9." + std::to_string(i));
  }
  agent.Config().tooBigAbove = 500;  // four of these variables and the header fit
  Reply r = Ask(SNMP_PDU_GET, vars);
  EXPECT_EQ(r.status, SnmpAgent::kTooBig);
  EXPECT_EQ(r.index, 5);
  ASSERT_EQ(r.vars.size(), 8u);
  EXPECT_EQ(r.vars[0].Syntax(), SNMP_SYNTAX_NULL);  // the request's varbinds come back
}

TEST_F(AgentTest, SetChecksWritableAndSyntaxAndChangesAllOrNothing) {
  CSnmpVarBind reset(kRoot + ".2.2.0");
  reset.SetInteger(2);
  CSnmpVarBind wrongType(kRoot + ".2.4.0");
  wrongType.SetString("2");
  Reply r = Ask(SNMP_PDU_SET, {reset, wrongType}, "private");
  EXPECT_EQ(r.status, SnmpAgent::kBadValue);
  EXPECT_EQ(r.index, 2);
  EXPECT_TRUE(agent.Writes().empty());

  r = Ask(SNMP_PDU_SET, {reset}, "public");  // the GET community cannot write
  EXPECT_EQ(r.type, 0u);
  EXPECT_EQ(agent.Refused(), 1u);

  r = Ask(SNMP_PDU_SET, {reset}, "private");
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(agent.Writes().size(), 1u);
  int32_t n = 0;
  agent.Find(kRoot + ".2.2.0")->GetInteger(&n);
  EXPECT_EQ(n, 2);
}

TEST_F(AgentTest, GenErrAndSilenceOnRequest) {
  agent.Config().forcedStatus = SnmpAgent::kGenErr;
  agent.Config().forcedIndex = 1;
  EXPECT_EQ(Ask(SNMP_PDU_GET, {CSnmpVarBind(kRoot + ".1.9.0")}).status, SnmpAgent::kGenErr);
  agent.Config().forcedStatus = 0;
  agent.Config().silent = true;
  const auto request = Request(SNMP_PDU_GET, {CSnmpVarBind(kRoot + ".1.9.0")});
  EXPECT_TRUE(agent.Answer(request.data(), request.size()).empty());
  EXPECT_EQ(agent.Requests(), 2u);
}

TEST_F(AgentTest, WhatIsNotARequestIsRefused) {
  const std::vector<uint8_t> garbage = {0x30, 0x03, 0x02, 0x01};
  EXPECT_TRUE(agent.Answer(garbage.data(), garbage.size()).empty());
  EXPECT_TRUE(agent.Answer(nullptr, 0).empty());
  const auto response = Request(SNMP_PDU_RESPONSE, {CSnmpVarBind(kRoot + ".1.9.0")});
  EXPECT_TRUE(agent.Answer(response.data(), response.size()).empty());
  const std::vector<uint8_t> huge(70000, 0x30);
  EXPECT_TRUE(agent.Answer(huge.data(), huge.size()).empty());
  EXPECT_EQ(agent.Refused(), 4u);
}

TEST_F(AgentTest, TheHandlerAnswersForTheDeviceAtTheAddressAskedAndFromIt) {
  DeviceConfig first;
  first.systemName = "FIRST";
  DeviceConfig second;
  second.systemName = "SECOND";
  second.ipAddress = {127, 0, 0, 11};
  second.getCommunity = "second-get";
  DeviceTable table({first, second});
  SnmpAgentHandler handler(table, kRoot);

  Datagram datagram;
  datagram.bytes = Request(SNMP_PDU_GET, {CSnmpVarBind("1.3.6.1.2.1.1.5.0")}, "second-get");
  datagram.sender.sin_family = AF_INET;
  datagram.sender.sin_port = htons(40000);
  datagram.destination = 0x7F00000B;
  auto out = handler.Handle(datagram);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].from, 0x7F00000Bu);
  EXPECT_EQ(ntohs(out[0].to.sin_port), 40000);
  Reply r = Decode(out[0].bytes);
  ASSERT_EQ(r.vars.size(), 1u);
  EXPECT_EQ(r.vars[0].Describe(), "1.3.6.1.2.1.1.5.0 = STRING: SECOND");

  datagram.destination = 0x7F00000A;  // the first device does not know that community
  EXPECT_TRUE(handler.Handle(datagram).empty());
  datagram.destination = 0x7F0000FF;  // nobody there
  EXPECT_TRUE(handler.Handle(datagram).empty());
}

}  // namespace
}  // namespace devsim
