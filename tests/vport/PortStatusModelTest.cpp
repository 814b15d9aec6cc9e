#include <gtest/gtest.h>

#include <string>

#include "vport/PortLogLines.h"
#include "vport/PortStatusModel.h"

namespace vport {
namespace {

struct LineCase {
  std::string line;
  std::string expected;
};

class PortLogLinesTable : public testing::TestWithParam<LineCase> {};

TEST_P(PortLogLinesTable, Exact) {
  EXPECT_EQ(GetParam().line, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PortLogLinesTable,
    testing::Values(
        LineCase{loglines::Opened("COM5"), "*** Virtual port (COM5) opened ***"},
        LineCase{loglines::Closed("COM5"), "*** Virtual port (COM5) closed ***\r\n"},
        // A name with a format directive is printed as it is.
        LineCase{loglines::Opened("%s%n"), "*** Virtual port (%s%n) opened ***"},
        LineCase{loglines::GotFromRemote(128), "Got 128 byte(s) from remote device"},
        LineCase{loglines::PortReceived(2000), "Port received 2000 byte(s)."},
        LineCase{loglines::EventMask(0x1FB), "Event mask: 0x1FB"},
        LineCase{loglines::EventMask(0), "Event mask: 0x0"},
        LineCase{loglines::Break(true), "Break is\"ON\""},
        LineCase{loglines::Break(false), "Break is\"OFF\""},
        LineCase{loglines::BaudRate(115200), "Baudrate  modified (115200)"},
        LineCase{loglines::SpecialChars(0x1A, 0, 0, 0, 0x11, 0x13),
                 "Special characters set:\r\n   EOF: 0x0000001A ERR: 0x00000000 BRK: 0x00000000 "
                 "EVN: 0x00000000 XON: 0x00000011 XOFF 0x00000013"},
        LineCase{loglines::HandFlow(0x09, 0x80, 2048, 512),
                 "Flow control params changed:\r\n   Hand: 0x00000009 Repl: 0x00000080 XON "
                 "lim:0x00000800 XOFF lim: 0x00000200"},
        // A negative long prints as its 32-bit pattern.
        LineCase{loglines::HandFlow(static_cast<std::uint32_t>(-1), 0, 0, 0),
                 "Flow control params changed:\r\n   Hand: 0xFFFFFFFF Repl: 0x00000000 XON "
                 "lim:0x00000000 XOFF lim: 0x00000000"},
        LineCase{loglines::LineControl(0, 2, 7),
                 "Line control changed:\r\n   StopBits: 0 Parity: 2 WrdLen: 7"},
        LineCase{loglines::Timeouts(0xFFFFFFFF, 0, 0, 0, 5000),
                 "Serial timeouts modified:\r\n   RdInt: 0xFFFFFFFF RdMul: 0x00000000 RdCon: "
                 "0x00000000 WrMul: 0x00000000 WrCon: 0x00001388"},
        LineCase{loglines::Ring(), "Ring event occurred"},
        LineCase{loglines::Rts(true), "RTS line set (On)"},
        LineCase{loglines::Rts(false), "RTS line set (Off)"},
        LineCase{loglines::Dtr(true), "DTR line set (On)"},
        LineCase{loglines::Dtr(false), "DTR line set (Off)"}));

class PortStatusModelTest : public testing::Test {
 protected:
  PortStatusModelTest() { model.PortCreated("COM5", "9205", true, false); }
  PortStatusModel model;
};

TEST_F(PortStatusModelTest, FreshPortIsClosedWithZeroCountersAndLoggingOff) {
  EXPECT_EQ(model.StatusText(), "Closed");
  EXPECT_EQ(model.RxText(), "0");
  EXPECT_EQ(model.TxText(), "0");
  EXPECT_EQ(model.TcpPortText(), "9205");
  EXPECT_TRUE(model.rfc2217());
  EXPECT_FALSE(model.strictBaud());
  EXPECT_FALSE(model.logging());
  EXPECT_FALSE(model.SaveClearEnabled());
  EXPECT_EQ(model.WindowTitle(), "Creating Virtual Port: COM5");
  EXPECT_EQ(model.StatusLabel(), "Status:");
  EXPECT_TRUE(model.CancelVisible());
  EXPECT_EQ(model.DefaultSaveFileName(), "COM5PrtLog.txt");
}

TEST_F(PortStatusModelTest, ConnectionStates) {
  model.Connecting();
  EXPECT_EQ(model.StatusText(), "Connecting...");
  model.ConnectFailed();
  EXPECT_EQ(model.StatusText(), "Closed");
  model.Connecting();
  model.Opened();
  EXPECT_EQ(model.StatusText(), "Open");
  model.Closed();
  EXPECT_EQ(model.StatusText(), "Closed");
}

TEST_F(PortStatusModelTest, WithLoggingOffNothingIsLoggedAndNothingComesBack) {
  model.Opened();
  model.ReceivedFromServer(10);
  model.PortReceived(5);
  model.BaudRateChanged(9600);
  model.TelnetCommand("Received Telnet command from server:\r\n\t0xFF 0xF1 ");
  model.SetLogging(true);
  model.ShowStatus();
  EXPECT_EQ(model.Tick(), "");
  EXPECT_EQ(model.log().shown(), "");
}

TEST_F(PortStatusModelTest, ASessionLogsItsLinesInOrder) {
  model.SetLogging(true);
  EXPECT_TRUE(model.SaveClearEnabled());
  model.Connecting();
  model.Opened();
  model.PortReceived(2000);
  model.PortReceived(978);
  model.ReceivedFromServer(7);
  model.BreakChanged(true);
  model.Closed();
  model.ShowStatus();
  model.Tick();
  EXPECT_EQ(model.log().shown(),
            "\r\n*** Virtual port (COM5) opened ***"
            "\r\nPort received 2000 byte(s)."
            "\r\nPort received 978 byte(s)."
            "\r\nGot 7 byte(s) from remote device"
            "\r\nBreak is\"ON\""
            "\r\n*** Virtual port (COM5) closed ***\r\n");
}

TEST_F(PortStatusModelTest, ControlEventsLeaveNoTraceWhilePortIsClosed) {
  model.SetLogging(true);
  model.EventMaskChanged(1);
  model.BreakChanged(false);
  model.BaudRateChanged(1200);
  model.SpecialCharsChanged(0, 0, 0, 0, 0, 0);
  model.HandFlowChanged(0, 0, 0, 0);
  model.LineControlChanged(0, 0, 8);
  model.TimeoutsChanged(0, 0, 0, 0, 0);
  model.RingSignalled();
  model.RtsChanged(true);
  model.DtrChanged(true);
  model.Connecting();
  model.DtrChanged(false);
  EXPECT_EQ(model.log().pending(), "");
  model.Opened();
  model.DtrChanged(false);
  model.RingSignalled();
  EXPECT_EQ(model.log().pending(),
            "\r\n*** Virtual port (COM5) opened ***\r\nDTR line set (Off)\r\nRing event occurred");
}

TEST_F(PortStatusModelTest, ClosedLineOnlyAfterAnOpenConnection) {
  model.SetLogging(true);
  model.Connecting();
  model.ConnectFailed();
  model.Closed();
  EXPECT_EQ(model.log().pending(), "");
}

TEST_F(PortStatusModelTest, HiddenWindowCollectsLinesUntilTheFirstTickAfterShowing) {
  model.SetLogging(true);
  model.Opened();
  model.ReceivedFromServer(3);
  EXPECT_FALSE(model.timerRunning());
  EXPECT_EQ(model.log().shown(), "");
  model.ShowStatus();
  EXPECT_TRUE(model.timerRunning());
  EXPECT_EQ(model.WindowTitle(), "Virtual Port Status: COM5");
  EXPECT_EQ(model.StatusLabel(), "Port Status");
  EXPECT_FALSE(model.CancelVisible());
  EXPECT_EQ(model.log().shown(), "");
  EXPECT_EQ(model.Tick(),
            "\r\n*** Virtual port (COM5) opened ***\r\nGot 3 byte(s) from remote device");
  EXPECT_EQ(model.log().shown(),
            "\r\n*** Virtual port (COM5) opened ***\r\nGot 3 byte(s) from remote device");
  model.Hide();
  EXPECT_FALSE(model.timerRunning());
  EXPECT_FALSE(model.statusVisible());
  // Once shown as status window, the title and label stay so.
  EXPECT_EQ(model.WindowTitle(), "Virtual Port Status: COM5");
  EXPECT_FALSE(model.CancelVisible());
}

TEST_F(PortStatusModelTest, ClearThenNewTrafficShowsOnlyTheNewLines) {
  model.SetLogging(true);
  model.Opened();
  model.ShowStatus();
  model.ReceivedFromServer(1);
  model.Tick();
  model.ClearLog();
  model.ReceivedFromServer(2);
  model.Tick();
  EXPECT_EQ(model.log().shown(), "\r\nGot 2 byte(s) from remote device");
}

TEST_F(PortStatusModelTest, LoggingOffKeepsExistingText) {
  model.SetLogging(true);
  model.Opened();
  model.SetLogging(false);
  model.ReceivedFromServer(9);
  EXPECT_FALSE(model.SaveClearEnabled());
  model.ShowStatus();
  model.Tick();
  EXPECT_EQ(model.log().shown(), "\r\n*** Virtual port (COM5) opened ***");
}

TEST_F(PortStatusModelTest, CountersAreShownAtTicksWhileVisible) {
  model.Opened();
  model.ReceivedFromServer(100);
  model.SentToServer(40);
  EXPECT_EQ(model.rxBytes(), 100);
  EXPECT_EQ(model.txBytes(), 40);
  EXPECT_EQ(model.RxText(), "0");  // not shown until the window refreshes
  model.ShowStatus();
  EXPECT_EQ(model.RxText(), "100");
  EXPECT_EQ(model.TxText(), "40");
  model.ReceivedFromServer(28);
  model.Tick();
  EXPECT_EQ(model.RxText(), "128");
  model.Hide();
  model.ReceivedFromServer(1);
  model.Tick();
  EXPECT_EQ(model.RxText(), "128");
  // A new connection starts from zero.
  model.Closed();
  model.Opened();
  EXPECT_EQ(model.rxBytes(), 0);
  EXPECT_EQ(model.RxText(), "0");
}

TEST_F(PortStatusModelTest, CountersGoPastTwoGigabytes) {
  model.Opened();
  for (int i = 0; i < 3; ++i) model.SentToServer(0x40000000);
  model.ShowStatus();
  EXPECT_EQ(model.TxText(), "3221225472");
}

TEST_F(PortStatusModelTest, RecreatingThePortSwitchesLoggingOff) {
  model.SetLogging(true);
  model.PortCreated("COM7", "9201", false, true);
  EXPECT_FALSE(model.logging());
  EXPECT_TRUE(model.strictBaud());
  EXPECT_FALSE(model.rfc2217());
  EXPECT_EQ(model.comName(), "COM7");
}

}  // namespace
}  // namespace vport
