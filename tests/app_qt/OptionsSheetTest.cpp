// The options sheet driven through its widgets (offscreen) over a settings file of its own, with
// scripted message boxes: OK saving each page shown, Cancel writing nothing, the add-entry
// refusals, a refused timeout, and the reload of the application's access list after OK.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/COptionsPropertySheet.h"
#include "app/DeviceAccessList.h"
#include "app/Settings.h"
#include "app/TempDir.h"
#include "app/options/OptionsSheet.h"
#include "discovery/DiscoverySocket.h"
#include "platform/RegistryStore.h"
#include "platform/ScriptedPrompt.h"
#include "support/QtTestApplication.h"

namespace app {
namespace {

constexpr int kUdpAndSerial = 0x01 | 0x8000;

class OptionsSheetTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testsupport::EnsureQApplication("appqt_OptionsSheetTest"); }

  // A sheet over the settings as they are now; help topics asked for are recorded.
  OptionsSheet& Open(int flags = kUdpAndSerial) {
    face_.reset();
    sheet_ = std::make_unique<COptionsPropertySheet>(settings_, stored_, prompt_, "Portolan");
    face_ = std::make_unique<OptionsSheet>(
        *sheet_, flags, [this](unsigned topic) { helpTopics_.push_back(topic); });
    return *face_;
  }
  template <typename T>
  T* Find(const char* id) const {
    T* widget = face_->findChild<T*>(id);
    EXPECT_NE(widget, nullptr) << id;
    return widget;
  }
  void Click(const char* id) const { Find<QPushButton>(id)->click(); }
  void ShowTab(int index) const { Find<QTabWidget>("tabs")->setCurrentIndex(index); }
  // Typed by the user (textEdited), replacing what the edit held.
  static void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    edit->insert(text);
  }
  // Runs action on the modal dialog that the next step opens.
  static void WhenDialogOpens(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action] { action(QApplication::activeModalWidget()); });
  }
  // Presses Add and answers the dialog with each address in turn, pressing its OK after each.
  std::vector<std::string> AddAnswering(const std::vector<QString>& addresses) {
    const size_t before = prompt_.Count();
    WhenDialogOpens([addresses](QWidget* dialog) {
      ASSERT_NE(dialog, nullptr);
      for (const QString& address : addresses) {
        if (!dialog->isVisible()) break;
        Type(dialog->findChild<QLineEdit*>("address"), address);
        dialog->findChild<QPushButton*>("1")->click();
      }
      if (dialog->isVisible()) dialog->findChild<QPushButton*>("2")->click();
    });
    Click("1010");
    std::vector<std::string> shown;
    const std::vector<platform::PromptRecord> records = prompt_.Records();
    for (size_t i = before; i < records.size(); ++i) shown.push_back(records[i].text);
    return shown;
  }
  QStringList Addresses() const {
    QStringList items;
    auto* list = Find<QListWidget>("1007");
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
  }
  QString Selected() const {
    QListWidgetItem* item = Find<QListWidget>("1007")->currentItem();
    return item != nullptr ? item->text() : QString();
  }
  void SelectAddress(const QString& address) const {
    auto* list = Find<QListWidget>("1007");
    list->setCurrentItem(list->findItems(address, Qt::MatchExactly).value(0));
  }

  TempDir dir_;
  platform::RegistryStore store_{dir_.Folder() + "registry.reg"};
  Settings settings_{store_};
  AppSettings stored_;
  platform::ScriptedPrompt prompt_;
  std::vector<unsigned> helpTopics_;
  std::unique_ptr<COptionsPropertySheet> sheet_;
  std::unique_ptr<OptionsSheet> face_;
};

TEST_F(OptionsSheetTest, OkSavesEveryPageShownAndTheAccessListIsReloaded) {
  settings_.WriteInt("Access\\IP", "DiscoveryPort", 4201);
  stored_.errorMask = 0x30000;
  OptionsSheet& sheet = Open();
  EXPECT_EQ(sheet.windowTitle(), "Options");
  EXPECT_EQ(AddAnswering({"10.1.*"}), std::vector<std::string>{});
  EXPECT_EQ(Selected(), "10.1.*");
  Type(Find<QLineEdit>("1008"), "lab-read");
  Type(Find<QLineEdit>("1009"), "lab-write");

  ShowTab(1);
  Type(Find<QLineEdit>("1045"), "250");
  ShowTab(2);
  auto* states = Find<QTreeWidget>("1093");
  states->setCurrentItem(states->findItems("Paper Out", Qt::MatchExactly).value(0));
  Click("1105");
  EXPECT_EQ(states->currentItem()->text(1), "Error");
  Find<QCheckBox>("1094")->setChecked(true);
  ShowTab(3);
  Find<QComboBox>("1017")->setCurrentText("4210");
  Find<QComboBox>("1069")->setCurrentIndex(1);  // Show Current Configuration
  Find<QComboBox>("1070")->setCurrentIndex(1);  // Refresh Every Time View Opens

  Click("1");
  EXPECT_EQ(sheet.result(), QDialog::Accepted);
  EXPECT_EQ(prompt_.Count(), 0u);
  const COptionsPropertySheet::Outcome& outcome = sheet.Result();
  EXPECT_TRUE(outcome.saved);
  EXPECT_TRUE(outcome.masksChanged);
  EXPECT_EQ(outcome.setAppIcon, 1);
  EXPECT_TRUE(outcome.refreshAlways);

  // What the file holds, read back as the next start would.
  platform::RegistryStore reread(dir_.Folder() + "registry.reg");
  Settings settings(reread);
  EXPECT_EQ(settings.GetString("Access\\IP", "All"), "10.1.*");
  EXPECT_EQ(settings.GetString("Access\\IP", "10.1.*Get"), "lab-read");
  EXPECT_EQ(settings.GetString("Access\\IP", "10.1.*Set"), "lab-write");
  EXPECT_EQ(settings.GetInt("Timeouts", "GetTimeout", 0), 250);
  EXPECT_EQ(settings.GetInt("Timeouts", "SetTimeout", 0), 500);
  EXPECT_EQ(settings.GetInt("General\\Icons", "Error", 0), 0x30000 | 64);
  EXPECT_EQ(settings.GetInt("General\\Icons", "SetAppIcon", 0), 1);
  EXPECT_EQ(settings.GetInt("Access\\IP", "DiscoveryPort", 0), 4210);
  EXPECT_EQ(settings.GetInt("General", "DoubleClick", 0), 32772);
  EXPECT_EQ(settings.GetInt("General", "RefreshAlways", 0), 1);
  EXPECT_EQ(stored_.getTimeout, 250);

  sheet_->ReloadAccessList(6);
  EXPECT_EQ(stored_.discoveryPort, 4210);
  EXPECT_EQ(discovery::DiscoveryPort(), 4210);  // the next search asks there
  EXPECT_EQ(TheDeviceAccessList().CommunitiesFor("10.1.2.3").first, "lab-read");
  EXPECT_EQ(prompt_.Count(), 0u);
}

TEST_F(OptionsSheetTest, CancelWritesNothingAfterEditsOnEveryPageAndProtocolSwitches) {
  Open();
  AddAnswering({"192.168.7.*"});
  auto* protocol = Find<QComboBox>("1089");
  ASSERT_EQ(protocol->count(), 2);
  EXPECT_EQ(protocol->itemText(0), "TCP/IP");
  protocol->setCurrentIndex(1);  // Serial Port: nothing is added or deleted there
  EXPECT_EQ(Addresses(), QStringList{"<Default>"});
  EXPECT_FALSE(Find<QPushButton>("1010")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("1011")->isEnabled());
  Type(Find<QLineEdit>("1008"), "serial-read");
  protocol->setCurrentIndex(0);
  EXPECT_EQ(Addresses(), (QStringList{"<Default>", "192.168.7.*"}));  // kept in memory
  protocol->setCurrentIndex(1);
  EXPECT_EQ(Find<QLineEdit>("1008")->text(), "serial-read");
  ShowTab(1);
  Click("1054");
  Type(Find<QLineEdit>("1047"), "90");
  ShowTab(2);
  Find<QTreeWidget>("1093")->setCurrentItem(Find<QTreeWidget>("1093")->topLevelItem(0));
  Click("1104");
  ShowTab(3);
  Find<QComboBox>("1017")->setCurrentIndex(0);

  Click("2");
  EXPECT_EQ(face_->result(), QDialog::Rejected);
  for (const char* section : {"Access\\IP", "Access\\COM", "Timeouts", "General\\Icons"}) {
    EXPECT_FALSE(settings_.SectionExists(section)) << section;
  }
  EXPECT_EQ(settings_.GetInt("General", "DoubleClick", -1), -1);
  EXPECT_EQ(stored_.resetTimeout, 40);
}

TEST_F(OptionsSheetTest, AddRefusesWhatCannotBeAnEntryAndSelectsOneListedAlready) {
  Open();
  const std::string longAddress(33, '1');
  const std::vector<std::string> refusals =
      AddAnswering({"", " , ", ",", "<Default>", QString::fromStdString(longAddress), "Lab-*"});
  EXPECT_EQ(refusals,
            (std::vector<std::string>{DeviceAccessList::CheckText(kAccessAddressEmpty),
                                      DeviceAccessList::CheckText(kAccessAddressHasComma),
                                      DeviceAccessList::CheckText(kAccessAddressHasComma),
                                      DeviceAccessList::CheckText(kAccessAddressIsDefault),
                                      DeviceAccessList::CheckText(kAccessAddressTooLong)}));
  EXPECT_EQ(Addresses(), (QStringList{"<Default>", "Lab-*"}));
  Type(Find<QLineEdit>("1008"), "kept");

  SelectAddress("<Default>");
  EXPECT_EQ(AddAnswering({" LAB-* "}), std::vector<std::string>{});  // listed: no second entry
  EXPECT_EQ(Addresses(), (QStringList{"<Default>", "Lab-*"}));
  EXPECT_EQ(Selected(), "Lab-*");
  EXPECT_EQ(Find<QLineEdit>("1008")->text(), "kept");

  // A cancelled dialog adds nothing.
  WhenDialogOpens([](QWidget* dialog) { dialog->findChild<QPushButton*>("2")->click(); });
  Click("1010");
  EXPECT_EQ(Addresses().size(), 2);
}

TEST_F(OptionsSheetTest, TheAddDialogAsksForAnIpAddressOrANetWareNumber) {
  Open(0x01 | 0x100 | 0x8000);
  auto* protocol = Find<QComboBox>("1089");
  ASSERT_EQ(protocol->count(), 3);
  QString prompt;
  auto readPrompt = [&prompt](QWidget* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Add an Access Entry");
    prompt = dialog->findChild<QLabel*>("prompt")->text();
    dialog->findChild<QPushButton*>("2")->click();
  };
  WhenDialogOpens(readPrompt);
  Click("1010");
  EXPECT_TRUE(prompt.startsWith("Enter an IP address/subnet:"));
  protocol->setCurrentIndex(1);
  EXPECT_EQ(protocol->currentText(), "NetWare");
  WhenDialogOpens(readPrompt);
  Click("1010");
  EXPECT_TRUE(prompt.startsWith("Enter a serial number or enter a network number"));
}

TEST_F(OptionsSheetTest, CommunitiesOverThirtyOneCharactersAreRefusedWithAMessage) {
  Open();
  auto* get = Find<QLineEdit>("1008");
  Type(get, QString(31, 'g'));
  EXPECT_EQ(prompt_.Count(), 0u);
  get->end(false);
  get->insert("x");  // the 32nd character
  ASSERT_EQ(prompt_.Count(), 1u);
  EXPECT_EQ(prompt_.Records()[0].text, "A community name can have at most 31 characters.");
  EXPECT_EQ(get->text(), QString(31, 'g'));
  Click("1");
  EXPECT_EQ(settings_.GetString("Access\\IP", "<Default>Get"), std::string(31, 'g'));
}

TEST_F(OptionsSheetTest, DeleteAsksFirstAndNeverTakesTheDefault) {
  settings_.WriteString("Access\\IP", "All", "10.0.0.1,10.0.0.2");
  Open();
  SelectAddress("<Default>");
  Click("1011");
  EXPECT_EQ(prompt_.Count(), 0u);
  SelectAddress("10.0.0.1");
  prompt_.QueueAnswer(platform::IDCANCEL);
  Click("1011");
  ASSERT_EQ(prompt_.Count(), 1u);
  EXPECT_EQ(prompt_.Records()[0].text, "Do you want to delete this access entry?");
  EXPECT_EQ(prompt_.Records()[0].caption, "Verify Delete");
  EXPECT_EQ(Addresses().size(), 3);
  prompt_.QueueAnswer(platform::IDOK);
  Click("1011");
  EXPECT_EQ(Addresses(), (QStringList{"<Default>", "10.0.0.2"}));
  EXPECT_EQ(Selected(), "<Default>");
  EXPECT_EQ(settings_.GetString("Access\\IP", "All"), "10.0.0.1,10.0.0.2");  // until OK
}

TEST_F(OptionsSheetTest, ARefusedTimeoutKeepsTheSheetOpenOnItsEditAndWritesNothing) {
  Open();
  AddAnswering({"10.2.*"});
  ShowTab(1);
  for (const char* refused : {"0", "360001", "-5", "12a", ""}) {
    Type(Find<QLineEdit>("1048"), refused);
    ShowTab(3);
    const size_t before = prompt_.Count();
    Click("1");
    ASSERT_EQ(prompt_.Count(), before + 1) << refused;
    EXPECT_EQ(prompt_.Records().back().text, "Please enter a positive integer.");
    EXPECT_EQ(face_->result(), QDialog::Rejected);
    EXPECT_EQ(Find<QTabWidget>("tabs")->currentIndex(), 1);
    EXPECT_FALSE(settings_.SectionExists("Access\\IP"));
    EXPECT_FALSE(settings_.SectionExists("Timeouts"));
  }
  Type(Find<QLineEdit>("1048"), "360000");
  Click("1");
  EXPECT_EQ(face_->result(), QDialog::Accepted);
  EXPECT_EQ(settings_.GetInt("Timeouts", "Broadcast", 0), 360000);
  EXPECT_EQ(settings_.GetString("Access\\IP", "All"), "10.2.*");
}

TEST_F(OptionsSheetTest, OkWithoutChangesKeepsMasksAndBitsNoRowShows) {
  stored_.warningMask = 0x23E1;
  stored_.errorMask = 0x30000;
  settings_.WriteInt("Access\\IP", "DiscoveryPort", 4300);
  Open();
  ShowTab(2);
  ShowTab(3);
  auto* port = Find<QComboBox>("1017");
  EXPECT_EQ(port->itemText(0), "9");
  EXPECT_EQ(port->currentText(), "4300");  // stored outside the list: offered and selected
  Click("1");
  EXPECT_FALSE(face_->Result().masksChanged);
  EXPECT_EQ(settings_.GetInt("General\\Icons", "Error", -1), -1);
  EXPECT_EQ(settings_.GetInt("General\\Icons", "Warning", -1), -1);
  EXPECT_EQ(settings_.GetInt("General\\Icons", "SetAppIcon", -1), 0);
  EXPECT_EQ(settings_.GetInt("Access\\IP", "DiscoveryPort", 0), 4300);
  EXPECT_EQ(stored_.errorMask, 0x30000);
}

TEST_F(OptionsSheetTest, OnlyThePagesShownSave) {
  Open();
  Click("1");
  EXPECT_TRUE(settings_.SectionExists("Access\\IP"));
  EXPECT_FALSE(settings_.SectionExists("Timeouts"));
  EXPECT_FALSE(settings_.SectionExists("General\\Icons"));
  EXPECT_EQ(settings_.GetInt("General", "DoubleClick", -1), -1);
  EXPECT_FALSE(face_->Result().iconsSaved);
  EXPECT_FALSE(face_->Result().miscSaved);
}

TEST_F(OptionsSheetTest, HelpOpensTheTopicOfThePageShown) {
  Open();
  Click("9");
  ShowTab(1);
  Click("9");
  ShowTab(2);
  EXPECT_FALSE(Find<QPushButton>("9")->isEnabled());  // Status Icons has no topic
  ShowTab(3);
  Click("9");
  EXPECT_EQ(helpTopics_, (std::vector<unsigned>{39, 40, 41}));
}

TEST_F(OptionsSheetTest, TimeoutsShowTheStoredValuesAndTheSearchTimeoutInMilliseconds) {
  stored_.broadcast = 1500;
  Open();
  ShowTab(1);
  EXPECT_EQ(Find<QLineEdit>("1048")->text(), "1500");
  EXPECT_TRUE(Find<QLineEdit>("1048")->accessibleName().contains("(ms)"));
  Click("1054");
  EXPECT_EQ(Find<QLineEdit>("1048")->text(), "3000");
  EXPECT_EQ(Find<QLineEdit>("1049")->text(), "10");
}

TEST_F(OptionsSheetTest, EveryControlHasAnAccessibleNameOrAVisibleText) {
  Open();
  for (int tab = 0; tab < 4; ++tab) ShowTab(tab);
  for (QWidget* widget : face_->findChildren<QWidget*>()) {
    const bool acted = qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget) ||
                       qobject_cast<QListWidget*>(widget) || qobject_cast<QTreeWidget*>(widget);
    if (acted) {
      EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->objectName().toStdString();
    }
    // Push buttons and check boxes are named by their text (the tab bar's own arrows are not ours).
    if (qobject_cast<QPushButton*>(widget) || qobject_cast<QCheckBox*>(widget)) {
      auto* button = static_cast<QAbstractButton*>(widget);
      EXPECT_FALSE(button->text().isEmpty()) << button->objectName().toStdString();
    }
  }
}

TEST_F(OptionsSheetTest, AfterOkAViewOfAnotherProtocolIsToldItIsNotSupported) {
  stored_.discoveryPort = 4201;
  settings_.WriteInt("Access\\IP", "DiscoveryPort", 4222);
  Open();
  Click("1");
  sheet_->ReloadAccessList(2);
  ASSERT_EQ(prompt_.Count(), 1u);
  EXPECT_EQ(prompt_.Records()[0].text, "Protocol not supported");
  EXPECT_EQ(stored_.discoveryPort, 4201);
  EXPECT_EQ(TheDeviceAccessList().DiscoveryPort(), 4222);  // read again all the same
}

}  // namespace
}  // namespace app
