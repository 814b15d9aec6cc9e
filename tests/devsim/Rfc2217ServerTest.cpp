// The device side of the Telnet com-port option: answers byte by byte, at every split point.
#include <gtest/gtest.h>

#include "Rfc2217Server.h"
#include "vport/Rfc2217Frames.h"

namespace devsim {
namespace {

using Bytes = std::vector<uint8_t>;

struct Fed {
  Bytes data;
  Bytes reply;
};

Fed FeedAll(Rfc2217Server& server, const Bytes& in) {
  Fed out;
  server.Feed(in, &out.data, &out.reply);
  return out;
}

TEST(Rfc2217ServerTest, AgreesToTheClientsOffersOnce) {
  Rfc2217Server server;
  Bytes offers;
  for (const Bytes& frame : vport::OptionOffers())
    offers.insert(offers.end(), frame.begin(), frame.end());
  Fed f = FeedAll(server, offers);
  EXPECT_EQ(f.reply, (Bytes{255, 253, 0, 255, 253, 44}));  // DO BINARY, DO COM-PORT-OPTION
  EXPECT_TRUE(f.data.empty());
  EXPECT_TRUE(server.ComPortEnabled());
  EXPECT_TRUE(server.BinaryReceive());
  // The same offers again change nothing and get no answer: no negotiation loop.
  f = FeedAll(server, offers);
  EXPECT_TRUE(f.reply.empty());
}

TEST(Rfc2217ServerTest, RefusesOtherOptions) {
  Rfc2217Server server;
  Fed f = FeedAll(server, {255, 251, 1, 255, 253, 3, 255, 253, 0, 255, 253, 0, 255, 254, 0});
  // WILL ECHO -> DONT ECHO; DO SGA -> WONT SGA; DO BINARY -> WILL BINARY once; DONT BINARY -> WONT.
  EXPECT_EQ(f.reply, (Bytes{255, 254, 1, 255, 252, 3, 255, 251, 0, 255, 252, 0}));
}

TEST(Rfc2217ServerTest, SettingsAreKeptAndAnswered) {
  Rfc2217Server server;
  Fed f = FeedAll(server, vport::BaudRateFrame(115200));
  EXPECT_EQ(f.reply, (Bytes{255, 250, 44, 101, 0x00, 0x01, 0xC2, 0x00, 255, 240}));
  EXPECT_EQ(server.Settings().baudRate, 115200u);
  for (const Bytes& frame : vport::LineControlFrames(2, 2, 7)) {
    f = FeedAll(server, frame);
    ASSERT_EQ(f.reply.size(), 7u);
    EXPECT_EQ(f.reply[3], frame[3] + 100);
    EXPECT_EQ(f.reply[4], frame[4]);
  }
  EXPECT_EQ(server.Settings().stopSize, 2);
  EXPECT_EQ(server.Settings().parity, 3);
  EXPECT_EQ(server.Settings().dataSize, 7);
  // A zero value asks for the current setting.
  f = FeedAll(server, {255, 250, 44, 2, 0, 255, 240});
  EXPECT_EQ(f.reply, (Bytes{255, 250, 44, 102, 7, 255, 240}));
  f = FeedAll(server, {255, 250, 44, 1, 0, 0, 0, 0, 255, 240});
  EXPECT_EQ(f.reply, (Bytes{255, 250, 44, 101, 0x00, 0x01, 0xC2, 0x00, 255, 240}));
  f = FeedAll(server, {255, 250, 44, 5, 3, 255, 240});
  EXPECT_EQ(server.Settings().flowControl, 3);
  f = FeedAll(server, {255, 250, 44, 5, 0, 255, 240});
  EXPECT_EQ(f.reply, (Bytes{255, 250, 44, 105, 3, 255, 240}));
  f = FeedAll(server, {255, 250, 44, 0, 255, 240});
  const std::string signature(f.reply.begin() + 4, f.reply.end() - 2);
  EXPECT_EQ(signature, Rfc2217Server::kSignature);
  EXPECT_EQ(server.CommandsAnswered(), 9u);
}

TEST(Rfc2217ServerTest, DoubledIacInValuesAndData) {
  Rfc2217Server server;
  // Baud rate 0x00FF00FF: both 255s doubled on the wire, and in the answer.
  Fed f = FeedAll(server, vport::BaudRateFrame(0x00FF00FF));
  EXPECT_EQ(server.Settings().baudRate, 0x00FF00FFu);
  EXPECT_EQ(f.reply, (Bytes{255, 250, 44, 101, 0, 255, 255, 0, 255, 255, 255, 240}));
  f = FeedAll(server, {'a', 255, 255, 'b'});
  EXPECT_EQ(f.data, (Bytes{'a', 255, 'b'}));
  EXPECT_EQ(Rfc2217Server::Escape(Bytes{1, 255, 2}), (Bytes{1, 255, 255, 2}));
}

TEST(Rfc2217ServerTest, EverySplitPointGivesTheSameResult) {
  Bytes stream = {'x', 255, 255};
  for (const Bytes& frame : vport::OptionOffers())
    stream.insert(stream.end(), frame.begin(), frame.end());
  const Bytes baud = vport::BaudRateFrame(0x0000FFFF);
  stream.insert(stream.end(), baud.begin(), baud.end());
  stream.insert(stream.end(), {'y', 255, 241, 'z'});  // a NOP between data bytes
  Rfc2217Server whole;
  const Fed expected = FeedAll(whole, stream);
  EXPECT_EQ(expected.data, (Bytes{'x', 255, 'y', 'z'}));
  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    Rfc2217Server split;
    Fed got;
    split.Feed(std::span<const uint8_t>(stream).first(cut), &got.data, &got.reply);
    split.Feed(std::span<const uint8_t>(stream).subspan(cut), &got.data, &got.reply);
    EXPECT_EQ(got.data, expected.data) << cut;
    EXPECT_EQ(got.reply, expected.reply) << cut;
    EXPECT_EQ(split.Settings().baudRate, 0x0000FFFFu) << cut;
  }
}

TEST(Rfc2217ServerTest, HostileSubnegotiationsAreDroppedWhole) {
  Rfc2217Server server;
  Bytes overlong = {255, 250, 44, 1};
  overlong.insert(overlong.end(), 1000, 7);
  overlong.insert(overlong.end(), {255, 240, 'd'});
  Fed f = FeedAll(server, overlong);
  EXPECT_TRUE(f.reply.empty());
  EXPECT_EQ(f.data, Bytes{'d'});
  EXPECT_EQ(server.Settings().baudRate, 9600u);
  // Wrong lengths, another option, an unknown command, and IAC followed by junk inside SB.
  f = FeedAll(server,
              {255, 250, 44,  1,   1,   2,   255, 240, 255, 250, 24, 1,   255, 240, 255, 250, 44,
               77,  1,   255, 240, 255, 250, 44,  2,   8,   255, 1,  'e', 255, 250, 255, 240});
  EXPECT_TRUE(f.reply.empty());
  EXPECT_EQ(f.data, Bytes{'e'});
  EXPECT_EQ(server.Settings().dataSize, 8);
}

}  // namespace
}  // namespace devsim
