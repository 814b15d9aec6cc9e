// The bars and the window placement through the settings file: what close writes, a new start
// reads back the same; stored band ids 129,129,129; rectangles off today's screens; splitter
// widths that leave the list no room.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "app/BandLayout.h"
#include "app/FrameFlags.h"
#include "app/Settings.h"
#include "app/WindowPlacement.h"
#include "platform/RegistryStore.h"

namespace app {
void PrintTo(const Rect& r, std::ostream* out) {
  *out << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}
}  // namespace app

namespace {

using app::Band;
using app::BandLayout;
using app::Rect;
using app::WindowPlacement;

class FrameLayoutTest : public ::testing::Test {
 protected:
  // A fresh store over the same file each time: what a new start would read.
  app::Settings& Reopen() {
    settings_.reset();
    store_ = std::make_unique<platform::RegistryStore>(dir_.Folder() + "registry.reg");
    settings_ = std::make_unique<app::Settings>(*store_);
    return *settings_;
  }

  TempDir dir_;
  std::unique_ptr<platform::RegistryStore> store_;
  std::unique_ptr<app::Settings> settings_;
};

TEST_F(FrameLayoutTest, DefaultsPutTheAnimationFirst) {
  auto bands = BandLayout::Read(Reopen());
  ASSERT_EQ(bands.size(), 3u);
  EXPECT_EQ(bands[0], (Band{155, 57, 34}));
  EXPECT_EQ(bands[1], (Band{154, 32767 + 4, 33}));
  EXPECT_EQ(bands[2], (Band{129, 32767 + 4, 33}));
}

TEST_F(FrameLayoutTest, ThreeTimesTheMainToolbarAppendsTheOthers) {
  for (const char* bar : {"Bar1", "Bar2", "Bar3"}) {
    Reopen().WriteInt(std::string("General\\ControlBars\\") + bar, "ID", 129);
  }
  auto bands = BandLayout::Read(Reopen());
  ASSERT_EQ(bands.size(), 3u);
  EXPECT_EQ(bands[0].id, 129);
  EXPECT_EQ(bands[1].id, 154);
  EXPECT_EQ(bands[2].id, 155);
  EXPECT_EQ(bands[2].style, 34);
}

TEST_F(FrameLayoutTest, UnknownIdsInsertNothingAtTheirIndex) {
  app::Settings& s = Reopen();
  s.WriteInt("General\\ControlBars\\Bar1", "ID", 7);
  s.WriteInt("General\\ControlBars\\Bar2", "ID", 129);
  s.WriteInt("General\\ControlBars\\Bar2", "Width", 300);
  s.WriteInt("General\\ControlBars\\Bar2", "Style", 0x08 | 0x21);
  auto bands = BandLayout::Read(Reopen());
  ASSERT_EQ(bands.size(), 3u);
  EXPECT_EQ(bands[0], (Band{129, 304, 0x29}));
  EXPECT_EQ(bands[1].id, 154);  // Bar3's default (129) is placed already: both appended
  EXPECT_EQ(bands[2].id, 155);
}

TEST_F(FrameLayoutTest, AStoredWidthOfZeroStaysZero) {
  // 0 means "as wide as the row allows": it must not grow like a measured width.
  app::Settings& s = Reopen();
  s.WriteInt("General\\ControlBars\\Bar1", "ID", 154);
  s.WriteInt("General\\ControlBars\\Bar1", "Width", 0);
  auto bands = BandLayout::Read(Reopen());
  ASSERT_FALSE(bands.empty());
  EXPECT_EQ(bands[0].id, 154);
  EXPECT_EQ(bands[0].width, 0);
}

TEST_F(FrameLayoutTest, SavedBandsComeBackInTheirOrder) {
  BandLayout::Write(Reopen(), {Band{129, 250, 0x21}, Band{154, 300, 0x20}, Band{155, 57, 0x22}});
  auto bands = BandLayout::Read(Reopen());
  ASSERT_EQ(bands.size(), 3u);
  EXPECT_EQ(bands[0], (Band{129, 250 + 9 + 4, 0x21}));
  EXPECT_EQ(bands[1], (Band{154, 300 + 9 + 4, 0x20}));
  EXPECT_EQ(bands[2], (Band{155, 57, 0x22}));
  EXPECT_EQ(Reopen().GetInt("General\\ControlBars\\Bar3", "Width", -1), 9);
}

TEST_F(FrameLayoutTest, PlacementRoundTripAndDefault) {
  EXPECT_EQ(WindowPlacement::Read(Reopen(), 1024, 768), (Rect{202, 164, 822, 604}));
  WindowPlacement::Write(Reopen(), Rect{-5, 3, 700, 500});
  EXPECT_EQ(WindowPlacement::Read(Reopen(), 1024, 768), (Rect{-5, 3, 700, 500}));
}

TEST_F(FrameLayoutTest, FirstStartShowsTheFirstViewsColumnsWithinTheScreen) {
  EXPECT_FALSE(WindowPlacement::IsStored(Reopen()));
  const int columns = WindowPlacement::ColumnsWidth(app::CKestrelApp::kFirstViewColumns);
  EXPECT_EQ(columns, 140 + 100 + 100 + 70 + 110 + 40 + 140);
  EXPECT_EQ(WindowPlacement::ColumnsWidth("System Name,Nope,IP Address"), 140);
  struct Case {
    int columns;
    Rect available;
    Rect expected;
  };
  const Case cases[] = {
      {columns, {0, 0, 1280, 900}, {191, 190, 1089, 710}},        // 150 + 700 + 48 wide
      {columns, {0, 0, 800, 600}, {32, 40, 768, 560}},            // the screen less its margins
      {0, {0, 0, 1280, 900}, {330, 190, 950, 710}},               // never below 620 wide
      {columns, {1280, 24, 2560, 1024}, {1471, 264, 2369, 784}},  // centred on that area
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowPlacement::FirstStartRect(c.columns, c.available), c.expected);
  }
  WindowPlacement::Write(Reopen(), Rect{10, 10, 700, 500});
  EXPECT_TRUE(WindowPlacement::IsStored(Reopen()));
}

TEST_F(FrameLayoutTest, ARectangleOnAScreenStaysWhereItIs) {
  std::vector<Rect> screens = {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}};
  Rect onSecond{2000, 100, 2800, 700};
  EXPECT_EQ(WindowPlacement::BringOnScreen(onSecond, screens), onSecond);
  Rect partlyOff{-300, 50, 500, 600};  // enough of its title bar shows
  EXPECT_EQ(WindowPlacement::BringOnScreen(partlyOff, screens), partlyOff);
}

TEST_F(FrameLayoutTest, ARectangleOnAScreenThatIsGoneComesBack) {
  std::vector<Rect> screens = {{0, 0, 1280, 800}};
  // Left on a second monitor that is unplugged now.
  Rect gone = WindowPlacement::BringOnScreen(Rect{2000, 100, 2800, 700}, screens);
  EXPECT_EQ(gone, (Rect{480, 100, 1280, 700}));
  // Title bar above the screen: moved down, size kept.
  EXPECT_EQ(WindowPlacement::BringOnScreen(Rect{100, -500, 700, 0}, screens),
            (Rect{100, 0, 700, 500}));
  // Title bar above two screens, most of the window on the second: it goes to the second.
  std::vector<Rect> two = {{0, 0, 1280, 800}, {1280, 0, 2560, 800}};
  EXPECT_EQ(WindowPlacement::BringOnScreen(Rect{1100, -300, 1900, 400}, two),
            (Rect{1280, 0, 2080, 700}));
  // Off the screen and larger than it: shrunk to it.
  EXPECT_EQ(WindowPlacement::BringOnScreen(Rect{3000, 2000, 7000, 5000}, screens),
            (Rect{0, 0, 1280, 800}));
}

TEST_F(FrameLayoutTest, ARectangleWithoutAreaTakesTheDefaultSize) {
  std::vector<Rect> screens = {{0, 0, 1280, 800}, {1280, 0, 2560, 800}};
  EXPECT_EQ(WindowPlacement::BringOnScreen(Rect{0, 0, 0, 0}, screens), (Rect{330, 180, 950, 620}));
  EXPECT_EQ(WindowPlacement::BringOnScreen(Rect{900, 900, 100, 100}, screens),
            (Rect{330, 180, 950, 620}));
}

TEST_F(FrameLayoutTest, SplitterBroughtBackIntoTheWindow) {
  EXPECT_EQ(WindowPlacement::ClampSplitter(150, 620), 150);
  EXPECT_EQ(WindowPlacement::ClampSplitter(0, 620), 0);  // the pane starts hidden
  EXPECT_EQ(WindowPlacement::ClampSplitter(-40, 620), 150);
  EXPECT_EQ(WindowPlacement::ClampSplitter(5000, 620), 206);
  EXPECT_EQ(WindowPlacement::ClampSplitter(560, 620), 206);  // the list would keep 60 pixels
}

TEST_F(FrameLayoutTest, FlagsLowByteByListMode) {
  app::FrameFlags flags;
  flags.listMode = app::ListMode::kSmallIcons;
  EXPECT_EQ(flags.Rebuild(0xFFFF), 0xFF00 | 0x02 | 0x40);
  flags.treeShown = false;
  flags.byPort = false;
  flags.listMode = app::ListMode::kList;
  EXPECT_EQ(flags.Rebuild(0x100), 0x100 | 0x01 | 0x10);
}

}  // namespace

namespace {

TEST_F(FrameLayoutTest, AStoredWidthComesBackAsTheBarsWidthExceptLastInItsRow) {
  // Main toolbar 250 wide and the view bar in one row, the animation on a row of its own.
  BandLayout::Write(Reopen(), {Band{129, 250, 0x21}, Band{154, 300, 0x20}, Band{155, 57, 0x23}});
  const std::vector<Band> bands = BandLayout::Read(Reopen());
  ASSERT_EQ(bands.size(), 3u);
  EXPECT_EQ(BandLayout::ChildWidth(bands, 0), 250);  // saved and read again: as it was
  EXPECT_EQ(BandLayout::ChildWidth(bands, 1), 0);    // last in its row
  EXPECT_EQ(BandLayout::ChildWidth(bands, 2), 0);    // the animation is fixed
  EXPECT_EQ(BandLayout::ChildWidth(bands, 3), 0);
  const std::vector<Band> unset = {Band{129, 32767 + 4, 0x21}, Band{154, 0, 0x20},
                                   Band{155, 57, 0x22}};
  EXPECT_EQ(BandLayout::ChildWidth(unset, 0), 0);  // the default: as wide as the row allows
  EXPECT_EQ(BandLayout::ChildWidth(unset, 1), 0);
  EXPECT_EQ(BandLayout::ChildWidth({Band{129, 10, 0x21}, Band{154, 0, 0x20}}, 0), 0);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(BandLayout::ChildWidth(BandLayout::FirstStart(), i), 0);
}

TEST_F(FrameLayoutTest, FirstStartIsOneRowUntilALayoutIsStored) {
  EXPECT_FALSE(BandLayout::IsStored(Reopen()));
  for (const Band& band : BandLayout::FirstStart()) {
    EXPECT_EQ(band.style & BandLayout::kBreak, 0) << band.id;
  }
  BandLayout::Write(Reopen(), BandLayout::FirstStart());
  EXPECT_TRUE(BandLayout::IsStored(Reopen()));
  EXPECT_EQ(BandLayout::Read(Reopen())[0].id, 129);
}

}  // namespace
