#include "app/DesktopViews.h"

#include <QApplication>
#include <QSaveFile>

#include "app/AppSettings.h"
#include "app/CMainFrame.h"
#include "app/COptionsPropertySheet.h"
#include "app/DesktopDeviceCommands.h"
#include "app/DeviceAccessList.h"
#include "app/EnterIpAddressCommand.h"
#include "app/ErrorReporter.h"
#include "app/FrameIds.h"
#include "app/FramePanes.h"
#include "app/OemBrandTable.h"
#include "app/Settings.h"
#include "app/ViewAvailability.h"
#include "app/dialogs/CEnterIpAddressDlg.h"
#include "app/options/OptionsSheet.h"
#include "devices/CInvalidCommunityDlg.h"
#include "devices/CNetworkInfoDlg.h"
#include "devices/CResetServerDlg.h"
#include "devices/NetworkInfoController.h"
#include "devices/ResetServerController.h"
#include "discovery/CDeviceRecord.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/CIpDiscoveryEngine.h"
#include "discovery/NetworkEnvironment.h"
#include "discovery/PleaseWaitWindow.h"
#include "platform/Prompt.h"
#include "platform/SystemClock.h"
#include "res/StringTable.h"
#include "views/CKestrelView.h"
#include "views/CLeftView.h"
#include "views/CSelectViewDlg.h"
#include "views/CViewStore.h"
#include "views/CustomizeViewHooks.h"
#include "views/CustomizeViewSheet.h"
#include "views/DeviceListModel.h"
#include "views/FrameStoreLink.h"
#include "views/IpEngineFactory.h"
#include "views/ViewSelector.h"
#include "vport/CVirtualPortTable.h"

namespace app {

namespace {
// Where a dialog's Help goes when the dialog has no topic of its own: its help context lies
// above 100, which opens the general topic.
constexpr unsigned kGeneralHelpTopic = 5;
constexpr unsigned kSettingIpAddressText = 6135;  // "Setting IP address"
}  // namespace

// The store as the main window sees it; with PORTOLAN_LIST_DUMP set, each finished search also
// writes what the list shows to that file (a line per row, cells separated by tabs), so that tests
// and scripts outside the process can read the window's list.
class DumpingStoreLink : public views::FrameStoreLink {
 public:
  DumpingStoreLink(views::CViewStore& store, QPointer<views::CKestrelView>& list)
      : FrameStoreLink(store), list_(list), path_(qEnvironmentVariable("PORTOLAN_LIST_DUMP")) {}
  void SearchDone() override {
    FrameStoreLink::SearchDone();
    if (!path_.isEmpty() && list_ != nullptr) Dump();
  }
  // The stop-search prologue: the wait cursor shows while a running search is cancelled.
  void Stop() override {
    const bool waiting = Store().IsSearching();
    if (waiting) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    FrameStoreLink::Stop();
    if (waiting) QGuiApplication::restoreOverrideCursor();
  }

 private:
  void Dump() const {
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return;
    const QAbstractItemModel* model = list_->Model();
    for (int row = 0; row < model->rowCount(); ++row) {
      QStringList cells;
      for (int column = 0; column < model->columnCount(); ++column) {
        cells << model->data(model->index(row, column), Qt::DisplayRole).toString();
      }
      file.write((cells.join('\t') + '\n').toUtf8());
    }
    file.commit();
  }

  QPointer<views::CKestrelView>& list_;
  QString path_;
};

// The device list as the main window sees it.
class ListPaneLink : public FrameListPane {
 public:
  explicit ListPaneLink(views::CKestrelView& list) : list_(list) {}
  QWidget* Widget() override { return &list_; }
  void SetMultiSelect(bool on) override { list_.SetMultiSelect(on); }
  void SetListMode(ListMode mode) override {
    switch (mode) {
      case ListMode::kDetails:
        list_.SetListMode(views::CKestrelView::kDetails);
        break;
      case ListMode::kSmallIcons:
        list_.SetListMode(views::CKestrelView::kSmallIcons);
        break;
      case ListMode::kLargeIcons:
        list_.SetListMode(views::CKestrelView::kLargeIcons);
        break;
      case ListMode::kList:
        list_.SetListMode(views::CKestrelView::kList);
        break;
    }
  }
  void ArrangeIcons() override { list_.ArrangeIcons(); }
  void CheckAllRows(bool checked) override { list_.SetAllChecked(checked); }
  bool HasSelection() const override { return list_.GetSelectedRow() >= 0; }
  int RowCount() const override { return list_.GetRowCount(); }

 private:
  views::CKestrelView& list_;
};

DesktopViews::DesktopViews(Settings& settings, CMainFrame& frame, platform::Prompt& prompt,
                           vport::CVirtualPortTable* ports, std::string caption)
    : settings_(settings), frame_(frame), prompt_(prompt), caption_(std::move(caption)) {
  store_ = std::make_unique<views::CViewStore>(settings_, views::IpEngineFactory(&frame_.Poster()));
  list_ = new views::CKestrelView(&frame_);
  link_ = std::make_unique<DumpingStoreLink>(*store_, list_);
  list_->setAccessibleName(QObject::tr("Devices"));
  list_->SetStore(store_.get());
  listPane_ = std::make_unique<ListPaneLink>(*list_);
  store_->SetListControl(list_);
  store_->SetPrompt(&prompt_);
  store_->SetCaption(caption_);
  store_->SetUdpAvailable((discovery::TheNetworkEnvironment().GetFlags() &
                           discovery::NetworkEnvironment::kFlagUdp) != 0);
  store_->SetWaitWindow(&discovery::PleaseWaitWindow());
  if (ports != nullptr) {
    store_->SetPortLookup(
        [ports](const std::string& hw, int port) { return ports->FindPort(hw, port); });
  }
  // Before Open: with no view stored, Open runs the new-view wizard through these hooks.
  views::CustomizeViewHooks::Connect(*store_, settings_,
                                     views::CustomizeViewSheet::Runner(*store_, &frame_), &prompt_);
  QObject::connect(&timer_, &QTimer::timeout, &frame_, [this] { frame_.OnStoreTimer(); });
}

DesktopViews::~DesktopViews() {
  Shutdown();
}

views::CLeftView* DesktopViews::Tree() const {
  return tree_;
}

views::CKestrelView* DesktopViews::List() const {
  return list_;
}

void DesktopViews::Shutdown() {
  if (!store_) return;
  timer_.stop();
  devices_.reset();  // its commands leave the main window, which goes before the views
  store_->Stop(true);
  store_->SetListControl(nullptr);
}

bool DesktopViews::Open() {
  if (store_->Open(this) != views::CViewStore::kOpenOk) return false;
  tree_ = new views::CLeftView(*store_, prompt_, caption_, &frame_);
  selector_ = new views::ViewSelector(*store_, *tree_, &frame_);
  return true;
}

void DesktopViews::Attach(int setAppIcon, bool skipFirstRefresh) {
  MainFrameController& controller = frame_.Controller();
  auto post = [this](int command) { frame_.PostCommand(command); };
  tree_->SetCommandPoster(post);
  tree_->SetCommandCheck([&controller](int command) { return controller.HasHandler(command); });
  tree_->SetChangeHandler([this](const views::CViewNode* selected) {
    const views::CViewNode* keep = selected != nullptr ? selected : store_->CurrentNode();
    frame_.Poster().PostMessage(msg::kViewsChanged, reinterpret_cast<intptr_t>(keep));
  });
  selector_->SetCommandPoster(post);
  list_->SetCommandHandler([this](int command) { frame_.RunCommand(command); });
  list_->SetFocusHandler([this] { frame_.HandleMessage(msg::kListFocused); });
  RegisterCommands(skipFirstRefresh);
  frame_.Attach(link_.get(), tree_, listPane_.get(), selector_, setAppIcon);
  const bool refreshAlways = controller.RefreshAlways() != 0;
  tree_->SetRefreshAlways(refreshAlways);
  selector_->SetRefreshAlways(refreshAlways);
  tree_->SelectCurrentView();
}

void DesktopViews::RegisterCommands(bool skipFirstRefresh) {
  MainFrameController& controller = frame_.Controller();
  skipRefresh_ = skipFirstRefresh;
  controller.SetCommandHandler(cmd::kRefresh, [this] { Refresh(); });
  auto open = [this, &controller](bool refresh) {
    controller.StopSearch();
    if (tree_) tree_->OpenSelected(refresh);
    // A view refused for its protocol (5047) leaves the selector on the current view too.
    if (selector_) selector_->SelectCurrentView();
  };
  controller.SetCommandHandler(cmd::kTreeOpen, [open] { open(false); });
  controller.SetCommandHandler(cmd::kTreeOpenRefresh, [open] { open(true); });
  controller.SetCommandHandler(cmd::kTreeDelete, [this] {
    if (tree_) tree_->DeleteSelected();
  });
  RegisterViewSheetCommands();
  RegisterDeviceCommands();
  controller.SetCommandHandler(cmd::kOptionsSheet, [this] { RunOptionsSheet(); });
  controller.SetCommandHandler(cmd::kTreeNewFolder, [this, &controller] {
    controller.StopSearch();
    if (tree_) tree_->NewFolder();
  });
}

void DesktopViews::RegisterViewSheetCommands() {
  MainFrameController& controller = frame_.Controller();
  // The "Modify View" sheet opens on its General page.
  constexpr int kModifyPage = 3;
  controller.SetCommandHandler(cmd::kModifyCurrentView, [this, &controller] {
    controller.StopSearch();
    store_->CustomizeView(kModifyPage);
  });
  controller.SetCommandHandler(cmd::kTreeModify, [this, &controller] {
    controller.StopSearch();
    views::CViewNode* node = tree_ ? tree_->SelectedNode() : nullptr;
    if (node == nullptr || !node->IsView()) return;
    store_->SelectView(node, false, false);
    store_->CustomizeView(kModifyPage);
  });
  controller.SetCommandHandler(cmd::kCreateNewView, [this] { store_->NewView(store_->Root()); });
  controller.SetCommandHandler(cmd::kTreeNewView, [this, &controller] {
    controller.StopSearch();
    views::CViewNode* node = tree_ ? tree_->SelectedNode() : nullptr;
    views::CViewNode* group = node == nullptr ? store_->Root() : node;
    if (group->IsView()) group = group->Parent();
    store_->NewView(group, false);
  });
  controller.SetCommandHandler(cmd::kSelectDeleteViews, [this, &controller] {
    controller.StopSearch();
    views::CSelectViewDlg dialog(*store_, this, &frame_, help_);
    dialog.exec();
  });
}

void DesktopViews::RegisterDeviceCommands() {
  DesktopDeviceCommands::Runners runners;
  runners.networkInformation = [this] {
    devices::NetworkInfoController info(discovery::TheNetworkEnvironment());
    devices::CNetworkInfoDlg(info, &frame_).exec();
  };
  runners.reset = [this](discovery::CDeviceRecord& record, const views::CViewNode& view) {
    ResetDevice(record, view);
  };
  runners.enterIpAddress = [this](discovery::CDeviceRecord& record) { EnterIpAddress(record); };
  devices_ =
      std::make_unique<DesktopDeviceCommands>(frame_.Controller(), *store_, std::move(runners));
}

void DesktopViews::ResetDevice(discovery::CDeviceRecord& record, const views::CViewNode& view) {
  const AppSettings& app = TheAppSettings();
  devices::ResetServerSettings settings;
  settings.viewProtocol = view.Type();
  settings.getTimeout = app.getTimeout;
  settings.setTimeout = app.setTimeout;
  settings.queryAtSeconds = app.resetTimeout;
  settings.roots = devices::BrandRoots::From(TheOemBrandTable());
  settings.appName = caption_;
  devices::QtCommunityPrompt communities(&frame_, [this] {
    if (help_) help_(kGeneralHelpTopic);
  });
  devices::ResetServerController reset(
      record, ReloadApplicationAccessList(settings_, false), discovery::PleaseWaitWindow(), prompt_,
      communities, settings,
      [](unsigned a, int ca, unsigned b, int cb) { ReportError(a, ca, b, cb, 1); },
      platform::SystemClock::Instance());
  const devices::ResetStart start = reset.Start();
  if (start == devices::ResetStart::kDialog) {
    devices::CResetServerDlg dialog(reset, &frame_);
    QObject::connect(&dialog, &devices::CResetServerDlg::helpRequested, [this] {
      if (help_) help_(kGeneralHelpTopic);
    });
    dialog.exec();
  } else if (start == devices::ResetStart::kTelnet) {
    frame_.PostCommand(cmd::kTelnet);
  }
}

void DesktopViews::EnterIpAddress(discovery::CDeviceRecord& device) {
  auto* engine = dynamic_cast<discovery::CIpDiscoveryEngine*>(store_->CurrentEngine());
  auto* record = dynamic_cast<discovery::CIpDeviceRecord*>(&device);
  if (engine == nullptr || record == nullptr) return;
  const char* hwText = record->GetColumnText(discovery::kColHwAddress);
  const std::string hw = hwText != nullptr ? hwText : "";
  EnterIpAddressCommand::Hooks hooks;
  hooks.runDialog = [this](std::string& ip) {
    return CEnterIpAddressDlg::Run(&frame_, ip, caption_);
  };
  hooks.send = [engine, hw](const std::string& ip) { return engine->SetAddressByHardware(hw, ip); };
  hooks.confirm = [record](const std::string& ip) {
    // The device is asked at its new address under the application's wait window.
    discovery::CPleaseWaitDlg& wait = discovery::PleaseWaitWindow();
    discovery::DeviceWait* own = record->GetWaitWindow();
    wait.Begin();
    wait.SetText(kSettingIpAddressText);
    record->SetWaitWindow(&wait);
    const int result = discovery::CIpDiscoveryEngine::ConfirmNewAddress(
        *record, ip, TheAppSettings().resetTimeout);
    record->SetWaitWindow(own);
    wait.End();
    return result;
  };
  hooks.show = [this](unsigned id) {
    prompt_.MessageBox(res::LoadString(id), caption_,
                       platform::MB_OK | platform::MB_ICONEXCLAMATION);
  };
  hooks.refreshRows = [this] { store_->RebuildList(); };
  EnterIpAddressCommand::Run(hw, hooks);
}

void DesktopViews::RunOptionsSheet() {
  MainFrameController& controller = frame_.Controller();
  controller.StopSearch();
  COptionsPropertySheet sheet(settings_, TheAppSettings(), prompt_, caption_);
  OptionsSheet face(sheet, static_cast<int>(discovery::TheNetworkEnvironment().GetFlags()), help_,
                    &frame_);
  if (face.exec() != QDialog::Accepted) return;
  const COptionsPropertySheet::Outcome& outcome = face.Result();
  if (outcome.iconsSaved) controller.SetAppIconFollows(outcome.setAppIcon);
  if (outcome.miscSaved) {
    controller.SetRefreshAlways(outcome.refreshAlways ? 1 : 0);
    if (tree_) tree_->SetRefreshAlways(outcome.refreshAlways);
    if (selector_) selector_->SetRefreshAlways(outcome.refreshAlways);
  }
  // The engines made before take the new time-outs and masks for their next search.
  for (views::CViewNode* node : store_->Nodes()) views::RefitIpEngine(node->Engine());
  const views::CViewNode* view = store_->CurrentNode();
  sheet.ReloadAccessList(view != nullptr ? view->Type() : 0);
  if (outcome.masksChanged) frame_.PostCommand(cmd::kRefresh);
}

bool DesktopViews::CurrentViewSearchable() {
  const views::CViewNode* node = store_->CurrentNode();
  const bool udp = (discovery::TheNetworkEnvironment().GetFlags() &
                    discovery::NetworkEnvironment::kFlagUdp) != 0;
  return node != nullptr && ViewAvailability::Check(node->Type(), udp, prompt_, caption_);
}

void DesktopViews::Refresh() {
  frame_.Controller().StopSearch();
  if (skipRefresh_) {
    // Started with "/ns": the first refresh, which the start posts, is left out.
    skipRefresh_ = false;
    frame_.activateWindow();
    return;
  }
  if (!CurrentViewSearchable()) return;
  // The searches use the TCP/IP access list's discovery port.
  TheAppSettings().TakeDiscoveryPort(ReloadApplicationAccessList(settings_, false).DiscoveryPort());
  store_->Refresh();
}

intptr_t DesktopViews::SendMessage(uint32_t id, intptr_t wParam, intptr_t lParam) {
  return frame_.HandleMessage(id, wParam, lParam);
}

bool DesktopViews::PostMessage(uint32_t id, intptr_t wParam, intptr_t lParam) {
  return frame_.Poster().PostMessage(id, wParam, lParam);
}

bool DesktopViews::SetTimer(uint32_t, uint32_t ms) {
  timer_.start(static_cast<int>(ms));
  return true;
}

void DesktopViews::KillTimer(uint32_t) {
  timer_.stop();
}

}  // namespace app
