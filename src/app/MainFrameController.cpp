#include "app/MainFrameController.h"

#include <cstdio>

#include "app/BrandingInfo.h"
#include "app/FrameFace.h"
#include "app/FrameIds.h"
#include "app/FrameStore.h"
#include "app/Settings.h"
#include "app/WindowPlacement.h"
#include "platform/Prompt.h"
#include "res/StringTable.h"

namespace app {

namespace {

constexpr unsigned kCountFormat = 6070;
constexpr unsigned kProtocolLabel = 6072;
constexpr unsigned kViewLabel = 6073;
constexpr unsigned kUnknownProtocol = 59138;

}  // namespace

MainFrameController::MainFrameController(Settings& settings, platform::Prompt& prompt,
                                         FrameFace& face)
    : settings_(settings), prompt_(prompt), face_(face) {
  barVisible_ = {{bar::kMainToolBar, true}, {bar::kViewBar, true}, {bar::kStatusBar, true}};
  RegisterFrameCommands();
}

void MainFrameController::RegisterFrameCommands() {
  handlers_[cmd::kShowViewTree] = [this] { ToggleTree(); };
  handlers_[cmd::kByPort] = [this] { ToggleByPort(); };
  handlers_[cmd::kMultiSelect] = [this] { ToggleMultiSelect(); };
  handlers_[cmd::kStandardMode] = [this] {
    if (flags_.multiSelect) ToggleMultiSelect();
  };
  handlers_[cmd::kToolBar] = [this] { ToggleBar(bar::kMainToolBar); };
  handlers_[cmd::kViewBar] = [this] { ToggleBar(bar::kViewBar); };
  handlers_[cmd::kStatusBar] = [this] { ToggleBar(bar::kStatusBar); };
  handlers_[cmd::kSmallIcons] = [this] { SetListMode(ListMode::kSmallIcons); };
  handlers_[cmd::kLargeIcons] = [this] { SetListMode(ListMode::kLargeIcons); };
  handlers_[cmd::kList] = [this] { SetListMode(ListMode::kList); };
  handlers_[cmd::kDetails] = [this] { SetListMode(ListMode::kDetails); };
  handlers_[cmd::kArrange] = [this] { face_.ArrangeIcons(); };
  handlers_[cmd::kSelectAll] = [this] { face_.CheckAllRows(true); };
  handlers_[cmd::kSelectNone] = [this] { face_.CheckAllRows(false); };
  handlers_[cmd::kNextPane] = [this] { face_.FocusNextPane(); };
  handlers_[cmd::kTrayOpen] = [this] { face_.ShowNormalAndRaise(); };
  handlers_[cmd::kExit] = [this] { face_.CloseWindow(); };
  handlers_[cmd::kStop] = [this] { StopSearch(); };
}

void MainFrameController::Attach(FrameStore* store, int setAppIcon) {
  store_ = store;
  appIconFollows_ = setAppIcon;
  flags_ = FrameFlags::FromStored(settings_.GetInt("General", "Flags", 0));
  if (store_ != nullptr) store_->SetPortMode(flags_.byPort);
  face_.SetMultiSelect(flags_.multiSelect);
  int splitter = settings_.GetInt("General", "Splitter", WindowPlacement::kDefaultSplitter);
  face_.SetTreeWidth(splitter);
  // A stored width of 0 starts with the pane hidden while the tree still counts as shown.
  face_.ShowTreePane(flags_.treeShown && splitter != 0, 0);
  face_.SetTreeButtonChecked(flags_.treeShown);
  face_.SetListMode(flags_.listMode);
  refreshAlways_ = settings_.GetInt("General", "RefreshAlways", 0);
}

intptr_t MainFrameController::Dispatch(FrameMessage& message) {
  switch (message.Id()) {
    case msg::kStatusLevel:
      SetStatusLevel(message.WParam());
      break;
    case msg::kViewSelected:
      face_.ShowCurrentView(true);
      break;
    case msg::kListFocused:
      face_.ShowCurrentView(false);
      break;
    case msg::kTreePaneShown:
      face_.SetTreeButtonChecked(message.WParam() != 0);
      break;
    case msg::kViewsChanged:
      face_.RebuildViews(message.WParam());
      break;
    case msg::kDeviceFound:
      // A record that comes after its search ended, or from a search stopped for another one, is
      // not taken: it goes with the message.
      if (searching_ && store_ != nullptr && message.HasRecord() &&
          OfCurrentSearch(message.LParam())) {
        store_->AddDevice(message.TakeRecord());
      }
      break;
    case msg::kDeviceQueried:
      // Queries outside a search carry no search id and are always taken.
      if (store_ != nullptr && message.HasRecord() &&
          (message.LParam() == 0 || OfCurrentSearch(message.LParam()))) {
        store_->AddDevice(message.TakeRecord());
      }
      break;
    case msg::kSearchStatus:
      ShowSearchStatus(message);
      break;
    case msg::kSearchStarted:
      SearchStarted();
      break;
    case msg::kSearchDone:
      SearchDone(message.WParam(), message.LParam());
      break;
    case msg::kAreYouRunning:
      return msg::kRunningCopyAnswer;
    case msg::kShowByPort:
      if (!flags_.byPort) ToggleByPort();
      break;
    default:
      return 0;
  }
  return 1;
}

void MainFrameController::SetStatusLevel(intptr_t level) {
  iconId_ = IconForLevel(appIconFollows_, static_cast<int>(level));
  face_.SetAppIcon(iconId_);
}

void MainFrameController::SetAppIconFollows(int follows) {
  appIconFollows_ = follows;
  if (follows != 0 || iconId_ == kIconNormal) return;
  iconId_ = kIconNormal;
  face_.SetAppIcon(iconId_);
}

int MainFrameController::IconForLevel(int follows, int level) {
  if (follows == 0) return kIconNormal;
  switch (level) {
    case 0:
      return kIconNormal;
    case 1:
      return kIconGood;
    case 2:
    case 4:
      return kIconWarning;
    case 3:
      return kIconError;
    default:
      return kIconGood;
  }
}

void MainFrameController::SearchStarted() {
  searching_ = true;
  paneLocked_ = true;
  face_.SetBusy(true);
}

bool MainFrameController::OfCurrentSearch(intptr_t searchId) const {
  const uint32_t current = store_ != nullptr ? store_->CurrentSearchId() : 0;
  return static_cast<uint32_t>(searchId) == current;
}

void MainFrameController::SearchDone(intptr_t searchId, intptr_t how) {
  const auto id = static_cast<uint32_t>(searchId);
  endedSearches_.insert(id);
  if (endedSearches_.size() > kEndedSearchesKept) endedSearches_.erase(endedSearches_.begin());
  if (!searching_) return;
  if (!OfCurrentSearch(searchId)) {
    // A view switch or a refresh stopped that search; the one the list shows still runs, or has
    // its own end still queued, unless it has none to come.
    const uint32_t current = store_ != nullptr ? store_->CurrentSearchId() : 0;
    if (current != 0 && endedSearches_.count(current) == 0) return;
  }
  face_.SetBusy(false);
  searching_ = false;
  // A search stopped at its device bound says so until the next one starts.
  if (face_.HasStatusBar()) {
    face_.SetMessagePane(how == kStoppedAtBound ? res::LoadString(kDeviceBoundText) : "");
  }
  paneLocked_ = false;
  if (store_ != nullptr) store_->SearchDone();
}

void MainFrameController::ShowSearchStatus(const FrameMessage& message) {
  if (!paneLocked_ || !face_.HasStatusBar()) return;
  if (message.WParam() != 0) {
    face_.SetMessagePane(res::LoadString(static_cast<unsigned>(message.WParam())));
  } else {
    face_.SetMessagePane(message.Text());
  }
}

bool MainFrameController::RunCommand(int id) {
  auto it = handlers_.find(id);
  if (it == handlers_.end() || !StateOf(id).enabled) return false;
  CommandHandler handler = it->second;  // a handler may replace itself
  handler();
  return true;
}

void MainFrameController::SetCommandHandler(int id, CommandHandler handler) {
  if (handler) {
    handlers_[id] = std::move(handler);
  } else {
    handlers_.erase(id);
  }
}

void MainFrameController::StopSearch() {
  if (face_.HasStatusBar() && paneLocked_) face_.SetMessagePane(res::LoadString(kCancellingText));
  if (store_ != nullptr) store_->Stop();
}

void MainFrameController::ToggleTree() {
  flags_.treeShown = !flags_.treeShown;
  face_.ShowTreePane(flags_.treeShown, WindowPlacement::kShownTreeMinimum);
  face_.SetTreeButtonChecked(flags_.treeShown);
}

void MainFrameController::ToggleByPort() {
  flags_.byPort = !flags_.byPort;
  if (store_ == nullptr) return;
  store_->SetPortMode(flags_.byPort);
  if (!flags_.byPort || store_->CurrentView().hasPrinterColumn) return;
  int answer = prompt_.MessageBox(res::LoadString(kNoPrinterColumns), ProgramCaption(),
                                  platform::MB_YESNO | platform::MB_ICONQUESTION);
  if (answer == platform::IDYES) store_->CustomizeView(kPrinterColumnsPage);
}

void MainFrameController::ToggleMultiSelect() {
  flags_.multiSelect = !flags_.multiSelect;
  face_.SetMultiSelect(flags_.multiSelect);
}

void MainFrameController::SetListMode(ListMode mode) {
  flags_.listMode = mode;
  face_.SetListMode(mode);
}

void MainFrameController::ToggleBar(int barId) {
  bool& visible = barVisible_[barId];
  visible = !visible;
  face_.SetBarVisible(barId, visible);
}

bool MainFrameController::BarVisible(int barId) const {
  auto it = barVisible_.find(barId);
  return it != barVisible_.end() && it->second;
}

bool MainFrameController::ListCommandEnabled(int id) const {
  if (!face_.ListHasFocus()) return false;
  if (flags_.multiSelect) return id == cmd::kReset;
  return face_.ListHasSelection();
}

CommandState MainFrameController::StateOf(int id) const {
  CommandState state;
  const CurrentViewInfo view = store_ != nullptr ? store_->CurrentView() : CurrentViewInfo{};
  switch (id) {
    case cmd::kRefresh:
      state.enabled = !searching_;
      break;
    case cmd::kStop:
      state.enabled = searching_;
      break;
    case cmd::kTelnet:
    case cmd::kHttpSession:
    case cmd::kSaveIpList:
      state.enabled = view.type == kTcpIpView;
      break;
    case cmd::kSearch:
      state.enabled = (view.type & 7) != 0;
      break;
    case cmd::kVirtualPort:
    case cmd::kConnectionStatus:
    case cmd::kReset:
    case cmd::kDeletePortByNumber2:
    case cmd::kUnused3:
    case cmd::kConfigWizard:
    case cmd::kDeletePortByNumber:
    case cmd::kUnused4:
      state.enabled = ListCommandEnabled(id);
      break;
    case cmd::kUnused9:
      state.enabled = ListCommandEnabled(cmd::kVirtualPort);
      break;
    case cmd::kMultiConfigure:
      state.enabled = face_.ListHasFocus() && flags_.multiSelect;
      break;
    case cmd::kShowViewTree:
      state = {true, flags_.treeShown};
      break;
    case cmd::kByPort:
      state = {true, flags_.byPort};
      break;
    case cmd::kMultiSelect:
      state = {true, flags_.multiSelect};
      break;
    case cmd::kToolBar:
      state = {true, BarVisible(bar::kMainToolBar)};
      break;
    case cmd::kViewBar:
      state = {true, BarVisible(bar::kViewBar)};
      break;
    case cmd::kStatusBar:
      state = {true, BarVisible(bar::kStatusBar)};
      break;
    case cmd::kSmallIcons:
      state = {true, flags_.listMode == ListMode::kSmallIcons};
      break;
    case cmd::kLargeIcons:
      state = {true, flags_.listMode == ListMode::kLargeIcons};
      break;
    case cmd::kList:
      state = {true, flags_.listMode == ListMode::kList};
      break;
    case cmd::kDetails:
      state = {true, flags_.listMode == ListMode::kDetails};
      break;
    case cmd::kArrange:
      state.enabled =
          flags_.listMode == ListMode::kLargeIcons || flags_.listMode == ListMode::kList;
      break;
    default:
      state.enabled = true;
      break;
  }
  // A command whose handler has not come yet is shown, disabled.
  if (!HasHandler(id)) state.enabled = false;
  return state;
}

void MainFrameController::OnStoreTimer(bool windowEnabled) {
  if (!windowEnabled || store_ == nullptr) return;
  if (settings_.GetInt("Error", "ErrorExist", 0) != 0) return;
  store_->OnTimer();
}

void MainFrameController::SaveOnClose(const std::vector<Band>& bands, const Rect& normalRect,
                                      int splitterWidth) {
  if (store_ != nullptr) store_->Stop();
  BandLayout::Write(settings_, bands);
  WindowPlacement::Write(settings_, normalRect);
  settings_.WriteInt("General", "Splitter", splitterWidth);
  // Read again: the options dialog (or another window) may have changed the high bits since.
  int current = settings_.GetInt("General", "Flags", 0);
  settings_.WriteInt("General", "Flags", flags_.Rebuild(current));
}

std::string MainFrameController::CountText(int count) {
  std::string format = res::LoadString(kCountFormat);
  char text[64];
  std::snprintf(text, sizeof text, format.c_str(), count);
  return text;
}

std::string MainFrameController::ProtocolText(int viewType) {
  static const std::map<int, unsigned> kNames = {{6, 6066}, {7, 6067}, {8, 6068}, {9, 6069}};
  auto it = kNames.find(viewType);
  if (it == kNames.end()) return res::LoadString(kUnknownProtocol);
  return res::LoadString(kProtocolLabel) + res::LoadString(it->second);
}

std::string MainFrameController::ViewText(const std::string& name) {
  return res::LoadString(kViewLabel) + name;
}

std::string MainFrameController::CurrentProtocolText() const {
  return ProtocolText(store_ != nullptr ? store_->CurrentView().type : 0);
}

std::string MainFrameController::CurrentViewText() const {
  return ViewText(store_ != nullptr ? store_->CurrentView().name : std::string());
}

bool MainFrameController::FilterActive() const {
  return store_ != nullptr && store_->CurrentView().hasFilter;
}

}  // namespace app
