// The program's pictures by resource id: the application icons by status level (128, 143, 144,
// 145), the buttons of the bars by command id.
#pragma once

#include <QIcon>

namespace app {

QIcon AppIcon(int iconId);
// The picture of a command's button or menu item; a null icon for commands without one.
QIcon CommandIcon(int commandId);

}  // namespace app
