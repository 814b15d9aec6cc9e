// The application's commands in the desktop program: Search, Setup Unlisted IP Server, HTTP
// Session, E-Mail Support, Save IP list, the start-up options, About, Open in New Window, help
// and the placeholder boxes. Each is registered with the main window, which enables a command
// once it has a handler; the rules live in the Qt-free pieces of src/app, the dialogs in
// src/app/dialogs.
#pragma once

#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/BrandingInfo.h"

namespace platform {
class FileChooser;
class Launcher;
class Prompt;
}  // namespace platform

namespace app {

class AppCommandViews;
class CMainFrame;
class DesktopViews;
class Settings;
struct UnlistedServerForm;

struct AppCommandContext {
  std::string caption;  // the application name, the caption of the boxes
  BrandingInfo branding;
  std::string programPath;                     // what the autostart entry starts
  std::function<void(unsigned context)> help;  // opens a help topic (0: the contents)
  std::function<void(int code)> reportError;   // class 1; app::ReportError when empty
  std::function<int()> resetTimeout;           // seconds; Timeouts\ResetTimeout when empty
  std::function<bool()> tcpAvailable;          // the network environment when empty
  platform::Launcher* launcher = nullptr;      // the process-wide one when null
  platform::FileChooser* files = nullptr;      // the save-file dialog when null
};

class DesktopAppCommands {
 public:
  // The help context of the main window: above 100, so it opens the general topic.
  static constexpr unsigned kFrameHelpContext = 0x20080;
  // How often a view asked for while a dialog is open looks again whether it may open.
  static constexpr int kPendingViewMs = 200;

  DesktopAppCommands(CMainFrame& frame, AppCommandViews& views, Settings& settings,
                     platform::Prompt& prompt, AppCommandContext context);
  ~DesktopAppCommands();

  // Gives the main window a handler for every command of this set.
  void Register();
  // The running copy was asked to open a view (by another start with "/new /v NAME", or by Open
  // in New Window): the view opens here and the window comes to the front. GUI thread.
  void OpenViewHere(const std::string& viewName);

  // The views of the desktop program as the commands see them.
  static std::unique_ptr<AppCommandViews> ViewsOf(DesktopViews& views, CMainFrame& frame,
                                                  platform::Prompt& prompt, std::string caption);

 private:
  void RegisterSearchCommands();
  void RegisterLaunchCommands();
  void RegisterWindowCommands();
  void RegisterHelpCommands();
  void Search();
  void SetupUnlistedServer();
  bool RunUnlistedDialog(UnlistedServerForm& form);
  int ConfirmUnlisted(const UnlistedServerForm& form);
  void SaveIpList();
  void StartupOptions();
  void About();
  void OpenInNewWindow();
  void OpenPendingView();
  void ReportError(int code) const;
  platform::Launcher& Launcher() const;

  CMainFrame& frame_;
  AppCommandViews& views_;
  Settings& settings_;
  platform::Prompt& prompt_;
  AppCommandContext context_;
  std::unique_ptr<platform::FileChooser> ownFiles_;
  std::optional<std::string> pendingView_;  // asked for while a dialog was open
  QTimer pendingTimer_;
};

}  // namespace app
