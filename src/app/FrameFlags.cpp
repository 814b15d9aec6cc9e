#include "app/FrameFlags.h"

namespace app {

ListMode FrameFlags::ListModeOf(int stored) {
  if (stored & kListStyle) return ListMode::kList;
  if (stored & kLargeIconStyle) return ListMode::kLargeIcons;
  return ListMode::kDetails;
}

FrameFlags FrameFlags::FromStored(int stored) {
  FrameFlags flags;
  flags.treeShown = (stored & kTreeHidden) == 0;
  flags.listMode = ListModeOf(stored);
  return flags;
}

int FrameFlags::Rebuild(int current) const {
  int low = 0;
  if (byPort) low |= kByPort;
  if (multiSelect) low |= kMultiSelect;
  if (!treeShown) low |= kTreeHidden;
  switch (listMode) {
    case ListMode::kList:
      low |= kListStyle;
      break;
    case ListMode::kLargeIcons:
      low |= kLargeIconStyle;
      break;
    case ListMode::kDetails:
    case ListMode::kSmallIcons:
      low |= kOtherStyle;
      break;
  }
  return (current & ~kLowByte) | low;
}

}  // namespace app
