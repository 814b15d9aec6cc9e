#include "app/CDesktopApp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLibraryInfo>
#include <QMetaObject>
#include <QScreen>
#include <QUrl>
#include <QVersionNumber>

#include "app/BrandingInfo.h"
#include "app/CMainFrame.h"
#include "platform/QtPrompt.h"
#include "platform/RunningCopyClient.h"
#include "platform/RunningCopyServer.h"

namespace app {

namespace {

// The oldest Qt runtime whose widgets the windows are written for.
const QVersionNumber kOldestToolkit(6, 2, 0);
constexpr int kRefreshCommand = 32789;

}  // namespace

CDesktopApp::CDesktopApp(QApplication& qt)
    : qt_(qt), prompt_(std::make_unique<platform::QtPrompt>()) {
  platform::InstallPrompt(prompt_.get());
}

CDesktopApp::~CDesktopApp() {
  runningCopyServer_.reset();
  frame_.reset();
  platform::InstallPrompt(nullptr);
}

bool CDesktopApp::ToolkitVersionSupported() {
  return QLibraryInfo::version() >= kOldestToolkit;
}

std::pair<int, int> CDesktopApp::DesktopSize() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return CKestrelApp::DesktopSize();
  QRect area = screen->geometry();
  return {area.width(), area.height()};
}

void CDesktopApp::RaiseRunningCopy() {
  platform::RunningCopyClient::RaiseRunningCopy();
}

bool CDesktopApp::CreateMainWindow() {
  frame_ = std::make_unique<CMainFrame>(QString::fromStdString(TheBranding().MainWindowTitle()));
  CMainFrame* frame = frame_.get();
  runningCopyServer_ = std::make_unique<platform::RunningCopyServer>([frame] {
    QMetaObject::invokeMethod(
        frame, [frame] { frame->RestoreAndRaise(); }, Qt::QueuedConnection);
  });
  runningCopyServer_->Start();
  frame->show();
  return true;
}

void CDesktopApp::PostRefreshCommand() {
  // The first list is built once the event loop runs.
  CMainFrame* frame = frame_.get();
  QMetaObject::invokeMethod(
      frame, [frame] { frame->HandleMessage(kRefreshCommand, 0, 0); }, Qt::QueuedConnection);
}

void CDesktopApp::HideMainWindow() {
  if (frame_) frame_->hide();
}

void CDesktopApp::OpenHelpTopic(const std::string& url) {
  QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

platform::Prompt& CDesktopApp::GetPrompt() {
  return *prompt_;
}

}  // namespace app
