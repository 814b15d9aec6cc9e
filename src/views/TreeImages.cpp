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
  constexpr int kFirstViewImage = 16;
  if (index >= kFirstViewImage) return QStringLiteral("View picture %1").arg(index - 15);
  return QStringLiteral("Folder %1").arg(index / 2 + 1);
}

}  // namespace views
