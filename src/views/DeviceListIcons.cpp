#include "views/DeviceListIcons.h"

#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <array>

namespace views {
namespace {

constexpr std::array<const char*, 4> kLevels = {"good", "warning", "error", "firmware"};

// SVG drawn on its own grid at each size the list asks for, so that lines stay sharp.
void AddRendered(QIcon& icon, const QString& path, int size) {
  for (const int scale : {1, 2}) {
    QImageReader reader(path);
    reader.setScaledSize(QSize(size * scale, size * scale));
    QImage image = reader.read();
    if (image.isNull()) continue;
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(scale);
    icon.addPixmap(pixmap);
  }
}

QIcon Load(const char* kind, const char* level) {
  QIcon icon;
  const QString base = QStringLiteral(":/icons/list/%1-%2-").arg(kind, level);
  AddRendered(icon, base + "16.svg", 16);
  AddRendered(icon, base + "32.svg", 32);
  return icon;
}

}  // namespace

QIcon DeviceListIcons::Image(int index) {
  static const std::array<QIcon, 10> images = [] {
    std::array<QIcon, 10> loaded;
    for (size_t level = 0; level < kLevels.size(); ++level) {
      loaded[1 + level] = Load("port", kLevels[level]);
      loaded[6 + level] = Load("device", kLevels[level]);
    }
    return loaded;
  }();
  if (index < 0 || index >= static_cast<int>(images.size())) return {};
  return images[static_cast<size_t>(index)];
}

QString DeviceListIcons::CheckBoxPath(bool checked) {
  return checked ? QStringLiteral(":/icons/list/check-on-16.svg")
                 : QStringLiteral(":/icons/list/check-off-16.svg");
}

}  // namespace views
