// The program's one top-level window. For now: the title, the two panes and the status bar, and
// the private messages that other parts post to it.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <map>

class QLabel;
class QSplitter;
class QTreeWidget;
class QTreeView;

namespace app {

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // Answer of the running copy to 0x8013, which a starting copy checks.
  static constexpr intptr_t kRunningCopyAnswer = 123456789;
  static constexpr uint32_t kMsgAreYouRunning = 0x8013;

  explicit CMainFrame(const QString& title, QWidget* parent = nullptr);

  // Dispatches a posted (id, wParam, lParam) through the handler table; 0 when nobody handles it.
  intptr_t HandleMessage(uint32_t id, intptr_t wParam, intptr_t lParam);
  using MessageHandler = std::function<intptr_t(intptr_t wParam, intptr_t lParam)>;
  void SetMessageHandler(uint32_t id, MessageHandler handler);

  // Shows the window again when it was hidden or minimized and brings it to the front.
  void RestoreAndRaise();

 private:
  void BuildPanes();
  void BuildStatusBar();

  std::map<uint32_t, MessageHandler> handlers_;
  QSplitter* splitter_ = nullptr;
};

}  // namespace app
