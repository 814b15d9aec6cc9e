// The main window's rules, free of the toolkit: its state (searching, tree shown, by port,
// multi-selection, list mode, bars), the private messages, the frame's own commands, the enabling
// table, the status panes, the application icon by status level and what is saved at close. The
// window (FrameFace) only shows what these rules decide.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/BandLayout.h"
#include "app/CKestrelApp.h"
#include "app/FrameFlags.h"
#include "app/FrameMessage.h"

namespace platform {
class Prompt;
}

namespace app {

class FrameFace;
class FrameStore;
class Settings;

struct CommandState {
  bool enabled = false;
  bool checked = false;
  bool operator==(const CommandState&) const = default;
};

class MainFrameController {
 public:
  // Application icons by status level.
  static constexpr int kIconNormal = 128;
  static constexpr int kIconError = 143;
  static constexpr int kIconWarning = 144;
  static constexpr int kIconGood = 145;
  static constexpr int kTcpIpView = 6;
  static constexpr int kPrinterColumnsPage = 4;
  static constexpr unsigned kCancellingText = 6078;
  static constexpr unsigned kNoPrinterColumns = 6083;
  static constexpr size_t kEndedSearchesKept = 64;
  static constexpr intptr_t kStoppedAtBound = 1;      // 0x8012's lParam
  static constexpr unsigned kDeviceBoundText = 6104;  // "The search stopped at 4096 devices; ..."

  using CommandHandler = std::function<void()>;

  MainFrameController(Settings& settings, platform::Prompt& prompt, FrameFace& face);

  // Start-up step "attach": the store, General\Flags (tree, list mode), RefreshAlways and the
  // icon setting. Tells the store the by-port state and the window what to show.
  void Attach(FrameStore* store, int setAppIcon);

  // One posted or sent message; the value it returns (1 when handled, 0x8013's answer).
  intptr_t Dispatch(FrameMessage& message);

  // Commands. Others (the application's) register their handlers; a command without a handler
  // is disabled. True when the command ran.
  bool RunCommand(int id);
  void SetCommandHandler(int id, CommandHandler handler);
  bool HasHandler(int id) const { return handlers_.count(id) != 0; }
  CommandState StateOf(int id) const;

  // The stop-search prologue of the application's commands.
  void StopSearch();
  // The refresh timer of the store: ignored while a dialog is open or an error is shown.
  void OnStoreTimer(bool windowEnabled);
  // Close: stops the store, writes the bars, the placement, the splitter and the flags' low byte.
  void SaveOnClose(const std::vector<Band>& bands, const Rect& normalRect, int splitterWidth);

  static int IconForLevel(int follows, int level);
  // The status panes.
  static std::string CountText(int count);
  static std::string ProtocolText(int viewType);
  static std::string ViewText(const std::string& name);
  std::string CurrentProtocolText() const;
  std::string CurrentViewText() const;
  bool FilterActive() const;

  bool Searching() const { return searching_; }
  bool PaneLocked() const { return paneLocked_; }
  const FrameFlags& Flags() const { return flags_; }
  int IconId() const { return iconId_; }
  int RefreshAlways() const { return refreshAlways_; }
  void SetRefreshAlways(int refreshAlways) { refreshAlways_ = refreshAlways; }
  // Whether the application icon follows the status level; off shows the normal icon at once.
  void SetAppIconFollows(int follows);
  bool BarVisible(int barId) const;
  // The window's bars as restored (a band stored hidden starts hidden).
  void SetBarShown(int barId, bool visible) { barVisible_[barId] = visible; }
  FrameStore* Store() const { return store_; }

 private:
  void RegisterFrameCommands();
  void ToggleTree();
  void ToggleByPort();
  void ToggleMultiSelect();
  void SetListMode(ListMode mode);
  void ToggleBar(int barId);
  void SetStatusLevel(intptr_t level);
  void SearchStarted();
  // how: kStoppedAtBound when the search stopped at its device bound.
  void SearchDone(intptr_t searchId, intptr_t how);
  // Whether a record posted with searchId belongs to the search the list now shows.
  bool OfCurrentSearch(intptr_t searchId) const;
  void ShowSearchStatus(const FrameMessage& message);
  bool ListCommandEnabled(int id) const;

  Settings& settings_;
  platform::Prompt& prompt_;
  FrameFace& face_;
  FrameStore* store_ = nullptr;
  std::map<int, CommandHandler> handlers_;
  std::map<int, bool> barVisible_;

  FrameFlags flags_;
  bool searching_ = false;
  // Ids of the searches whose 0x8012 has come (the latest few): the end of a stopped search ends
  // the indication only when the search the list shows has no end still to come.
  std::set<uint32_t> endedSearches_;
  bool paneLocked_ = false;
  int appIconFollows_ = 0;
  int refreshAlways_ = 0;
  int iconId_ = kIconNormal;
};

}  // namespace app
