#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "vport/Rfc2217Frames.h"
#include "vport/TelnetDecoder.h"

namespace vport {
namespace {

using Bytes = std::vector<std::uint8_t>;

// What came out of the decoder, in order; adjacent data runs are merged, since how data is split
// into writes does not matter to the application.
struct Event {
  bool command;
  Bytes bytes;
  bool operator==(const Event&) const = default;
};

void PrintTo(const Event& event, std::ostream* os) {
  *os << (event.command ? "C{" : "D{");
  for (std::uint8_t b : event.bytes) *os << static_cast<int>(b) << ' ';
  *os << '}';
}

class Recorder {
 public:
  void Feed(TelnetDecoder& decoder, const Bytes& bytes) {
    decoder.Decode(
        bytes,
        [this](std::span<const std::uint8_t> data) {
          EXPECT_FALSE(data.empty());
          if (!events.empty() && !events.back().command) {
            events.back().bytes.insert(events.back().bytes.end(), data.begin(), data.end());
          } else {
            events.push_back({false, Bytes(data.begin(), data.end())});
          }
        },
        [this](std::span<const std::uint8_t> command, const std::string& line) {
          events.push_back({true, Bytes(command.begin(), command.end())});
          lines.push_back(line);
        });
  }
  std::vector<Event> events;
  std::vector<std::string> lines;
};

Event D(Bytes bytes) {
  return {false, std::move(bytes)};
}
Event C(Bytes bytes) {
  return {true, std::move(bytes)};
}

struct DecodeCase {
  const char* name;
  Bytes in;
  std::vector<Event> out;
};

const std::vector<DecodeCase>& Cases() {
  static const std::vector<DecodeCase> cases = {
      {"PlainData", {1, 2, 3, 0, 254}, {D({1, 2, 3, 0, 254})}},
      {"DoubledIacIsOne255", {255, 255}, {D({255})}},
      {"DoubledIacAmidData", {1, 255, 255, 2}, {D({1, 255, 2})}},
      {"IacThenLowByteIsData", {255, 1}, {D({255, 1})}},
      {"IacThenZeroIsData", {255, 0}, {D({255, 0})}},
      {"IacThen239IsData", {255, 239}, {D({255, 239})}},
      {"WillEchoIsACommand", {255, 251, 1}, {C({255, 251, 1})}},
      {"WontDoDont",
       {255, 252, 0, 255, 253, 44, 255, 254, 3},
       {C({255, 252, 0}), C({255, 253, 44}), C({255, 254, 3})}},
      {"OptionByte255", {255, 253, 255, 7}, {C({255, 253, 255}), D({7})}},
      {"NopBetweenData", {'a', 255, 241, 'b'}, {D({'a'}), C({255, 241}), D({'b'})}},
      {"Command249", {255, 249}, {C({255, 249})}},
      {"StrayIacSe", {255, 240, 'x'}, {C({255, 240}), D({'x'})}},
      {"ServerNotification",
       {255, 250, 44, 107, 0, 255, 240},
       {C({255, 250, 44, 107, 0, 255, 240})}},
      {"SubnegotiationWithDoubled255",
       {255, 250, 44, 101, 0, 0, 0, 255, 255, 255, 240, 9},
       {C({255, 250, 44, 101, 0, 0, 0, 255, 255, 255, 240}), D({9})}},
      {"SubnegotiationBrokenByIacLowByte",
       {255, 250, 44, 1, 2, 255, 1, 'x'},
       {C({255, 250, 44, 1, 2}), D({255, 1, 'x'})}},
      {"SubnegotiationBrokenByIacWill",
       {255, 250, 44, 255, 251, 1},
       {C({255, 250, 44}), C({255, 251, 1})}},
      {"SubnegotiationBrokenByNewSubnegotiation",
       {255, 250, 44, 255, 250, 44, 106, 255, 240},
       {C({255, 250, 44}), C({255, 250, 44, 106, 255, 240})}},
      {"EmptySubnegotiation", {255, 250, 255, 240}, {C({255, 250, 255, 240})}},
      {"DataAroundCommands",
       {'A', 255, 251, 0, 'B', 255, 255, 'C', 255, 250, 44, 5, 1, 255, 240, 'D'},
       {D({'A'}), C({255, 251, 0}), D({'B', 255, 'C'}), C({255, 250, 44, 5, 1, 255, 240}),
        D({'D'})}},
  };
  return cases;
}

class TelnetDecoderTable : public testing::TestWithParam<DecodeCase> {};

TEST_P(TelnetDecoderTable, WholeChunk) {
  TelnetDecoder decoder;
  Recorder recorder;
  recorder.Feed(decoder, GetParam().in);
  EXPECT_EQ(recorder.events, GetParam().out);
  EXPECT_EQ(decoder.state(), TelnetDecoder::kData);
  EXPECT_EQ(decoder.commandLength(), 0u);
}

TEST_P(TelnetDecoderTable, SplitAtEveryPoint) {
  const Bytes& in = GetParam().in;
  for (std::size_t split = 1; split < in.size(); ++split) {
    TelnetDecoder decoder;
    Recorder recorder;
    recorder.Feed(decoder, Bytes(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(split)));
    recorder.Feed(decoder, Bytes(in.begin() + static_cast<std::ptrdiff_t>(split), in.end()));
    EXPECT_EQ(recorder.events, GetParam().out) << "split at " << split;
  }
}

TEST_P(TelnetDecoderTable, ByteByByte) {
  TelnetDecoder decoder;
  Recorder recorder;
  for (std::uint8_t byte : GetParam().in) recorder.Feed(decoder, Bytes{byte});
  EXPECT_EQ(recorder.events, GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Table, TelnetDecoderTable, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<DecodeCase>& param) {
                           return std::string(param.param.name);
                         });

TEST(TelnetDecoder, StateValuesAsStored) {
  EXPECT_EQ(TelnetDecoder::kData, 1);
  EXPECT_EQ(TelnetDecoder::kIac, 5);
  EXPECT_EQ(TelnetDecoder::kDone, 11);
  EXPECT_EQ(TelnetDecoder::kOption, 12);
  EXPECT_EQ(TelnetDecoder::kSub, 16);
  EXPECT_EQ(TelnetDecoder::kSubIac, 18);
}

TEST(TelnetDecoder, StateIsKeptBetweenChunks) {
  TelnetDecoder decoder;
  Recorder recorder;
  recorder.Feed(decoder, {255});
  EXPECT_EQ(decoder.state(), TelnetDecoder::kIac);
  EXPECT_EQ(decoder.commandLength(), 1u);
  recorder.Feed(decoder, {251});
  EXPECT_EQ(decoder.state(), TelnetDecoder::kOption);
  recorder.Feed(decoder, {255, 250, 44});
  EXPECT_EQ(recorder.events, (std::vector<Event>{C({255, 251, 255}), D({250, 44})}));
  recorder.Feed(decoder, {255, 250, 1, 255});
  EXPECT_EQ(decoder.state(), TelnetDecoder::kSubIac);
  EXPECT_EQ(decoder.commandLength(), 4u);
}

TEST(TelnetDecoder, ResetDropsAHalfReceivedCommand) {
  TelnetDecoder decoder;
  Recorder recorder;
  recorder.Feed(decoder, {255, 250, 44, 1});
  decoder.Reset();
  EXPECT_EQ(decoder.state(), TelnetDecoder::kData);
  EXPECT_EQ(decoder.commandLength(), 0u);
  recorder.Feed(decoder, {255, 240, 'k'});
  EXPECT_EQ(recorder.events, (std::vector<Event>{C({255, 240}), D({'k'})}));
}

TEST(TelnetDecoder, LogLineListsEveryByte) {
  TelnetDecoder decoder;
  Recorder recorder;
  recorder.Feed(decoder, {255, 251, 1, 255, 250, 44, 107, 0, 255, 240});
  ASSERT_EQ(recorder.lines.size(), 2u);
  EXPECT_EQ(recorder.lines[0], "Received Telnet command from server:\r\n\t0xFF 0xFB 0x01 ");
  EXPECT_EQ(recorder.lines[1],
            "Received Telnet command from server:\r\n\t0xFF 0xFA 0x2C 0x6B 0x00 0xFF 0xF0 ");
  EXPECT_EQ(TelnetDecoder::CommandLogLine({}), "Received Telnet command from server:\r\n\t");
}

TEST(TelnetDecoder, OverlongSubnegotiationIsDroppedNotPassedAsData) {
  Bytes in{255, 250, 44, 10};
  in.insert(in.end(), 100, 'S');  // e.g. a long signature text
  in.insert(in.end(), {255, 240, 'z'});
  TelnetDecoder decoder;
  Recorder recorder;
  recorder.Feed(decoder, in);
  Bytes head{255, 250, 44, 10};
  head.insert(head.end(), 28, 'S');
  ASSERT_EQ(recorder.events.size(), 2u);
  EXPECT_EQ(recorder.events[0], C(head));
  EXPECT_EQ(recorder.events[1], D({'z'}));
}

TEST(TelnetDecoder, EndlessSubnegotiationStaysBounded) {
  TelnetDecoder decoder;
  Recorder recorder;
  recorder.Feed(decoder, {255, 250});
  const Bytes junk(4096, 0x41);
  for (int i = 0; i < 256; ++i) recorder.Feed(decoder, junk);  // 1 MiB
  EXPECT_TRUE(recorder.events.empty());
  EXPECT_EQ(decoder.state(), TelnetDecoder::kSub);
  EXPECT_EQ(decoder.commandLength(), TelnetDecoder::kCommandCapacity);
  EXPECT_EQ(decoder.droppedLength(), 4096u * 256u - 30u);
  // Doubled 255s inside do not end it either.
  recorder.Feed(decoder, {255, 255, 1});
  EXPECT_TRUE(recorder.events.empty());
  recorder.Feed(decoder, {255, 240, 'o', 'k'});
  ASSERT_EQ(recorder.events.size(), 2u);
  EXPECT_EQ(recorder.events[0].bytes.size(), TelnetDecoder::kCommandCapacity);
  EXPECT_EQ(recorder.events[1], D({'o', 'k'}));
  EXPECT_EQ(decoder.droppedLength(), 0u);
}

TEST(TelnetDecoder, OverflowedSubnegotiationBrokenByIac) {
  Bytes in{255, 250};
  in.insert(in.end(), 40, 7);
  in.insert(in.end(), {255, 1});
  TelnetDecoder decoder;
  Recorder recorder;
  recorder.Feed(decoder, in);
  Bytes head{255, 250};
  head.insert(head.end(), 30, 7);
  EXPECT_EQ(recorder.events, (std::vector<Event>{C(head), D({255, 1})}));
}

TEST(TelnetDecoder, SubnegotiationOfExactlyCapacityEndsNormally) {
  // 30 bytes + IAC SE = 32 + 2: the buffer is full when the closing IAC arrives.
  Bytes in{255, 250};
  in.insert(in.end(), 30, 3);
  in.insert(in.end(), {255, 240, 'y'});
  TelnetDecoder decoder;
  Recorder recorder;
  recorder.Feed(decoder, in);
  ASSERT_EQ(recorder.events.size(), 2u);
  EXPECT_TRUE(recorder.events[0].command);
  EXPECT_EQ(recorder.events[0].bytes.size(), 32u);
  EXPECT_EQ(recorder.events[1], D({'y'}));
}

TEST(TelnetDecoder, EmptySinksAreAllowed) {
  TelnetDecoder decoder;
  const Bytes in{1, 255, 251, 1, 2};
  decoder.Decode(in, {}, {});
  EXPECT_EQ(decoder.state(), TelnetDecoder::kData);
}

}  // namespace
}  // namespace vport

namespace vport {
namespace {

TEST(TelnetDecoder, EscapedDataComesBackUnchanged) {
  Bytes all;
  for (int round = 0; round < 3; ++round) {
    for (int value = 0; value < 256; ++value) all.push_back(static_cast<std::uint8_t>(value));
  }
  all.insert(all.end(), {255, 255, 255, 250, 255, 240});
  const EscapedChunk escaped = EscapeData(all);
  TelnetDecoder decoder;
  Recorder recorder;
  recorder.Feed(decoder, escaped.bytes);
  EXPECT_EQ(recorder.events, (std::vector<Event>{D(all)}));
}

}  // namespace
}  // namespace vport
