#include <gtest/gtest.h>

#include "discovery/DeviceStatus.h"
#include "discovery/MakerTag.h"

namespace discovery {
namespace {

TEST(DeviceStatus, PortStatusTexts) {
  struct Case {
    uint8_t state, condition;
    const char* text;
  };
  const Case cases[] = {
      {2, 1, "Off-line"},
      {0, 4, "On-line: Paper Out"},
      {1, 1, "On-line"},
      {255, 2, "On-line: No Printer Attached"},
      {0, 3, "On-line: Toner Low"},
      {2, 5, "Off-line: Paper Jam"},
      {0, 6, "On-line: Door Open"},
      {0, 0, "On-line: Printer Error"},
      {2, 7, "Off-line: Printer Error"},
      {0, 255, "On-line: Printer Error"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PortStatusText(c.state, c.condition), c.text)
        << int(c.state) << "," << int(c.condition);
  }
  // The longest text still fits a port status slot of 30 bytes.
  EXPECT_LT(PortStatusText(2, 2).size(), 30u);
}

TEST(DeviceStatus, LevelsUnderDefaultMasks) {
  const StatusMasks masks;
  EXPECT_EQ(LevelOfConditions(0, masks), kLevelGood);
  EXPECT_EQ(LevelOfConditions(kCondNoResponse, masks), kLevelError);
  EXPECT_EQ(LevelOfConditions(kCondPaperOut, masks), kLevelWarning);
  EXPECT_EQ(LevelOfConditions(kCondTcpIpError, masks), kLevelGood);
  EXPECT_EQ(LevelOfConditions(kCondNetWareError, masks), kLevelWarning);
  // Firmware update wins over the masks, whatever they say.
  EXPECT_EQ(LevelOfConditions(kCondFirmwareUpdate | kCondNoResponse, masks), kLevelFirmwareUpdate);
  EXPECT_EQ(LevelOfConditions(kCondFirmwareUpdate, StatusMasks{0, 0}), kLevelFirmwareUpdate);
}

TEST(DeviceStatus, LevelsUnderChangedMasks) {
  const StatusMasks masks{kCondTcpIpError, kCondPaperOut};
  EXPECT_EQ(LevelOfConditions(kCondTcpIpError, masks), kLevelWarning);
  EXPECT_EQ(LevelOfConditions(kCondPaperOut | kCondTcpIpError, masks), kLevelError);
  EXPECT_EQ(LevelOfConditions(kCondNoResponse, masks), kLevelGood);
}

TEST(DeviceStatus, LevelTexts) {
  EXPECT_STREQ(LevelText(1), "Good");
  EXPECT_STREQ(LevelText(2), "Warning");
  EXPECT_STREQ(LevelText(3), "Error");
  EXPECT_STREQ(LevelText(4), "F/W Update");
  EXPECT_STREQ(LevelText(0), "");
  EXPECT_STREQ(LevelText(5), "");
}

TEST(DeviceStatus, GeneralStatusConditions) {
  EXPECT_EQ(ConditionsOfGeneralStatus("None"), 0u);
  EXPECT_EQ(ConditionsOfGeneralStatus(""), 0u);
  EXPECT_EQ(ConditionsOfGeneralStatus("In Download Mode now"), kCondFirmwareUpdate);
  EXPECT_EQ(ConditionsOfGeneralStatus("Self Test Detected an Error"), kCondTcpIpError);
  EXPECT_EQ(ConditionsOfGeneralStatus("Error Reading or Writing to Flash Memory"), kCondTcpIpError);
  EXPECT_EQ(ConditionsOfGeneralStatus("CRC Error, Code Space Invalid"), kCondTcpIpError);
  // Exact texts only.
  EXPECT_EQ(ConditionsOfGeneralStatus("Self Test Detected an Error."), 0u);
  EXPECT_EQ(ConditionsOfGeneralStatus("self test detected an error"), 0u);
}

TEST(DeviceStatus, ConditionsOfPortEntries) {
  EXPECT_EQ(ConditionsOfPort(0, 1), 0u);
  EXPECT_EQ(ConditionsOfPort(1, 1), 0u);  // any state but 2 is on-line
  EXPECT_EQ(ConditionsOfPort(2, 1), uint32_t{kCondPrinterOffline});
  EXPECT_EQ(ConditionsOfPort(0, 2), uint32_t{kCondNoPrinter});
  EXPECT_EQ(ConditionsOfPort(0, 3), uint32_t{kCondTonerLow});
  EXPECT_EQ(ConditionsOfPort(2, 4), uint32_t{kCondPrinterOffline | kCondPaperOut});
  EXPECT_EQ(ConditionsOfPort(0, 5), uint32_t{kCondPaperJam});
  EXPECT_EQ(ConditionsOfPort(0, 6), uint32_t{kCondPrinterOpen});
  EXPECT_EQ(ConditionsOfPort(0, 0), uint32_t{kCondPrinterError});
  EXPECT_EQ(ConditionsOfPort(0, 99), uint32_t{kCondPrinterError});
  // The default masks make off-line and every condition but "No Printer Attached" a warning.
  EXPECT_EQ(LevelOfConditions(ConditionsOfPort(2, 1), StatusMasks{}), kLevelWarning);
  EXPECT_EQ(LevelOfConditions(ConditionsOfPort(0, 2), StatusMasks{}), kLevelGood);
  for (uint8_t c : {0, 3, 4, 5, 6, 7}) {
    EXPECT_EQ(LevelOfConditions(ConditionsOfPort(0, c), StatusMasks{}), kLevelWarning) << int{c};
  }
}

TEST(MakerTag, ComparesFullFieldAgainstLongerTags) {
  struct Case {
    const char* device;
    const char* tag;
    bool match;
  };
  const Case cases[] = {
      {"Vanto", "Vantor", true},   // field full: the tag's first five characters
      {"Vantor", "Vantor", true},  // equal texts
      {"Vant", "Vantor", false},   // a shorter text is a different maker
      {"Vanto", "Vanto", true},
      {"Vanto", "Vantage", false},
      {"Acme1", "Acme1234", true},
      {"Acme1", "Acme", false},
      {"acme1", "Acme1234", false},  // case counts
      {"", "", true},
      {"", "Vantor", false},
      {"Vanto", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MakerTagMatches(c.device, c.tag), c.match) << c.device << " / " << c.tag;
  }
  EXPECT_TRUE(MakerTagMatches("Vanto", kOwnMakerTag));
}

}  // namespace
}  // namespace discovery
