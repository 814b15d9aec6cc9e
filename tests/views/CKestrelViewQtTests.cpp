#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeView>
#include <memory>
#include <vector>

#include "app/Settings.h"
#include "platform/RegistryStore.h"
#include "platform/ScriptedPrompt.h"
#include "support/QtTestApplication.h"
#include "views/CKestrelView.h"
#include "views/CViewStore.h"
#include "views/DeviceListIcons.h"
#include "views/DeviceListModel.h"
#include "views/FakeStoreHost.h"
#include "views/ScriptedEngine.h"

namespace views {
namespace {

using discovery::test::ReplyFields;
using test::Device;
using test::Record;
using test::ScriptedEngine;

constexpr const char* kLab = "Views\\Lab";

class KestrelViewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    app_ = testsupport::EnsureQApplication("views_CKestrelViewQtTests");
  }
  static void TearDownTestSuite() {
    delete app_;
    app_ = nullptr;
  }

  void SetUp() override {
    settings.WriteInt(kLab, "Type", 6);
    settings.WriteInt(kLab, "Icons", 16);
    settings.WriteString(kLab, "Columns", "System Name,IP Address,Port Name");
    settings.WriteString(kLab, "Sort", ">IP Address");
    store.SetPrompt(&prompt);
    ASSERT_EQ(store.Open(&host), CViewStore::kOpenOk);
    store.SetListControl(&view);
    view.SetStore(&store);
    view.SetCommandHandler([this](int command) { commands.push_back(command); });
    view.resize(600, 300);
  }

  void Search(const std::vector<ReplyFields>& devices) {
    store.Refresh();
    for (const ReplyFields& device : devices) store.AddDevice(Record(device));
    static_cast<ScriptedEngine*>(store.CurrentEngine())->Finish();
    store.OnSearchDone();
  }

  QString Text(int row, int column) const {
    return view.Model()->data(view.Model()->index(row, column), Qt::DisplayRole).toString();
  }
  QHeaderView* Header() const { return view.DetailsView()->header(); }
  static void Settle() { QCoreApplication::processEvents(); }

  static QApplication* app_;
  platform::RegistryStore registry{""};
  app::Settings settings{registry};
  CViewStore store{settings, [](const CViewNode&) { return std::make_unique<ScriptedEngine>(); }};
  test::FakeStoreHost host;
  platform::ScriptedPrompt prompt;
  CKestrelView view;
  std::vector<int> commands;
};

QApplication* KestrelViewTest::app_ = nullptr;

TEST_F(KestrelViewTest, PortRowsShowTheirOwnTextsAndImages) {
  Search({Device(2, "two", 2), Device(1, "one")});
  ASSERT_EQ(view.GetRowCount(), 3);
  EXPECT_EQ(Text(0, 0), "one");
  EXPECT_EQ(Text(1, 2), "Port1");
  EXPECT_EQ(Text(2, 2), "Port2");
  EXPECT_EQ(view.GetItemData(2), MakeItemData(0, 1));
  const QModelIndex first = view.Model()->index(0, 0);
  EXPECT_EQ(view.Model()->data(first, DeviceListModel::kImageRole).toInt(), 1);
  EXPECT_FALSE(view.Model()->data(first, Qt::DecorationRole).value<QIcon>().isNull());
  EXPECT_FALSE(view.Model()->data(first, Qt::CheckStateRole).isValid());
}

TEST_F(KestrelViewTest, HeaderClicksSortThroughTheStoreAndTurnTheArrow) {
  store.SetPortMode(false);
  Search({Device(10, "b"), Device(9, "a")});
  EXPECT_TRUE(Header()->isSortIndicatorShown());
  EXPECT_EQ(Header()->sortIndicatorSection(), 1);
  emit Header()->sectionClicked(1);  // the sort column again: descending
  EXPECT_EQ(Text(0, 1), "10.0.0.10");
  EXPECT_EQ(settings.GetString(kLab, "Sort", ""), "<IP Address");
  EXPECT_EQ(Header()->sortIndicatorOrder(), Qt::DescendingOrder);
  emit Header()->sectionClicked(0);  // another column keeps the direction
  EXPECT_EQ(settings.GetString(kLab, "Sort", ""), "<System Name");
  EXPECT_EQ(Text(0, 0), "b");
  EXPECT_EQ(Header()->sortIndicatorSection(), 0);
}

TEST_F(KestrelViewTest, BareSortShowsNoArrow) {
  settings.WriteString(kLab, "Sort", "IP Address");
  store.SelectView(store.CurrentNode(), false, true);
  Search({Device(1, "a")});
  EXPECT_FALSE(Header()->isSortIndicatorShown());
}

TEST_F(KestrelViewTest, DraggedHeaderIsSavedKeepingHiddenPortColumns) {
  store.SetPortMode(false);
  Search({Device(1, "a")});
  ASSERT_EQ(Header()->count(), 2);
  Header()->moveSection(1, 0);  // IP Address first
  Settle();
  EXPECT_EQ(settings.GetString(kLab, "Columns", ""), "IP Address,System Name,Port Name");
  EXPECT_EQ(settings.GetString(kLab, "ColWidths", ""), "Auto");
}

TEST_F(KestrelViewTest, ResizedColumnsAreSavedOnlyWhenNotFitted) {
  Search({Device(1, "a")});
  Header()->resizeSection(1, 177);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(Header()->viewport(), &release);
  Settle();
  EXPECT_EQ(settings.GetString(kLab, "ColWidths", "<none>"), "<none>");  // fitted: not saved

  settings.WriteString(kLab, "ColWidths", "0");
  store.SelectView(store.CurrentNode(), false, true);
  Header()->resizeSection(1, 177);
  QCoreApplication::sendEvent(Header()->viewport(), &release);
  Settle();
  const std::string widths = settings.GetString(kLab, "ColWidths", "");
  EXPECT_NE(widths.find(",177,"), std::string::npos) << widths;
}

TEST_F(KestrelViewTest, FittedColumnsTakeTheirWidestTextAndStoredWidthsStay) {
  const std::string name = "a rather long system name, wider than the title";
  Search({Device(1, name), Device(2, "short")});
  const QFontMetrics metrics(view.DetailsView()->font());
  EXPECT_GT(view.DetailsView()->columnWidth(0),
            metrics.horizontalAdvance(QString::fromStdString(name)) + 16);
  EXPECT_GE(view.DetailsView()->columnWidth(1), metrics.horizontalAdvance("10.0.0.1"));

  settings.WriteString(kLab, "ColWidths", "200,80,90");
  store.SelectView(store.CurrentNode(), false, true);
  Search({Device(1, name)});
  EXPECT_EQ(view.DetailsView()->columnWidth(0), 200);
  EXPECT_EQ(view.DetailsView()->columnWidth(2), 90);
}

TEST_F(KestrelViewTest, ListCellsAreAsWideAsTheLongestName) {
  const std::string name = "a server whose name is long";
  Search({Device(1, name), Device(2, "b")});
  view.SetListMode(CKestrelView::kList);
  EXPECT_EQ(view.IconView()->viewMode(), QListView::ListMode);
  const QFontMetrics metrics(view.IconView()->font());
  EXPECT_GT(view.IconView()->gridSize().width(),
            metrics.horizontalAdvance(QString::fromStdString(name)));
  view.SetListMode(CKestrelView::kLargeIcons);
  EXPECT_EQ(view.IconView()->viewMode(), QListView::IconMode);
  EXPECT_EQ(view.IconView()->iconSize(), QSize(32, 32));
}

TEST_F(KestrelViewTest, SelectionSurvivesStyleChangesSortsAndRefreshes) {
  store.SetPortMode(false);
  Search({Device(1, "a"), Device(2, "b"), Device(3, "c")});
  view.SelectRow(1);
  view.SetListMode(CKestrelView::kLargeIcons);
  EXPECT_EQ(view.currentWidget(), view.IconView());
  EXPECT_EQ(view.IconView()->currentIndex().row(), 1);
  store.SortBy("IP Address", true);
  EXPECT_EQ(Text(view.GetSelectedRow(), 0), "b");
  Search({Device(3, "c"), Device(2, "b")});
  EXPECT_EQ(Text(view.GetSelectedRow(), 0), "b");
  view.SetListMode(CKestrelView::kDetails);
  EXPECT_EQ(view.currentWidget(), view.DetailsView());
}

TEST_F(KestrelViewTest, CheckBoxesInMultiSelectionMode) {
  Search({Device(1, "a"), Device(2, "b")});
  view.SetMultiSelect(true);
  const QModelIndex first = view.Model()->index(0, 0);
  EXPECT_TRUE(view.Model()->flags(first) & Qt::ItemIsUserCheckable);
  EXPECT_EQ(view.Model()->data(first, Qt::CheckStateRole).toInt(), Qt::Unchecked);
  view.Model()->setData(first, Qt::Checked, Qt::CheckStateRole);
  EXPECT_TRUE(view.IsRowChecked(0));
  EXPECT_FALSE(view.IsRowChecked(1));
  view.SetAllChecked(true);
  EXPECT_TRUE(view.IsRowChecked(1));
  view.SetAllChecked(false);
  EXPECT_FALSE(view.IsRowChecked(0));
  view.SetMultiSelect(false);
  EXPECT_FALSE(view.Model()->flags(first) & Qt::ItemIsUserCheckable);
}

TEST_F(KestrelViewTest, ClickLeftOfThePictureOnlyTurnsTheCheckBox) {
  view.show();
  Search({Device(1, "a"), Device(2, "b")});
  view.SelectRow(0);
  QWidget* viewport = view.DetailsView()->viewport();
  const QRect second = view.DetailsView()->visualRect(view.Model()->index(1, 0));
  const QPointF at(second.left() + 4, second.center().y());
  auto click = [&] {
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                        Qt::NoModifier);
      QCoreApplication::sendEvent(viewport, &event);
    }
  };
  click();  // standard mode: an ordinary click selects
  EXPECT_EQ(view.GetSelectedRow(), 1);
  view.SelectRow(0);
  view.SetMultiSelect(true);
  click();
  EXPECT_TRUE(view.IsRowChecked(1));
  EXPECT_EQ(view.GetSelectedRow(), 0);
  click();
  EXPECT_FALSE(view.IsRowChecked(1));
}

TEST_F(KestrelViewTest, ContextMenusCarryTheirCommands) {
  Search({Device(1, "a")});
  EXPECT_EQ(view.GetSelectedRow(), 0);  // the first row once the search ends
  view.SelectRow(-1);
  std::unique_ptr<QMenu> standard(view.MakeContextMenu());
  EXPECT_EQ(standard->objectName(), "141");
  const QList<QAction*> actions = standard->actions();
  ASSERT_EQ(actions.size(), 4);
  EXPECT_EQ(actions[0]->objectName(), "32772");
  EXPECT_EQ(actions[0]->shortcut().toString(), "Alt+C");
  EXPECT_EQ(actions[2]->text(), "Delete Port by Number");
  EXPECT_EQ(actions[3]->objectName(), "32895");
  EXPECT_FALSE(actions[0]->isEnabled());  // nothing selected
  view.SelectRow(0);
  standard.reset(view.MakeContextMenu());
  EXPECT_TRUE(standard->actions()[1]->isEnabled());
  EXPECT_FALSE(standard->actions()[3]->isEnabled());  // it has an address
  standard->actions()[1]->trigger();
  EXPECT_EQ(commands, (std::vector<int>{32774}));

  view.SetMultiSelect(true);
  std::unique_ptr<QMenu> multi(view.MakeContextMenu());
  EXPECT_EQ(multi->objectName(), "140");
  ASSERT_EQ(multi->actions().size(), 5);
  EXPECT_TRUE(multi->actions()[4]->isChecked());
  EXPECT_FALSE(multi->actions()[0]->isEnabled());  // Configure Selected Devices: not yet
  EXPECT_FALSE(multi->actions()[0]->toolTip().isEmpty());
  multi->actions()[1]->trigger();
  EXPECT_EQ(commands.back(), 32884);
}

TEST_F(KestrelViewTest, ADeviceWithoutAnAddressIsOfferedEnterIpAddress) {
  ReplyFields fresh = Device(7, "fresh");
  fresh.ip = {0, 0, 0, 0};
  Search({fresh});
  view.SelectRow(0);
  std::unique_ptr<QMenu> menu(view.MakeContextMenu());
  ASSERT_EQ(menu->actions().size(), 4);
  EXPECT_TRUE(menu->actions()[3]->isEnabled());
  menu->actions()[3]->trigger();
  EXPECT_EQ(commands, (std::vector<int>{32895}));
  // Outside "Unconfigured Print Servers" a double-click keeps its stored command.
  EXPECT_EQ(store.DoubleClickCommand(), 32774);
}

TEST_F(KestrelViewTest, EnterRunsTheDoubleClickCommand) {
  settings.WriteInt("General", "DoubleClick", 32772);
  Search({Device(1, "a")});
  view.SelectRow(-1);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(view.DetailsView(), &enter);
  EXPECT_TRUE(commands.empty());  // no row selected
  view.SelectRow(0);
  QCoreApplication::sendEvent(view.DetailsView(), &enter);
  emit view.DetailsView()->doubleClicked(view.Model()->index(0, 0));
  EXPECT_EQ(commands, (std::vector<int>{32772, 32772}));
}

TEST_F(KestrelViewTest, FocusTellsTheMainWindow) {
  int focused = 0;
  view.SetFocusHandler([&] { ++focused; });
  QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
  QCoreApplication::sendEvent(view.DetailsView(), &in);
  view.SetListMode(CKestrelView::kList);
  QCoreApplication::sendEvent(view.IconView(), &in);
  EXPECT_EQ(focused, 2);
}

TEST_F(KestrelViewTest, PicturesAndNamesArePresent) {
  for (int index : {1, 2, 3, 4, 6, 7, 8, 9}) {
    const QIcon icon = DeviceListIcons::Image(index);
    EXPECT_FALSE(icon.pixmap(16, 16).isNull()) << index;
    EXPECT_FALSE(icon.pixmap(32, 32).isNull()) << index;
  }
  EXPECT_TRUE(DeviceListIcons::Image(5).isNull());
  EXPECT_TRUE(QFile::exists(DeviceListIcons::CheckBoxPath(true)));
  EXPECT_TRUE(QFile::exists(DeviceListIcons::CheckBoxPath(false)));
  EXPECT_FALSE(view.DetailsView()->accessibleName().isEmpty());
  EXPECT_FALSE(view.IconView()->accessibleName().isEmpty());
}

}  // namespace
}  // namespace views
