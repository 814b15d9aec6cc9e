#include "app/CDesktopApp.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMetaObject>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QVersionNumber>

#include "app/AppCommandViews.h"
#include "app/BrandingInfo.h"
#include "app/CMainFrame.h"
#include "app/DesktopAppCommands.h"
#include "app/DesktopPortCommands.h"
#include "app/DesktopViews.h"
#include "app/ErrorReporter.h"
#include "app/StartupRefreshGuard.h"
#include "discovery/DiscoveryErrors.h"
#include "discovery/NetworkEnvironment.h"
#include "discovery/PleaseWaitDialog.h"
#include "discovery/PleaseWaitWindow.h"
#include "platform/GuiWaitPump.h"
#include "platform/QtLauncher.h"
#include "platform/QtPrompt.h"
#include "platform/RunningCopyClient.h"
#include "platform/RunningCopyServer.h"
#include "snmp/SnmpApi.h"
#include "views/CViewStore.h"
#include "vport/CVirtualPortTable.h"
#include "vport/PortReportCodec.h"
#include "vport/PortStatusWindows.h"
#include "vport/QtVirtualPortDialogs.h"

namespace app {

namespace {

// The oldest Qt runtime whose widgets the windows are written for.
const QVersionNumber kOldestToolkit(6, 2, 0);
constexpr int kRefreshCommand = 32789;
constexpr int kPortCollectMs = 50;

}  // namespace

CDesktopApp::CDesktopApp(QApplication& qt)
    : qt_(qt),
      prompt_(std::make_unique<platform::QtPrompt>()),
      launcher_(std::make_unique<platform::QtLauncher>()) {
  platform::InstallPrompt(prompt_.get());
  platform::InstallLauncher(launcher_.get());
  discovery::SetErrorReporter(&ReportError);
  platform::InstallGuiWaitPump([] {
    if (QThread::currentThread() != QCoreApplication::instance()->thread()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return true;
  });
}

CDesktopApp::~CDesktopApp() {
  // The searches stop before the window their engines post to goes; the store outlives the
  // panes that show it.
  if (views_) views_->Shutdown();
  appCommands_.reset();
  commandViews_.reset();
  portCommands_.reset();
  waitDialog_.reset();
  discovery::PleaseWaitWindow().SetMainWindow(nullptr);
  portCollector_.reset();
  if (portWindows_) portWindows_->SetTable(nullptr);
  portTable_.reset();
  portWindows_.reset();
  runningCopyServer_.reset();
  frame_.reset();
  views_.reset();
  platform::InstallGuiWaitPump(nullptr);
  discovery::SetErrorReporter(nullptr);
  platform::InstallLauncher(nullptr);
  platform::InstallPrompt(nullptr);
}

void CDesktopApp::CreatePortTable() {
  auto help = [this](unsigned topic) { WinHelp(topic); };
  portWindows_ = std::make_unique<vport::PortStatusWindows>(
      vport::PortStatusWindows::Services{prompt_.get(), nullptr, ApplicationName(), help});
  vport::CVirtualPortTable::Options options;
  options.caption = ApplicationName();
  options.observer = &portWindows_->Observer();
  portTable_ = std::make_unique<vport::CVirtualPortTable>(GetSettings().Store(),
                                                          GetSettings().RootPath(), options);
  portWindows_->SetTable(portTable_.get());
  // The stored ports come up side by side while the main window opens; closing it meanwhile
  // gives up the ones not yet made.
  portTable_->StartStoredPorts();
  portCollector_ = std::make_unique<QTimer>();
  portCollector_->setInterval(kPortCollectMs);
  QObject::connect(portCollector_.get(), &QTimer::timeout, [this] {
    if (portTable_ && portTable_->CollectStartedPorts(false)) portCollector_->stop();
  });
  portCollector_->start();
}

void CDesktopApp::CreatePleaseWaitWindow() {
  // Hidden, in foreground mode, owned by the main window; it shows itself during long waits.
  discovery::CPleaseWaitDlg& window = discovery::PleaseWaitWindow();
  window.SetMainWindow(&frame_->Poster());
  waitDialog_ = std::make_unique<discovery::PleaseWaitDialog>(window, frame_.get());
}

void CDesktopApp::RunNetworkProbe() {
  // Failures are reported by the probe itself; start-up goes on regardless.
  discovery::TheNetworkEnvironment().Probe();
}

bool CDesktopApp::LoadViews() {
  views_ = std::make_unique<DesktopViews>(GetSettings(), *frame_, *prompt_, portTable_.get(),
                                          ApplicationName());
  views_->SetHelp([this](unsigned topic) { WinHelp(topic); });
  return views_->Open();
}

void CDesktopApp::AttachViewStore(int setAppIcon) {
  // "/ns" skips the first refresh: the second and third characters of the command line decide,
  // so "/ns" given after another argument does not.
  const bool skipFirstRefresh = StartupRefreshGuard::AsksToSkip(CommandLineText());
  views_->Attach(setAppIcon, skipFirstRefresh);
  RegisterAppCommands();
  AttachPortCommands();
}

void CDesktopApp::RegisterAppCommands() {
  AppCommandContext context;
  context.caption = ApplicationName();
  context.branding = TheBranding();
  context.programPath = QCoreApplication::applicationFilePath().toStdString();
  context.help = [this](unsigned helpContext) { WinHelp(helpContext); };
  commandViews_ = DesktopAppCommands::ViewsOf(*views_, *frame_, *prompt_, ApplicationName());
  appCommands_ = std::make_unique<DesktopAppCommands>(*frame_, *commandViews_, GetSettings(),
                                                      *prompt_, std::move(context));
  appCommands_->Register();
}

void CDesktopApp::AttachPortCommands() {
  portDialogs_ = std::make_unique<vport::QtVirtualPortDialogs>(
      frame_.get(), [this](unsigned topic) { WinHelp(topic); });
  portCommands_ =
      std::make_unique<DesktopPortCommands>(frame_->Controller(), views_->Store(), portTable_.get(),
                                            *portDialogs_, *prompt_, ApplicationName());
}

void CDesktopApp::ShutdownNetwork() {
  // The ports go first: their threads use the network until they end.
  portCommands_.reset();
  portCollector_.reset();
  if (portWindows_) portWindows_->SetTable(nullptr);
  portTable_.reset();
  SnmpCleanup();
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
  frame_ = std::make_unique<CMainFrame>(GetSettings(), *prompt_, TheBranding());
  CMainFrame* frame = frame_.get();
  runningCopyServer_ = std::make_unique<platform::RunningCopyServer>([frame] {
    QMetaObject::invokeMethod(
        frame, [frame] { frame->RestoreAndRaise(); }, Qt::QueuedConnection);
  });
  // Another start's "/new /v NAME" (and Open in New Window) opens the view in this window.
  runningCopyServer_->SetOpenViewCallback([this, frame](const std::string& name) {
    QMetaObject::invokeMethod(
        frame, [this, name] { OpenViewFromRunningCopy(name); }, Qt::QueuedConnection);
  });
  // portolanctl ports status asks for the ports' figures; the board outlives the table.
  if (portTable_) {
    runningCopyServer_->SetPortStatusCallback(
        [board = portTable_->Board()](int64_t) -> std::optional<std::vector<uint8_t>> {
          return vport::PortReportCodec::Encode(board->Reports());
        });
  }
  runningCopyServer_->Start();
  frame->show();
  return true;
}

void CDesktopApp::OpenViewFromRunningCopy(const std::string& name) {
  if (appCommands_) {
    appCommands_->OpenViewHere(name);
  } else if (frame_) {
    frame_->RestoreAndRaise();  // the views are not there yet
  }
}

void CDesktopApp::PostRefreshCommand() {
  // The first list is built once the event loop runs.
  frame_->PostCommand(kRefreshCommand);
}

void CDesktopApp::HideMainWindow() {
  if (frame_) frame_->StartMinimized();
}

void CDesktopApp::OpenHelpTopic(const std::string& url) {
  platform::CurrentLauncher().OpenUrl(url);
}

platform::Prompt& CDesktopApp::GetPrompt() {
  return *prompt_;
}

}  // namespace app
