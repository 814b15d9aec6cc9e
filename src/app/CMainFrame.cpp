#include "app/CMainFrame.h"

#include <QLabel>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeView>
#include <QTreeWidget>

namespace app {

CMainFrame::CMainFrame(const QString& title, QWidget* parent) : QMainWindow(parent) {
  setObjectName("CMainFrame");
  setWindowTitle(title);
  BuildPanes();
  BuildStatusBar();
  resize(620, 440);
  SetMessageHandler(kMsgAreYouRunning, [](intptr_t, intptr_t) { return kRunningCopyAnswer; });
}

void CMainFrame::BuildPanes() {
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName("59648");
  auto* tree = new QTreeWidget(splitter_);
  tree->setObjectName("CLeftView");
  tree->setHeaderHidden(true);
  auto* list = new QTreeView(splitter_);
  list->setObjectName("CKestrelView");
  list->setRootIsDecorated(false);
  splitter_->setSizes({150, 470});
  setCentralWidget(splitter_);
}

void CMainFrame::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("59393");
  for (int id : {59137, 59138, 59139, 59140}) {
    auto* pane = new QLabel(bar);
    pane->setObjectName(QString::number(id));
    bar->addPermanentWidget(pane);
  }
}

void CMainFrame::SetMessageHandler(uint32_t id, MessageHandler handler) {
  handlers_[id] = std::move(handler);
}

intptr_t CMainFrame::HandleMessage(uint32_t id, intptr_t wParam, intptr_t lParam) {
  auto it = handlers_.find(id);
  if (it == handlers_.end()) return 0;
  return it->second(wParam, lParam);
}

void CMainFrame::RestoreAndRaise() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

}  // namespace app
