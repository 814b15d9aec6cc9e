#include "views/ViewSelector.h"

#include "res/StringTable.h"
#include "views/CLeftView.h"
#include "views/CViewNode.h"
#include "views/CViewStore.h"
#include "views/TreeImages.h"
#include "views/ViewTreeRules.h"

namespace views {

namespace {

constexpr unsigned kCreateNewViewText = 6071;
constexpr int kCmdCreateNewView = 32801;
constexpr int kNodeRole = Qt::UserRole;

}  // namespace

ViewSelector::ViewSelector(CViewStore& store, CLeftView& tree, QWidget* parent)
    : QComboBox(parent), store_(store), tree_(tree) {
  setObjectName("1001");
  setAccessibleName(tr("Current view"));
  setSizeAdjustPolicy(QComboBox::AdjustToContents);
  setMinimumContentsLength(18);
  connect(this, &QComboBox::activated, this, &ViewSelector::OnActivated);
}

void ViewSelector::Fill() {
  QSignalBlocker quiet(this);
  clear();
  for (CViewNode* node : store_.Nodes()) {
    if (!node->IsView()) continue;
    addItem(TreeImage(node->Icons()), QString::fromStdString(node->Name()),
            QVariant::fromValue(reinterpret_cast<quintptr>(node)));
  }
  addItem(QString::fromStdString(res::LoadString(kCreateNewViewText)), QVariant());
  SelectCurrentView();
}

void ViewSelector::SelectCurrentView() {
  QSignalBlocker quiet(this);
  const auto current = reinterpret_cast<quintptr>(store_.CurrentNode());
  for (int i = 0; i < count(); ++i) {
    if (itemData(i, kNodeRole).value<quintptr>() == current && current != 0) {
      setCurrentIndex(i);
      return;
    }
  }
}

void ViewSelector::OnActivated(int index) {
  const auto node = reinterpret_cast<CViewNode*>(itemData(index, kNodeRole).value<quintptr>());
  if (node == nullptr) {
    SelectCurrentView();
    if (post_) post_(kCmdCreateNewView);
    return;
  }
  tree_.SelectNode(node);
  if (post_) post_(refreshAlways_ ? ViewTreeRules::kCmdOpenRefresh : ViewTreeRules::kCmdOpen);
}

}  // namespace views
