// The application's small dialogs on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/dialogs/CAboutDlg.h"
#include "app/dialogs/CSearchDlg.h"
#include "app/dialogs/CStartupOptionsDlg.h"
#include "app/dialogs/CUnlistedServerDlg.h"
#include "platform/RecordingLauncher.h"
#include "platform/ScriptedPrompt.h"
#include "support/QtTestApplication.h"
#include "ui/CStaticLink.h"

namespace app {
namespace {

class AppDialogsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { app_ = testsupport::EnsureQApplication("app_AppDialogsQtTests"); }
  static void TearDownTestSuite() {
    delete app_;
    app_ = nullptr;
  }
  static QApplication* app_;
};

QApplication* AppDialogsTest::app_ = nullptr;

TEST_F(AppDialogsTest, AboutBoxShowsTheBrandingAndItsLinkOpensTheAddress) {
  AboutBoxTexts texts;
  texts.caption = "About Portolan Pro";
  texts.programName = "Portolan Pro";
  texts.companyName = "Example Ltd";
  texts.link = "http://example.com/a?b=c&d";
  texts.bitmapPath = "/nonexistent/logo.bmp";
  platform::RecordingLauncher launcher;
  launcher.SetResult(true);
  CAboutDlg dialog(texts, &launcher);
  EXPECT_EQ(dialog.windowTitle(), "About Portolan Pro");
  EXPECT_EQ(dialog.findChild<QLabel*>("1182")->text(), "Portolan Pro");
  EXPECT_EQ(dialog.findChild<QLabel*>("1181")->text(), "Example Ltd");
  auto* link = dialog.findChild<ui::CStaticLink*>("1105");
  ASSERT_NE(link, nullptr);
  EXPECT_TRUE(link->text().contains("http://example.com/a?b=c&amp;d"));
  emit link->linkActivated("#");
  ASSERT_EQ(launcher.Calls().size(), 1u);
  EXPECT_EQ(launcher.Calls()[0].url, "http://example.com/a?b=c&d");
}

TEST_F(AppDialogsTest, SearchDialogGivesTheTypedAddress) {
  CSearchDlg dialog;
  EXPECT_EQ(dialog.windowTitle(), "Search");
  dialog.findChild<QLineEdit*>("1031")->setText(" 10.0.0.5 ");
  EXPECT_EQ(dialog.Address(), "10.0.0.5");
}

TEST_F(AppDialogsTest, UnlistedServerDialogKeepsWhatWasTyped) {
  UnlistedServerForm form;
  form.serialNumber = "1234";
  form.ipAddress = "10.0.0.9";
  form.sendAddress = "10.0.0.255";
  form.multicast = true;
  CUnlistedServerDlg dialog(form);
  EXPECT_EQ(dialog.windowTitle(), "Setup Unlisted IP Server");
  EXPECT_EQ(dialog.findChild<QPushButton*>("1036")->text(), "&Next");
  EXPECT_EQ(dialog.findChild<QLineEdit*>("1032")->text(), "1234");
  EXPECT_TRUE(dialog.findChild<QCheckBox*>("1039")->isChecked());
  dialog.findChild<QLineEdit*>("1033")->setText("10.0.0.10");
  dialog.findChild<QCheckBox*>("1039")->setChecked(false);
  const UnlistedServerForm read = dialog.Form();
  EXPECT_EQ(read.serialNumber, "1234");
  EXPECT_EQ(read.ipAddress, "10.0.0.10");
  EXPECT_EQ(read.sendAddress, "10.0.0.255");
  EXPECT_FALSE(read.multicast);
}

TEST_F(AppDialogsTest, UnlistedServerDialogOpensShortAndNextProposesTheSubnetsBroadcast) {
  platform::ScriptedPrompt prompt;
  CUnlistedServerDlg dialog(UnlistedServerForm{}, nullptr, &prompt, "Portolan Pro");
  auto* sendTo = dialog.findChild<QLineEdit*>("1034");
  auto* next = dialog.findChild<QPushButton*>("1036");
  auto* multicast = dialog.findChild<QCheckBox*>("1039");
  EXPECT_FALSE(sendTo->isVisibleTo(&dialog));
  EXPECT_FALSE(dialog.findChild<QPushButton*>("1")->isVisibleTo(&dialog));  // no OK yet
  EXPECT_EQ(dialog.findChild<QLineEdit*>("1032")->maxLength(), 8);
  dialog.findChild<QLineEdit*>("1033")->setText("10.1.2");
  next->click();
  ASSERT_EQ(prompt.Count(), 1u);
  EXPECT_EQ(prompt.Records()[0].text, "The IP address is invalid.");
  EXPECT_EQ(prompt.Records()[0].caption, "Portolan Pro");
  EXPECT_FALSE(sendTo->isVisibleTo(&dialog));

  dialog.findChild<QLineEdit*>("1033")->setText("10.1.2.3");
  next->click();
  EXPECT_TRUE(sendTo->isVisibleTo(&dialog));
  EXPECT_FALSE(next->isVisibleTo(&dialog));
  EXPECT_TRUE(dialog.findChild<QPushButton*>("1")->isVisibleTo(&dialog));
  EXPECT_EQ(sendTo->text(), "10.1.2.255");
  sendTo->setText("10.1.255.255");
  multicast->setChecked(true);
  EXPECT_EQ(sendTo->text(), "multicast");
  EXPECT_FALSE(sendTo->isEnabled());
  EXPECT_EQ(dialog.Form().sendAddress, "10.1.255.255");  // kept behind "multicast"
  EXPECT_TRUE(dialog.Form().multicast);
  multicast->setChecked(false);
  EXPECT_EQ(sendTo->text(), "10.1.255.255");
  EXPECT_EQ(prompt.Count(), 1u);
}

TEST_F(AppDialogsTest, StartupOptionsDialogShowsAndReadsBothBoxes) {
  StartupOptionsForm form;
  form.startMinimized = true;
  CStartupOptionsDlg dialog(form);
  EXPECT_EQ(dialog.windowTitle(), "Options");
  EXPECT_FALSE(dialog.findChild<QCheckBox*>("1195")->isChecked());
  EXPECT_TRUE(dialog.findChild<QCheckBox*>("1196")->isChecked());
  dialog.findChild<QCheckBox*>("1195")->setChecked(true);
  EXPECT_TRUE(dialog.Form().startWithSession);
  EXPECT_TRUE(dialog.Form().startMinimized);
}

}  // namespace
}  // namespace app
