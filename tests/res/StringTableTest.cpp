#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "res/StringTable.h"

namespace {

TEST(StringTableTest, IdsAscendingAndUniqueSoHalvingFindsEveryOne) {
  const std::vector<unsigned> ids = res::AllStringIds();
  ASSERT_GT(ids.size(), 150u);
  for (size_t i = 1; i < ids.size(); ++i) EXPECT_LT(ids[i - 1], ids[i]) << "at index " << i;
  for (unsigned id : ids) {
    const char* text = res::FindString(id);
    ASSERT_NE(text, nullptr) << id;
    EXPECT_EQ(res::LoadString(id), text) << id;
  }
}

struct Sample {
  unsigned id;
  const char* text;
};

// Texts as the program must show them, across every range, including typos and spacing.
const Sample kSamples[] = {
    {3700, "Modify View"},
    {4216, "Off-line"},
    {4278, "Output Ports"},
    {4292, "Door Open"},
    {5000, "The hardware address is invalid."},
    {5003, "The IP address is invalid."},
    {5005, "Error sending the discovery request."},
    {5006, "Winsock cannot be initialized."},
    {5007, "Winsock doesn't support the minimum number of sockets."},
    {5012, "Error sending data."},
    {5022, "This verison of WinSNMP is not supported."},
    {5029,
     "The SET community name (password) is invalid, select 'Ignore' for read-only access or enter "
     "a new value below:"},
    {5040,
     "This application requires version 4.72 or greater for the Windows Common Control DLLs.\n\n"
     "The DLLs can be installed by upgrading to Microsoft Internet Explorer version 4.01 or "
     "greater. "},
    {5506, "Cannot set a timer.  Automatic refreshing will not happen."},
    {5509, "A view or group name may not contain \"\\\"."},
    {5517,
     "\nThe Display Filter restricts entries in the device list to those meeting the specified "
     "criteria."},
    {6000, "Views"},
    {6006, "Delete the %s \"%s\"?"},
    {6010, "System Name"},
    {6029, "NW Name"},
    {6039, "Location"},
    {6071, "<<Create New View>>"},
    {6072, "Protocol: "},
    {6080, "Would you like to import views and settings from %s (16-bit utility file)? "},
    {6082, "Enter an IP address/subnet: \n(* = wildcard for subnets)"},
    {6113, "Windows NT 4"},
    {6120, "version %d.%d %s (Build %d)"},
    {6149, "No Response"},
    {6164, "Unknown"},
    {6168, "F/W Update"},
    {6171, "No"},
    {8000, "Vantor"},
    {8010, "Portolan"},
    {8011, "KESTRELLOG.TXT"},
    {8015, "belmark_addr.txt"},
    {8017, "224.0.1.55"},
    {8020, "224.0.1.55"},
    {9042, "This utility needs updating, it does not support the newest firmware."},
    {9048, "Error occurred while restoring device."},
    {32772, "Create or delete a virtual port\nVirtual Port"},
    {59138, "Protocol:  Unknown"},
    {61211, "Firmware Version"},
    {61216, "The file \"%s\" already exists.  Overwrite file?"},
    {61217, "Unable to open the requested file."},
};

TEST(StringTableTest, ExactTextsAcrossTheRanges) {
  for (const Sample& s : kSamples) {
    const char* text = res::FindString(s.id);
    ASSERT_NE(text, nullptr) << s.id;
    EXPECT_STREQ(text, s.text) << s.id;
  }
}

TEST(StringTableTest, AbsentIdsGiveNullAndEmpty) {
  // Neighbours of present ids, both ends and the dialog/control ids that share the number space.
  for (unsigned id : {0u, 1u, 101u, 1163u, 3699u, 3744u, 5001u, 5002u, 5041u, 5510u, 6024u, 6032u,
                      8001u, 8012u, 9043u, 32789u, 61218u, 65535u, 4294967295u}) {
    EXPECT_EQ(res::FindString(id), nullptr) << id;
    EXPECT_EQ(res::LoadString(id), "") << id;
  }
}

TEST(StringTableTest, TemplatesFormatWithTheirArguments) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, res::FindString(5047), "TCP/IP");
  EXPECT_STREQ(buffer, "The TCP/IP protocol could not be initialized.");
  std::snprintf(buffer, sizeof buffer, res::FindString(6006), "view", "All Print Servers");
  EXPECT_STREQ(buffer, "Delete the view \"All Print Servers\"?");
  std::snprintf(buffer, sizeof buffer, res::FindString(6003), "group", "A", "B");
  EXPECT_STREQ(buffer, "Move the group \"A\" to the group \"B\"?");
  std::snprintf(buffer, sizeof buffer, res::FindString(6070), 12);
  EXPECT_STREQ(buffer, "Count: 12");
  std::snprintf(buffer, sizeof buffer, res::FindString(6120), 5, 1, "Service Pack 3", 2600);
  EXPECT_STREQ(buffer, "version 5.1 Service Pack 3 (Build 2600)");
}

TEST(StringTableTest, ErrorTextsNeedNoArguments) {
  // Error reports fall back to a fixed text when a looked-up text is a %1/%2 template; none of the
  // texts reported by code carries one.
  for (unsigned id : res::AllStringIds()) {
    const std::string text = res::LoadString(id);
    EXPECT_EQ(text.find("%1"), std::string::npos) << id;
    EXPECT_EQ(text.find("%2"), std::string::npos) << id;
  }
}

}  // namespace
