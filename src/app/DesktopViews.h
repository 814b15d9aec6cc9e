// The desktop program's views: the view store over the settings, its engines posting to the main
// window, the device list, the view tree and the view selector, and the commands that open,
// refresh, delete and add views. Made at start-up once the main window exists (Open), attached
// to it afterwards (Attach).
#pragma once

#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "views/ViewStoreHost.h"

namespace discovery {
class CDeviceRecord;
}
namespace platform {
class Prompt;
}
namespace vport {
class CVirtualPortTable;
}
namespace views {
class CKestrelView;
class CLeftView;
class CViewNode;
class CViewStore;
class FrameStoreLink;
class ViewSelector;
}  // namespace views

namespace app {

class CMainFrame;
class DesktopDeviceCommands;
class Settings;
class ListPaneLink;

class DesktopViews : public views::ViewStoreHost {
 public:
  DesktopViews(Settings& settings, CMainFrame& frame, platform::Prompt& prompt,
               vport::CVirtualPortTable* ports, std::string caption);
  ~DesktopViews() override;

  // Loads the views and the current one; false when there is none and the user would not make
  // one (the start ends).
  bool Open();
  // Hands the store and the panes to the main window, registers the view commands.
  void Attach(int setAppIcon, bool skipFirstRefresh);
  // Before the main window goes: takes the device commands off it, stops the searches and lets
  // go of the list.
  void Shutdown();

  // Opens a help topic by number (the options sheet's Help).
  void SetHelp(std::function<void(unsigned)> help) { help_ = std::move(help); }

  views::CViewStore& Store() { return *store_; }
  views::CLeftView* Tree() const;
  views::CKestrelView* List() const;

  // views::ViewStoreHost
  intptr_t SendMessage(uint32_t id, intptr_t wParam, intptr_t lParam) override;
  bool PostMessage(uint32_t id, intptr_t wParam, intptr_t lParam) override;
  bool SetTimer(uint32_t id, uint32_t ms) override;
  void KillTimer(uint32_t id) override;

 private:
  void RegisterCommands(bool skipFirstRefresh);
  // Modify, new view and Select a View: the customize sheet and its dialogs.
  void RegisterViewSheetCommands();
  // Network Information and Reset Server on the selected device.
  void RegisterDeviceCommands();
  void ResetDevice(discovery::CDeviceRecord& record, const views::CViewNode& view);
  void EnterIpAddress(discovery::CDeviceRecord& record);
  // The options sheet (32776) and what its OK changes in the windows.
  void RunOptionsSheet();
  void Refresh();
  bool CurrentViewSearchable();

  Settings& settings_;
  CMainFrame& frame_;
  platform::Prompt& prompt_;
  std::string caption_;
  std::unique_ptr<views::CViewStore> store_;
  std::unique_ptr<views::FrameStoreLink> link_;
  std::unique_ptr<ListPaneLink> listPane_;
  std::unique_ptr<DesktopDeviceCommands> devices_;
  QPointer<views::CKestrelView> list_;
  QPointer<views::CLeftView> tree_;
  QPointer<views::ViewSelector> selector_;
  QTimer timer_;
  bool skipRefresh_ = false;
  std::function<void(unsigned)> help_;
};

}  // namespace app
