// Variable objects: OIDs through dotted text, value accessors and their codes, the text/hex rule
// for octet strings, and taking an agent's varbind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "snmp/CSnmpVarBind.h"
#include "snmp/SnmpApi.h"

namespace snmp {
namespace {

std::string TextOf(const std::vector<uint8_t>& octets) {
  return CSnmpVarBind::OctetsAsText(octets.data(), octets.size());
}

TEST(OctetText, PrintableAndWhiteSpaceStayText) {
  EXPECT_EQ(TextOf({'L', 'a', 'b', ' ', '3', '\t', '\r', '\n'}), "Lab 3\t\r\n");
  EXPECT_EQ(TextOf({}), "");
}

TEST(OctetText, AnyOtherOctetTurnsAllIntoUpperCaseHex) {
  EXPECT_EQ(TextOf({0x00, 0x40, 0x9D, 0x12, 0x34, 0x56}), "00 40 9D 12 34 56");
  EXPECT_EQ(TextOf({'a', 'b', 0x00}), "61 62 00");  // a terminator is not text
  EXPECT_EQ(TextOf({0x7F}), "7F");
  EXPECT_EQ(TextOf({0xE9}), "E9");
}

TEST(OctetText, HexStopsAt341Octets) {
  const std::vector<uint8_t> many(400, 0xAB);
  const std::string hex = TextOf(many);
  EXPECT_EQ(hex.size(), 341u * 3 - 1);
  EXPECT_EQ(hex.substr(0, 6), "AB AB ");
  EXPECT_EQ(hex.back(), 'B');
  EXPECT_EQ(TextOf(std::vector<uint8_t>(341, 1)).size(), 341u * 3 - 1);
}

TEST(VarBindOid, DottedTextConvertsAndKeepsItsResult) {
  CSnmpVarBind vb("1.3.6.1.2.1.1.4.0");
  EXPECT_EQ(vb.OidConversionResult(), 9);
  EXPECT_EQ(vb.OidText(), "1.3.6.1.2.1.1.4.0");
  EXPECT_EQ(vb.Oid().len, 9u);
  EXPECT_EQ(CSnmpVarBind(".1.3.6").OidText(), "1.3.6");
  CSnmpVarBind bad("sysContact.0");
  EXPECT_EQ(bad.OidConversionResult(), 0);
  EXPECT_EQ(bad.Oid().len, 0u);
  EXPECT_EQ(CSnmpVarBind("1.3.x").OidConversionResult(), 0);
}

TEST(VarBindValue, ANewVariableIsNull) {
  CSnmpVarBind vb("1.3.6");
  EXPECT_EQ(vb.Syntax(), SNMP_SYNTAX_NULL);
  int32_t n = 0;
  EXPECT_EQ(vb.GetInteger(&n), CSnmpVarBind::kWrongSyntax);
}

TEST(VarBindValue, AccessorsCheckTheSyntax) {
  CSnmpVarBind vb("1.3.6");
  vb.SetInteger(-129);
  int32_t n = 0;
  uint32_t u = 0;
  std::string text;
  EXPECT_EQ(vb.GetInteger(&n), CSnmpVarBind::kOk);
  EXPECT_EQ(n, -129);
  EXPECT_EQ(vb.GetUnsigned(&u), CSnmpVarBind::kWrongSyntax);
  EXPECT_EQ(vb.GetText(&text), CSnmpVarBind::kWrongSyntax);
  EXPECT_EQ(vb.GetOidText(&text), CSnmpVarBind::kWrongSyntax);

  for (smiUINT32 syntax :
       {SNMP_SYNTAX_CNTR32, SNMP_SYNTAX_GAUGE32, SNMP_SYNTAX_TIMETICKS, SNMP_SYNTAX_UINT32}) {
    vb.SetUnsigned(4000000000u, syntax);
    EXPECT_EQ(vb.Syntax(), syntax);
    EXPECT_EQ(vb.GetUnsigned(&u), CSnmpVarBind::kOk);
    EXPECT_EQ(u, 4000000000u);
    EXPECT_EQ(vb.GetInteger(&n), CSnmpVarBind::kWrongSyntax);
  }
}

TEST(VarBindValue, BuffersTooSmallGive3153) {
  CSnmpVarBind vb("1.3.6");
  vb.SetString("abcd");
  char small[4];
  EXPECT_EQ(vb.GetText(small, sizeof small), CSnmpVarBind::kBufferTooSmall);
  char fits[5];
  EXPECT_EQ(vb.GetText(fits, sizeof fits), CSnmpVarBind::kOk);
  EXPECT_STREQ(fits, "abcd");
  uint8_t octets[3];
  size_t length = 0;
  EXPECT_EQ(vb.GetOctets(octets, sizeof octets, &length), CSnmpVarBind::kBufferTooSmall);
  uint8_t room[4];
  EXPECT_EQ(vb.GetOctets(room, sizeof room, &length), CSnmpVarBind::kOk);
  EXPECT_EQ(length, 4u);
}

TEST(VarBindValue, OidAndAddressValues) {
  CSnmpVarBind vb("1.3.6");
  ASSERT_TRUE(vb.SetOidValue("1.3.6.1.4.1.32473"));
  std::string text;
  EXPECT_EQ(vb.GetOidText(&text), CSnmpVarBind::kOk);
  EXPECT_EQ(text, "1.3.6.1.4.1.32473");
  EXPECT_FALSE(vb.SetOidValue("not an oid"));
  EXPECT_EQ(vb.Syntax(), SNMP_SYNTAX_OID);  // unchanged

  ASSERT_TRUE(vb.SetIpAddress("192.0.2.17"));
  EXPECT_EQ(vb.Syntax(), SNMP_SYNTAX_IPADDR);
  EXPECT_EQ(vb.GetIpAddress(&text), CSnmpVarBind::kOk);
  EXPECT_EQ(text, "192.0.2.17");
  EXPECT_FALSE(vb.SetIpAddress("192.0.2"));
  EXPECT_EQ(vb.Describe(), "1.3.6 = IpAddress: 192.0.2.17");
}

TEST(VarBindAssign, TakesAnAgentsVarbindAndItsSyntax) {
  std::vector<smiUINT32> ids{1, 3, 6, 1, 2, 1, 1, 5, 0};
  smiOID oid{static_cast<smiUINT32>(ids.size()), ids.data()};
  uint8_t octets[] = {'h', 'o', 's', 't'};
  smiVALUE value{};
  value.syntax = SNMP_SYNTAX_OCTETS;
  value.value.string = smiOCTETS{4, octets};
  CSnmpVarBind vb("1.3.6");
  ASSERT_EQ(vb.Assign(oid, value), CSnmpVarBind::kOk);
  EXPECT_EQ(vb.OidText(), "1.3.6.1.2.1.1.5.0");
  EXPECT_EQ(vb.Describe(), "1.3.6.1.2.1.1.5.0 = STRING: host");

  smiVALUE unknown{};
  unknown.syntax = SNMP_SYNTAX_NOSUCHOBJECT;
  ASSERT_EQ(vb.Assign(oid, unknown), CSnmpVarBind::kOk);
  EXPECT_EQ(vb.Syntax(), SNMP_SYNTAX_NOSUCHOBJECT);
  std::string text;
  EXPECT_EQ(vb.GetText(&text), CSnmpVarBind::kWrongSyntax);
}

TEST(VarBindAssign, AnUnreadableVarbindChangesNothing) {
  CSnmpVarBind vb("1.3.6");
  vb.SetInteger(7);
  smiOID empty{0, nullptr};
  smiVALUE value{};
  value.syntax = SNMP_SYNTAX_INT;
  EXPECT_EQ(vb.Assign(empty, value), CSnmpVarBind::kUnreadable);
  std::vector<smiUINT32> ids{1, 3};
  smiOID oid{2, ids.data()};
  smiVALUE broken{};
  broken.syntax = SNMP_SYNTAX_OCTETS;
  broken.value.string = smiOCTETS{5, nullptr};
  EXPECT_EQ(vb.Assign(oid, broken), CSnmpVarBind::kUnreadable);
  int32_t n = 0;
  EXPECT_EQ(vb.GetInteger(&n), CSnmpVarBind::kOk);
  EXPECT_EQ(n, 7);
  EXPECT_EQ(vb.OidText(), "1.3.6");
}

TEST(VarBindDescribe, LinesForEachType) {
  CSnmpVarBind vb("1.3.6.1.2.1.1.3.0");
  vb.SetUnsigned(12345, SNMP_SYNTAX_TIMETICKS);
  EXPECT_EQ(vb.Describe(), "1.3.6.1.2.1.1.3.0 = Timeticks: 12345");
  vb.SetInteger(-1);
  EXPECT_EQ(vb.Describe(), "1.3.6.1.2.1.1.3.0 = INTEGER: -1");
  const uint8_t raw[] = {0x00, 0xFF};
  vb.SetOctets(raw, 2);
  EXPECT_EQ(vb.Describe(), "1.3.6.1.2.1.1.3.0 = STRING: 00 FF");
  vb.SetNull();
  EXPECT_EQ(vb.Describe(), "1.3.6.1.2.1.1.3.0 = NULL");
}

}  // namespace
}  // namespace snmp
