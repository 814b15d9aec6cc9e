#include "views/CustomizeViewSheet.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "discovery/CDeviceRecord.h"
#include "discovery/CDiscoveryEngine.h"
#include "res/StringTable.h"
#include "ui/DialogButtons.h"
#include "views/CCustomizeViewPropSheet.h"
#include "views/CNewViewPage.h"
#include "views/CViewColumnsPage.h"
#include "views/CViewFiltersPage.h"
#include "views/CViewGeneralPage.h"
#include "views/CViewNode.h"
#include "views/CViewStore.h"

namespace views {

namespace {

// The distinct non-empty texts of a column among the devices the current view lists.
FiltersPageModel::ListedTexts ListedTextsOf(CViewStore& store) {
  return [&store](int column) {
    std::vector<std::string> texts;
    discovery::CDiscoveryEngine* engine = store.CurrentEngine();
    if (engine == nullptr) return texts;
    for (int i = 0; i < engine->DeviceCount(); ++i) {
      const discovery::CDeviceRecord* record = engine->GetDevice(i);
      const char* text = record != nullptr ? record->GetColumnText(column) : nullptr;
      if (text == nullptr || *text == '\0') continue;
      if (std::find(texts.begin(), texts.end(), text) == texts.end()) texts.emplace_back(text);
    }
    return texts;
  };
}

QWidget* MakeWelcome(QWidget* parent) {
  auto* page = new QWidget(parent);
  page->setObjectName("3748");
  auto* layout = new QVBoxLayout(page);
  auto* heading = new QLabel("<h2>Welcome to the Portolan</h2>", page);
  auto* text = new QLabel(
      "Portolan shows the device servers it finds through views. Before it can begin, a view must "
      "be created.\n\nOn the next page name the view; check \"Automatically create a view with "
      "default settings.\" and press Finish to have a view made for you.",
      page);
  text->setWordWrap(true);
  layout->addWidget(heading);
  layout->addWidget(text);
  layout->addStretch();
  return page;
}

}  // namespace

CustomizeViewSheet::CustomizeViewSheet(CCustomizeViewPropSheet& sheet, CViewStore& store,
                                       QWidget* parent)
    : QDialog(parent), sheet_(sheet), store_(store) {
  setWindowTitle(QString::fromStdString(res::LoadString(CCustomizeViewPropSheet::kCaption)));
  editPages_ = {new CViewFiltersPage(sheet_, ListedTextsOf(store_), this),
                new CViewColumnsPage(sheet_, this), new CViewGeneralPage(sheet_, store_, this)};
  if (sheet_.IsWizard()) {
    BuildWizard();
  } else {
    BuildCustomize();
  }
}

void CustomizeViewSheet::BuildCustomize() {
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  selector_ = new QComboBox(this);
  selector_->setObjectName("3713");
  selector_->setAccessibleName("View Name");
  for (CViewNode* view : sheet_.SelectableViews()) {
    selector_->addItem(QString::fromStdString(view->Name()), QVariant::fromValue<void*>(view));
    if (view == sheet_.EditedView()) selector_->setCurrentIndex(selector_->count() - 1);
  }
  top->addWidget(new QLabel("View Name:", this));
  top->addWidget(selector_, 1);
  layout->addLayout(top);
  tabs_ = new QTabWidget(this);
  for (ViewSheetPage* page : editPages_) tabs_->addTab(page, page->windowTitle());
  const CCustomizeViewPropSheet::Page first = sheet_.FirstPage();
  for (int i = 0; i < static_cast<int>(editPages_.size()); ++i) {
    if (editPages_[static_cast<size_t>(i)]->objectName() == QString::number(first)) {
      tabs_->setCurrentIndex(i);
    }
  }
  layout->addWidget(tabs_);
  layout->addWidget(ui::DialogButtons::Make(this));
  shownTab_ = tabs_->currentIndex();
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) { LeaveTab(index); });
  connect(selector_, &QComboBox::activated, this, [this](int index) { ChooseView(index); });
}

void CustomizeViewSheet::BuildWizard() {
  auto* layout = new QVBoxLayout(this);
  steps_ = new QStackedWidget(this);
  if (sheet_.Mode() == CCustomizeViewPropSheet::kModeFirstStart)
    steps_->addWidget(MakeWelcome(this));
  newView_ = new CNewViewPage(store_.UdpAvailable(), this);
  steps_->addWidget(newView_);
  for (ViewSheetPage* page : editPages_) steps_->addWidget(page);
  layout->addWidget(steps_);
  QDialogButtonBox* buttons = ui::DialogButtons::Make(this, QDialogButtonBox::Cancel);
  back_ = ui::DialogButtons::Add(buttons, "< &Back", "12323", QDialogButtonBox::ActionRole);
  next_ = ui::DialogButtons::Add(buttons, "&Next >", "12324", QDialogButtonBox::ActionRole);
  finish_ = ui::DialogButtons::Add(buttons, "Finish", "12325", QDialogButtonBox::AcceptRole);
  layout->addWidget(buttons);
  connect(back_, &QPushButton::clicked, this, [this] { Go(-1); });
  connect(next_, &QPushButton::clicked, this, [this] { Go(1); });
  ShowStep();
}

void CustomizeViewSheet::ShowStep() {
  const int at = steps_->currentIndex();
  back_->setEnabled(at > 0);
  next_->setEnabled(at + 1 < steps_->count());
  finish_->setEnabled(at >= steps_->indexOf(newView_));
}

void CustomizeViewSheet::Go(int step) {
  QWidget* current = steps_->currentWidget();
  if (step > 0) {
    if (current == newView_) {
      if (!sheet_.NewViewNext(newView_->Name(), newView_->Type())) return;
      ReloadPages();
    } else if (auto* page = dynamic_cast<ViewSheetPage*>(current)) {
      if (!page->CanLeave() || !page->Apply()) return;
    }
  }
  steps_->setCurrentIndex(std::clamp(steps_->currentIndex() + step, 0, steps_->count() - 1));
  ShowStep();
}

void CustomizeViewSheet::LeaveTab(int index) {
  if (index == shownTab_ || shownTab_ < 0) return;
  // A page that may not be left (the Filters page's 5513 and 5512) keeps its tab, as a property
  // sheet keeps a page whose kill-active check fails.
  auto* left = static_cast<ViewSheetPage*>(tabs_->widget(shownTab_));
  if (left != nullptr && !left->CanLeave()) {
    const QSignalBlocker quiet(tabs_);
    tabs_->setCurrentIndex(shownTab_);
    return;
  }
  shownTab_ = index;
}

void CustomizeViewSheet::ReloadPages() {
  for (ViewSheetPage* page : editPages_) page->Reload();
}

bool CustomizeViewSheet::ApplyPages() {
  for (ViewSheetPage* page : editPages_) {
    if (page->Apply()) continue;
    if (tabs_ != nullptr) tabs_->setCurrentWidget(page);
    if (steps_ != nullptr) steps_->setCurrentWidget(page);
    return false;
  }
  return true;
}

void CustomizeViewSheet::ChooseView(int index) {
  auto* view = static_cast<CViewNode*>(selector_->itemData(index).value<void*>());
  if (view == sheet_.EditedView()) return;
  if (!ApplyPages()) {
    selector_->setCurrentIndex(
        selector_->findData(QVariant::fromValue<void*>(sheet_.EditedView())));
    return;
  }
  sheet_.SelectView(view);
  ReloadPages();
}

void CustomizeViewSheet::accept() {
  if (sheet_.IsWizard()) {
    const bool defaults = newView_->DefaultSettings();
    // The pages count once the view exists; default settings replace them.
    if (!defaults && sheet_.EditedView() != nullptr && !ApplyPages()) return;
    if (!sheet_.Finish(newView_->Name(), newView_->Type(), defaults)) {
      steps_->setCurrentWidget(newView_);
      ShowStep();
      return;
    }
  } else if (!ApplyPages()) {
    return;
  }
  QDialog::accept();
}

CustomizeViewHooks::Runner CustomizeViewSheet::Runner(CViewStore& store, QWidget* parent) {
  return [&store, parent](CCustomizeViewPropSheet& sheet) {
    CustomizeViewSheet face(sheet, store, parent);
    return face.exec() == QDialog::Accepted;
  };
}

}  // namespace views
