#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "vport/Rfc2217Frames.h"

namespace vport {
namespace {

TEST(Rfc2217Frames, OptionOffersAreTwoSendsOfThreeBytes) {
  EXPECT_EQ(OptionOffers(), (Frames{{255, 251, 0}, {255, 251, 44}}));
}

struct BaudCase {
  std::uint32_t baud;
  Bytes frame;
};

class BaudRateFrameTest : public testing::TestWithParam<BaudCase> {};

TEST_P(BaudRateFrameTest, EncodesMostSignificantFirstWith255Doubled) {
  EXPECT_EQ(BaudRateFrame(GetParam().baud), GetParam().frame);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BaudRateFrameTest,
    testing::Values(BaudCase{115200, {255, 250, 44, 1, 0, 1, 194, 0, 255, 240}},
                    BaudCase{9600, {255, 250, 44, 1, 0, 0, 37, 128, 255, 240}},
                    BaudCase{300, {255, 250, 44, 1, 0, 0, 1, 44, 255, 240}},
                    // 255 in the value is doubled: 0x000000FF.
                    BaudCase{255, {255, 250, 44, 1, 0, 0, 0, 255, 255, 255, 240}},
                    // 0x0001FFFF: two doubled bytes.
                    BaudCase{131071, {255, 250, 44, 1, 0, 1, 255, 255, 255, 255, 255, 240}},
                    BaudCase{0xFFFFFFFF,
                             {255, 250, 44, 1, 255, 255, 255, 255, 255, 255, 255, 255, 255, 240}}));

TEST(Rfc2217Frames, EvenParitySevenBitsOneStopBit) {
  const Frames expected{{255, 250, 44, 4, 1, 255, 240},
                        {255, 250, 44, 3, 3, 255, 240},
                        {255, 250, 44, 2, 7, 255, 240}};
  EXPECT_EQ(LineControlFrames(0, 2, 7), expected);
}

struct StopCase {
  std::int32_t stopBits;
  std::optional<std::uint8_t> value;
};

class StopSizeFrameTest : public testing::TestWithParam<StopCase> {};

TEST_P(StopSizeFrameTest, MapsStopBits) {
  const auto frame = StopSizeFrame(GetParam().stopBits);
  if (!GetParam().value) {
    EXPECT_FALSE(frame.has_value());
    return;
  }
  EXPECT_EQ(frame, (Bytes{255, 250, 44, 4, *GetParam().value, 255, 240}));
}

INSTANTIATE_TEST_SUITE_P(Table, StopSizeFrameTest,
                         testing::Values(StopCase{0, 1}, StopCase{1, 3}, StopCase{2, 2},
                                         StopCase{3, std::nullopt}, StopCase{-1, std::nullopt}));

struct ParityCase {
  std::int32_t parity;
  std::optional<std::uint8_t> value;
};

class ParityFrameTest : public testing::TestWithParam<ParityCase> {};

TEST_P(ParityFrameTest, SendsParityPlusOne) {
  const auto frame = ParityFrame(GetParam().parity);
  if (!GetParam().value) {
    EXPECT_FALSE(frame.has_value());
    return;
  }
  EXPECT_EQ(frame, (Bytes{255, 250, 44, 3, *GetParam().value, 255, 240}));
}

INSTANTIATE_TEST_SUITE_P(Table, ParityFrameTest,
                         testing::Values(ParityCase{0, 1}, ParityCase{1, 2}, ParityCase{2, 3},
                                         ParityCase{3, 4}, ParityCase{4, 5},
                                         // -1 would become 0, which asks the server instead.
                                         ParityCase{-1, std::nullopt},
                                         ParityCase{5, std::nullopt}));

TEST(Rfc2217Frames, DataSizeIsTheLowByteAndStaysAValidFrame) {
  EXPECT_EQ(DataSizeFrame(8), (Bytes{255, 250, 44, 2, 8, 255, 240}));
  EXPECT_EQ(DataSizeFrame(0x105), (Bytes{255, 250, 44, 2, 5, 255, 240}));
  EXPECT_EQ(DataSizeFrame(255), (Bytes{255, 250, 44, 2, 255, 255, 255, 240}));
}

TEST(Rfc2217Frames, LineControlLeavesOutUnknownFields) {
  // A pty knows its stop bits but not parity or data size.
  EXPECT_EQ(LineControlFrames(2, std::nullopt, std::nullopt),
            (Frames{{255, 250, 44, 4, 2, 255, 240}}));
  EXPECT_EQ(LineControlFrames(std::nullopt, std::nullopt, 5),
            (Frames{{255, 250, 44, 2, 5, 255, 240}}));
  EXPECT_TRUE(LineControlFrames(std::nullopt, std::nullopt, std::nullopt).empty());
  // An undefined stop value is dropped without disturbing the others.
  EXPECT_EQ(LineControlFrames(7, 0, 8),
            (Frames{{255, 250, 44, 3, 1, 255, 240}, {255, 250, 44, 2, 8, 255, 240}}));
}

struct FlowCase {
  std::uint32_t controlHandShake;
  std::uint32_t flowReplace;
  std::optional<std::uint8_t> value;
};

class ControlFrameTest : public testing::TestWithParam<FlowCase> {};

TEST_P(ControlFrameTest, MapsHandFlowPairs) {
  const auto frame = ControlFrame({GetParam().controlHandShake, GetParam().flowReplace});
  if (!GetParam().value) {
    EXPECT_FALSE(frame.has_value());
    return;
  }
  EXPECT_EQ(frame, (Bytes{255, 250, 44, 5, *GetParam().value, 255, 240}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ControlFrameTest,
    testing::Values(FlowCase{0x01, 0x40, 1}, FlowCase{0x01, 0x43, 2}, FlowCase{0x09, 0x80, 3},
                    // Only the low bytes count.
                    FlowCase{0xAB01, 0x1240, 1}, FlowCase{0xFF000009, 0x00000180, 3},
                    FlowCase{0x09, 0x40, std::nullopt}, FlowCase{0x01, 0x80, std::nullopt},
                    FlowCase{0x00, 0x00, std::nullopt}, FlowCase{0x08, 0x43, std::nullopt}));

TEST(Rfc2217Frames, SettingsFramesFollowTheOrderOfTheEvents) {
  ComPortSettings settings;
  settings.baudRate = 115200;
  settings.stopBits = 0;
  settings.handFlow = HandFlow{0x09, 0x80};
  const Frames expected{{255, 250, 44, 1, 0, 1, 194, 0, 255, 240},
                        {255, 250, 44, 4, 1, 255, 240},
                        {255, 250, 44, 5, 3, 255, 240}};
  EXPECT_EQ(SettingsFrames(settings), expected);
}

TEST(Rfc2217Frames, SettingsFramesOfNothingKnownAreEmpty) {
  EXPECT_TRUE(SettingsFrames(ComPortSettings{}).empty());
  ComPortSettings unmapped;
  unmapped.handFlow = HandFlow{0, 0};
  EXPECT_TRUE(SettingsFrames(unmapped).empty());
}

TEST(Rfc2217Frames, SettingsFramesWithEverythingKnown) {
  ComPortSettings settings{9600, 2, 1, 7, HandFlow{0x01, 0x43}};
  const Frames expected{{255, 250, 44, 1, 0, 0, 37, 128, 255, 240},
                        {255, 250, 44, 4, 2, 255, 240},
                        {255, 250, 44, 3, 2, 255, 240},
                        {255, 250, 44, 2, 7, 255, 240},
                        {255, 250, 44, 5, 2, 255, 240}};
  EXPECT_EQ(SettingsFrames(settings), expected);
}

TEST(Rfc2217Frames, PtySettingsNeverClaimDataSizeOrParity) {
  PortSettings pty;
  pty.baud = 57600;
  pty.stopBits = 2;
  pty.handFlow = HandFlow{0x01, 0x40, 0, 0};
  const Frames expected{{255, 250, 44, 1, 0, 0, 225, 0, 255, 240},
                        {255, 250, 44, 4, 2, 255, 240},
                        {255, 250, 44, 5, 1, 255, 240}};
  EXPECT_EQ(SettingsFrames(ObservableSettings(pty)), expected);
  // A hung-up port (no rate) sends no baud rate.
  pty.baud = 0;
  EXPECT_EQ(SettingsFrames(ObservableSettings(pty)).size(), 2u);
}

struct EscapeCase {
  Bytes data;
  Bytes wire;
};

class EscapeDataTest : public testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeDataTest, DoublesEvery255AndCountsWhatIsSent) {
  const EscapedChunk chunk = EscapeData(GetParam().data);
  EXPECT_EQ(chunk.bytes, GetParam().wire);
  EXPECT_EQ(chunk.txCount, static_cast<std::int64_t>(GetParam().wire.size()));
}

INSTANTIATE_TEST_SUITE_P(Table, EscapeDataTest,
                         testing::Values(EscapeCase{{}, {}}, EscapeCase{{1, 2, 3}, {1, 2, 3}},
                                         EscapeCase{{255}, {255, 255}},
                                         EscapeCase{{255, 255}, {255, 255, 255, 255}},
                                         EscapeCase{{0, 255, 240, 250}, {0, 255, 255, 240, 250}}));

TEST(Rfc2217Frames, EscapeDataOfAFullChunk) {
  Bytes data(1022);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
  const EscapedChunk chunk = EscapeData(data);
  // 0..255 repeats 3 full times plus 254 more bytes (0..253): three 255s.
  EXPECT_EQ(chunk.txCount, 1025);
  ASSERT_EQ(chunk.bytes.size(), 1025u);
  EXPECT_EQ(chunk.bytes[255], 255);
  EXPECT_EQ(chunk.bytes[256], 255);
  EXPECT_EQ(chunk.bytes[257], 0);
}

}  // namespace
}  // namespace vport
