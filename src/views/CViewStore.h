// The view store: the tree of groups and views kept under the "Views" key, the current view's
// definition, its searches and its refresh timer, and the rows of the device list.
//
// How the main window wires it (all on the GUI thread):
// - Start-up: make the store with the settings and an engine factory (IpEngineFactory for the
//   desktop program), call Open(host) where the start-up loads the views (result kOpenNoView: end
//   the start), then attach: SetListControl(list), SetPortLookup(port table's FindPort),
//   SetPortMode(by port), and the list's SetMultiSelect.
// - The host (ViewStoreHost) receives, sent (handled at once):
//     0x8011 WM_SEARCH_STARTED  from Refresh, before the list is cleared and the search starts;
//     0x800A                    from SelectView, after the view changed;
//     0x8002 (wParam level)     after the list is rebuilt or a refresh is finished;
//   and, posted: 0x800D (wParam the current CViewNode*) after views were added or changed.
//   The host runs timer kRefreshTimerId when SetTimer asks and calls OnTimer on each tick when
//   the window is enabled and Error\ErrorExist is 0.
// - The frame hands over what the engine posts:
//     0x800F WM_DEVICE_FOUND    while searching: AddDevice(record), else delete the record;
//     0x8016 WM_DEVICE_QUERIED  always: AddDevice(record);
//     0x8012 WM_SEARCH_DONE     when searching: OnSearchDone() (sorts, reselects, sends 0x8002);
//                               when it returns false the message was a stopped search's and
//                               the frame stays in its searching state (animation, Stop enabled).
//   AddDevice takes the record over in every case (it is deleted when not listed, and when it
//   comes from another view's engine).
// - Commands: Refresh (32789), Stop (32869; also at close), SelectView (32835/32861 and the
//   selector), SortBy (list header), RefreshOne, SetPortMode (32812), CustomizeView / NewView
//   (hooks, connected by CustomizeViewHooks::Connect(store, settings,
//   CustomizeViewSheet::Runner(store, frame))), DeleteNode / MoveNode / RenameNode / AddNode
//   (tree).
// - The list (CKestrelView): list.SetStore(&store) (header clicks, header saves, the double-click
//   command), list.SetCommandHandler (menus 140/141, double-click, Enter: command ids for the
//   frame), list.SetFocusHandler (0x800B), list.SetListMode (59408-59411), list.SetMultiSelect
//   (32806), list.SetAllChecked (32884/32885). The list saves its own header (0x800E) through
//   SaveListLayout.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "discovery/CDeviceColumnTable.h"
#include "views/CViewDefinition.h"
#include "views/CViewNode.h"
#include "views/DeviceListControl.h"

namespace app {
class Settings;
}
namespace discovery {
class CDeviceRecord;
class CDiscoveryEngine;
class CPleaseWaitDlg;
}  // namespace discovery
namespace platform {
class Prompt;
}

namespace views {

class ViewStoreHost;

// One header item of the list as the user left it, in display order.
struct HeaderItem {
  int column = 0;  // index in the device column table
  int width = 0;   // pixels
};

class CViewStore {
 public:
  static constexpr uint32_t kRefreshTimerId = 26;
  static constexpr uint32_t kRefreshPeriodMs = 10000;
  static constexpr int kRefreshPeriodSeconds = 10;
  static constexpr int kOpenOk = 0;
  static constexpr int kOpenNoView = 10;  // no view, and the user would not make one
  static constexpr int kMaxPortSlots = 6;
  static constexpr size_t kMaxKeyName = 260;

  // Messages to the main window.
  static constexpr uint32_t kMsgStatusLevel = 0x8002;
  static constexpr uint32_t kMsgViewSelected = 0x800A;
  static constexpr uint32_t kMsgViewsChanged = 0x800D;
  static constexpr uint32_t kMsgSearchStarted = 0x8011;

  // Double-click commands: Connection Status (default), Virtual Port, Configuration Wizard.
  static constexpr int kCmdConnectionStatus = 32774;
  static constexpr int kCmdVirtualPort = 32772;
  static constexpr int kCmdConfigurationWizard = 32799;
  // "Enter IP address" (dialog 109) for a device without an address: the double-click in the
  // view "Unconfigured Print Servers", and an item of the list's pop-up menu.
  static constexpr int kCmdEnterIpAddress = 32895;

  // Names with fixed meaning.
  static constexpr const char* kUnconfiguredView = "Unconfigured Print Servers";
  static constexpr const char* kDefaultCurrentView = "All Print Servers";

  // Makes the engine of a TCP/IP view when it is first loaded.
  using EngineFactory =
      std::function<std::unique_ptr<discovery::CDiscoveryEngine>(const CViewNode& view)>;
  // The COM number bound to (H/W Address, port slot), or -1.
  using PortLookup = std::function<int(const std::string& hwAddress, int port)>;
  // The customize sheet on view at page: a CViewDefinition::SaveResult, or -1 when cancelled.
  // The sheet renames the view through RenameNode and saves through Definition(); chosen starts
  // as view and ends as the view the sheet's selector showed at OK.
  using CustomizeSheet = std::function<int(CViewNode& view, int page, CViewNode*& chosen)>;
  // The sheet in wizard mode for a new view under parent: the node it made (through AddNode),
  // or nullptr when the user did not finish.
  using NewViewSheet = std::function<CViewNode*(CViewNode& parent)>;

  CViewStore(app::Settings& settings, EngineFactory engines);
  ~CViewStore();
  CViewStore(const CViewStore&) = delete;
  CViewStore& operator=(const CViewStore&) = delete;

  void SetListControl(DeviceListControl* list) { list_ = list; }
  void SetPortLookup(PortLookup lookup) { portLookup_ = std::move(lookup); }
  void SetPrompt(platform::Prompt* prompt) { prompt_ = prompt; }
  // The wait window RefreshOne queries under (the application's own when not set).
  void SetWaitWindow(discovery::CPleaseWaitDlg* wait) { wait_ = wait; }
  void SetCustomizeSheet(CustomizeSheet sheet) { customizeSheet_ = std::move(sheet); }
  void SetNewViewSheet(NewViewSheet sheet) { newViewSheet_ = std::move(sheet); }
  // Whether the machine can send UDP (the network environment at start): without it no TCP/IP
  // view can be made.
  void SetUdpAvailable(bool on) { udpAvailable_ = on; }
  bool UdpAvailable() const { return udpAvailable_; }
  // The caption of the store's message boxes.
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  // Coded failures (a move or rename the settings refused); app::ReportError when not set.
  using ErrorReport =
      std::function<int(unsigned codeA, int classA, unsigned codeB, int classB, int show)>;
  void SetErrorReport(ErrorReport report) { reportError_ = std::move(report); }

  // Loads the tree and the current view. kOpenOk, or kOpenNoView.
  int Open(ViewStoreHost* host);
  // Makes node current (unless it is and force is not set) and, with searchNow, shows its kept
  // list (a view opened before, without force) or refreshes it.
  void SelectView(CViewNode* node, bool searchNow, bool force);
  // Stops a running search, clears the list and starts a new search of the current view.
  void Refresh();
  // One tick of the 10-second refresh timer.
  void OnTimer();
  // Cancels the search and waits for it; unless skipRest, reselects the remembered row and sends
  // the status level.
  void Stop(bool skipRest = false);
  // The search thread ended (0x8012): sort, reselect, send the status level. False, doing
  // nothing, when the current view still searches: the message came from a search that was
  // stopped for a new one, and the frame keeps its searching state.
  bool OnSearchDone();
  // A record from the engine; taken over in every case.
  void AddDevice(std::unique_ptr<discovery::CDeviceRecord> record);
  // Queries the selected device again and redoes its rows in place. The query's result
  // (discovery::RecordResult), or -1 when no device is selected.
  int RefreshOne();
  // The Search command: the device one of whose texts is text, else the device at that address
  // (queried), gets its row selected; a device the display filter hides is listed all the same.
  // False when no device was found.
  bool FindAndSelect(const std::string& text);
  // Hooks to the customize sheet; true when the sheet was finished.
  bool CustomizeView(int page);
  CViewNode* NewView(CViewNode* parent, bool searchNow = true);
  // Removes node and everything below it, from memory and from the settings; refused (false) for
  // the root and for a subtree holding the current view.
  bool DeleteNode(CViewNode* node);
  // Stores the sort (written at once) and sorts the list.
  void SortBy(const std::string& title, bool descending);

  // Moves node (with its key and everything below) into group newParent. MOVEKEY_OK, or the
  // settings' result; a failed move leaves the tree as it was and is reported.
  long MoveNode(CViewNode* node, CViewNode* newParent);
  long RenameNode(CViewNode* node, const std::string& newName);
  // Makes a node under parent and writes its Type and Icons; nullptr when parent cannot hold it
  // or the name is empty, holds "\" or is already used.
  CViewNode* AddNode(CViewNode* parent, const std::string& name, int type, int icons);
  // Gives node another tree image and writes its Icons.
  void SetNodeIcons(CViewNode* node, int icons);

  // Rows per port instead of per server; the list is rebuilt when it changes.
  void SetPortMode(bool on);
  bool PortMode() const { return portMode_; }
  // Rebuilds columns and rows from the current engine without searching.
  void RebuildList();
  // The port table changed: every kept record of every view takes its Virtual Port texts anew
  // from the port lookup (a port no longer bound leaves its text empty), then the list is rebuilt.
  void RefreshVirtualPorts();
  // Sorts the list by the view's sort column.
  void SortList();
  // The header as the user left it (0x800E): saves Columns and ColWidths and reloads them.
  void SaveListLayout(const std::vector<HeaderItem>& header);
  // General\DoubleClick, limited to the commands it may name; in the view "Unconfigured Print
  // Servers" a device that is not configured gets Enter IP address instead.
  int DoubleClickCommand() const;
  // The selected device answered as one without an address (it is not configured).
  bool SelectedDeviceNeedsAddress() const;

  CViewNode* Root() const { return root_; }
  // Every node, root first, in load order.
  std::vector<CViewNode*> Nodes() const;
  CViewNode* CurrentNode() const { return current_; }
  CViewDefinition& Definition() { return definition_; }
  const CViewDefinition& Definition() const { return definition_; }
  const discovery::CDeviceColumnTable& ColumnTable() const { return table_; }
  // The current view's engine, or nullptr (views other than TCP/IP have none).
  discovery::CDiscoveryEngine* CurrentEngine() const;
  bool IsSearching() const;
  // The first node with this name, compared without regard to case; nullptr when none.
  CViewNode* FindNode(const std::string& name) const;
  // Remembers the selected row's device and port (kept as it was when no row is selected): Stop
  // and the end of a search select that row again.
  void RememberSelection();
  // The device of the selected row and its port slot; nullptr when nothing is selected.
  discovery::CDeviceRecord* SelectedDevice(int* port = nullptr) const;
  // The highest status level of the listed devices (1 when the view shows no Status column).
  int HighestLevel() const;
  int ColumnCount() const { return static_cast<int>(shownColumns_.size()); }

 private:
  struct SelectedKey {
    std::string hwAddress;
    int port = 0;
    bool valid = false;
  };

  void LoadTree();
  void LoadChildren(CViewNode* parent);
  CViewNode* MakeNode(std::string name, int type, int icons, CViewNode* parent);
  void DestroySubtree(CViewNode* node);
  CViewNode* FindCurrentAtOpen() const;
  bool LoadView(CViewNode* node);
  void RebuildRows();
  void SetupColumns();
  void AddRows(int device, bool filter = true);
  bool AddRow(discovery::CDeviceRecord& record, int device, int slot, bool filter);
  void FillVirtualPorts(discovery::CDeviceRecord& record) const;
  void Reselect();
  void SendLevel();
  intptr_t Send(uint32_t id, intptr_t wParam = 0, intptr_t lParam = 0);
  void Post(uint32_t id, intptr_t wParam = 0, intptr_t lParam = 0);
  int Ask(unsigned stringId, unsigned type, const std::string& argument = "");
  long MoveKey(CViewNode* node, CViewNode* newParent, const std::string& newName);

  app::Settings& settings_;
  EngineFactory engines_;
  discovery::CDeviceColumnTable table_;
  CViewDefinition definition_;
  std::vector<std::unique_ptr<CViewNode>> nodes_;  // root first, in load order
  CViewNode* root_ = nullptr;
  CViewNode* current_ = nullptr;
  ViewStoreHost* host_ = nullptr;
  DeviceListControl* list_ = nullptr;
  PortLookup portLookup_;
  platform::Prompt* prompt_ = nullptr;
  discovery::CPleaseWaitDlg* wait_ = nullptr;
  ErrorReport reportError_;
  CustomizeSheet customizeSheet_;
  NewViewSheet newViewSheet_;
  std::string caption_ = "Portolan";
  bool udpAvailable_ = true;
  std::vector<int> shownColumns_;  // column table indices of the list's columns
  bool portMode_ = true;
  bool timerRunning_ = false;
  int ticks_ = 0;
  SelectedKey selected_;
};

}  // namespace views
