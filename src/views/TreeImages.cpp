#include "views/TreeImages.h"

#include <QFile>

namespace views {

namespace {

QString FileOf(int index) {
  return QStringLiteral(":/icons/tree/%1.svg").arg(index, 2, 10, QLatin1Char('0'));
}

}  // namespace

int TreeImageCount() {
  static const int count = [] {
    int n = 0;
    while (QFile::exists(FileOf(n))) ++n;
    return n;
  }();
  return count;
}

QIcon TreeImage(int index) {
  if (index < 0 || index >= TreeImageCount()) index = index >= 16 ? 16 : (index & 1);
  return QIcon(FileOf(index));
}

QString TreeImageName(int index) {
  // What each picture shows (tools/icons/make_icons.py draws them in this order).
  static const char* const kFolders[] = {
      "Folder",           "Folder, blue mark",   "Folder, green mark", "Folder, amber mark",
      "Folder, red mark", "Folder, violet mark", "Folder of servers",  "Folder, globe"};
  static const char* const kViews[] = {
      "Device servers",   "Print servers",          "Serial ports",        "Wireless servers",
      "Filtered servers", "Servers not configured", "Servers with faults", "Servers to update"};
  constexpr int kFirstViewImage = 16;
  if (index >= kFirstViewImage) {
    const int view = index - kFirstViewImage;
    return view < 8 ? QString::fromLatin1(kViews[view])
                    : QStringLiteral("View picture %1").arg(view + 1);
  }
  return QString::fromLatin1(kFolders[(index < 0 ? 0 : index / 2) % 8]);
}

}  // namespace views
