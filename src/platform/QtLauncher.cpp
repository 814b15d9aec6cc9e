#include "platform/QtLauncher.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/RunningCopyClient.h"

namespace platform {

bool QtLauncher::OpenUrl(const std::string& url) {
  // Strict parsing keeps our percent-encoding as it is; a malformed address opens nothing.
  const QUrl parsed = QUrl::fromEncoded(QByteArray::fromStdString(url), QUrl::StrictMode);
  if (!parsed.isValid() || parsed.isEmpty()) return false;
  return QDesktopServices::openUrl(parsed);
}

bool QtLauncher::OpenMail(const std::string& address, const std::string& subject) {
  return OpenUrl(MailtoUrl(address, subject));
}

bool QtLauncher::HandToRunningCopy(const std::vector<std::string>& args) {
  return RunningCopyClient::HandOver(args);
}

}  // namespace platform
