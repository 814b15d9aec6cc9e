#include "app/CMainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <algorithm>

#include "app/AppIcons.h"
#include "app/BrandingInfo.h"
#include "app/BusyAnimation.h"
#include "app/FrameIds.h"
#include "app/FramePanes.h"
#include "app/FramePoster.h"
#include "app/WindowPlacement.h"
#include "res/StringTable.h"
#include "ui/ValueLabel.h"

namespace app {

namespace {

struct CommandText {
  int id;
  const char* text;
  const char* shortcut;
  bool checkable;
};

// Every command the menus, bars and accelerators carry, with the texts of the menu.
const CommandText kCommands[] = {
    {cmd::kExit, "E&xit", "", false},
    {cmd::kVirtualPort, "&Virtual Port...", "Alt+C", false},
    {cmd::kConnectionStatus, "Connection &Status...", "Alt+S", false},
    {cmd::kDeletePortByNumber, "&Delete Port by Number...", "Alt+W", false},
    {cmd::kCreateNewView, "Create &New View...", "", false},
    {cmd::kModifyCurrentView, "&Modify Current View...", "", false},
    {cmd::kSelectDeleteViews, "&Select/Delete Views...", "", false},
    {cmd::kRefresh, "&Refresh List", "F5", false},
    {cmd::kStop, "S&top", "Esc", false},
    {cmd::kToolBar, "&Tools", "", true},
    {cmd::kViewBar, "&View Select", "", true},
    {cmd::kStatusBar, "&Status", "", true},
    {cmd::kShowViewTree, "Show View &Tree", "F6", true},
    {cmd::kByPort, "Display by &Printer Port", "", true},
    {cmd::kMultiSelect, "M&ulti-Select Mode", "", true},
    {cmd::kLargeIcons, "Lar&ge Icons", "", true},
    {cmd::kSmallIcons, "S&mall Icons", "", true},
    {cmd::kList, "&List", "", true},
    {cmd::kDetails, "&Details", "", true},
    {cmd::kArrange, "&Arrange Icons", "", false},
    {cmd::kSearch, "&Search...", "F9", false},
    {cmd::kNetworkInformation, "&Network Information...", "", false},
    {cmd::kHttpSession, "&HTTP Session", "F3", false},
    {cmd::kOptionsSheet, "&Options...", "", false},
    {cmd::kOptions, "Start-up O&ptions...", "", false},
    // F1 itself is the help key (57670); the menu only shows it beside Contents.
    {cmd::kHelpIndex, "&Contents\tF1", "", false},
    {cmd::kHelp, "Help", "F1", false},
    {cmd::kContextHelp, "Help on &Item", "Shift+F1", false},
    {cmd::kEmailSupport, "&E-Mail Support", "", false},
    {cmd::kAbout, "&About Portolan...", "", false},
    {cmd::kMultiConfigure, "Multi-Unit &Configuration...", "", false},
    {cmd::kSelectAll, "Select &All", "", false},
    {cmd::kSelectNone, "Select N&one", "", false},
    {cmd::kUnused9, "Unused function 9", "Ctrl+Alt+I", false},
    {cmd::kNextPane, "Next Pane", "Tab", false},
    {cmd::kTrayOpen, "&Open", "", false},
    // Reachable from the menus here, though the toolbar and accelerators leave them out.
    {cmd::kSaveIpList, "Sa&ve IP List...", "", false},
    {cmd::kSetupUnlisted, "Setup &Unlisted IP Server...", "", false},
};

QString PlainText(const char* menuText) {
  return QString::fromUtf8(menuText).section('\t', 0, 0).remove('&').remove("...");
}

}  // namespace

CMainFrame::CMainFrame(Settings& settings, platform::Prompt& prompt, const BrandingInfo& branding,
                       QWidget* parent)
    : QMainWindow(parent), settings_(settings), controller_(settings, prompt, *this) {
  setObjectName("CMainFrame");
  setWindowTitle(QString::fromStdString(branding.MainWindowTitle()));
  setWindowIcon(AppIcon(MainFrameController::kIconNormal));
  setAccessibleName(windowTitle());
  poster_ = std::make_unique<FramePoster>([this](FrameMessage& message) {
    controller_.Dispatch(message);
    UpdateCommandStates();
  });
  animation_ = new BusyAnimation(QString::fromStdString(branding.companyAvi), this);
  BuildActions();
  BuildMenu();
  BuildBars();
  BuildStatusBar();
  BuildPanes();
  BuildTray(branding);
  RestorePlacement();
  // The panes and the enabling follow the state, as the old frame did on idle.
  auto* idle = new QTimer(this);
  connect(idle, &QTimer::timeout, this, &CMainFrame::UpdateCommandStates);
  idle->start(250);
  UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
  poster_->Close();
}

void CMainFrame::BuildActions() {
  for (const CommandText& command : kCommands) {
    auto* action = new QAction(QString::fromUtf8(command.text), this);
    action->setObjectName(QString::number(command.id));
    action->setCheckable(command.checkable);
    action->setIcon(CommandIcon(command.id));
    action->setIconVisibleInMenu(false);
    if (*command.shortcut != '\0') action->setShortcut(QKeySequence(command.shortcut));
    action->setToolTip(PlainText(command.text));
    const std::string prompt = res::LoadString(static_cast<unsigned>(command.id));
    action->setStatusTip(QString::fromStdString(prompt.substr(0, prompt.find('\n'))));
    const int id = command.id;
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    addAction(action);  // shortcuts work while the menu bar is hidden
    actions_[id] = action;
  }
  // The list styles are one choice.
  auto* styles = new QActionGroup(this);
  for (int id : {cmd::kLargeIcons, cmd::kSmallIcons, cmd::kList, cmd::kDetails}) {
    styles->addAction(actions_[id]);
  }
  actions_[cmd::kStop]->setShortcutContext(Qt::WindowShortcut);
  // Shown for where it belongs, disabled: nothing stands behind it yet, and the tip says so.
  actions_[cmd::kMultiConfigure]->setToolTip(
      tr("Multi-Unit Configuration is not available in this version of Portolan."));
}

void CMainFrame::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("128");
  auto add = [this](QMenu* menu, std::initializer_list<int> ids) {
    for (int id : ids) {
      if (id == 0) {
        menu->addSeparator();
      } else {
        menu->addAction(actions_[id]);
      }
    }
  };
  QMenu* file = bar->addMenu(tr("&File"));
  add(file, {cmd::kSaveIpList, 0, cmd::kExit});
  QMenu* ports = bar->addMenu(tr("&Ports"));
  add(ports, {cmd::kVirtualPort, cmd::kConnectionStatus, cmd::kDeletePortByNumber});
  QMenu* view = bar->addMenu(tr("&View"));
  add(view, {cmd::kCreateNewView, cmd::kModifyCurrentView, cmd::kSelectDeleteViews, 0,
             cmd::kRefresh, cmd::kStop, 0});
  QMenu* bars = view->addMenu(tr("&Bars"));
  add(bars, {cmd::kToolBar, cmd::kViewBar, cmd::kStatusBar});
  add(view, {cmd::kShowViewTree, 0, cmd::kByPort, cmd::kMultiSelect, 0, cmd::kLargeIcons,
             cmd::kSmallIcons, cmd::kList, cmd::kDetails, cmd::kArrange});
  QMenu* tools = bar->addMenu(tr("&Tools"));
  add(tools, {cmd::kSearch, cmd::kNetworkInformation, cmd::kHttpSession, 0, cmd::kOptionsSheet,
              cmd::kOptions});
  QMenu* help = bar->addMenu(tr("&Help"));
  add(help, {cmd::kHelpIndex, cmd::kEmailSupport, 0, cmd::kAbout});
  tools->insertAction(actions_[cmd::kNetworkInformation], actions_[cmd::kSetupUnlisted]);
  for (QMenu* menu : {file, ports, view, bars, tools, help}) {
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
  }
}

QToolBar* CMainFrame::MakeBar(int id, const QString& title) {
  auto* bar = new QToolBar(title, this);
  bar->setObjectName(QString::number(id));
  bar->setAccessibleName(title);
  bars_[id] = bar;
  return bar;
}

void CMainFrame::BuildBars() {
  QToolBar* main = MakeBar(bar::kMainToolBar, tr("Tools"));
  main->addAction(actions_[cmd::kExit]);
  main->addSeparator();
  // The button has an action of its own: multi-selection trades it for Multi-Unit Configuration
  // on the bar, while the Ports menu keeps its item.
  QAction* portItem = actions_[cmd::kVirtualPort];
  virtualPortButton_ = new QAction(portItem->icon(), portItem->text(), this);
  virtualPortButton_->setObjectName("virtualPortButton");
  virtualPortButton_->setToolTip(portItem->toolTip());
  virtualPortButton_->setStatusTip(portItem->statusTip());
  connect(virtualPortButton_, &QAction::triggered, portItem, &QAction::trigger);
  main->addAction(virtualPortButton_);
  main->addAction(actions_[cmd::kMultiConfigure]);
  main->addAction(actions_[cmd::kConnectionStatus]);
  main->addAction(actions_[cmd::kSearch]);
  main->addSeparator();
  main->addAction(actions_[cmd::kHelpIndex]);
  main->addSeparator();
  main->addAction(actions_[cmd::kLargeIcons]);
  main->addAction(actions_[cmd::kDetails]);
  main->addAction(actions_[cmd::kList]);
  actions_[cmd::kMultiConfigure]->setVisible(false);

  QToolBar* viewBar = MakeBar(bar::kViewBar, tr("View Select"));
  viewBar->addAction(actions_[cmd::kStop]);
  viewBar->addAction(actions_[cmd::kRefresh]);
  selectorPlaceholder_ = new QComboBox(viewBar);
  selectorPlaceholder_->setObjectName(QString::number(bar::kViewSelector));
  selectorPlaceholder_->setAccessibleName(tr("Current view"));
  selectorAction_ = viewBar->addWidget(selectorPlaceholder_);
  viewBar->addAction(actions_[cmd::kModifyCurrentView]);

  QToolBar* animationBar = MakeBar(bar::kAnimation, tr("Search Activity"));
  animationBar->addWidget(animation_);

  std::vector<Band> bands =
      BandLayout::IsStored(settings_) ? BandLayout::Read(settings_) : BandLayout::FirstStart();
  // A stored width comes back as the bar's least width, never more than half the screen.
  int widest = 512;
  if (QScreen* primary = QGuiApplication::primaryScreen()) {
    widest = primary->availableGeometry().width() / 2;
  }
  bool first = true;
  for (size_t i = 0; i < bands.size(); ++i) {
    const Band& band = bands[i];
    QToolBar* toolBar = bars_[band.id];
    if (const int width = BandLayout::ChildWidth(bands, i); width > 0) {
      toolBar->setMinimumWidth(std::min(width, widest));
    }
    if (!first && (band.style & BandLayout::kBreak)) addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, toolBar);
    toolBar->setMovable((band.style & BandLayout::kFixedSize) == 0);
    if (band.style & BandLayout::kHidden) {
      toolBar->hide();
      controller_.SetBarShown(band.id, false);
    }
    toolBar->setProperty("bandStyle", band.style);
    first = false;
  }
}

void CMainFrame::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QString::number(bar::kStatusBar));
  messagePane_ = new ui::ValueLabel(tr("Status message"), bar);
  messagePane_->setObjectName("messagePane");
  bar->addWidget(messagePane_, 1);
  const std::pair<int, QString> panes[] = {{59137, tr("Device count")},
                                           {59138, tr("Protocol")},
                                           {59139, tr("View")},
                                           {59140, tr("Display filter")}};
  for (const auto& [id, title] : panes) {
    auto* pane = new ui::ValueLabel(title, bar);
    pane->setObjectName(QString::number(id));
    bar->addPermanentWidget(pane);
    panes_[id] = pane;
  }
  panes_[59140]->SetValue(QString::fromStdString(res::LoadString(59140)));
}

void CMainFrame::BuildPanes() {
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName("59648");
  splitter_->setChildrenCollapsible(false);
  treePlaceholder_ = new QWidget(splitter_);
  listPlaceholder_ = new QWidget(splitter_);
  splitter_->setStretchFactor(1, 1);
  setCentralWidget(splitter_);
  connect(splitter_, &QSplitter::splitterMoved, this, [this] { treeWidth_ = TreeWidth(); });
}

void CMainFrame::BuildTray(const BrandingInfo& branding) {
  trayMenu_ = new QMenu(this);
  trayMenu_->setObjectName("189");
  trayMenu_->setTitle(tr("Portolan"));
  trayMenu_->addAction(actions_[cmd::kTrayOpen]);
  trayMenu_->addAction(actions_[cmd::kAbout]);
  trayMenu_->addAction(actions_[cmd::kHelpIndex]);
  trayMenu_->setDefaultAction(actions_[cmd::kTrayOpen]);
  connect(trayMenu_, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  tray_ = new QSystemTrayIcon(AppIcon(MainFrameController::kIconNormal), this);
  std::string tip = branding.companyName + " " + branding.programName;
  tray_->setToolTip(QString::fromStdString(tip.substr(0, 127)));
  tray_->setContextMenu(trayMenu_);
  connect(tray_, &QSystemTrayIcon::activated, this, &CMainFrame::OnTrayActivated);
  tray_->show();
}

void CMainFrame::OnTrayActivated(QSystemTrayIcon::ActivationReason reason) {
  if (reason == QSystemTrayIcon::DoubleClick) RunCommand(cmd::kTrayOpen);
}

void CMainFrame::RestorePlacement() {
  QRect desktop(0, 0, 1024, 768);
  if (QScreen* primary = QGuiApplication::primaryScreen()) desktop = primary->geometry();
  Rect stored = WindowPlacement::Read(settings_, desktop.width(), desktop.height());
  if (!WindowPlacement::IsStored(settings_)) {
    // First start: wide enough for the first view's columns, within the screen.
    QRect area = desktop;
    if (QScreen* primary = QGuiApplication::primaryScreen()) area = primary->availableGeometry();
    stored = WindowPlacement::FirstStartRect(
        WindowPlacement::ColumnsWidth(CKestrelApp::kFirstViewColumns),
        Rect{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()});
  }
  std::vector<Rect> screens;
  QList<QScreen*> all = QGuiApplication::screens();
  std::stable_partition(all.begin(), all.end(),
                        [](QScreen* s) { return s == QGuiApplication::primaryScreen(); });
  for (QScreen* screen : all) {
    QRect area = screen->availableGeometry();
    screens.push_back(
        Rect{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()});
  }
  Rect rect = WindowPlacement::BringOnScreen(stored, screens);
  setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void CMainFrame::Attach(FrameStore* store, FrameTreePane* tree, FrameListPane* list,
                        FrameViewSelector* selector, int setAppIcon) {
  tree_ = tree;
  list_ = list;
  selector_ = selector;
  if (tree_ != nullptr) {
    splitter_->replaceWidget(0, tree_->Widget());
    treePlaceholder_->deleteLater();
  }
  if (list_ != nullptr) {
    splitter_->replaceWidget(1, list_->Widget());
    listPlaceholder_->deleteLater();
  }
  if (selector_ != nullptr) {
    QToolBar* viewBar = bars_[bar::kViewBar];
    QAction* replaced = viewBar->insertWidget(selectorAction_, selector_->Widget());
    viewBar->removeAction(selectorAction_);
    selectorAction_ = replaced;
    selectorPlaceholder_ = nullptr;
    selector_->Fill();
  }
  controller_.Attach(store, setAppIcon);
  UpdateCommandStates();
}

platform::MessagePoster& CMainFrame::Poster() {
  return *poster_;
}

intptr_t CMainFrame::HandleMessage(uint32_t id, intptr_t wParam, intptr_t lParam) {
  FrameMessage message = FrameMessage::Adopt(id, wParam, lParam);
  intptr_t result = controller_.Dispatch(message);
  UpdateCommandStates();
  return result;
}

bool CMainFrame::RunCommand(int id) {
  bool ran = controller_.RunCommand(id);
  UpdateCommandStates();
  return ran;
}

void CMainFrame::PostCommand(int id) {
  QMetaObject::invokeMethod(
      this, [this, id] { RunCommand(id); }, Qt::QueuedConnection);
}

void CMainFrame::OnStoreTimer() {
  controller_.OnStoreTimer(isEnabled() && QApplication::activeModalWidget() == nullptr);
}

QAction* CMainFrame::Action(int id) const {
  auto it = actions_.find(id);
  return it != actions_.end() ? it->second : nullptr;
}

void CMainFrame::UpdateCommandStates() {
  for (auto& [id, action] : actions_) {
    CommandState state = controller_.StateOf(id);
    action->setEnabled(state.enabled);
    if (action->isCheckable()) action->setChecked(state.checked);
  }
  virtualPortButton_->setEnabled(actions_[cmd::kVirtualPort]->isEnabled());
  UpdateStatusPanes();
}

void CMainFrame::UpdateStatusPanes() {
  const int count = list_ != nullptr ? list_->RowCount() : 0;
  panes_[59137]->SetValue(QString::fromStdString(MainFrameController::CountText(count)));
  panes_[59138]->SetValue(QString::fromStdString(controller_.CurrentProtocolText()));
  panes_[59139]->SetValue(QString::fromStdString(controller_.CurrentViewText()));
  panes_[59140]->setEnabled(controller_.FilterActive());
}

QToolBar* CMainFrame::BarOf(int id) const {
  auto it = bars_.find(id);
  return it != bars_.end() ? it->second : nullptr;
}

void CMainFrame::SetAppIcon(int iconId) {
  setWindowIcon(AppIcon(iconId));
}

void CMainFrame::SetBusy(bool busy) {
  if (busy) {
    setCursor(Qt::BusyCursor);
    animation_->Start();
  } else {
    unsetCursor();
    animation_->Stop();
  }
}

bool CMainFrame::HasStatusBar() const {
  return messagePane_ != nullptr && !closing_;
}

void CMainFrame::SetMessagePane(const std::string& text) {
  messagePane_->SetValue(QString::fromStdString(text));
}

void CMainFrame::ShowCurrentView(bool focusList) {
  if (tree_ != nullptr) tree_->SelectCurrentView();
  if (!focusList) return;
  if (selector_ != nullptr) selector_->SelectCurrentView();
  if (list_ != nullptr) list_->Widget()->setFocus();
}

void CMainFrame::RebuildViews(intptr_t view) {
  if (tree_ != nullptr) tree_->Rebuild(view);
  if (selector_ != nullptr) selector_->Fill();
}

void CMainFrame::SetTreeButtonChecked(bool checked) {
  actions_[cmd::kShowViewTree]->setChecked(checked);
}

void CMainFrame::ShowTreePane(bool show, int minWidth) {
  QWidget* pane = splitter_->widget(0);
  if (!show) {
    if (pane->isVisible()) treeWidth_ = TreeWidth();
    pane->hide();
    return;
  }
  pane->show();
  int width = std::max(treeWidth_, minWidth);
  QList<int> sizes = splitter_->sizes();
  int total = sizes.value(0) + sizes.value(1);
  if (total <= 0) total = splitter_->width();
  splitter_->setSizes({width, std::max(1, total - width)});
  treeWidth_ = width;
}

void CMainFrame::SetTreeWidth(int stored) {
  treeWidth_ = WindowPlacement::ClampSplitter(stored, width());
  if (treeWidth_ > 0) splitter_->setSizes({treeWidth_, std::max(1, width() - treeWidth_)});
}

int CMainFrame::TreeWidth() const {
  QWidget* pane = splitter_->widget(0);
  if (!pane->isVisibleTo(this)) return treeWidth_;
  return splitter_->sizes().value(0);
}

void CMainFrame::SetMultiSelect(bool on) {
  // The multi-selection mode trades the Virtual Port button for Multi-Unit Configuration.
  virtualPortButton_->setVisible(!on);
  actions_[cmd::kMultiConfigure]->setVisible(on);
  if (list_ != nullptr) list_->SetMultiSelect(on);
}

void CMainFrame::SetListMode(ListMode mode) {
  if (list_ != nullptr) list_->SetListMode(mode);
}

void CMainFrame::ArrangeIcons() {
  if (list_ != nullptr) list_->ArrangeIcons();
}

void CMainFrame::SetBarVisible(int barId, bool visible) {
  if (barId == bar::kStatusBar) {
    statusBar()->setVisible(visible);
  } else if (QToolBar* toolBar = BarOf(barId)) {
    toolBar->setVisible(visible);
  }
}

void CMainFrame::CheckAllRows(bool checked) {
  if (list_ != nullptr) list_->CheckAllRows(checked);
}

void CMainFrame::FocusNextPane() {
  QWidget* focus = QApplication::focusWidget();
  QWidget* tree = splitter_->widget(0);
  QWidget* list = splitter_->widget(1);
  bool inTree = focus != nullptr && (focus == tree || tree->isAncestorOf(focus));
  if (inTree || !tree->isVisible()) {
    list->setFocus(Qt::TabFocusReason);
  } else {
    tree->setFocus(Qt::TabFocusReason);
  }
}

void CMainFrame::ShowNormalAndRaise() {
  RestoreAndRaise();
}

void CMainFrame::CloseWindow() {
  close();
}

bool CMainFrame::ListHasFocus() const {
  if (list_ == nullptr) return false;
  QWidget* focus = QApplication::focusWidget();
  QWidget* list = list_->Widget();
  return focus != nullptr && (focus == list || list->isAncestorOf(focus));
}

bool CMainFrame::ListHasSelection() const {
  return list_ != nullptr && list_->HasSelection();
}

void CMainFrame::RestoreAndRaise() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

void CMainFrame::StartMinimized() {
  if (tray_ != nullptr) {
    hide();
  } else {
    showMinimized();  // without a tray a hidden window could not be reached again
  }
}

bool CMainFrame::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    // While a search runs the pane shows its progress, not the menu prompts.
    if (!controller_.PaneLocked()) {
      messagePane_->SetValue(static_cast<QStatusTipEvent*>(event)->tip());
    }
    return true;
  }
  return QMainWindow::event(event);
}

void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || !isMinimized()) return;
  // Minimized, the window lives in the tray; without a tray it stays an ordinary minimized window.
  if (tray_ != nullptr && tray_->isVisible()) QTimer::singleShot(0, this, &QWidget::hide);
}

std::vector<Band> CMainFrame::CurrentBands() const {
  std::vector<QToolBar*> ordered;
  for (auto& [id, toolBar] : bars_) ordered.push_back(toolBar);
  // Display order: row by row, left to right.
  std::sort(ordered.begin(), ordered.end(), [](QToolBar* a, QToolBar* b) {
    if (a->geometry().top() != b->geometry().top()) {
      return a->geometry().top() < b->geometry().top();
    }
    return a->geometry().left() < b->geometry().left();
  });
  std::vector<Band> bands;
  bool first = true;
  for (QToolBar* toolBar : ordered) {
    int id = toolBar->objectName().toInt();
    int style = toolBar->property("bandStyle").toInt();
    style &= ~(BandLayout::kBreak | BandLayout::kHidden);
    if (!first && toolBarBreak(toolBar)) style |= BandLayout::kBreak;
    if (first) style |= BandLayout::kBreak;
    if (toolBar->isHidden()) style |= BandLayout::kHidden;
    bands.push_back(Band{id, toolBar->width(), style});
    first = false;
  }
  return bands;
}

Rect CMainFrame::NormalRect() const {
  QRect r = (isMaximized() || isMinimized() || isFullScreen()) ? normalGeometry() : geometry();
  if (!r.isValid()) r = geometry();
  return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!closing_) {
    controller_.SaveOnClose(CurrentBands(), NormalRect(), TreeWidth());
    closing_ = true;
    if (tray_ != nullptr) tray_->hide();
  }
  QMainWindow::closeEvent(event);
}

}  // namespace app
