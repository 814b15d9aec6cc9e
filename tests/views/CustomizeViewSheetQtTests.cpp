// The customize sheet's Qt face on the offscreen platform: the controls it shows, OK applying the
// pages into the copy (and refusing bad input), and the wizard's default Finish.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <memory>

#include "app/Settings.h"
#include "platform/Prompt.h"
#include "platform/RegistryStore.h"
#include "platform/ScriptedPrompt.h"
#include "support/QtTestApplication.h"
#include "views/CCustomizeViewPropSheet.h"
#include "views/CSelectViewDlg.h"
#include "views/CSearchTargetDlg.h"
#include "views/CViewStore.h"
#include "views/CustomizeViewSheet.h"
#include "views/ScriptedEngine.h"

namespace views {
namespace {

constexpr const char* kLab = "Views\\Lab";

class CustomizeViewSheetQtTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    app_ = testsupport::EnsureQApplication("views_CustomizeViewSheetQtTests");
  }
  void SetUp() override {
    settings.WriteInt(kLab, "Type", 6);
    settings.WriteInt(kLab, "Icons", 16);
    settings.WriteString(kLab, "Columns", "System Name,IP Address,Virtual Port,Port #");
    settings.WriteInt("Views\\Office", "Type", 2);
    settings.WriteInt("Views\\Office", "Icons", 0);
    platform::InstallPrompt(&prompt);
    store.SetPrompt(&prompt);
    ASSERT_EQ(store.Open(nullptr), CViewStore::kOpenOk);
  }
  void TearDown() override { platform::InstallPrompt(nullptr); }

  template <typename T>
  T* Find(QWidget& face, const char* id) {
    return face.findChild<T*>(id);
  }

  static QApplication* app_;
  platform::RegistryStore registry{""};
  app::Settings settings{registry};
  CViewStore store{settings,
                   [](const CViewNode&) { return std::make_unique<test::ScriptedEngine>(); }};
  platform::ScriptedPrompt prompt;
};

QApplication* CustomizeViewSheetQtTest::app_ = nullptr;

TEST_F(CustomizeViewSheetQtTest, CustomizeShowsTheViewAndOkAppliesThePages) {
  CCustomizeViewPropSheet sheet(store, settings, CCustomizeViewPropSheet::kModeCustomizeGeneral,
                                *store.FindNode("Lab"), &prompt);
  CustomizeViewSheet face(sheet, store);
  EXPECT_EQ(face.windowTitle(), "Modify View");
  auto* selector = Find<QComboBox>(face, "3713");
  ASSERT_NE(selector, nullptr);
  EXPECT_EQ(selector->currentText(), "Lab");
  EXPECT_NE(face.findChild<QTabWidget*>(), nullptr);
  auto* displayed = Find<QListWidget>(face, "3721");
  ASSERT_NE(displayed, nullptr);
  EXPECT_EQ(displayed->count(), 4);

  auto* refresh = Find<QCheckBox>(face, "autoRefresh");
  auto* minutes = Find<QLineEdit>(face, "3787");
  ASSERT_NE(refresh, nullptr);
  ASSERT_NE(minutes, nullptr);
  refresh->setChecked(true);
  minutes->setText("20000");
  emit minutes->textEdited("20000");
  face.accept();
  EXPECT_EQ(face.result(), QDialog::Rejected);  // refused, still open
  ASSERT_EQ(prompt.Count(), 1u);
  minutes->setText("1.5");
  emit minutes->textEdited("1.5");
  face.accept();
  EXPECT_EQ(face.result(), QDialog::Accepted);
  EXPECT_EQ(settings.GetInt(kLab, "Refresh", -1), -1);  // the hook saves, on OK
  EXPECT_EQ(sheet.Ok(), CViewDefinition::kSaveNeedsSearch);
  EXPECT_EQ(settings.GetInt(kLab, "Refresh", -1), 90);
}

TEST_F(CustomizeViewSheetQtTest, TheFiltersTabIsNotLeftWithoutASearch) {
  CCustomizeViewPropSheet sheet(store, settings, CCustomizeViewPropSheet::kModeCustomizeFilters,
                                *store.FindNode("Lab"), &prompt);
  CustomizeViewSheet face(sheet, store);
  auto* tabs = face.findChild<QTabWidget*>();
  ASSERT_EQ(tabs->currentWidget()->objectName(), "3702");
  Find<QCheckBox>(face, "searchLocal")->setChecked(false);
  tabs->setCurrentIndex(1);
  EXPECT_EQ(tabs->currentWidget()->objectName(), "3702");
  Find<QCheckBox>(face, "searchList")->setChecked(true);
  tabs->setCurrentIndex(2);
  EXPECT_EQ(tabs->currentWidget()->objectName(), "3702");
  const auto said = prompt.Records();
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[0].text, "No Search Filters were specified.");
  EXPECT_EQ(said[1].text.substr(0, 21), "No devices specified.");
  EXPECT_EQ(said[1].caption, "Portolan");
  Find<QCheckBox>(face, "searchLocal")->setChecked(true);
  tabs->setCurrentIndex(2);
  EXPECT_EQ(tabs->currentWidget()->objectName(), "3745");
  // A TCP/IP view adds through Specify a Device, not a port list.
  EXPECT_TRUE(Find<QComboBox>(face, "portToAdd")->isHidden());
}

TEST_F(CustomizeViewSheetQtTest, SpecifyADeviceMakesOneCheckedEntry) {
  CSearchTargetDlg dialog("/data/");
  EXPECT_EQ(dialog.objectName(), "3708");
  auto* text = Find<QLineEdit>(dialog, "entryText");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->accessibleName(), "Enter IP Address");
  EXPECT_EQ(text->maxLength(), 15);
  text->setText("10.0.0.*");
  emit text->textEdited(text->text());
  dialog.accept();
  EXPECT_NE(dialog.result(), QDialog::Accepted);  // a subnet typed as a single address
  ASSERT_EQ(prompt.Count(), 1u);
  EXPECT_EQ(prompt.Records()[0].text, "The IP address is invalid.");
  Find<QRadioButton>(dialog, "choice2")->click();  // Subnet Search
  EXPECT_EQ(text->text(), "10.0.0.*");
  Find<QRadioButton>(dialog, "choice4")->click();  // Address List From File
  EXPECT_EQ(text->text(), "/data/belmark_addr.txt");
  EXPECT_FALSE(Find<QPushButton>(dialog, "browse")->isHidden());
  Find<QRadioButton>(dialog, "choice3")->click();  // Multicast
  EXPECT_EQ(text->text(), "5");
  EXPECT_EQ(text->accessibleName(), "Time To Live (hops)");
  EXPECT_TRUE(Find<QPushButton>(dialog, "browse")->isHidden());
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Entry(), "Multicast<5>");
}

TEST_F(CustomizeViewSheetQtTest, IconChoicesShowThePicturesByName) {
  CCustomizeViewPropSheet sheet(store, settings, CCustomizeViewPropSheet::kModeCustomizeGeneral,
                                *store.FindNode("Lab"), &prompt);
  CustomizeViewSheet face(sheet, store);
  auto* icons = Find<QComboBox>(face, "viewIcon");
  ASSERT_NE(icons, nullptr);
  ASSERT_EQ(icons->count(), 8);
  EXPECT_EQ(icons->currentText(), "Device servers");  // the view's picture, 16
  EXPECT_EQ(icons->itemText(5), "Servers not configured");
  for (int i = 0; i < icons->count(); ++i) {
    EXPECT_FALSE(icons->itemIcon(i).isNull()) << i;
  }
  auto* location = Find<QTreeWidget>(face, "viewLocation");
  ASSERT_NE(location, nullptr);
  EXPECT_FALSE(location->topLevelItem(0)->icon(0).isNull());
}

TEST_F(CustomizeViewSheetQtTest, TheWizardsDefaultFinishMakesTheViewInItsGroup) {
  CCustomizeViewPropSheet sheet(store, settings, CCustomizeViewPropSheet::kModeNewView,
                                *store.Root(), &prompt);
  CustomizeViewSheet face(sheet, store);
  auto* name = Find<QLineEdit>(face, "3791");
  auto* defaults = Find<QCheckBox>(face, "3789");
  auto* protocol = Find<QComboBox>(face, "3709");
  ASSERT_NE(name, nullptr);
  ASSERT_NE(defaults, nullptr);
  ASSERT_NE(protocol, nullptr);
  EXPECT_EQ(protocol->currentText(), "TCP/IP");
  name->setText("Desk");
  defaults->setChecked(true);
  face.accept();
  EXPECT_EQ(face.result(), QDialog::Accepted);
  ASSERT_NE(sheet.GetNewNode(), nullptr);
  EXPECT_EQ(sheet.GetNewNode()->Path(), "Views\\TCP/IP\\Desk");
}

TEST_F(CustomizeViewSheetQtTest, NextTwiceThroughTheWizardMakesOneNode) {
  CCustomizeViewPropSheet sheet(store, settings, CCustomizeViewPropSheet::kModeNewView,
                                *store.Root(), &prompt);
  CustomizeViewSheet face(sheet, store);
  Find<QLineEdit>(face, "3791")->setText("Fresh");
  auto* next = Find<QPushButton>(face, "12324");
  auto* back = Find<QPushButton>(face, "12323");
  ASSERT_NE(next, nullptr);
  ASSERT_NE(back, nullptr);
  const size_t before = store.Nodes().size();
  next->click();
  back->click();
  next->click();
  EXPECT_EQ(store.Nodes().size(), before + 1);
  sheet.Cancel();
  EXPECT_EQ(store.Nodes().size(), before);
}

}  // namespace
}  // namespace views

namespace views {
namespace {

TEST_F(CustomizeViewSheetQtTest, SelectAViewOffersDeleteWhereItMay) {
  settings.WriteInt("Views\\Desk", "Type", 6);
  settings.WriteInt("Views\\Desk", "Icons", 16);
  CViewStore fresh(settings,
                   [](const CViewNode&) { return std::make_unique<test::ScriptedEngine>(); });
  fresh.SetPrompt(&prompt);
  settings.WriteString("General", "CurrentView", "Lab");
  ASSERT_EQ(fresh.Open(nullptr), CViewStore::kOpenOk);
  CSelectViewDlg dialog(fresh, nullptr);
  auto* reason = dialog.findChild<QLabel*>("3804");
  auto* remove = dialog.findChild<QPushButton*>("deleteView");
  ASSERT_NE(reason, nullptr);
  ASSERT_NE(remove, nullptr);
  EXPECT_EQ(reason->text(), "There is no view selected.");
  EXPECT_FALSE(remove->isEnabled());
  QTreeWidgetItem* root = dialog.Tree()->topLevelItem(0);
  ASSERT_EQ(root->childCount(), 3);  // Office, Desk, Lab: groups first
  EXPECT_EQ(root->child(0)->text(0), "Office");
  dialog.Tree()->setCurrentItem(root->child(2));
  EXPECT_TRUE(reason->text().startsWith("The selected view is currently open"));
  dialog.Tree()->setCurrentItem(root->child(1));
  EXPECT_TRUE(remove->isEnabled());
  prompt.QueueAnswer(platform::IDYES);
  remove->click();
  EXPECT_EQ(fresh.FindNode("Desk"), nullptr);
  EXPECT_EQ(dialog.Tree()->topLevelItem(0)->childCount(), 2);
  EXPECT_EQ(dialog.Tree()->currentItem(), dialog.Tree()->topLevelItem(0));  // the parent
}

}  // namespace
}  // namespace views
