#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ScriptedSerialLine.h"
#include "platform/SerialPort.h"
#include "snmp/SerialFrame.h"
#include "snmp/SnmpSerialTransport.h"

namespace snmp {
namespace {

using Bytes = std::vector<uint8_t>;
using platform::SerialLineEvent;
using platform::SerialScript;

// A serial transport session whose lines are scripted and whose pauses take no time.
class SerialTransportFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    config_.sleep = [this](unsigned ms) { slept_.push_back(ms); };
    config_.openSerial = [this](const std::string& name) -> std::unique_ptr<platform::SerialLine> {
      opened_.push_back(name);
      if (refuseOpen_) return nullptr;
      auto& script = scripts_[name];
      if (!script) script = NewScript();
      return std::make_unique<platform::ScriptedSerialLine>(script);
    };
    session_.config = &config_;
    session_.notify = [this] { ++notified_; };
    ASSERT_EQ(SerialTransportStrToEntity("COM2", &com2_), 1);
    ASSERT_EQ(SerialTransportStrToEntity("COM3", &com3_), 1);
  }

  // A device that answers the wake-up breaks at once.
  static std::shared_ptr<SerialScript> NewScript() {
    auto script = std::make_shared<SerialScript>();
    script->events = {SerialLineEvent::Break};
    return script;
  }

  SerialScript& Script(const std::string& name) {
    auto& script = scripts_[name];
    if (!script) script = NewScript();
    return *script;
  }

  static Bytes Header(uint8_t type, uint16_t length) {
    Bytes h(kSerialFrameHeaderSize);
    EncodeSerialFrameHeader(type, length, h.data());
    return h;
  }

  SnmpTransportConfig config_;
  SnmpTransportSession session_;
  SnmpTransportEntity com2_;
  SnmpTransportEntity com3_;
  std::map<std::string, std::shared_ptr<SerialScript>> scripts_;
  std::vector<std::string> opened_;
  std::vector<unsigned> slept_;
  bool refuseOpen_ = false;
  int notified_ = 0;
};

TEST_F(SerialTransportFixture, HandshakeThenFramedMessage) {
  const Bytes message = {0x30, 0x03, 0x02, 0x01, 0x00};
  ASSERT_EQ(SerialTransportSend(&session_, &com2_, message.data(), message.size()), 1);

  SerialScript& s = Script("COM2");
  // Configure, arm, three break pulses, one wait that sees the answer, purge, close; then the
  // port is opened again and configured for the conversation.
  std::vector<std::string> expected = {
      "configure", "arm",  "break on", "break off", "break on",  "break off", "break on",
      "break off", "wait", "purge",    "close",     "configure", "write",     "write"};
  EXPECT_EQ(s.calls, expected);
  EXPECT_EQ(opened_, (std::vector<std::string>{"COM2", "COM2"}));
  EXPECT_EQ(slept_, (std::vector<unsigned>{20, 20, 20, 20, 20, 20, 200}));
  EXPECT_EQ(s.waitTimeouts, (std::vector<unsigned>{100}));

  Bytes frame = Header(0x00, 5);
  frame.insert(frame.end(), message.begin(), message.end());
  EXPECT_EQ(s.output, frame);
  EXPECT_EQ(notified_, 1);
  EXPECT_TRUE(session_.serialOpen);
  EXPECT_STREQ(session_.serialPortName, "COM2");

  const platform::SerialSettings& cfg = s.configurations.at(1);
  EXPECT_EQ(cfg.baudRate, 57600u);
  EXPECT_EQ(cfg.dataBits, 8);
  EXPECT_EQ(cfg.parity, platform::SerialParity::None);
  EXPECT_EQ(cfg.stopBits, platform::SerialStopBits::One);
  EXPECT_TRUE(cfg.ctsOutputFlow);
  EXPECT_EQ(cfg.dtr, platform::SerialDtr::Off);
  EXPECT_EQ(cfg.rts, platform::SerialRts::Handshake);
  EXPECT_EQ(cfg.inputQueue, 600u);
  EXPECT_EQ(cfg.outputQueue, 600u);
  EXPECT_EQ(cfg.timeouts.readIntervalMs, 4000u);
  EXPECT_EQ(cfg.timeouts.readTotalMultiplierMs, 2u);
  EXPECT_EQ(cfg.timeouts.readTotalConstantMs, 4000u);
  EXPECT_EQ(cfg.timeouts.writeTotalMultiplierMs, 2u);
  EXPECT_EQ(cfg.timeouts.writeTotalConstantMs, 400u);

  // A second send on the same port needs no handshake.
  s.calls.clear();
  ASSERT_EQ(SerialTransportSend(&session_, &com2_, message.data(), message.size()), 1);
  EXPECT_EQ(s.calls, (std::vector<std::string>{"write", "write"}));
  EXPECT_EQ(opened_.size(), 2u);
}

TEST_F(SerialTransportFixture, AnswerAfterSomePolls) {
  Script("COM2").events = {SerialLineEvent::None, SerialLineEvent::None, SerialLineEvent::Break};
  const uint8_t m[] = {1};
  EXPECT_EQ(SerialTransportSend(&session_, &com2_, m, 1), 1);
  EXPECT_EQ(Script("COM2").Count("wait"), 3u);
}

TEST_F(SerialTransportFixture, SilentDeviceFailsAfterSixtyPolls) {
  Script("COM2").events.clear();
  const uint8_t m[] = {1};
  EXPECT_EQ(SerialTransportSend(&session_, &com2_, m, 1), kTransportUndeliverable);
  SerialScript& s = Script("COM2");
  EXPECT_EQ(s.Count("wait"), 60u);
  unsigned waited = 0;
  for (unsigned t : s.waitTimeouts) waited += t;
  EXPECT_EQ(waited, 6000u);
  EXPECT_EQ(s.calls.back(), "close");
  EXPECT_TRUE(s.output.empty());
  EXPECT_FALSE(session_.serialOpen);
  EXPECT_STREQ(session_.serialPortName, "");
  EXPECT_EQ(notified_, 0);
}

TEST_F(SerialTransportFixture, HandshakeDecisions) {
  struct Case {
    const char* name;
    std::deque<SerialLineEvent> events;
    bool failArm;
    bool failConfigure;
    int32_t result;
  } cases[] = {
      {"break answers", {SerialLineEvent::Break}, false, false, 1},
      {"line error without break",
       {SerialLineEvent::LineError, SerialLineEvent::Break},
       false,
       false,
       kTransportUndeliverable},
      {"wait fails", {SerialLineEvent::Failed}, false, false, kTransportUndeliverable},
      {"line cannot watch for events",
       {SerialLineEvent::Break},
       true,
       false,
       kTransportUndeliverable},
      {"line cannot be configured", {SerialLineEvent::Break}, false, true, kTransportUndeliverable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SnmpTransportSession session;
    session.config = &config_;
    scripts_.clear();
    SerialScript& s = Script("COM2");
    s.events = c.events;
    s.failArm = c.failArm;
    s.failConfigure = c.failConfigure;
    const uint8_t m[] = {1};
    EXPECT_EQ(SerialTransportSend(&session, &com2_, m, 1), c.result);
    EXPECT_EQ(session.serialOpen, c.result == 1);
    EXPECT_EQ(s.calls.back(), c.result == 1 ? "write" : "close");
  }
}

TEST_F(SerialTransportFixture, PortThatCannotBeOpened) {
  refuseOpen_ = true;
  const uint8_t m[] = {1};
  EXPECT_EQ(SerialTransportSend(&session_, &com2_, m, 1), kTransportUndeliverable);
  size_t infoLength = 0;
  uint8_t info[8];
  EXPECT_EQ(SerialTransportExchange(&session_, &com2_, sizeof info, info, &infoLength),
            kTransportUndeliverable);
}

TEST_F(SerialTransportFixture, WriteFailures) {
  const uint8_t m[] = {1, 2, 3};
  Script("COM2").failWrite = true;
  EXPECT_EQ(SerialTransportSend(&session_, &com2_, m, sizeof m), kTransportOther);
  EXPECT_EQ(notified_, 0);
  Script("COM2").failWrite = false;
  Script("COM2").writeLimit = 4;  // the header goes, the message only in part
  EXPECT_EQ(SerialTransportSend(&session_, &com2_, m, sizeof m), kTransportOther);
}

TEST_F(SerialTransportFixture, ReceiveDeliversAFrame) {
  const uint8_t m[] = {9};
  ASSERT_EQ(SerialTransportSend(&session_, &com2_, m, 1), 1);
  Bytes reply = Header(0x00, 5);
  reply.insert(reply.end(), {0xA1, 0xA2, 0xA3, 0xA4, 0xA5});
  Script("COM2").Feed(reply);
  uint8_t buffer[1408];
  size_t length = sizeof buffer;
  SnmpTransportEntity src;
  SnmpTransportEntity dst;
  src.ipv4 = 0x01020304;
  ASSERT_EQ(SerialTransportReceive(&session_, &src, &dst, buffer, &length), 1);
  EXPECT_EQ(Bytes(buffer, buffer + length), (Bytes{0xA1, 0xA2, 0xA3, 0xA4, 0xA5}));
  EXPECT_EQ(src.ipv4, 0x01020304u);  // entities are left as they are

  // Too big for the caller's buffer.
  reply = Header(0x00, 9);
  reply.resize(reply.size() + 9, 0x55);
  Script("COM2").Feed(reply);
  length = 8;
  EXPECT_EQ(SerialTransportReceive(&session_, &src, &dst, buffer, &length), kTransportPduTooBig);
  EXPECT_TRUE(Script("COM2").input.empty());
}

TEST_F(SerialTransportFixture, ReceiveWithoutPortFails) {
  uint8_t buffer[16];
  size_t length = sizeof buffer;
  EXPECT_EQ(SerialTransportReceive(&session_, nullptr, nullptr, buffer, &length), kTransportOther);
}

TEST_F(SerialTransportFixture, CloseSaysGoodbye) {
  const uint8_t m[] = {9};
  ASSERT_EQ(SerialTransportSend(&session_, &com2_, m, 1), 1);
  SerialScript& s = Script("COM2");
  s.output.clear();
  EXPECT_EQ(SerialTransportClose(&session_), 1);
  EXPECT_EQ(s.output, Header(0xFF, 0));
  EXPECT_EQ(s.calls.back(), "close");
  EXPECT_FALSE(session_.serialOpen);
  EXPECT_FALSE(session_.serialLine);
  EXPECT_STREQ(session_.serialPortName, "");
  // Closing again is harmless and says nothing.
  s.output.clear();
  EXPECT_EQ(SerialTransportClose(&session_), 1);
  EXPECT_TRUE(s.output.empty());
}

TEST_F(SerialTransportFixture, CloseFailures) {
  const uint8_t m[] = {9};
  ASSERT_EQ(SerialTransportSend(&session_, &com2_, m, 1), 1);
  Script("COM2").failWrite = true;
  EXPECT_EQ(SerialTransportClose(&session_), kTransportNotAvailable);
  EXPECT_EQ(Script("COM2").calls.back(), "close");
  EXPECT_FALSE(session_.serialOpen);

  Script("COM2").failWrite = false;
  Script("COM2").events = {SerialLineEvent::Break};
  ASSERT_EQ(SerialTransportSend(&session_, &com2_, m, 1), 1);
  Script("COM2").failClose = true;
  EXPECT_EQ(SerialTransportClose(&session_), kTransportNotAvailable);
  EXPECT_STREQ(session_.serialPortName, "");
}

TEST_F(SerialTransportFixture, OtherPortClosesOldWithoutGoodbye) {
  const uint8_t m[] = {9};
  ASSERT_EQ(SerialTransportSend(&session_, &com2_, m, 1), 1);
  Script("COM2").output.clear();
  ASSERT_EQ(SerialTransportSend(&session_, &com3_, m, 1), 1);
  EXPECT_TRUE(Script("COM2").output.empty());
  EXPECT_EQ(Script("COM2").calls.back(), "close");
  EXPECT_STREQ(session_.serialPortName, "COM3");
  EXPECT_EQ(Script("COM3").Count("break on"), 3u);
}

TEST_F(SerialTransportFixture, InformationExchange) {
  SerialScript& s = Script("COM2");
  // The device answers the request once it has been written.
  s.onWrite = [](SerialScript& script, const Bytes& written) {
    if (written.size() == kSerialFrameHeaderSize && written[3] == 0x01) {
      script.Feed({0x2E, 0x2C, 0x3A, 0x01, 0x04, 0x00, 'D', 'S', '-', '1'});
    }
  };
  uint8_t info[16];
  size_t length = 0;
  ASSERT_EQ(SerialTransportExchange(&session_, &com2_, sizeof info, info, &length), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(info), length), "DS-1");
  EXPECT_EQ(s.output, Header(0x01, 0));
  EXPECT_EQ(notified_, 0);

  // A reply that does not fit.
  EXPECT_EQ(SerialTransportExchange(&session_, &com2_, 3, info, &length), kTransportPduTooBig);
  // A reply of the wrong type.
  s.onWrite = [](SerialScript& script, const Bytes&) {
    script.Feed({0x2E, 0x2C, 0x3A, 0x00, 0x00, 0x00});
  };
  EXPECT_EQ(SerialTransportExchange(&session_, &com2_, sizeof info, info, &length),
            kTransportFrameRejected);
  // No reply at all.
  s.onWrite = nullptr;
  EXPECT_EQ(SerialTransportExchange(&session_, &com2_, sizeof info, info, &length),
            kTransportTimeout);
}

TEST_F(SerialTransportFixture, RegisterIsNotSupported) {
  EXPECT_EQ(SerialTransportRegister(&session_, 1), kTransportNotSupported);
  EXPECT_EQ(SerialTransportRegister(&session_, 0), kTransportNotSupported);
}

TEST_F(SerialTransportFixture, OversizedMessageIsRefusedBeforeTheLine) {
  Bytes big(0x10000, 0);
  EXPECT_EQ(SerialTransportSend(&session_, &com2_, big.data(), big.size()), kTransportPduTooBig);
  EXPECT_TRUE(opened_.empty());
}

TEST(SerialTransportPtyTest, PseudoTerminalCannotAnswerTheBreak) {
  // A pty carries no breaks, so the real port refuses to watch for them and the handshake fails
  // at once with "undeliverable", leaving nothing open.
  int master = -1;
  int slave = -1;
  char name[256] = {};
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  close(slave);
  std::string path = name;
  SnmpTransportConfig config;
  int opens = 0;
  config.openSerial = [&](const std::string&) -> std::unique_ptr<platform::SerialLine> {
    ++opens;
    return platform::SerialPort::Open(path);
  };
  config.sleep = [](unsigned) {};
  SnmpTransportSession session;
  session.config = &config;
  SnmpTransportEntity com;
  ASSERT_EQ(SerialTransportStrToEntity("COM4", &com), 1);
  const uint8_t m[] = {1};
  EXPECT_EQ(SerialTransportSend(&session, &com, m, 1), kTransportUndeliverable);
  EXPECT_EQ(opens, 1);
  EXPECT_FALSE(session.serialLine);
  // The port was closed again: it can be opened once more.
  EXPECT_TRUE(platform::SerialPort::Open(path));
  close(master);
}

TEST(SerialTextFormsTest, PortNames) {
  struct Case {
    const char* text;
    int32_t result;
    const char* kept;
  } cases[] = {
      {"COM2", 1, "COM2"}, {"COM2:", 1, "COM2"}, {"COM9", 1, "COM9"}, {"COM10", 3, ""},
      {"LPT1", 3, ""},     {"COM", 3, ""},       {"COM2::", 3, ""},   {"COM2x", 3, ""},
      {"com2", 3, ""},     {"", 3, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SnmpTransportEntity entity;
    EXPECT_EQ(SerialTransportStrToEntity(c.text, &entity), c.result);
    if (c.result == 1) {
      EXPECT_EQ(entity.kind, SNMP_TRANSPORT_SERIAL);
      EXPECT_STREQ(entity.portName, c.kept);
    }
  }
  EXPECT_EQ(SerialTransportStrToEntity(nullptr, nullptr), 3);
}

TEST(SerialTextFormsTest, EntityToText) {
  SnmpTransportEntity entity;
  ASSERT_EQ(SerialTransportStrToEntity("COM7:", &entity), 1);
  char text[8] = "xxxxxxx";
  EXPECT_EQ(SerialTransportEntityToStr(&entity, 5, text), 1);
  EXPECT_STREQ(text, "COM7");
  char small[4] = "xxx";
  EXPECT_EQ(SerialTransportEntityToStr(&entity, sizeof small, small), kTransportOutputTruncated);
  EXPECT_STREQ(small, "COM");
  EXPECT_EQ(SerialTransportEntityToStr(&entity, 0, small), kTransportOutputTruncated);
}

TEST(SerialTextFormsTest, TableHasExchangeSlot) {
  SnmpTransportOps ops;
  ASSERT_TRUE(SnmpTransportInit(SNMP_TRANSPORT_SERIAL, &ops));
  EXPECT_EQ(ops.TransportExchange, &SerialTransportExchange);
  EXPECT_EQ(ops.TransportStartup(), 1);
  EXPECT_EQ(ops.TransportCleanup(), 1);
  for (void* slot : ops.unusedSlots) EXPECT_EQ(slot, nullptr);
}

}  // namespace
}  // namespace snmp
