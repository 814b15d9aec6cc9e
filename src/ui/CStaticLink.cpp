#include "ui/CStaticLink.h"

#include "platform/Launcher.h"

namespace ui {

CStaticLink::CStaticLink(const std::string& address, const std::string& text,
                         platform::Launcher* launcher, QWidget* parent)
    : QLabel(parent), address_(address), launcher_(launcher) {
  const QString shown = QString::fromStdString(text.empty() ? address : text);
  setText(QStringLiteral("<a href=\"#\">%1</a>").arg(shown.toHtmlEscaped()));
  setTextFormat(Qt::RichText);
  setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  setAccessibleName(shown);
  // The address goes to the launcher as it is, never through the label's own URL handling.
  setOpenExternalLinks(false);
  connect(this, &QLabel::linkActivated, this, [this](const QString&) { Open(); });
}

bool CStaticLink::Open() {
  if (address_.empty()) return false;
  platform::Launcher& launcher = launcher_ != nullptr ? *launcher_ : platform::CurrentLauncher();
  return launcher.OpenUrl(address_);
}

}  // namespace ui
