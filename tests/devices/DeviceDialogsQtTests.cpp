// The Network Information, Invalid Community Name and Reset Server dialogs on the offscreen
// platform, driven through their controllers (the Reset Server one against the simulator's agent,
// on virtual time).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <memory>

#include "app/DeviceAccessList.h"
#include "devices/CInvalidCommunityDlg.h"
#include "devices/CNetworkInfoDlg.h"
#include "devices/CResetServerDlg.h"
#include "devices/DeviceTestSupport.h"
#include "devices/LoopbackAgent.h"
#include "devices/NetworkInfoController.h"
#include "devices/ResetServerController.h"
#include "discovery/CPleaseWaitDlg.h"
#include "discovery/NetworkEnvironment.h"
#include "platform/ScriptedPrompt.h"
#include "support/QtTestApplication.h"

namespace devices {
namespace {

const std::string kRoot = "1.3.6.1.4.1.32473";

class DialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    app_ = testsupport::EnsureQApplication("devices_DeviceDialogsQtTests");
  }
  static void TearDownTestSuite() {
    delete app_;
    app_ = nullptr;
  }
  static QApplication* app_;
};

QApplication* DialogTest::app_ = nullptr;

TEST_F(DialogTest, NetworkInformationShowsTheControllersLines) {
  discovery::NetworkEnvironment environment;
  discovery::NetworkEnvironment::System system;
  system.canMakeSocket = [](int family, int, int) { return family == 2; };
  system.hostName = [] { return std::string("desk"); };
  system.snmpStartup = [](uint32_t* major, uint32_t* minor) {
    *major = 2;
    *minor = 0;
    return 1u;
  };
  system.snmpSetTranslateMode = [](uint32_t) { return 1u; };
  environment.Probe(system);
  NetworkInfoController controller(environment);
  CNetworkInfoDlg dialog(controller);
  EXPECT_EQ(dialog.windowTitle(), "Network Information");
  const auto lines = controller.Lines();
  for (size_t i = 0; i < lines.size(); ++i) {
    auto* value = dialog.findChild<QLabel*>(QString("value%1").arg(i));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->text().toStdString(), lines[i].value);
    // A screen reader hears the value; the line's title is the description.
    EXPECT_EQ(value->accessibleName().toStdString(),
              lines[i].value.empty() ? lines[i].label : lines[i].value);
    EXPECT_EQ(value->accessibleDescription().toStdString(), lines[i].label);
  }
}

TEST_F(DialogTest, InvalidCommunityOffersIgnoreOnlyWhereAsked) {
  CInvalidCommunityDlg get("The GET community name ...", false, "quorum");
  EXPECT_TRUE(get.IgnoreButton()->isHidden());
  auto* field = get.findChild<QLineEdit*>("community");
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->text(), "quorum");
  EXPECT_EQ(field->maxLength(), 31);
  field->setText("public");
  get.accept();
  EXPECT_EQ(get.result(), QDialog::Accepted);
  EXPECT_EQ(get.Community(), "public");

  CInvalidCommunityDlg set("The SET community name ...", true, "quorum");
  EXPECT_FALSE(set.IgnoreButton()->isHidden());
  set.IgnoreButton()->click();
  EXPECT_EQ(set.result(), CommunityPrompt::kIgnore);
}

TEST_F(DialogTest, TheCommunityPromptsHelpButtonReachesItsHandlerAndLeavesTheDialogOpen) {
  int helps = 0;
  QtCommunityPrompt prompt(nullptr, [&] { ++helps; });
  // The prompt's dialog is modal: it is driven from inside its own event loop.
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<CInvalidCommunityDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    buttons->button(QDialogButtonBox::Help)->click();
    EXPECT_TRUE(dialog->isVisible());
    dialog->findChild<QLineEdit*>("community")->setText("private");
    buttons->button(QDialogButtonBox::Ok)->click();
  });
  std::string community = "quorum";
  EXPECT_EQ(prompt.AskCommunity("The SET community name ...", true, &community),
            CommunityPrompt::kOk);
  EXPECT_EQ(helps, 1);
  EXPECT_EQ(community, "private");
}

class ResetDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(loop.Ready());
    access.Set("<Default>", "public", "private");
    settings.roots = BrandRoots{"Vantor", kRoot, {}};
    controller = std::make_unique<ResetServerController>(
        record, access, wait, prompt, communities, settings, [](unsigned, int, unsigned, int) {},
        loop.clock);
    controller->SetFollowUpQuery([](const std::string&, int) { return 0; });
  }

  size_t Sets() const {
    size_t sets = 0;
    for (const auto& request : agent.RequestLog()) sets += request.set ? 1 : 0;
    return sets;
  }

  test::LoopbackAgent loop{false, kRoot};
  devsim::SnmpAgent& agent = loop.agent;
  discovery::CPleaseWaitDlg& wait = loop.wait;
  test::ScriptedRecord record{&wait};
  platform::ScriptedPrompt prompt;
  test::ScriptedCommunityPrompt communities;
  app::DeviceAccessList access;
  ResetServerSettings settings;
  std::unique_ptr<ResetServerController> controller;
};

TEST_F(ResetDialogTest, TheListHoldsTheLinesUncheckedAndRestoreWritesTheCheckedOne) {
  ASSERT_EQ(controller->Start(), ResetStart::kDialog);
  CResetServerDlg dialog(*controller);
  EXPECT_EQ(dialog.windowTitle(), "Reset Server");
  ASSERT_EQ(dialog.RestoreList()->count(), 3);
  EXPECT_EQ(dialog.RestoreList()->objectName(), "3016");
  EXPECT_EQ(dialog.RestoreList()->item(1)->text(), "LPD");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(dialog.RestoreList()->item(i)->checkState(), Qt::Unchecked);
  }
  EXPECT_EQ(dialog.findChild<QPushButton*>("3014"), dialog.ResetButton());
  dialog.RestoreList()->item(1)->setCheckState(Qt::Checked);
  dialog.RestoreButton()->click();
  EXPECT_EQ(dialog.result(), ResetServerController::kRestoreDone);
  ASSERT_EQ(Sets(), 1u);
  EXPECT_EQ(agent.RequestLog().back().vars[0].OidText(), kRoot + ".6.3.1.3.1.0");
  EXPECT_EQ(record.queries, 2);  // the start's query and the one when the dialog closed
  EXPECT_TRUE(dialog.isEnabled());
}

TEST_F(ResetDialogTest, ResetDeclinedLeavesTheDialogOpenAndCancelClosesIt) {
  ASSERT_EQ(controller->Start(), ResetStart::kDialog);
  CResetServerDlg dialog(*controller);
  dialog.show();
  prompt.QueueAnswer(platform::IDCANCEL);
  dialog.ResetButton()->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(Sets(), 0u);
  dialog.reject();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(record.queries, 2);
}

TEST_F(ResetDialogTest, AfterIgnoreResetAndRestoreAreDisabled) {
  access.Set("<Default>", "public", "wrong");
  communities.answers.push_back({CommunityPrompt::kIgnore, ""});
  ASSERT_EQ(controller->Start(), ResetStart::kDialog);
  CResetServerDlg dialog(*controller);
  EXPECT_FALSE(dialog.ResetButton()->isEnabled());
  EXPECT_FALSE(dialog.RestoreButton()->isEnabled());
  EXPECT_EQ(dialog.RestoreList()->count(), 3);
}

}  // namespace
}  // namespace devices
