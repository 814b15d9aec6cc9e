// The enterprise root comes from the device's brand tag alone.
#include <gtest/gtest.h>

#include "devices/CSnmpVarGroup.h"
#include "devices/EnterpriseRoot.h"
#include "devices/NetworkInfoController.h"
#include "devices/RestoreLines.h"
#include "discovery/NetworkEnvironment.h"

namespace devices {
namespace {

BrandRoots Roots() {
  return BrandRoots{"Vantor",
                    "1.3.6.1.4.1.32473",
                    {{"Corvane", "1.9.1"}, {"Acme", "1.9.2"}, {"Corvane", "1.9.3"}}};
}

TEST(EnterpriseRoot, TheMakersOwnTagGivesTheVendorRoot) {
  EXPECT_EQ(SelectEnterpriseRoot("Vantor", Roots()), "1.3.6.1.4.1.32473");
  EXPECT_EQ(SelectEnterpriseRoot("Vanto", Roots()), "1.3.6.1.4.1.32473");  // the reply's 5 bytes
}

TEST(EnterpriseRoot, ABrandTagGivesItsFirstEntry) {
  EXPECT_EQ(SelectEnterpriseRoot("Corva", Roots()), "1.9.1");
  EXPECT_EQ(SelectEnterpriseRoot("Acme", Roots()), "1.9.2");
}

TEST(EnterpriseRoot, AnUnknownTagGivesTheVendorRootWhateverCameBefore) {
  EXPECT_EQ(SelectEnterpriseRoot("Acme", Roots()), "1.9.2");
  EXPECT_EQ(SelectEnterpriseRoot("Zebra", Roots()), "1.3.6.1.4.1.32473");
  EXPECT_EQ(SelectEnterpriseRoot("", Roots()), "1.3.6.1.4.1.32473");
  EXPECT_EQ(SelectEnterpriseRoot("acme", Roots()), "1.3.6.1.4.1.32473");  // tags are exact
}

TEST(RestoreLines, OutputPortsThenEachProtocolWithARestoreVariable) {
  CSnmpVarGroup group("1.2", 500, 500);
  const auto lines =
      BuildRestoreLines({{"LPD", 1}, {"Odd", 6}, {"IPP", 3}, {"WLAN", 4}, {"Roam", 7}}, &group);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].label, "Output Ports");
  EXPECT_EQ(lines[1].label, "LPD");
  EXPECT_EQ(lines[2].label, "IPP");
  EXPECT_EQ(lines[3].variable, lines[4].variable);
  ASSERT_EQ(group.Count(), 4);
  EXPECT_EQ(group.OidText(0), "1.2.6.2.2.1.0");
  EXPECT_EQ(group.OidText(1), "1.2.6.3.1.3.1.0");
  EXPECT_EQ(group.OidText(2), "1.2.6.3.3.3.1.0");
  EXPECT_EQ(group.OidText(3), "1.2.8.3.19.0");
  EXPECT_STREQ(RestoreSuffixForType(2), ".6.3.2.3.1.0");
  EXPECT_STREQ(RestoreSuffixForType(5), ".6.3.5.3.1.0");
  EXPECT_EQ(RestoreSuffixForType(0), nullptr);
}

TEST(NetworkInfo, TheDialogsLinesWithoutIpxOrNovell) {
  discovery::NetworkEnvironment environment;
  discovery::NetworkEnvironment::System system;
  system.canMakeSocket = [](int family, int, int) { return family == 2; };
  system.osDescription = [] { return std::string("Linux 6.1"); };
  system.hostName = [] { return std::string("desk"); };
  system.hostAddressOf = [](const std::string&) { return std::string("192.0.2.7"); };
  system.snmpStartup = [](uint32_t* major, uint32_t* minor) {
    *major = 2;
    *minor = 0;
    return 1u;
  };
  system.snmpSetTranslateMode = [](uint32_t) { return 1u; };
  environment.Probe(system);
  const NetworkInfoController controller(environment);
  const auto lines = controller.Lines();
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[1].label, "Host Name:");
  EXPECT_EQ(lines[1].value, "desk");
  EXPECT_EQ(lines[2].value, "192.0.2.7");
  EXPECT_EQ(lines[3].value, "");  // IPX Subnet
  EXPECT_EQ(lines[6].value, "Yes");
  EXPECT_EQ(lines[7].value, "No");
  EXPECT_EQ(controller.Text().substr(0, 9), "Winsock: ");
  EXPECT_NE(controller.Text().find("\nIPX Subnet:\n"), std::string::npos);
  EXPECT_NE(controller.Text().find("\nVINES Support: No\n"), std::string::npos);
}

}  // namespace
}  // namespace devices
