// The bits of General\Flags that the main window reads at start and rebuilds at close.
#pragma once

namespace app {

enum class ListMode { kDetails, kSmallIcons, kLargeIcons, kList };

struct FrameFlags {
  static constexpr int kTreeHidden = 0x01;
  static constexpr int kByPort = 0x02;
  static constexpr int kMultiSelect = 0x04;
  static constexpr int kListStyle = 0x10;
  static constexpr int kLargeIconStyle = 0x20;
  static constexpr int kOtherStyle = 0x40;  // details or small icons
  static constexpr int kStartMinimized = 0x100;
  static constexpr int kLowByte = 0xFF;

  bool treeShown = true;
  bool byPort = true;
  bool multiSelect = false;
  ListMode listMode = ListMode::kDetails;

  // What a start takes from stored: the tree (bit 0x01 clear shows it) and the list mode. By port
  // is on after every start and multi-selection off, whatever the bits say.
  static FrameFlags FromStored(int stored);
  static ListMode ListModeOf(int stored);
  // The value to store at close: the bits above the low byte of current (read again just before,
  // so that a bit another window changed meanwhile is kept) and the low byte rebuilt from this.
  int Rebuild(int current) const;
};

}  // namespace app
