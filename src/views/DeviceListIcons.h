// The device list's pictures: the status images of ports (1...4) and devices (6...9), in the
// order good, warning, error, firmware update, each at 16 and 32 pixels (and twice that for
// high-density screens), and the check box of multi-selection mode.
#pragma once

#include <QIcon>
#include <QString>

namespace views {

class DeviceListIcons {
 public:
  // The image of index; an empty icon for indices outside the lists.
  static QIcon Image(int index);
  // Resource paths of the check box pictures (for the views' style sheets).
  static QString CheckBoxPath(bool checked);
};

}  // namespace views
