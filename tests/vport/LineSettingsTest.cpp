#include <gtest/gtest.h>

#include "vport/LineSettings.h"
#include "vport/Rfc2217Frames.h"

namespace vport {
namespace {

TEST(LineSettings, ParsesEveryAcceptedForm) {
  struct Case {
    const char* text;
    LineSettings line;
    const char* shown;
  };
  const Case cases[] = {
      {"8N1", {8, 0, 0}, "8N1"},     {"7E1", {7, 2, 0}, "7E1"}, {"8N2", {8, 0, 2}, "8N2"},
      {"7o1", {7, 1, 0}, "7O1"},     {"8M1", {8, 3, 0}, "8M1"}, {"8s2", {8, 4, 2}, "8S2"},
      {"5N1.5", {5, 0, 1}, "5N1.5"}, {"6E2", {6, 2, 2}, "6E2"},
  };
  for (const Case& c : cases) {
    const auto line = LineSettings::Parse(c.text);
    ASSERT_TRUE(line) << c.text;
    EXPECT_EQ(*line, c.line) << c.text;
    EXPECT_EQ(line->Text(), c.shown) << c.text;
  }
}

TEST(LineSettings, RefusesEverythingElse) {
  for (const char* text : {"", "8", "8N", "9N1", "4N1", "0N1", "8X1", "8N3", "8N0", "8N1.0", "8N1 ",
                           " 8N1", "8-N-1", "8N15", "78N1", "8NN1", "E71"}) {
    EXPECT_FALSE(LineSettings::Parse(text)) << '"' << text << '"';
  }
}

TEST(LineSettings, FixedLineReplacesTheObservedOneOnly) {
  ComPortSettings observed;
  observed.baudRate = 9600;
  observed.stopBits = 2;
  const auto fixed = WithFixedLine(observed, LineSettings{7, 2, 0});
  EXPECT_EQ(fixed.baudRate, 9600u);
  EXPECT_EQ(fixed.stopBits, 0);
  EXPECT_EQ(fixed.parity, 2);
  EXPECT_EQ(fixed.wordLength, 7);
  const auto same = WithFixedLine(observed, std::nullopt);
  EXPECT_EQ(same.stopBits, 2);
  EXPECT_FALSE(same.parity);
  EXPECT_FALSE(same.wordLength);
}

// 7E1 on the wire: stop size 1, parity 3 (even), data size 7, in that order.
TEST(LineSettings, SevenEvenOneGivesTheLineControlFrames) {
  const auto frames = SettingsFrames(WithFixedLine({}, LineSettings::Parse("7E1")));
  const Frames expected = {{255, 250, 44, 4, 1, 255, 240},
                           {255, 250, 44, 3, 3, 255, 240},
                           {255, 250, 44, 2, 7, 255, 240}};
  EXPECT_EQ(frames, expected);
}

}  // namespace
}  // namespace vport
