// The desktop program's application object: the start-up steps that need windows, on Qt.
#pragma once

#include <memory>
#include <string>

#include "app/CKestrelApp.h"

class QApplication;
class QTimer;

namespace platform {
class Prompt;
class QtLauncher;
class RunningCopyServer;
}  // namespace platform

namespace discovery {
class PleaseWaitDialog;
}

namespace vport {
class CVirtualPortTable;
class PortStatusWindows;
class QtVirtualPortDialogs;
}  // namespace vport

namespace app {

class AppCommandViews;
class CMainFrame;
class DesktopAppCommands;
class DesktopPortCommands;
class DesktopViews;

class CDesktopApp : public CKestrelApp {
 public:
  explicit CDesktopApp(QApplication& qt);
  ~CDesktopApp() override;

  CMainFrame* MainFrame() const { return frame_.get(); }
  DesktopViews* Views() const { return views_.get(); }
  vport::CVirtualPortTable* PortTable() const { return portTable_.get(); }

 protected:
  bool ToolkitVersionSupported() override;
  std::pair<int, int> DesktopSize() override;
  void RaiseRunningCopy() override;
  void CreatePortTable() override;
  bool CreateMainWindow() override;
  void CreatePleaseWaitWindow() override;
  void RunNetworkProbe() override;
  bool LoadViews() override;
  void AttachViewStore(int setAppIcon) override;
  void PostRefreshCommand() override;
  void HideMainWindow() override;
  void OpenHelpTopic(const std::string& url) override;
  platform::Prompt& GetPrompt() override;
  void ShutdownNetwork() override;

 private:
  void RegisterAppCommands();
  void AttachPortCommands();
  void OpenViewFromRunningCopy(const std::string& name);

  QApplication& qt_;
  std::unique_ptr<platform::Prompt> prompt_;
  std::unique_ptr<platform::QtLauncher> launcher_;
  // The ports' status windows outlive the table whose threads report to them.
  std::unique_ptr<vport::PortStatusWindows> portWindows_;
  std::unique_ptr<vport::CVirtualPortTable> portTable_;
  // Takes the outcome of the stored ports as they come up, while the windows already run.
  std::unique_ptr<QTimer> portCollector_;
  std::unique_ptr<CMainFrame> frame_;
  std::unique_ptr<DesktopViews> views_;
  std::unique_ptr<AppCommandViews> commandViews_;
  std::unique_ptr<DesktopAppCommands> appCommands_;
  std::unique_ptr<vport::QtVirtualPortDialogs> portDialogs_;
  std::unique_ptr<DesktopPortCommands> portCommands_;
  std::unique_ptr<discovery::PleaseWaitDialog> waitDialog_;
  std::unique_ptr<platform::RunningCopyServer> runningCopyServer_;
};

}  // namespace app
