// The bridge's side of the application's line requests: which RFC 2217 frames go out, and when.
#include <gtest/gtest.h>

#include "vport/PortLineControl.h"

namespace vport {
namespace {

using control::Op;
using control::Request;

Request SetLine(std::uint8_t bits, std::uint8_t parity, std::uint8_t stop = 0) {
  Request r;
  r.op = Op::kSetLine;
  r.dataBits = bits;
  r.parity = parity;
  r.stopBits = stop;
  return r;
}

Request SetModem(std::uint8_t mask, std::uint8_t value) {
  Request r;
  r.op = Op::kSetModem;
  r.mask = mask;
  r.value = value;
  return r;
}

Request Break(bool on) {
  Request r;
  r.op = Op::kBreak;
  r.breakOn = on;
  return r;
}

const Bytes kParityEven = {255, 250, 44, 3, 3, 255, 240};
const Bytes kDataSeven = {255, 250, 44, 2, 7, 255, 240};

TEST(PortLineControl, DataSizeAndParityGoOutWhenTheyChangeAndAfterEveryRate) {
  PortLineControl line(true, false);
  line.ConnectionStarted();
  Frames frames;
  EXPECT_EQ(line.Handle(SetLine(7, 2), true, &frames).status, control::Status::kOk);
  EXPECT_EQ(frames, (Frames{kParityEven, kDataSeven}));
  frames.clear();
  line.Handle(SetLine(7, 2, 2), true, &frames);  // stop bits are the pty's business
  EXPECT_TRUE(frames.empty());
  EXPECT_EQ(line.AfterBaudRate(), (Frames{kParityEven, kDataSeven}));
  line.Handle(SetLine(8, 0), true, &frames);
  EXPECT_EQ(frames, (Frames{{255, 250, 44, 3, 1, 255, 240}, {255, 250, 44, 2, 8, 255, 240}}));
}

TEST(PortLineControl, NothingIsSentBeforeTheApplicationSetsItsLine) {
  PortLineControl line(true, false);
  EXPECT_TRUE(line.AfterBaudRate().empty());
  EXPECT_TRUE(line.AfterConnected().empty());
  ComPortSettings settings;
  EXPECT_FALSE(line.WithApplicationLine(settings).parity.has_value());
}

TEST(PortLineControl, FixedLineSettingsWinOverTheApplications) {
  PortLineControl line(true, true);
  Frames frames;
  EXPECT_EQ(line.Handle(SetLine(7, 2), true, &frames).status, control::Status::kOk);
  EXPECT_TRUE(frames.empty());
  EXPECT_TRUE(line.AfterBaudRate().empty());
  EXPECT_FALSE(line.WithApplicationLine({}).wordLength.has_value());
}

TEST(PortLineControl, RawPortsOnlyKeepTheOutputLines) {
  PortLineControl line(false, false);
  Frames frames;
  Request wait, count, get;
  wait.op = Op::kWaitModem;
  wait.mask = control::kCts;
  count.op = Op::kGetCount;
  get.op = Op::kGetModem;
  for (const Request& r : {SetLine(7, 2), Break(true), wait, count}) {
    EXPECT_EQ(line.Handle(r, true, &frames).status, control::Status::kNotSupported);
  }
  EXPECT_EQ(line.Handle(SetModem(control::kDtr, 0), true, &frames).status, control::Status::kOk);
  const control::Reply reply = line.Handle(get, true, &frames);
  EXPECT_EQ(reply.status, control::Status::kOk);
  EXPECT_EQ(reply.lines, control::kRts);  // DTR as set, RTS as opened, no input
  EXPECT_TRUE(reply.linesKnown);
  EXPECT_TRUE(frames.empty());
}

TEST(PortLineControl, ModemLinesAndBreakBecomeSetControlFrames) {
  PortLineControl line(true, false);
  Frames frames;
  line.Handle(SetModem(control::kDtr | control::kRts, control::kRts), true, &frames);
  line.Handle(SetModem(control::kRts, 0), true, &frames);
  line.Handle(SetModem(control::kDtr, control::kDtr), true, &frames);
  line.Handle(Break(true), true, &frames);
  line.Handle(Break(false), true, &frames);
  EXPECT_EQ(frames, (Frames{{255, 250, 44, 5, 9, 255, 240},
                            {255, 250, 44, 5, 11, 255, 240},
                            {255, 250, 44, 5, 12, 255, 240},
                            {255, 250, 44, 5, 8, 255, 240},
                            {255, 250, 44, 5, 5, 255, 240},
                            {255, 250, 44, 5, 6, 255, 240}}));
}

TEST(PortLineControl, WhatTheApplicationSetBeforeTheConnectionFollowsIt) {
  PortLineControl line(true, false);
  Frames frames;
  line.Handle(SetLine(7, 2), false, &frames);
  line.Handle(SetModem(control::kDtr, 0), false, &frames);
  line.Handle(Break(true), false, &frames);  // a break is not kept
  EXPECT_TRUE(frames.empty());
  line.ConnectionStarted();
  const ComPortSettings settings = line.WithApplicationLine({});
  EXPECT_EQ(settings.parity, 2);
  EXPECT_EQ(settings.wordLength, 7);
  EXPECT_EQ(line.AfterConnected(), (Frames{{255, 250, 44, 5, 9, 255, 240}}));
  // The server was told with the settings: the same line again sends nothing.
  line.Handle(SetLine(7, 2), true, &frames);
  EXPECT_TRUE(frames.empty());
}

TEST(PortLineControl, LinesComeFromTheApplicationAndTheServersNotification) {
  PortLineControl line(true, false);
  EXPECT_EQ(line.Lines(), control::kDtr | control::kRts);
  EXPECT_FALSE(line.LinesKnown());
  // NOTIFY-MODEMSTATE with CTS and CD (and a delta bit).
  line.ServerCommand(Bytes{255, 250, 44, 107, 0x91, 255, 240});
  EXPECT_TRUE(line.LinesKnown());
  EXPECT_EQ(line.Lines(), control::kDtr | control::kRts | control::kCts | control::kCarrier);
  // Other commands and short ones change nothing.
  line.ServerCommand(Bytes{255, 250, 44, 106, 0xFF, 255, 240});
  line.ServerCommand(Bytes{255, 250, 44, 107});
  Frames frames;
  line.Handle(SetModem(control::kDtr, 0), true, &frames);
  const control::Reply reply = line.Handle(Request{}, true, &frames);
  EXPECT_EQ(reply.lines, control::kRts | control::kCts | control::kCarrier);
  EXPECT_TRUE(reply.linesKnown);
  // A new connection forgets the server's lines; the application's close forgets its own.
  line.ConnectionStarted();
  EXPECT_FALSE(line.LinesKnown());
  line.ApplicationClosed();
  EXPECT_EQ(line.Lines(), control::kDtr | control::kRts);
}

// NOTIFY-MODEMSTATE with the given value.
Bytes ModemState(std::uint8_t value) {
  return {255, 250, 44, 107, value, 255, 240};
}

constexpr std::uint8_t kCtsOn = 0x10, kDsrOn = 0x20, kRingOn = 0x40, kCdOn = 0x80;
constexpr std::uint8_t kDeltaCts = 0x01, kDeltaDsr = 0x02, kRingEnded = 0x04, kDeltaCd = 0x08;

std::vector<std::uint32_t> Counts(const PortLineControl& line) {
  return {line.Count(control::kCountCts), line.Count(control::kCountDsr),
          line.Count(control::kCountRing), line.Count(control::kCountCarrier)};
}

TEST(PortLineControl, ModemReportsCountTransitionsFromDeltaBitsAndChanges) {
  PortLineControl line(true, false);
  line.ConnectionStarted();
  // The first report: only its delta bits count (there is nothing to compare with).
  EXPECT_EQ(line.ServerCommand(ModemState(kCtsOn | kDsrOn | kDeltaCts)), control::kCts);
  EXPECT_EQ(Counts(line), (std::vector<std::uint32_t>{1, 0, 0, 0}));
  // CD comes on without a delta bit: the change counts all the same.
  EXPECT_EQ(line.ServerCommand(ModemState(kCtsOn | kDsrOn | kCdOn)), control::kCarrier);
  // The same state again, no delta: nothing moves.
  EXPECT_EQ(line.ServerCommand(ModemState(kCtsOn | kDsrOn | kCdOn)), 0);
  // A delta bit together with the change counts once, not twice.
  EXPECT_EQ(line.ServerCommand(ModemState(kDsrOn | kCdOn | kDeltaCts)), control::kCts);
  // DSR went off and on between two reports: the delta bit tells.
  EXPECT_EQ(line.ServerCommand(ModemState(kDsrOn | kCdOn | kDeltaDsr)), control::kDsr);
  EXPECT_EQ(Counts(line), (std::vector<std::uint32_t>{2, 1, 0, 1}));
  EXPECT_EQ(line.Lines() & control::kInputLines, control::kDsr | control::kCarrier);
}

TEST(PortLineControl, ARingCountsWhenItEnds) {
  PortLineControl line(true, false);
  line.ServerCommand(ModemState(0));
  EXPECT_EQ(line.ServerCommand(ModemState(kRingOn)), 0);                  // rings
  EXPECT_EQ(line.ServerCommand(ModemState(0)), control::kRing);           // and ends
  EXPECT_EQ(line.ServerCommand(ModemState(kRingEnded)), control::kRing);  // a whole ring between
  EXPECT_EQ(line.ServerCommand(ModemState(kRingOn | kDeltaCd | kCdOn)), control::kCarrier);
  EXPECT_EQ(Counts(line), (std::vector<std::uint32_t>{0, 0, 2, 1}));
}

TEST(PortLineControl, CountersBelongToThePortAcrossConnectionsAndOtherCommandsLeaveThem) {
  PortLineControl line(true, false);
  line.ServerCommand(ModemState(kCtsOn));
  line.ServerCommand(ModemState(0));
  // A LINESTATE report, and a short modem report, are not modem transitions.
  EXPECT_EQ(line.ServerCommand(Bytes{255, 250, 44, 106, 0xFF, 255, 240}), 0);
  EXPECT_EQ(line.ServerCommand(Bytes{255, 250, 44, 107}), 0);
  line.ApplicationClosed();
  line.ConnectionStarted();
  // A new connection compares with nothing: CTS on again is no transition without its delta.
  EXPECT_EQ(line.ServerCommand(ModemState(kCtsOn)), 0);
  EXPECT_EQ(line.ServerCommand(ModemState(0)), control::kCts);
  EXPECT_EQ(Counts(line), (std::vector<std::uint32_t>{2, 0, 0, 0}));
  EXPECT_EQ(line.Count(4), 0u);
}

TEST(PortLineControl, CountsTravelInHalvesAndWaitsAreTakenOnAnRfc2217Port) {
  PortLineControl line(true, false);
  for (int i = 0; i < 70000; ++i) line.ServerCommand(ModemState(i % 2 == 0 ? kCdOn : 0));
  // The first report has nothing to compare with: 69999 transitions.
  ASSERT_EQ(line.Count(control::kCountCarrier), 69999u);
  Request count;
  count.op = Op::kGetCount;
  count.counter = control::kCountCarrier;
  Frames frames;
  control::Reply reply = line.Handle(count, true, &frames);
  EXPECT_EQ(reply.status, control::Status::kOk);
  EXPECT_EQ(reply.count, 69999 & 0xFFFF);
  count.highHalf = true;
  EXPECT_EQ(line.Handle(count, true, &frames).count, 1);
  count.counter = control::kCountCts;
  EXPECT_EQ(line.Handle(count, true, &frames).count, 0);

  Request wait;
  wait.op = Op::kWaitModem;
  wait.mask = control::kCts;
  reply = line.Handle(wait, true, &frames);
  EXPECT_EQ(reply.status, control::Status::kOk);
  EXPECT_TRUE(reply.waiting);
  EXPECT_TRUE(reply.linesKnown);
  EXPECT_TRUE(frames.empty());
}

}  // namespace
}  // namespace vport
