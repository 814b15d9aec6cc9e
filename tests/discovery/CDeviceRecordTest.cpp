#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "discovery/CDeviceColumnTable.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/DiscoveryErrors.h"
#include "discovery/ExtendedQuery.h"
#include "discovery/ReplyBuilder.h"

namespace discovery {
namespace {

using test::BuildReply;
using test::ReplyFields;

struct Reported {
  unsigned codeA;
  int classA;
  unsigned codeB;
  int classB;
};

class CDeviceRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetErrorReporter([this](unsigned a, int ca, unsigned b, int cb, int) {
      reported.push_back({a, ca, b, cb});
      return 1;
    });
  }
  void TearDown() override { SetErrorReporter({}); }

  int Fill(CDeviceRecord& record, const ReplyFields& shape) {
    const auto bytes = BuildReply(shape);
    return record.FillFromReply(bytes.data(), bytes.size());
  }

  std::vector<Reported> reported;
};

TEST_F(CDeviceRecordTest, NewRecordAnswersNothingYet) {
  const CIpDeviceRecord record(nullptr);
  EXPECT_FALSE(record.IsValid());
  EXPECT_FALSE(record.IsConfigured());
  EXPECT_EQ(record.GetPortCount(), 1);
  EXPECT_EQ(record.GetDeviceConditions(), kCondNoResponse);
  EXPECT_EQ(record.GetLevel(0), kLevelError);
  for (int i = 0; i < kColumnCount; ++i) {
    const bool none = i == 1 || i == 5 || (i >= 11 && i <= 13);
    const char* text = record.GetColumnText(i);
    EXPECT_EQ(text == nullptr, none) << i;
    if (text) {
      EXPECT_STREQ(text, "") << i;
    }
  }
  EXPECT_EQ(record.GetColumnText(-1), nullptr);
  EXPECT_EQ(record.GetColumnText(29), nullptr);
}

TEST_F(CDeviceRecordTest, FillsColumnsFromLayoutA) {
  CIpDeviceRecord record(nullptr);
  ReplyFields shape;
  shape.portCount = 2;
  shape.ports = {{0, 1, "Printer"}, {2, 4, "Modem"}};
  ASSERT_EQ(Fill(record, shape), kRecordOk);
  EXPECT_TRUE(record.IsValid());
  EXPECT_TRUE(record.IsConfigured());
  EXPECT_EQ(record.GetFormat(), 1);
  EXPECT_STREQ(record.GetColumnText(kColSystemName), "LAB-SERVER");
  EXPECT_STREQ(record.GetColumnText(kColIpAddress), "10.1.2.3");
  EXPECT_STREQ(record.GetColumnText(kColHwAddress), "00409D123456");
  EXPECT_STREQ(record.GetColumnText(kColSerialNumber), "1193046");
  EXPECT_STREQ(record.GetColumnText(kColSubnetMask), "255.255.255.0");
  EXPECT_STREQ(record.GetColumnText(kColDefaultGateway), "10.1.2.254");
  EXPECT_STREQ(record.GetColumnText(kColProductType), "Device Server");
  EXPECT_STREQ(record.GetColumnText(kColProductNumber), "EPS1");
  EXPECT_STREQ(record.GetColumnText(kColDatecode), "A1B2");
  EXPECT_STREQ(record.GetColumnText(kColStatus), "Warning");  // the modem's port is off-line
  EXPECT_STREQ(record.MakerTag(), "Vanto");
  EXPECT_EQ(record.GetPortCount(), 2);
  EXPECT_EQ(record.GetDeviceConditions(), 0u);
  EXPECT_TRUE(record.MatchesGetCommunity("public"));
  EXPECT_FALSE(record.MatchesGetCommunity("Public"));
  EXPECT_FALSE(record.MatchesGetCommunity("publi"));
  EXPECT_TRUE(record.MatchesSetCommunity("private"));
  EXPECT_FALSE(record.MatchesSetCommunity("public"));
  EXPECT_TRUE(reported.empty());
}

TEST_F(CDeviceRecordTest, SelectPortMovesThePortColumns) {
  CIpDeviceRecord record(nullptr);
  ReplyFields shape;
  shape.portCount = 2;
  shape.ports = {{0, 1, "Printer"}, {2, 4, "Modem"}};
  ASSERT_EQ(Fill(record, shape), kRecordOk);
  record.SetVirtualPort(1, "COM7");

  record.SelectPort(-1);
  EXPECT_STREQ(record.GetColumnText(kColPortName), "Printer");
  EXPECT_STREQ(record.GetColumnText(kColPortNumber), "1");
  EXPECT_STREQ(record.GetColumnText(kColPortStatus), "On-line");
  EXPECT_STREQ(record.GetColumnText(kColVirtualPort), "");

  record.SelectPort(1);
  EXPECT_STREQ(record.GetColumnText(kColPortName), "Modem");
  EXPECT_STREQ(record.GetColumnText(kColPortNumber), "2");
  EXPECT_STREQ(record.GetColumnText(kColPortStatus), "Off-line: Paper Out");
  EXPECT_STREQ(record.GetColumnText(kColVirtualPort), "COM7");
  EXPECT_STREQ(record.GetColumnText(kColStatus), "Warning");  // the port's level now
  record.SelectPort(0);
  EXPECT_STREQ(record.GetColumnText(kColStatus), "Good");

  record.SelectPort(5);
  EXPECT_STREQ(record.GetColumnText(kColPortName), "");
  record.SelectPort(6);  // no such slot: unchanged
  EXPECT_STREQ(record.GetColumnText(kColPortName), "");
  record.SelectPort(-2);
  EXPECT_STREQ(record.GetColumnText(kColPortName), "");
}

TEST_F(CDeviceRecordTest, APortInTroubleSetsItsLevelAndTheDevicesOverAllPorts) {
  CIpDeviceRecord record(nullptr);
  ReplyFields shape;
  shape.portCount = 3;
  shape.ports = {{0, 1, "A"}, {2, 1, "B"}, {0, 1, "C"}};
  ASSERT_EQ(Fill(record, shape), kRecordOk);
  EXPECT_EQ(record.GetLevel(1), kLevelGood);
  EXPECT_EQ(record.GetLevel(2), kLevelWarning);  // off-line is "Printer Off-line"
  EXPECT_EQ(record.GetLevel(0), kLevelWarning);  // the device over all its ports
  record.SelectPort(-1);
  EXPECT_STREQ(record.GetColumnText(kColStatus), "Warning");
  // Masks that leave the condition out leave the device good.
  DeviceRecordOptions options;
  options.masks = StatusMasks{kCondTonerLow, 0};
  CIpDeviceRecord lenient(nullptr, options);
  ASSERT_EQ(Fill(lenient, shape), kRecordOk);
  EXPECT_EQ(lenient.GetLevel(0), kLevelGood);
  // A later reply with every port on-line clears the port's trouble.
  shape.ports = {{0, 1, "A"}, {0, 1, "B"}, {0, 1, "C"}};
  ASSERT_EQ(Fill(record, shape), kRecordOk);
  EXPECT_EQ(record.GetLevel(0), kLevelGood);
}

TEST_F(CDeviceRecordTest, SetVirtualPortOnlyForSixSlots) {
  CIpDeviceRecord record(nullptr);
  record.SetVirtualPort(6, "COM1");
  record.SetVirtualPort(-1, "COM2");
  for (int p = 0; p < 6; ++p) {
    record.SelectPort(p);
    EXPECT_STREQ(record.GetColumnText(kColVirtualPort), "") << p;
  }
  record.SetVirtualPort(5, "COM255-and-a-long-tail");
  record.SelectPort(5);
  EXPECT_STREQ(record.GetColumnText(kColVirtualPort), "COM255-and-a-lo");  // 15 characters
}

TEST_F(CDeviceRecordTest, FactoryAddressesAreNotConfigured) {
  for (const auto& ip :
       {std::array<uint8_t, 4>{192, 0, 0, 192}, std::array<uint8_t, 4>{198, 102, 102, 254},
        std::array<uint8_t, 4>{0, 0, 0, 0}}) {
    CIpDeviceRecord record(nullptr);
    ReplyFields shape;
    shape.ip = ip;
    ASSERT_EQ(Fill(record, shape), kRecordOk);
    EXPECT_TRUE(record.IsValid());
    EXPECT_FALSE(record.IsConfigured()) << record.GetColumnText(kColIpAddress);
  }
}

TEST_F(CDeviceRecordTest, GeneralStatusGivesTheLevel) {
  struct Case {
    const char* status;
    StatusMasks masks;
    const char* text;
  };
  const Case cases[] = {
      {"Entering Download Mode", StatusMasks{}, "F/W Update"},
      {"Download Mode", StatusMasks{0, 0}, "F/W Update"},
      {"Self Test Detected an Error", StatusMasks{}, "Good"},
      {"Self Test Detected an Error", StatusMasks{0, kCondTcpIpError}, "Error"},
      {"CRC Error, Code Space Invalid", StatusMasks{kCondTcpIpError, 0}, "Warning"},
      {"None", StatusMasks{0xFFFFFFFF & ~kCondFirmwareUpdate, 0}, "Good"},
  };
  for (const Case& c : cases) {
    DeviceRecordOptions options;
    options.masks = c.masks;
    CIpDeviceRecord record(nullptr, options);
    ReplyFields shape;
    shape.generalStatus = c.status;
    ASSERT_EQ(Fill(record, shape), kRecordOk);
    EXPECT_STREQ(record.GetColumnText(kColStatus), c.text) << c.status;
    record.SelectPort(0);
    EXPECT_STREQ(record.GetColumnText(kColStatus), c.text) << c.status;
  }
}

TEST_F(CDeviceRecordTest, UnknownFormatShowsBadFormatAndAsksForUpdate) {
  CIpDeviceRecord record(nullptr);
  ASSERT_EQ(Fill(record, ReplyFields{}), kRecordOk);
  ReplyFields shape;
  shape.format = 4;
  EXPECT_EQ(Fill(record, shape), kRecordFailed);
  EXPECT_FALSE(record.IsValid());
  EXPECT_FALSE(record.IsConfigured());
  EXPECT_EQ(record.GetFormat(), 4);
  EXPECT_STREQ(record.GetColumnText(kColStatus), "Bad Format");
  EXPECT_STREQ(record.GetColumnText(kColHwAddress), "");
  EXPECT_STREQ(record.GetColumnText(kColSystemName), "");
  EXPECT_STREQ(record.GetColumnText(kColIpAddress), "10.1.2.3");  // kept
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0].codeA, 9042u);
  EXPECT_EQ(reported[0].classA, 1);
}

TEST_F(CDeviceRecordTest, TruncatedReplyIsRefusedWithoutAskingForUpdate) {
  CIpDeviceRecord record(nullptr);
  auto bytes = BuildReply(ReplyFields{});
  bytes.resize(300);
  EXPECT_EQ(record.FillFromReply(bytes.data(), bytes.size()), kRecordFailed);
  EXPECT_FALSE(record.IsValid());
  EXPECT_STREQ(record.GetColumnText(kColStatus), "Bad Format");
  EXPECT_TRUE(reported.empty());
}

TEST_F(CDeviceRecordTest, ReplyTextsKeepTheirWholeField) {
  CIpDeviceRecord record(nullptr);
  ReplyFields shape;
  shape.format = 3;
  shape.serialText = "123456789012";         // 12 bytes, no terminator
  shape.datecode = std::string(17, 'D');     // 17 bytes, no terminator
  shape.systemName = std::string(128, 'S');  // no terminator in 128 bytes
  shape.productType = std::string(20, 'T');
  shape.productNumber = "12345678";
  shape.ports = {{0, 1, std::string(16, 'N')}};
  ASSERT_EQ(Fill(record, shape), kRecordOk);
  EXPECT_STREQ(record.GetColumnText(kColSerialNumber), "123456789012");
  EXPECT_STREQ(record.GetColumnText(kColDatecode), std::string(17, 'D').c_str());
  EXPECT_STREQ(record.GetColumnText(kColSystemName), std::string(128, 'S').c_str());
  EXPECT_STREQ(record.GetColumnText(kColProductType), std::string(20, 'T').c_str());
  EXPECT_STREQ(record.GetColumnText(kColProductNumber), "12345678");
  EXPECT_STREQ(record.GetColumnText(kColPortName), std::string(16, 'N').c_str());
}

TEST_F(CDeviceRecordTest, SerialsThatDifferOnlyInTheirLastCharactersStayApart) {
  CIpDeviceRecord a(nullptr);
  CIpDeviceRecord b(nullptr);
  ReplyFields shape;
  shape.format = 3;
  shape.serialText = "SN-100002";
  ASSERT_EQ(Fill(a, shape), kRecordOk);
  shape.serialText = "SN-100004";
  ASSERT_EQ(Fill(b, shape), kRecordOk);
  EXPECT_STREQ(a.GetColumnText(kColSerialNumber), "SN-100002");
  EXPECT_STREQ(b.GetColumnText(kColSerialNumber), "SN-100004");
}

TEST_F(CDeviceRecordTest, TooManyPortsKeepsSix) {
  CIpDeviceRecord record(nullptr);
  ReplyFields shape;
  shape.portCount = 9;
  shape.ports.assign(9, {0, 1, "P"});
  ASSERT_EQ(Fill(record, shape), kRecordOk);
  EXPECT_EQ(record.GetPortCount(), 6);
  record.SelectPort(5);
  EXPECT_STREQ(record.GetColumnText(kColPortNumber), "6");
}

TEST_F(CDeviceRecordTest, RefillDropsPortsThatAreGone) {
  CIpDeviceRecord record(nullptr);
  ReplyFields shape;
  shape.portCount = 2;
  shape.ports = {{0, 1, "A"}, {0, 1, "B"}};
  ASSERT_EQ(Fill(record, shape), kRecordOk);
  shape.portCount = 1;
  shape.ports = {{0, 1, "A"}};
  ASSERT_EQ(Fill(record, shape), kRecordOk);
  record.SelectPort(1);
  EXPECT_STREQ(record.GetColumnText(kColPortName), "");
  EXPECT_STREQ(record.GetColumnText(kColPortNumber), "");
}

TEST_F(CDeviceRecordTest, ClearKeepsAddressCommunitiesAndVirtualPorts) {
  CIpDeviceRecord record(nullptr);
  ASSERT_EQ(Fill(record, ReplyFields{}), kRecordOk);
  record.SetVirtualPort(0, "COM3");
  record.SetFirmwareVersion("1.2");
  record.Clear();
  EXPECT_STREQ(record.GetColumnText(kColIpAddress), "10.1.2.3");
  EXPECT_STREQ(record.GetColumnText(kColSystemName), "");
  EXPECT_STREQ(record.GetColumnText(kColFirmwareVersion), "");
  EXPECT_STREQ(record.GetColumnText(kColPortName), "");
  EXPECT_STREQ(record.GetColumnText(kColVirtualPort), "COM3");
  EXPECT_EQ(record.GetDeviceConditions(), kCondNoResponse);
  EXPECT_TRUE(record.MatchesGetCommunity("public"));
}

// Stands for the SNMP request layer: sets fixed values and answers with a chosen code.
class FakeExtendedQuery : public ExtendedQuery {
 public:
  explicit FakeExtendedQuery(int result) : result_(result) {}
  int Run(CDeviceRecord& record) override {
    ++runs;
    record.SetFirmwareVersion("V1.2.3-beta-build-77");
    record.SetPrinterValues(0, "HP\tLaserJet\t4", "PJL-ID");
    record.SetLocation(std::string(70, 'L'));
    WirelessValues wireless;
    wireless.linkType = 2;
    wireless.ssid = "lab";
    wireless.dataRate = 2;
    wireless.signalPercentage = 1000;
    wireless.mode = 3;
    record.SetWirelessValues(wireless);
    return result_;
  }
  int runs = 0;

 private:
  int result_;
};

TEST_F(CDeviceRecordTest, ExtendedQueryFillsSnmpColumns) {
  FakeExtendedQuery query(0);
  DeviceRecordOptions options;
  options.extendedQuery = &query;
  CIpDeviceRecord record(nullptr, options);
  ASSERT_EQ(Fill(record, ReplyFields{}), kRecordOk);
  EXPECT_EQ(query.runs, 1);
  EXPECT_STREQ(record.GetColumnText(kColFirmwareVersion), "V1.2.3-beta-bu");  // 14
  EXPECT_STREQ(record.GetColumnText(kColPrinterId), "PJL-ID");
  EXPECT_STREQ(record.PrinterDescription(0), "HP LaserJet 4");
  EXPECT_EQ(std::strlen(record.GetColumnText(kColLocation)), 63u);
  EXPECT_STREQ(record.GetColumnText(kColSsid), "lab");
  EXPECT_STREQ(record.GetColumnText(kColDataRate), "5.5");
  EXPECT_STREQ(record.GetColumnText(kColSignalPercentage), "100");  // cut at its 4 bytes
  EXPECT_STREQ(record.GetColumnText(kColWirelessMode), "Infrastructure");
  EXPECT_STREQ(record.GetColumnText(kColStatus), "Good");
}

TEST_F(CDeviceRecordTest, ExtendedQueryFailureIsTheResultAndKeepsTheReply) {
  FakeExtendedQuery query(ExtendedQuery::kCancelled);
  DeviceRecordOptions options;
  options.extendedQuery = &query;
  CIpDeviceRecord record(nullptr, options);
  EXPECT_EQ(Fill(record, ReplyFields{}), ExtendedQuery::kCancelled);
  EXPECT_STREQ(record.GetColumnText(kColSystemName), "LAB-SERVER");
  EXPECT_STREQ(record.GetColumnText(kColStatus), "Good");
  EXPECT_TRUE(record.IsConfigured());
}

TEST_F(CDeviceRecordTest, WirelessValuesNeedLinkTypeTwo) {
  CIpDeviceRecord record(nullptr);
  WirelessValues values;
  values.linkType = 1;
  values.ssid = "x";
  record.SetWirelessValues(values);
  EXPECT_STREQ(record.GetColumnText(kColSsid), "");
  values.linkType = 2;
  values.mode = 3;
  values.signalPercentage = 0;
  values.dataRate = 13;
  record.SetWirelessValues(values);
  EXPECT_STREQ(record.GetColumnText(kColWirelessMode), "Wired");
  EXPECT_STREQ(record.GetColumnText(kColDataRate), "");
  EXPECT_STREQ(record.GetColumnText(kColSignalPercentage), "0");
}

TEST(CDeviceRecordTexts, DataRatesAndModes) {
  const char* rates[] = {"1",  "2",  "5.5", "11", "6",  "9",  "12",
                         "18", "24", "36",  "48", "54", "108"};
  for (int i = 0; i < 13; ++i) EXPECT_STREQ(CDeviceRecord::DataRateText(i), rates[i]);
  EXPECT_STREQ(CDeviceRecord::DataRateText(-1), "");
  EXPECT_STREQ(CDeviceRecord::WirelessModeText(0, 50), "Auto");
  EXPECT_STREQ(CDeviceRecord::WirelessModeText(1, 50), "Ad Hoc(802.11)");
  EXPECT_STREQ(CDeviceRecord::WirelessModeText(2, 50), "Pseudo Ad Hoc");
  EXPECT_STREQ(CDeviceRecord::WirelessModeText(3, 50), "Infrastructure");
  EXPECT_STREQ(CDeviceRecord::WirelessModeText(4, 50), "");
  EXPECT_STREQ(CDeviceRecord::WirelessModeText(4, 0), "Wired");
}

TEST(CDeviceRecordTexts, StatusReport) {
  ReplyFields shape;
  shape.generalStatus = "None";
  shape.portCount = 2;
  shape.ports = {{2, 1, "A"}, {0, 4, "B"}};
  const auto bytes = BuildReply(shape);
  const auto parsed = ParseDiscoveryReply(bytes.data(), bytes.size());
  ASSERT_EQ(parsed.error, ReplyError::kNone);
  EXPECT_EQ(CIpDeviceRecord::FormatStatusReport(parsed.reply, CDeviceRecord::kAllPorts),
            "Printer 1: Off-line\nPrinter 2: On-line: Paper Out\nGeneral Status: None");
  EXPECT_EQ(CIpDeviceRecord::FormatStatusReport(parsed.reply, 1),
            "Printer: On-line: Paper Out\nGeneral Status: None");
  EXPECT_EQ(CIpDeviceRecord::FormatStatusReport(parsed.reply, 4),
            "Printer: \nGeneral Status: None");
}

}  // namespace
}  // namespace discovery
