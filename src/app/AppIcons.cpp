#include "app/AppIcons.h"

#include <map>

#include "app/FrameIds.h"

namespace app {

QIcon AppIcon(int iconId) {
  // Each level is drawn twice: for 16 pixels (and its 2x) and for 32 pixels and up.
  static const std::map<int, const char*> kNames = {{128, "portolan"},
                                                    {143, "portolan-error"},
                                                    {144, "portolan-warning"},
                                                    {145, "portolan-good"}};
  auto it = kNames.find(iconId);
  const QString name = QString::fromLatin1(it != kNames.end() ? it->second : kNames.at(128));
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/app/%1-16.svg").arg(name), QSize(16, 16));
  icon.addFile(QStringLiteral(":/icons/app/%1.svg").arg(name), QSize(32, 32));
  return icon;
}

QIcon CommandIcon(int commandId) {
  static const std::map<int, const char*> kFiles = {
      {cmd::kExit, "exit"},
      {cmd::kVirtualPort, "virtual-port"},
      {cmd::kConnectionStatus, "connection-status"},
      {cmd::kSearch, "search"},
      {cmd::kHelpIndex, "help"},
      {cmd::kLargeIcons, "large-icons"},
      {cmd::kSmallIcons, "small-icons"},
      {cmd::kDetails, "details"},
      {cmd::kList, "list"},
      {cmd::kStop, "stop"},
      {cmd::kRefresh, "refresh"},
      {cmd::kModifyCurrentView, "modify-view"},
      {cmd::kShowViewTree, "view-tree"},
      {cmd::kMultiConfigure, "multi-configure"},
  };
  auto it = kFiles.find(commandId);
  if (it == kFiles.end()) return QIcon();
  return QIcon(QStringLiteral(":/icons/bar/%1.svg").arg(QString::fromLatin1(it->second)));
}

}  // namespace app
