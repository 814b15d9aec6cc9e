// The view tree as a widget (offscreen): filled from the store with groups first, a user's
// selection posting Open, a drop on empty space refused, a move the settings refuse shown where
// the store still holds the node, a group's picture open while expanded.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "app/Settings.h"
#include "platform/RegistryStore.h"
#include "platform/ScriptedPrompt.h"
#include "support/QtTestApplication.h"
#include "views/CLeftView.h"
#include "views/CViewStore.h"
#include "views/FakeDeviceList.h"
#include "views/FakeStoreHost.h"
#include "views/ScriptedEngine.h"

namespace views::test {
namespace {

class CLeftViewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testsupport::EnsureQApplication("views_CLeftViewQtTests"); }
  void SetUp() override {
    settings.WriteString("Views", "First", "No");
    settings.WriteString("General", "CurrentView", "Lab");
    Add("Views\\Lab", 6, 16);
    Add("Views\\Office", 2, 4);
    Add("Views\\Office\\Printers", 6, 17);
    Add("Views\\Annex", 2, 2);
    store.SetListControl(&list);
    store.SetPrompt(&prompt);
    store.SetErrorReport([this](unsigned, int, unsigned, int, int) { return ++reports; });
    ASSERT_EQ(store.Open(&host), CViewStore::kOpenOk);
    tree = std::make_unique<CLeftView>(store, prompt, "Portolan");
    tree->SetCommandPoster([this](int command) { posted.push_back(command); });
  }
  void Add(const std::string& section, int type, int icons) {
    settings.WriteInt(section, "Type", type);
    settings.WriteInt(section, "Icons", icons);
  }
  QString ParentText(const std::string& name) {
    QTreeWidgetItem* item = tree->ItemOf(store.FindNode(name));
    return item != nullptr && item->parent() != nullptr ? item->parent()->text(0) : QString();
  }

  platform::RegistryStore registry{""};
  app::Settings settings{registry};
  CViewStore store{settings, [](const CViewNode&) { return std::make_unique<ScriptedEngine>(); }};
  FakeStoreHost host;
  FakeDeviceList list;
  platform::ScriptedPrompt prompt;
  std::unique_ptr<CLeftView> tree;
  std::vector<int> posted;
  int reports = 0;
};

TEST_F(CLeftViewTest, FilledGroupsFirstWithTheCurrentViewSelected) {
  QTreeWidgetItem* root = tree->topLevelItem(0);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->text(0), "Views");
  ASSERT_EQ(root->childCount(), 3);
  EXPECT_EQ(root->child(0)->text(0), "Annex");
  EXPECT_EQ(root->child(1)->text(0), "Office");
  EXPECT_EQ(root->child(2)->text(0), "Lab");
  EXPECT_EQ(tree->SelectedNode(), store.CurrentNode());
  EXPECT_TRUE(posted.empty());  // the code's own selection opens nothing
  EXPECT_EQ(tree->accessibleName(), "Views");
}

TEST_F(CLeftViewTest, TheUsersSelectionOpensTheView) {
  tree->setCurrentItem(tree->ItemOf(store.FindNode("Printers")));
  EXPECT_EQ(posted, std::vector<int>{32835});
  tree->SetRefreshAlways(true);
  tree->setCurrentItem(tree->ItemOf(store.FindNode("Lab")));
  EXPECT_EQ(posted.back(), 32861);
  tree->setCurrentItem(tree->ItemOf(store.FindNode("Annex")));  // a group opens nothing
  EXPECT_EQ(posted.size(), 2u);
}

TEST_F(CLeftViewTest, DropOnEmptySpaceIsRefused) {
  EXPECT_FALSE(tree->DropOn(store.FindNode("Printers"), nullptr));
  EXPECT_EQ(prompt.Count(), 0u);
  EXPECT_EQ(ParentText("Printers"), "Office");
}

TEST_F(CLeftViewTest, AMoveTheSettingsRefuseStaysWhereTheStoreHoldsIt) {
  settings.WriteString("Views\\Annex\\Printers", "Left", "over");
  prompt.QueueAnswer(platform::IDYES);
  EXPECT_FALSE(tree->DropOn(store.FindNode("Printers"), store.FindNode("Annex")));
  EXPECT_EQ(ParentText("Printers"), "Office");
  EXPECT_EQ(reports, 1);
  prompt.QueueAnswer(platform::IDYES);
  EXPECT_TRUE(tree->DropOn(store.FindNode("Lab"), store.FindNode("Annex")));
  EXPECT_EQ(ParentText("Lab"), "Annex");
}

TEST_F(CLeftViewTest, AGroupShowsItsOpenPictureWhileExpanded) {
  QTreeWidgetItem* office = tree->ItemOf(store.FindNode("Office"));
  office->setExpanded(false);
  const QImage closed = office->icon(0).pixmap(16, 16).toImage();
  EXPECT_EQ(closed, office->icon(0).pixmap(16, 16).toImage());
  office->setExpanded(true);
  EXPECT_NE(office->icon(0).pixmap(16, 16).toImage(), closed);
}

}  // namespace
}  // namespace views::test
