// The view tree's rules and actions over a real store: the order of siblings, drops (onto a view,
// onto itself or below, onto empty space), a move whose settings key cannot be moved, deleting a
// group with its subtree, the pop-up menu's state and the new folder's checks.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "platform/RegistryStore.h"
#include "platform/ScriptedPrompt.h"
#include "views/CViewStore.h"
#include "views/FakeDeviceList.h"
#include "views/FakeStoreHost.h"
#include "views/ScriptedEngine.h"
#include "views/ViewTreeActions.h"
#include "views/ViewTreeRules.h"

namespace views::test {
namespace {

class ViewTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.WriteString("Views", "First", "No");
    settings.WriteString("General", "CurrentView", "Lab");
    Add("Views\\Lab", 6, 16);
    Add("Views\\zeta", 6, 16);
    Add("Views\\Office", 2, 4);
    Add("Views\\Office\\Printers", 6, 17);
    Add("Views\\Office\\Inner", 2, 0);
    Add("Views\\Office\\Inner\\Deep", 6, 16);
    Add("Views\\Annex", 2, 2);
    store.SetListControl(&list);
    store.SetPrompt(&prompt);
    store.SetErrorReport([this](unsigned codeA, int, unsigned, int, int) {
      reports.push_back(codeA);
      return 0;
    });
    ASSERT_EQ(store.Open(&host), CViewStore::kOpenOk);
  }
  void Add(const std::string& section, int type, int icons) {
    settings.WriteInt(section, "Type", type);
    settings.WriteInt(section, "Icons", icons);
  }
  CViewNode* Node(const std::string& name) { return store.FindNode(name); }
  std::vector<std::string> Children(const std::string& name) {
    std::vector<std::string> names;
    for (CViewNode* child : ViewTreeRules::SortedChildren(*Node(name))) {
      names.push_back(child->Name());
    }
    return names;
  }

  platform::RegistryStore registry{""};
  app::Settings settings{registry};
  CViewStore store{settings, [](const CViewNode&) { return std::make_unique<ScriptedEngine>(); }};
  FakeStoreHost host;
  FakeDeviceList list;
  platform::ScriptedPrompt prompt;
  std::vector<unsigned> reports;
  ViewTreeActions actions{store, prompt, "Portolan"};
};

TEST_F(ViewTreeTest, GroupsComeBeforeViewsNamesWithoutCase) {
  EXPECT_EQ(Children("Views"), (std::vector<std::string>{"Annex", "Office", "Lab", "zeta"}));
  EXPECT_EQ(Children("Office"), (std::vector<std::string>{"Inner", "Printers"}));
}

TEST_F(ViewTreeTest, PicturesByNodeTypeAGroupOpenWhenExpanded) {
  EXPECT_EQ(ViewTreeRules::ImageOf(*Node("Office"), false), 4);
  EXPECT_EQ(ViewTreeRules::ImageOf(*Node("Office"), true), 5);
  EXPECT_EQ(ViewTreeRules::ImageOf(*Node("Printers"), true), 17);
}

TEST_F(ViewTreeTest, DropOntoAViewLandsInItsGroup) {
  prompt.QueueAnswer(platform::IDYES);
  EXPECT_EQ(actions.Move(Node("zeta"), Node("Printers")), ViewTreeActions::MoveResult::kMoved);
  EXPECT_EQ(Node("zeta")->Parent(), Node("Office"));
  EXPECT_EQ(settings.GetInt("Views\\Office\\zeta", "Type", 0), 6);
  EXPECT_FALSE(settings.SectionExists("Views\\zeta"));
  ASSERT_EQ(prompt.Count(), 1u);
  EXPECT_EQ(prompt.Records()[0].text, "Move the view \"zeta\" to the group \"Office\"?");
}

TEST_F(ViewTreeTest, RefusedDropsAskNothing) {
  using R = ViewTreeActions::MoveResult;
  EXPECT_EQ(actions.Move(Node("Office"), nullptr), R::kRefused);  // empty space
  EXPECT_EQ(actions.Move(Node("Office"), Node("Office")), R::kRefused);
  EXPECT_EQ(actions.Move(Node("Office"), Node("Deep")), R::kRefused);      // below itself
  EXPECT_EQ(actions.Move(Node("Printers"), Node("Office")), R::kRefused);  // its parent already
  prompt.QueueAnswer(platform::IDNO);
  EXPECT_EQ(actions.Move(Node("Printers"), Node("Inner")), R::kDeclined);  // asked, No
  EXPECT_EQ(actions.Move(store.Root(), Node("Annex")), R::kRefused);       // the root stays
  EXPECT_EQ(prompt.Count(), 1u);  // only the one that could move was asked (and declined)
  EXPECT_EQ(Node("Printers")->Parent(), Node("Office"));
}

TEST_F(ViewTreeTest, AMoveTheSettingsRefuseLeavesTheTreeAsItWasAndIsReported) {
  // A stray key where the group would go: the key cannot be moved there.
  settings.WriteString("Views\\Annex\\Printers", "Left", "over");
  prompt.QueueAnswer(platform::IDYES);
  EXPECT_EQ(actions.Move(Node("Printers"), Node("Annex")), ViewTreeActions::MoveResult::kFailed);
  EXPECT_EQ(Node("Printers")->Parent(), Node("Office"));
  EXPECT_EQ(Children("Annex"), std::vector<std::string>{});
  EXPECT_EQ(settings.GetInt("Views\\Office\\Printers", "Type", 0), 6);
  EXPECT_EQ(reports.size(), 1u);
}

TEST_F(ViewTreeTest, DeletingAGroupTakesItsSubtreeFromMemoryAndSettings) {
  prompt.QueueAnswer(platform::IDYES);
  EXPECT_TRUE(actions.Delete(Node("Office")));
  EXPECT_EQ(prompt.Records()[0].text, "Delete the group \"Office\"?");
  for (const char* name : {"Office", "Printers", "Inner", "Deep"}) {
    EXPECT_EQ(Node(name), nullptr) << name;
  }
  EXPECT_FALSE(settings.SectionExists("Views\\Office"));
  EXPECT_EQ(Children("Views"), (std::vector<std::string>{"Annex", "Lab", "zeta"}));
}

TEST_F(ViewTreeTest, TheCurrentViewAndItsGroupAreNotDeleted) {
  EXPECT_FALSE(actions.Delete(Node("Lab")));
  EXPECT_EQ(prompt.Records().back().text.rfind("The selected view is currently open", 0), 0u);
  store.SelectView(Node("Deep"), false, false);
  EXPECT_FALSE(actions.Delete(Node("Office")));
  EXPECT_EQ(prompt.Records().back().text, "Delete sub-views before deleting group.");
  EXPECT_NE(Node("Deep"), nullptr);
  prompt.QueueAnswer(platform::IDNO);
  EXPECT_FALSE(actions.Delete(Node("zeta")));  // declined
  EXPECT_NE(Node("zeta"), nullptr);
}

TEST_F(ViewTreeTest, TheLastViewIsNotDeleted) {
  for (const char* name : {"zeta", "Office"}) {
    prompt.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(actions.Delete(Node(name)));
  }
  EXPECT_FALSE(actions.Delete(Node("Lab")));
  EXPECT_EQ(prompt.Records().back().text,
            "At least one view is required. Create a new view before deleting this one.");
}

TEST_F(ViewTreeTest, MenuStateAndDefaultEntry) {
  TreeMenuState group = ViewTreeRules::MenuState(Node("Office"), false);
  EXPECT_FALSE(group.open || group.openRefresh || group.modify);
  EXPECT_FALSE(group.remove);  // it has children
  EXPECT_TRUE(ViewTreeRules::MenuState(Node("Annex"), false).remove);
  TreeMenuState neverOpened = ViewTreeRules::MenuState(Node("zeta"), false);
  EXPECT_FALSE(neverOpened.open);
  EXPECT_EQ(neverOpened.defaultCommand, 32861);
  TreeMenuState opened = ViewTreeRules::MenuState(Node("Lab"), false);
  EXPECT_TRUE(opened.open);
  EXPECT_EQ(opened.defaultCommand, 32835);
  EXPECT_EQ(ViewTreeRules::MenuState(Node("Lab"), true).defaultCommand, 32861);
}

TEST_F(ViewTreeTest, NewFolderNamesAreChecked) {
  EXPECT_EQ(actions.CreateFolder(Node("Office"), "", 0), nullptr);
  EXPECT_EQ(actions.CreateFolder(Node("Office"), "a\\b", 0), nullptr);
  EXPECT_EQ(actions.CreateFolder(Node("Office"), "DEEP", 0), nullptr);  // used anywhere
  ASSERT_EQ(prompt.Count(), 3u);
  EXPECT_EQ(prompt.Records()[0].text, "The view must have a name.");
  EXPECT_EQ(prompt.Records()[1].text, "A view or group name may not contain \"\\\".");
  EXPECT_EQ(prompt.Records()[2].text, "A view or group with that name already exists.");
  CViewNode* made = actions.CreateFolder(Node("Office"), "Stores", 6);
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(made->IsGroup());
  EXPECT_EQ(settings.GetInt("Views\\Office\\Stores", "Icons", -1), 6);
  EXPECT_EQ(settings.GetInt("Views\\Office\\Stores", "Type", -1), 2);
}

}  // namespace
}  // namespace views::test
