#include "app/DesktopAppCommands.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>

#include "app/AboutBoxTexts.h"
#include "app/AppCommandViews.h"
#include "app/AppSettings.h"
#include "app/CMainFrame.h"
#include "app/DesktopViews.h"
#include "app/ErrorReporter.h"
#include "app/FrameIds.h"
#include "app/LaunchCommands.h"
#include "app/PlaceholderCommands.h"
#include "app/Settings.h"
#include "app/ViewAvailability.h"
#include "app/dialogs/CAboutDlg.h"
#include "app/dialogs/CSearchDlg.h"
#include "app/dialogs/CStartupOptionsDlg.h"
#include "app/dialogs/CUnlistedServerDlg.h"
#include "discovery/CDeviceColumnTable.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/CIpDiscoveryEngine.h"
#include "discovery/DiscoveryMessages.h"
#include "discovery/DiscoveryRequest.h"
#include "discovery/NetworkEnvironment.h"
#include "discovery/PleaseWaitWindow.h"
#include "platform/Launcher.h"
#include "platform/Prompt.h"
#include "platform/QtFileChooser.h"
#include "res/StringTable.h"
#include "views/CKestrelView.h"
#include "views/CLeftView.h"
#include "views/CViewStore.h"
#include "views/DeviceListControl.h"

namespace app {

namespace {

constexpr int kTcpIpView = ViewAvailability::kTcpIpView;
constexpr unsigned kSettingIpAddress = 6135;
constexpr const char* kPositiveInteger = "Please enter a positive integer.";

// The wait cursor while the desktop is asked to open something.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

bool UdpAvailable() {
  return (discovery::TheNetworkEnvironment().GetFlags() &
          discovery::NetworkEnvironment::kFlagUdp) != 0;
}

// The desktop program's views as the commands see them.
class DesktopCommandViews : public AppCommandViews {
 public:
  DesktopCommandViews(DesktopViews& views, CMainFrame& frame, platform::Prompt& prompt,
                      std::string caption)
      : views_(views), frame_(frame), prompt_(prompt), caption_(std::move(caption)) {}

  int CurrentViewType() const override {
    const views::CViewNode* node = views_.Store().CurrentNode();
    return node != nullptr ? node->Type() : 0;
  }

  std::optional<std::string> SelectedDeviceIp() const override {
    const discovery::CDeviceRecord* record = views_.Store().SelectedDevice();
    if (record == nullptr) return std::nullopt;
    const char* ip = record->GetColumnText(discovery::kColIpAddress);
    if (ip == nullptr || *ip == '\0') return std::nullopt;  // no page to open
    return std::string(ip);
  }

  std::vector<IpListRow> ListedRows() const override {
    std::vector<IpListRow> rows;
    const views::CKestrelView* list = views_.List();
    const discovery::CDiscoveryEngine* engine = views_.Store().CurrentEngine();
    if (list == nullptr || engine == nullptr) return rows;
    for (int row = 0; row < list->GetRowCount(); ++row) {
      const uint32_t itemData = list->GetItemData(row);
      const discovery::CDeviceRecord* record = engine->GetDevice(views::ItemDevice(itemData));
      const char* ip =
          record != nullptr ? record->GetColumnText(discovery::kColIpAddress) : nullptr;
      rows.push_back({itemData, ip != nullptr ? ip : ""});
    }
    return rows;
  }

  std::optional<std::string> SelectedTreeView() const override {
    const views::CLeftView* tree = views_.Tree();
    const views::CViewNode* node = tree != nullptr ? tree->SelectedNode() : nullptr;
    if (node == nullptr || !node->IsView()) return std::nullopt;
    return node->Name();
  }

  void ShowCurrentViewInTree() override {
    if (views::CLeftView* tree = views_.Tree()) tree->SelectCurrentView();
  }

  bool FindAndSelect(const std::string& text) override {
    return views_.Store().FindAndSelect(text);
  }

  int SendSetAddress(const UnlistedServerForm& form) override {
    discovery::CIpDiscoveryEngine* engine = IpEngine();
    // Only a TCP/IP view has an engine to send with; nothing was sent, and the user is told so.
    if (engine == nullptr) return discovery::kMsgSetAddressSendFailed;
    return engine->SetAddressBySerial(form.serialNumber, form.ipAddress, form.sendAddress,
                                      form.multicast);
  }

  bool ConfirmNewAddress(const std::string& ip, int seconds) override {
    discovery::CIpDiscoveryEngine* engine = IpEngine();
    if (engine == nullptr) return false;
    discovery::CPleaseWaitDlg& wait = discovery::PleaseWaitWindow();
    discovery::DeviceRecordOptions options = engine->Options().recordOptions;
    options.broadcastTimeoutMs = engine->Options().broadcastTimeoutMs;
    options.extendedQuery = nullptr;
    discovery::CIpDeviceRecord record(&wait, options);
    wait.Begin();
    wait.SetText(kSettingIpAddress);
    const int result = discovery::CIpDiscoveryEngine::ConfirmNewAddress(record, ip, seconds);
    wait.End();
    return result == discovery::kSetAddressOk;
  }

  bool OpenView(const std::string& name) override {
    views::CViewStore& store = views_.Store();
    views::CViewNode* node = store.FindNode(name);
    if (node == nullptr || !node->IsView()) return false;
    frame_.Controller().StopSearch();
    if (!ViewAvailability::Check(node->Type(), UdpAvailable(), prompt_, caption_)) return false;
    store.SelectView(node, true, false);
    ShowCurrentViewInTree();
    return true;
  }

 private:
  discovery::CIpDiscoveryEngine* IpEngine() const {
    return dynamic_cast<discovery::CIpDiscoveryEngine*>(views_.Store().CurrentEngine());
  }

  DesktopViews& views_;
  CMainFrame& frame_;
  platform::Prompt& prompt_;
  std::string caption_;
};

}  // namespace

std::unique_ptr<AppCommandViews> DesktopAppCommands::ViewsOf(DesktopViews& views, CMainFrame& frame,
                                                             platform::Prompt& prompt,
                                                             std::string caption) {
  return std::make_unique<DesktopCommandViews>(views, frame, prompt, std::move(caption));
}

DesktopAppCommands::DesktopAppCommands(CMainFrame& frame, AppCommandViews& views,
                                       Settings& settings, platform::Prompt& prompt,
                                       AppCommandContext context)
    : frame_(frame),
      views_(views),
      settings_(settings),
      prompt_(prompt),
      context_(std::move(context)) {
  pendingTimer_.setSingleShot(true);
  pendingTimer_.setInterval(kPendingViewMs);
  QObject::connect(&pendingTimer_, &QTimer::timeout, [this] { OpenPendingView(); });
  if (context_.files == nullptr) {
    ownFiles_ = std::make_unique<platform::QtFileChooser>();
    context_.files = ownFiles_.get();
  }
}

DesktopAppCommands::~DesktopAppCommands() = default;

void DesktopAppCommands::Register() {
  RegisterSearchCommands();
  RegisterLaunchCommands();
  RegisterWindowCommands();
  RegisterHelpCommands();
  frame_.UpdateCommandStates();
}

void DesktopAppCommands::RegisterSearchCommands() {
  MainFrameController& controller = frame_.Controller();
  controller.SetCommandHandler(cmd::kSearch, [this] { Search(); });
  controller.SetCommandHandler(cmd::kSetupUnlisted, [this] { SetupUnlistedServer(); });
  controller.SetCommandHandler(cmd::kSaveIpList, [this] { SaveIpList(); });
}

void DesktopAppCommands::RegisterLaunchCommands() {
  MainFrameController& controller = frame_.Controller();
  controller.SetCommandHandler(cmd::kHttpSession, [this] {
    WaitCursor busy;
    const bool tcp = context_.tcpAvailable ? context_.tcpAvailable()
                                           : (discovery::TheNetworkEnvironment().GetFlags() &
                                              discovery::NetworkEnvironment::kFlagTcp) != 0;
    LaunchCommands::HttpSession(Launcher(), prompt_, context_.caption, tcp,
                                views_.SelectedDeviceIp());
  });
  if (context_.branding.supportEmail.empty()) {
    // Nothing to write to: the command stays disabled (it has no handler) and says why.
    if (QAction* mail = frame_.Action(cmd::kEmailSupport)) {
      mail->setToolTip(QObject::tr("No support address is configured for this installation."));
    }
  } else {
    controller.SetCommandHandler(cmd::kEmailSupport, [this] {
      WaitCursor busy;
      LaunchCommands::EmailSupport(Launcher(), prompt_, context_.caption,
                                   context_.branding.supportEmail, context_.branding.programName);
    });
  }
  controller.SetCommandHandler(cmd::kTreeOpenNewWindow, [this] { OpenInNewWindow(); });
}

void DesktopAppCommands::RegisterWindowCommands() {
  MainFrameController& controller = frame_.Controller();
  controller.SetCommandHandler(cmd::kOptions, [this] { StartupOptions(); });
  controller.SetCommandHandler(cmd::kAbout, [this] { About(); });
  for (const auto& [id, text] : PlaceholderCommands::Table()) {
    const int command = id;
    controller.SetCommandHandler(command, [this, &controller, command] {
      controller.StopSearch();
      PlaceholderCommands::Show(command, prompt_, context_.caption);
    });
  }
}

void DesktopAppCommands::RegisterHelpCommands() {
  MainFrameController& controller = frame_.Controller();
  auto help = [this](unsigned context) {
    if (context_.help) context_.help(context);
  };
  controller.SetCommandHandler(cmd::kHelpIndex, [help] { help(0); });
  // The main window's own context: both the help key and context help open its topic.
  controller.SetCommandHandler(cmd::kHelp, [help] { help(kFrameHelpContext); });
  controller.SetCommandHandler(cmd::kContextHelp, [help] { help(kFrameHelpContext); });
}

platform::Launcher& DesktopAppCommands::Launcher() const {
  return context_.launcher != nullptr ? *context_.launcher : platform::CurrentLauncher();
}

void DesktopAppCommands::ReportError(int code) const {
  if (context_.reportError) {
    context_.reportError(code);
  } else {
    app::ReportError(static_cast<unsigned>(code), 1, 0, 0, 1);
  }
}

void DesktopAppCommands::Search() {
  frame_.Controller().StopSearch();
  AddressSearchCommands::SearchHooks hooks;
  hooks.runDialog = [this](std::string& address) {
    // The address must be a dotted address; the dialog comes back with it until it is.
    while (CSearchDlg::Run(&frame_, address)) {
      if (discovery::ParseStrictAddress(address)) return true;
      prompt_.MessageBox(res::LoadString(discovery::kMsgBadIpAddress), context_.caption,
                         platform::MB_OK | platform::MB_ICONEXCLAMATION);
    }
    return false;
  };
  hooks.search = [this](const std::string& address) { return views_.FindAndSelect(address); };
  AddressSearchCommands::Search(views_.CurrentViewType() == kTcpIpView, hooks, prompt_,
                                context_.caption);
}

void DesktopAppCommands::SetupUnlistedServer() {
  frame_.Controller().StopSearch();
  AddressSearchCommands::UnlistedHooks hooks;
  hooks.runDialog = [this](UnlistedServerForm& form) { return RunUnlistedDialog(form); };
  hooks.setAddress = [this](const UnlistedServerForm& form) { return ConfirmUnlisted(form); };
  hooks.findServer = [this](const std::string& ip) { return views_.FindAndSelect(ip); };
  hooks.reportError = [this](int code) { ReportError(code); };
  AddressSearchCommands::SetupUnlistedServer(hooks);
}

bool DesktopAppCommands::RunUnlistedDialog(UnlistedServerForm& form) {
  // OK sends the request; the dialog comes back, as it was typed, until it went out.
  while (CUnlistedServerDlg::Run(&frame_, form, context_.caption)) {
    const int sent = views_.SendSetAddress(form);
    if (sent == discovery::kSetAddressOk) return true;
    if (sent == discovery::kSetAddressSocketFailed) continue;  // reported by the socket layer
    const std::string text =
        sent == discovery::kSetAddressBadSerial ? kPositiveInteger : res::LoadString(sent);
    prompt_.MessageBox(text, context_.caption, platform::MB_OK | platform::MB_ICONEXCLAMATION);
  }
  return false;
}

int DesktopAppCommands::ConfirmUnlisted(const UnlistedServerForm& form) {
  const int seconds =
      context_.resetTimeout ? context_.resetTimeout() : TheAppSettings().resetTimeout;
  return views_.ConfirmNewAddress(form.ipAddress, seconds)
             ? 0
             : AddressSearchCommands::kCannotCommunicate;
}

void DesktopAppCommands::SaveIpList() {
  frame_.Controller().StopSearch();
  IpListExport::Save(*context_.files, views_.ListedRows(), [this](int code) { ReportError(code); });
}

void DesktopAppCommands::StartupOptions() {
  frame_.Controller().StopSearch();
  using Result = CStartupOptionsDlg::Result;
  if (CStartupOptionsDlg::Run(&frame_, settings_, context_.programPath) !=
      Result::kEntryNotChanged) {
    return;
  }
  // Nothing may pass for saved that was not: the flag is kept, the autostart entry was not.
  prompt_.MessageBox("The autostart entry could not be changed.", context_.caption,
                     platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

void DesktopAppCommands::About() {
  CAboutDlg dialog(AboutBoxTexts::From(context_.branding), &Launcher(), &frame_);
  dialog.exec();
}

void DesktopAppCommands::OpenInNewWindow() {
  frame_.Controller().StopSearch();
  if (const std::optional<std::string> name = views_.SelectedTreeView()) {
    // The running copy (this one) takes the view as an argument, never as a command string.
    if (!Launcher().HandToRunningCopy({"/new", "/v", *name})) OpenViewHere(*name);
  }
  views_.ShowCurrentViewInTree();
}

void DesktopAppCommands::OpenViewHere(const std::string& viewName) {
  frame_.RestoreAndRaise();
  if (QApplication::activeModalWidget() != nullptr) {
    // A dialog of this window is open (it may be about the current view): the view opens once
    // the dialog has closed. A later request replaces one still waiting.
    pendingView_ = viewName;
    pendingTimer_.start();
    return;
  }
  views_.OpenView(viewName);
  frame_.UpdateCommandStates();
}

void DesktopAppCommands::OpenPendingView() {
  if (!pendingView_) return;
  if (QApplication::activeModalWidget() != nullptr) {
    pendingTimer_.start();
    return;
  }
  const std::string name = *pendingView_;
  pendingView_.reset();
  OpenViewHere(name);
}

}  // namespace app
