// The program's one top-level window, the thin face of MainFrameController: the menu (128), the
// three bars (main toolbar 129, view bar 154 with the view selector, the animation 155) in their
// stored layout, the splitter with the view tree and the device list, the status bar with its
// message pane and four panes, the tray icon (189). Private messages arrive as posted events
// through Poster().
#pragma once

#include <QMainWindow>
#include <QSystemTrayIcon>
#include <cstdint>
#include <map>
#include <memory>

#include "app/FrameFace.h"
#include "app/FrameIds.h"
#include "app/MainFrameController.h"
#include "platform/MessagePoster.h"

class QAction;
class QMenu;
class QSplitter;
class QToolBar;

namespace ui {
class ValueLabel;
}

namespace platform {
class Prompt;
}

namespace app {

class BusyAnimation;
class FrameListPane;
class FramePoster;
class FrameTreePane;
class FrameViewSelector;
struct BrandingInfo;

class CMainFrame : public QMainWindow, public FrameFace {
  Q_OBJECT

 public:
  static constexpr intptr_t kRunningCopyAnswer = msg::kRunningCopyAnswer;
  static constexpr uint32_t kMsgAreYouRunning = msg::kAreYouRunning;

  CMainFrame(Settings& settings, platform::Prompt& prompt, const BrandingInfo& branding,
             QWidget* parent = nullptr);
  ~CMainFrame() override;

  // Start-up's attach step: the store, the panes over it and the icon setting.
  void Attach(FrameStore* store, FrameTreePane* tree, FrameListPane* list,
              FrameViewSelector* selector, int setAppIcon);

  // Where the store, the engines and the wait windows post (any thread).
  platform::MessagePoster& Poster();
  // A message handled at once, as a sent message (GUI thread only).
  intptr_t HandleMessage(uint32_t id, intptr_t wParam = 0, intptr_t lParam = 0);
  // Runs a command as its menu item or button would; false when it is disabled or unknown.
  bool RunCommand(int id);
  // Runs a command once the event loop runs (as a posted WM_COMMAND).
  void PostCommand(int id);
  MainFrameController& Controller() { return controller_; }

  // Shows the window again when it was hidden or minimized and brings it to the front.
  void RestoreAndRaise();
  // The start-minimized flag: to the tray when there is one, else minimized.
  void StartMinimized();
  // The timer of the view store went off.
  void OnStoreTimer();
  void UpdateCommandStates();
  QAction* Action(int id) const;

  // FrameFace.
  void SetAppIcon(int iconId) override;
  void SetBusy(bool busy) override;
  bool HasStatusBar() const override;
  void SetMessagePane(const std::string& text) override;
  void ShowCurrentView(bool focusList) override;
  void RebuildViews(intptr_t view) override;
  void SetTreeButtonChecked(bool checked) override;
  void ShowTreePane(bool show, int minWidth) override;
  void SetTreeWidth(int stored) override;
  void SetMultiSelect(bool on) override;
  void SetListMode(ListMode mode) override;
  void ArrangeIcons() override;
  void SetBarVisible(int barId, bool visible) override;
  void CheckAllRows(bool checked) override;
  void FocusNextPane() override;
  void ShowNormalAndRaise() override;
  void CloseWindow() override;
  bool ListHasFocus() const override;
  bool ListHasSelection() const override;

 protected:
  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildActions();
  void BuildMenu();
  void BuildBars();
  QToolBar* MakeBar(int id, const QString& title);
  void BuildStatusBar();
  void BuildTray(const BrandingInfo& branding);
  void BuildPanes();
  void RestorePlacement();
  std::vector<Band> CurrentBands() const;
  Rect NormalRect() const;
  int TreeWidth() const;
  void UpdateStatusPanes();
  void OnTrayActivated(QSystemTrayIcon::ActivationReason reason);
  QToolBar* BarOf(int id) const;

  Settings& settings_;
  MainFrameController controller_;
  std::unique_ptr<FramePoster> poster_;
  std::map<int, QAction*> actions_;
  std::map<int, QToolBar*> bars_;
  QMenu* trayMenu_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QWidget* treePlaceholder_ = nullptr;
  QWidget* listPlaceholder_ = nullptr;
  QWidget* selectorPlaceholder_ = nullptr;
  QAction* selectorAction_ = nullptr;
  BusyAnimation* animation_ = nullptr;
  ui::ValueLabel* messagePane_ = nullptr;
  std::map<int, ui::ValueLabel*> panes_;
  QAction* virtualPortButton_ = nullptr;  // the main toolbar's Virtual Port button
  FrameTreePane* tree_ = nullptr;
  FrameListPane* list_ = nullptr;
  FrameViewSelector* selector_ = nullptr;
  int treeWidth_ = 150;  // kept while the pane is hidden
  bool closing_ = false;
};

}  // namespace app
