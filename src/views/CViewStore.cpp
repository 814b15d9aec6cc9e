#include "views/CViewStore.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "app/ErrorClass.h"
#include "app/ErrorReporter.h"
#include "app/Settings.h"
#include "discovery/CDeviceRecord.h"
#include "discovery/CDiscoveryEngine.h"
#include "discovery/CPleaseWaitDlg.h"
#include "discovery/PleaseWaitWindow.h"
#include "platform/Prompt.h"
#include "res/StringTable.h"
#include "views/DeviceRowOrder.h"
#include "views/ViewStoreHost.h"

namespace views {
namespace {

constexpr unsigned kStrViews = 6000;
constexpr unsigned kStrType = 6001;
constexpr unsigned kStrIcons = 6002;
constexpr unsigned kMsgProtocolNotInitialized = 5047;
constexpr unsigned kMsgNoTimer = 5506;
constexpr unsigned kMsgNoViewYet = 5511;
constexpr unsigned kMsgNameExists = 5505;
constexpr unsigned kTextRebuilding = 6100;

constexpr int kLastGroupImage = 15;
constexpr int kGroupIconsLimit = 0x2FFFF;
constexpr int kGroupIconsBadBit = 0x10000;

bool EqualNoCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::string Join(const std::vector<std::string>& parts) {
  std::string text;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += ',';
    text += parts[i];
  }
  return text;
}

std::string Format(const std::string& pattern, const std::string& argument) {
  std::string text = pattern;
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, argument);
  return text;
}

// A group's image comes from the low bits; some stored groups carry it in the upper half.
int GroupIcons(int stored) {
  if (stored <= kLastGroupImage) return stored;
  if (stored > kGroupIconsLimit || (stored & kGroupIconsBadBit) != 0) return 0;
  return stored >> 16;
}

}  // namespace

CViewStore::CViewStore(app::Settings& settings, EngineFactory engines)
    : settings_(settings),
      engines_(std::move(engines)),
      table_([](unsigned id) { return res::LoadString(id); }),
      definition_(settings_, table_),
      reportError_(&app::ReportError) {}

CViewStore::~CViewStore() {
  // Children go before their parents, so that no node outlives the one it points at.
  while (!nodes_.empty()) nodes_.pop_back();
}

// ---- the tree ----

int CViewStore::Open(ViewStoreHost* host) {
  host_ = host;
  LoadTree();
  current_ = FindCurrentAtOpen();
  while (current_ == nullptr) {
    // Without the view wizard nothing can make the first view.
    if (!newViewSheet_) return kOpenNoView;
    CViewNode* made = newViewSheet_(*root_);
    if (made != nullptr && made->IsView()) {
      current_ = made;
      break;
    }
    if (Ask(kMsgNoViewYet, platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES) {
      return kOpenNoView;
    }
  }
  LoadView(current_);
  return kOpenOk;
}

void CViewStore::LoadTree() {
  nodes_.clear();
  root_ = MakeNode(res::LoadString(kStrViews), CViewNode::kRoot, 0, nullptr);
  if (settings_.SectionExists(root_->Path())) LoadChildren(root_);
}

void CViewStore::LoadChildren(CViewNode* parent) {
  const std::string typeName = res::LoadString(kStrType);
  const std::string iconsName = res::LoadString(kStrIcons);
  for (const std::string& name : settings_.EnumSubkeys(parent->Path())) {
    if (name.empty() || name.size() > kMaxKeyName) continue;
    const std::string path = parent->Path() + "\\" + name;
    bool hasType = false;
    bool hasIcons = false;
    int type = 0;
    int icons = 0;
    for (const platform::RegValue& value : settings_.EnumValues(path)) {
      if (value.type != platform::RegType::Dword) continue;
      if (EqualNoCase(value.name, typeName)) {
        hasType = true;
        type = static_cast<int>(value.dword);
      } else if (EqualNoCase(value.name, iconsName)) {
        hasIcons = true;
        icons = static_cast<int>(value.dword);
      }
    }
    if (!hasType || !hasIcons) continue;
    if (type != CViewNode::kGroup && type <= 5) continue;  // not a group, not a view
    if (type == CViewNode::kGroup) icons = GroupIcons(icons);
    CViewNode* node = MakeNode(name, type, icons, parent);
    // Only groups hold nodes: keys below a view are the view's own business.
    if (node->IsGroup()) LoadChildren(node);
  }
}

CViewNode* CViewStore::MakeNode(std::string name, int type, int icons, CViewNode* parent) {
  nodes_.push_back(std::make_unique<CViewNode>(std::move(name), type, icons, parent));
  CViewNode* node = nodes_.back().get();
  if (parent != nullptr) parent->AddChild(node);
  return node;
}

CViewNode* CViewStore::FindCurrentAtOpen() const {
  const std::string wanted = settings_.GetString("General", "CurrentView", kDefaultCurrentView);
  CViewNode* first = nullptr;
  for (const auto& node : nodes_) {
    if (!node->IsView()) continue;
    if (node->Name() == wanted) return node.get();
    if (first == nullptr) first = node.get();
  }
  return first;
}

std::vector<CViewNode*> CViewStore::Nodes() const {
  std::vector<CViewNode*> nodes;
  nodes.reserve(nodes_.size());
  for (const auto& node : nodes_) nodes.push_back(node.get());
  return nodes;
}

CViewNode* CViewStore::FindNode(const std::string& name) const {
  for (const auto& node : nodes_) {
    if (EqualNoCase(node->Name(), name)) return node.get();
  }
  return nullptr;
}

CViewNode* CViewStore::AddNode(CViewNode* parent, const std::string& name, int type, int icons) {
  if (parent == nullptr || !(parent->IsRoot() || parent->IsGroup())) return nullptr;
  if (name.empty() || name.find('\\') != std::string::npos || name.size() > kMaxKeyName) {
    return nullptr;
  }
  if (FindNode(name) != nullptr) return nullptr;
  CViewNode* node = MakeNode(name, type, icons, parent);
  settings_.WriteInt(node->Path(), res::LoadString(kStrType), type);
  settings_.WriteInt(node->Path(), res::LoadString(kStrIcons), icons);
  return node;
}

void CViewStore::SetNodeIcons(CViewNode* node, int icons) {
  if (node == nullptr || node == root_) return;
  node->SetIcons(icons);
  settings_.WriteInt(node->Path(), res::LoadString(kStrIcons), icons);
}

bool CViewStore::DeleteNode(CViewNode* node) {
  if (node == nullptr || node == root_ || node->Contains(current_)) return false;
  bool known = false;
  for (const auto& held : nodes_) known = known || held.get() == node;
  if (!known) return false;
  settings_.DeleteSection(node->Path());
  node->Parent()->RemoveChild(node);
  DestroySubtree(node);
  return true;
}

void CViewStore::DestroySubtree(CViewNode* node) {
  std::set<const CViewNode*> doomed;
  for (const auto& held : nodes_) {
    if (node->Contains(held.get())) doomed.insert(held.get());
  }
  // Deepest first: each node's engine stops before anything it belongs to goes.
  std::vector<std::unique_ptr<CViewNode>> kept;
  std::vector<std::unique_ptr<CViewNode>> dropped;
  for (auto& held : nodes_) {
    (doomed.count(held.get()) != 0 ? dropped : kept).push_back(std::move(held));
  }
  nodes_ = std::move(kept);
  while (!dropped.empty()) dropped.pop_back();
}

long CViewStore::MoveNode(CViewNode* node, CViewNode* newParent) {
  if (node == nullptr || node == root_ || newParent == nullptr ||
      !(newParent->IsRoot() || newParent->IsGroup()) || node->Contains(newParent) ||
      node->Parent() == newParent) {
    return app::MOVEKEY_NO_SOURCE;
  }
  return MoveKey(node, newParent, node->Name());
}

long CViewStore::RenameNode(CViewNode* node, const std::string& newName) {
  if (node == nullptr || node == root_ || newName.empty() ||
      newName.find('\\') != std::string::npos || newName.size() > kMaxKeyName) {
    return app::MOVEKEY_NO_SOURCE;
  }
  if (newName == node->Name()) return app::MOVEKEY_OK;
  return MoveKey(node, node->Parent(), newName);
}

long CViewStore::MoveKey(CViewNode* node, CViewNode* newParent, const std::string& newName) {
  const long result = settings_.MoveSettingsKey(node->Path(), newParent->Path() + "\\" + newName);
  // Nothing moved: the tree stays as the settings hold it.
  if (result != app::MOVEKEY_OK && result != app::MOVEKEY_SOME_FAILED) {
    if (result == app::MOVEKEY_DEST_EXISTS) {
      reportError_(kMsgNameExists, app::ERRCLASS_VW, 0, 0, 1);
    } else {
      reportError_(static_cast<unsigned>(result), app::ERRCLASS_WIN, 0, 0, 1);
    }
    return result;
  }
  node->Parent()->RemoveChild(node);
  newParent->AddChild(node);
  node->SetParent(newParent);
  node->SetName(newName);
  if (result == app::MOVEKEY_SOME_FAILED) {
    reportError_(static_cast<unsigned>(result), app::ERRCLASS_WIN, 0, 0, 1);
  }
  // The current view's key moved with it.
  if (node->Contains(current_)) definition_.Load(current_->Path(), current_->Type());
  return result;
}

// ---- the current view ----

discovery::CDiscoveryEngine* CViewStore::CurrentEngine() const {
  return current_ != nullptr ? current_->Engine() : nullptr;
}

bool CViewStore::IsSearching() const {
  discovery::CDiscoveryEngine* engine = CurrentEngine();
  return engine != nullptr && engine->IsBusy();
}

bool CViewStore::LoadView(CViewNode* node) {
  if (node->Engine() == nullptr && node->IsSearchable() && engines_) {
    node->SetEngine(engines_(*node));
  }
  const bool loaded = definition_.Load(node->Path(), node->Type());
  return loaded && node->Engine() != nullptr;
}

void CViewStore::SelectView(CViewNode* node, bool searchNow, bool force) {
  if (node == nullptr || !node->IsView()) return;
  if (node == current_ && !force) return;
  RememberSelection();
  // The view left behind must not go on feeding the list.
  if (node != current_ && IsSearching()) CurrentEngine()->Stop();
  const bool openedBefore = node->Engine() != nullptr;
  current_ = node;
  LoadView(node);
  settings_.WriteString("General", "CurrentView", node->Name());
  if (searchNow && (!openedBefore || force)) {
    Refresh();
  } else {
    // The rows always belong to the current view's engine, even when nothing is searched.
    RebuildRows();
  }
  Send(kMsgViewSelected);
}

void CViewStore::Refresh() {
  discovery::CDiscoveryEngine* engine = CurrentEngine();
  if (engine == nullptr) {
    // Nothing to search with; the list shows no rows of another view meanwhile.
    if (list_ != nullptr) list_->DeleteAllRows();
    SetupColumns();
    Ask(kMsgProtocolNotInitialized, platform::MB_OK | platform::MB_ICONEXCLAMATION, "");
    return;
  }
  RememberSelection();
  // A second search on a busy engine would run two threads over one socket.
  if (engine->IsBusy()) engine->Stop();
  Send(kMsgSearchStarted);
  if (list_ != nullptr) list_->DeleteAllRows();
  SetupColumns();
  engine->StartSearch(definition_.MakeSearchPlan());

  if (timerRunning_ && host_ != nullptr) host_->KillTimer(kRefreshTimerId);
  timerRunning_ = false;
  ticks_ = 0;
  if (definition_.GetRefresh() != 0) {
    timerRunning_ = host_ != nullptr && host_->SetTimer(kRefreshTimerId, kRefreshPeriodMs);
    if (!timerRunning_) Ask(kMsgNoTimer, platform::MB_OK | platform::MB_ICONEXCLAMATION);
  }
}

void CViewStore::OnTimer() {
  const int interval = definition_.GetRefresh();
  if (CurrentEngine() == nullptr || interval <= 0) {
    // A view without automatic refresh was opened while the timer ran for another one.
    if (timerRunning_ && host_ != nullptr) host_->KillTimer(kRefreshTimerId);
    timerRunning_ = false;
    return;
  }
  // A search still under way: this tick is skipped, not counted.
  if (IsSearching()) return;
  const int before = ticks_++;
  if (before * kRefreshPeriodSeconds + kRefreshPeriodSeconds < interval) return;
  Refresh();
  ticks_ = 0;
}

void CViewStore::Stop(bool skipRest) {
  if (discovery::CDiscoveryEngine* engine = CurrentEngine()) engine->Stop();
  if (skipRest) return;
  Reselect();
  SendLevel();
}

bool CViewStore::OnSearchDone() {
  // The end of a search stopped for a new one arrives while the new one runs: it ends nothing.
  if (IsSearching()) return false;
  SortList();
  Reselect();
  SendLevel();
  return true;
}

void CViewStore::SetPortMode(bool on) {
  if (on == portMode_) return;
  RememberSelection();
  portMode_ = on;
  if (current_ != nullptr) RebuildRows();
}

bool CViewStore::CustomizeView(int page) {
  if (!customizeSheet_ || current_ == nullptr) return false;
  if (IsSearching()) CurrentEngine()->Stop();
  const std::string oldName = current_->Name();
  CViewNode* chosen = current_;
  const size_t nodesBefore = nodes_.size();
  const int result = customizeSheet_(*current_, page, chosen);
  if (result < 0) {
    // A folder made on the General page stays when the sheet is cancelled: show it.
    if (nodes_.size() != nodesBefore) Post(kMsgViewsChanged, reinterpret_cast<intptr_t>(current_));
    return false;
  }
  if (chosen != nullptr && chosen != current_ && chosen->IsView()) {
    // The view the sheet ended on becomes current and is searched afresh.
    SelectView(chosen, true, true);
  } else if (LoadView(current_); current_->Name() != oldName) {
    settings_.WriteString("General", "CurrentView", current_->Name());
    Refresh();
  } else if (result == CViewDefinition::kSaveNeedsSearch) {
    Refresh();
  } else {
    RebuildList();
  }
  Post(kMsgViewsChanged, reinterpret_cast<intptr_t>(current_));
  return true;
}

CViewNode* CViewStore::NewView(CViewNode* parent, bool searchNow) {
  if (!newViewSheet_ || parent == nullptr || !(parent->IsRoot() || parent->IsGroup())) {
    return nullptr;
  }
  const size_t nodesBefore = nodes_.size();
  CViewNode* made = newViewSheet_(*parent);
  if (made == nullptr) {
    if (nodes_.size() != nodesBefore) Post(kMsgViewsChanged, reinterpret_cast<intptr_t>(current_));
    return nullptr;
  }
  SelectView(made, searchNow, true);
  Post(kMsgViewsChanged, reinterpret_cast<intptr_t>(made));
  return made;
}

void CViewStore::SortBy(const std::string& title, bool descending) {
  if (CurrentEngine() == nullptr) return;
  definition_.SetSort(table_.IndexOfTitle(title), descending, true);
  SortList();
  if (list_ != nullptr) {
    const int column = definition_.GetSortColumn();
    list_->SetSortIndicator(discovery::CDeviceColumnTable::IsValidIndex(column) ? title : "",
                            descending);
  }
}

bool CViewStore::SelectedDeviceNeedsAddress() const {
  const discovery::CDeviceRecord* record = SelectedDevice();
  return record != nullptr && record->IsValid() && !record->IsConfigured();
}

int CViewStore::DoubleClickCommand() const {
  if (current_ != nullptr && current_->Name() == kUnconfiguredView &&
      SelectedDeviceNeedsAddress()) {
    return kCmdEnterIpAddress;
  }
  const int command = settings_.GetInt("General", "DoubleClick", kCmdConnectionStatus);
  if (command == kCmdVirtualPort || command == kCmdConfigurationWizard) return command;
  return kCmdConnectionStatus;
}

// ---- the rows ----

void CViewStore::SetupColumns() {
  shownColumns_.clear();
  if (list_ == nullptr) return;
  std::vector<ListColumn> columns;
  const bool fit = definition_.FitColumns(false, false);
  if (CurrentEngine() != nullptr) {
    for (int i = 0; i < definition_.ColumnCount(); ++i) {
      const int column = definition_.GetColumn(i);
      if (!portMode_ && table_.IsPortColumn(column)) continue;
      const int stored = definition_.ColumnWidth(i);
      const int width = !fit && stored > 1 ? stored : table_.Width(column);
      columns.push_back({column, table_.Title(column), width, fit});
      shownColumns_.push_back(column);
    }
  }
  // A list without columns would show nothing at all, not even that it is empty.
  if (columns.empty()) {
    columns.push_back({discovery::kColSystemName, table_.Title(discovery::kColSystemName),
                       table_.Width(discovery::kColSystemName), true});
    shownColumns_.push_back(discovery::kColSystemName);
  }
  list_->SetColumns(columns);
  const int sort = definition_.GetSortColumn();
  const bool arrow =
      CurrentEngine() != nullptr && discovery::CDeviceColumnTable::IsValidIndex(sort);
  list_->SetSortIndicator(arrow ? table_.Title(sort) : "", definition_.IsSortDescending());
}

void CViewStore::AddDevice(std::unique_ptr<discovery::CDeviceRecord> record) {
  discovery::CDiscoveryEngine* engine = CurrentEngine();
  if (engine == nullptr || record == nullptr) return;  // the record is deleted here
  // Left over from a view that was left while it searched: not a device of this view.
  if (!engine->MadeRecord(*record)) return;
  FillVirtualPorts(*record);
  const int device = engine->AddDevice(record.release());
  if (device < 0) return;  // a duplicate, deleted by the engine
  AddRows(device);
}

void CViewStore::FillVirtualPorts(discovery::CDeviceRecord& record) const {
  if (!portLookup_) return;
  const char* hw = record.GetColumnText(discovery::kColHwAddress);
  if (hw == nullptr) return;
  for (int port = 0; port < kMaxPortSlots; ++port) {
    // An unbound port is cleared: a record queried again keeps the text of a port since deleted.
    const int com = portLookup_(hw, port);
    record.SetVirtualPort(port, com > 0 ? "COM" + std::to_string(com) : std::string());
  }
}

void CViewStore::RefreshVirtualPorts() {
  for (const CViewNode* node : Nodes()) {
    const discovery::CDiscoveryEngine* engine = node->Engine();
    if (engine == nullptr) continue;
    for (int device = 0; device < engine->DeviceCount(); ++device) {
      if (discovery::CDeviceRecord* record = engine->GetDevice(device)) FillVirtualPorts(*record);
    }
  }
  RebuildList();
}

void CViewStore::AddRows(int device, bool filter) {
  discovery::CDiscoveryEngine* engine = CurrentEngine();
  if (list_ == nullptr || engine == nullptr) return;
  discovery::CDeviceRecord* record = engine->GetDevice(device);
  if (record == nullptr) return;
  const int slots = portMode_ ? kMaxPortSlots : 1;
  for (int slot = 0; slot < slots; ++slot) AddRow(*record, device, slot, filter);
}

bool CViewStore::AddRow(discovery::CDeviceRecord& record, int device, int slot, bool filter) {
  if (portMode_ && slot >= record.GetPortCount()) return false;
  // Every text of this row is taken after its own port is selected, so two rows of one device
  // show their own ports.
  record.SelectPort(portMode_ ? slot : -1);
  if (filter && !definition_.KeepsRow(record)) return false;
  if (filter && current_->Name() == kUnconfiguredView && record.IsConfigured()) return false;
  ListRow row;
  row.itemData = MakeItemData(device, slot);
  row.image = portMode_ ? record.GetLevel(slot + 1) : record.GetLevel(0) + 5;
  row.texts.reserve(shownColumns_.size());
  for (const int column : shownColumns_) {
    const char* text = record.GetColumnText(column);
    row.texts.emplace_back(text != nullptr ? text : "");
  }
  list_->InsertRow(row);
  return true;
}

void CViewStore::RebuildList() {
  RememberSelection();
  RebuildRows();
}

void CViewStore::RebuildRows() {
  if (list_ == nullptr) return;
  list_->DeleteAllRows();
  SetupColumns();
  if (discovery::CDiscoveryEngine* engine = CurrentEngine()) {
    for (int device = 0; device < engine->DeviceCount(); ++device) AddRows(device);
  }
  SortList();
  Reselect();
  SendLevel();
}

void CViewStore::SortList() {
  discovery::CDiscoveryEngine* engine = CurrentEngine();
  if (list_ == nullptr || engine == nullptr) return;
  const int column = definition_.GetSortColumn();
  // No sort column (a bare Sort value): the rows stay in the order they came.
  if (!discovery::CDeviceColumnTable::IsValidIndex(column)) {
    list_->SortRows(nullptr);
    return;
  }
  DeviceRowOrder order(column, table_.IsAddressSort(column), definition_.IsSortDescending());
  const bool perPort = table_.IsPortColumn(column);
  for (int row = 0; row < list_->GetRowCount(); ++row) {
    const uint32_t itemData = list_->GetItemData(row);
    discovery::CDeviceRecord* record = engine->GetDevice(ItemDevice(itemData));
    if (record == nullptr) continue;
    if (perPort) record->SelectPort(portMode_ ? ItemPort(itemData) : -1);
    order.Add(itemData, record->GetColumnText(column));
  }
  list_->SortRows([&order](uint32_t a, uint32_t b) { return order.Less(a, b); });
}

int CViewStore::RefreshOne() {
  discovery::CDiscoveryEngine* engine = CurrentEngine();
  if (list_ == nullptr || engine == nullptr) return -1;
  const int row = list_->GetSelectedRow();
  if (row < 0) return -1;
  const int device = ItemDevice(list_->GetItemData(row));
  discovery::CDeviceRecord* record = engine->GetDevice(device);
  if (record == nullptr) return -1;
  // The query must not share the SNMP engine with a search thread.
  if (engine->IsBusy()) engine->Stop();
  RememberSelection();

  discovery::CPleaseWaitDlg& wait = wait_ != nullptr ? *wait_ : discovery::PleaseWaitWindow();
  discovery::DeviceWait* ownWait = record->GetWaitWindow();
  wait.Begin();
  wait.SetText(kTextRebuilding);
  record->SetWaitWindow(&wait);
  const int result = record->Query();
  record->SetWaitWindow(ownWait);
  wait.End();

  FillVirtualPorts(*record);
  for (int at = list_->GetRowCount() - 1; at >= 0; --at) {
    if (ItemDevice(list_->GetItemData(at)) == device) list_->DeleteRow(at);
  }
  AddRows(device);
  SortList();
  Reselect();
  return result;
}

bool CViewStore::FindAndSelect(const std::string& text) {
  discovery::CDiscoveryEngine* engine = CurrentEngine();
  if (list_ == nullptr || engine == nullptr) return false;
  const int device = engine->FindOrQuery(text);
  discovery::CDeviceRecord* record = device >= 0 ? engine->GetDevice(device) : nullptr;
  if (record == nullptr) return false;
  const uint32_t itemData = MakeItemData(device, 0);
  if (list_->FindItemData(itemData) < 0) {
    FillVirtualPorts(*record);
    AddRows(device, false);
  }
  const int row = list_->FindItemData(itemData);
  if (row < 0) return false;
  list_->SelectRow(row);
  RememberSelection();
  return true;
}

discovery::CDeviceRecord* CViewStore::SelectedDevice(int* port) const {
  discovery::CDiscoveryEngine* engine = CurrentEngine();
  if (list_ == nullptr || engine == nullptr) return nullptr;
  const int row = list_->GetSelectedRow();
  if (row < 0) return nullptr;
  const uint32_t itemData = list_->GetItemData(row);
  if (port != nullptr) *port = ItemPort(itemData);
  return engine->GetDevice(ItemDevice(itemData));
}

void CViewStore::RememberSelection() {
  int port = 0;
  discovery::CDeviceRecord* record = SelectedDevice(&port);
  if (record == nullptr) return;  // keep what was remembered before
  const char* hw = record->GetColumnText(discovery::kColHwAddress);
  selected_.hwAddress = hw != nullptr ? hw : "";
  selected_.port = port;
  selected_.valid = !selected_.hwAddress.empty();
}

void CViewStore::Reselect() {
  discovery::CDiscoveryEngine* engine = CurrentEngine();
  if (list_ == nullptr || engine == nullptr || list_->GetRowCount() == 0) return;
  int row = -1;
  if (selected_.valid) {
    const int device = engine->FindText(selected_.hwAddress);
    // Rows carry their port only when the list shows one row per port.
    if (device >= 0)
      row = list_->FindItemData(MakeItemData(device, portMode_ ? selected_.port : 0));
  }
  list_->SelectRow(row >= 0 ? row : 0);
}

int CViewStore::HighestLevel() const {
  discovery::CDiscoveryEngine* engine = CurrentEngine();
  if (!definition_.HasColumn(discovery::kColStatus) || engine == nullptr) return 1;
  int level = 0;
  if (list_ == nullptr) return level;
  for (int row = 0; row < list_->GetRowCount(); ++row) {
    const discovery::CDeviceRecord* record = engine->GetDevice(ItemDevice(list_->GetItemData(row)));
    if (record != nullptr) level = std::max(level, record->GetLevel(0));
  }
  return level;
}

void CViewStore::SendLevel() {
  Send(kMsgStatusLevel, HighestLevel());
}

void CViewStore::SaveListLayout(const std::vector<HeaderItem>& header) {
  if (CurrentEngine() == nullptr) return;
  // Columns the header does not show (per-port ones in server mode) keep their places.
  std::vector<std::string> titles;
  std::vector<std::string> widths;
  size_t next = 0;
  for (int i = 0; i < definition_.ColumnCount(); ++i) {
    int column = definition_.GetColumn(i);
    int width = definition_.ColumnWidth(i) > 1 ? definition_.ColumnWidth(i) : table_.Width(column);
    if (portMode_ || !table_.IsPortColumn(column)) {
      if (next >= header.size()) break;
      column = header[next].column;
      width = header[next].width;
      ++next;
    }
    if (!discovery::CDeviceColumnTable::IsValidIndex(column)) continue;
    titles.push_back(table_.Title(column));
    widths.push_back(std::to_string(width));
  }
  if (titles.empty()) return;
  const bool fit = definition_.FitColumns(false, false);
  definition_.SaveColumns(Join(titles), fit ? "Auto" : Join(widths));
  definition_.ReloadColumns();
}

// ---- the main window ----

intptr_t CViewStore::Send(uint32_t id, intptr_t wParam, intptr_t lParam) {
  return host_ != nullptr ? host_->SendMessage(id, wParam, lParam) : 0;
}

void CViewStore::Post(uint32_t id, intptr_t wParam, intptr_t lParam) {
  if (host_ != nullptr) host_->PostMessage(id, wParam, lParam);
}

int CViewStore::Ask(unsigned stringId, unsigned type, const std::string& argument) {
  platform::Prompt& prompt = prompt_ != nullptr ? *prompt_ : platform::CurrentPrompt();
  return prompt.MessageBox(Format(res::LoadString(stringId), argument), caption_, type);
}

}  // namespace views
