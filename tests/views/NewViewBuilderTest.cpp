// The view wizard's rules without windows: names, the default Finish and its group, the node made
// once across Next and Back, and what may be deleted.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "platform/RegistryStore.h"
#include "views/CViewDefinition.h"
#include "views/CViewStore.h"
#include "views/NewViewBuilder.h"
#include "views/ScriptedEngine.h"
#include "views/ViewRules.h"

namespace views {
namespace {

class NewViewBuilderTest : public ::testing::Test {
 protected:
  void AddView(const std::string& path, int type, int icons) {
    settings.WriteInt(path, "Type", type);
    settings.WriteInt(path, "Icons", icons);
  }
  void Open() {
    store.SetErrorReport([this](unsigned code, int, unsigned, int, int) {
      reports.push_back(code);
      return 0;
    });
    store.Open(nullptr);
  }
  std::string Get(const std::string& section, const std::string& entry) {
    return settings.GetString(section, entry, "<none>");
  }
  int GetInt(const std::string& section, const std::string& entry) {
    return settings.GetInt(section, entry, -1);
  }
  int CountNodes() const { return static_cast<int>(store.Nodes().size()); }

  platform::RegistryStore registry{""};
  app::Settings settings{registry};
  CViewStore store{settings,
                   [](const CViewNode&) { return std::make_unique<test::ScriptedEngine>(); }};
  CViewDefinition copy{settings, store.ColumnTable()};
  NewViewBuilder builder{store, copy};
  std::vector<unsigned> reports;
};

TEST_F(NewViewBuilderTest, DefaultFinishFilesTheViewInTheTcpIpGroupWithItsLayout) {
  Open();
  ASSERT_EQ(builder.FinishDefault(store.Root(), "Lab", CViewNode::kTcpIpView), ViewRules::kOk);
  CViewNode* group = store.FindNode("TCP/IP");
  ASSERT_NE(group, nullptr);
  EXPECT_TRUE(group->IsGroup());
  EXPECT_EQ(builder.Node()->Parent(), group);
  EXPECT_EQ(GetInt("Views\\TCP/IP", "Type"), 2);
  EXPECT_EQ(GetInt("Views\\TCP/IP", "Icons"), 7);
  const std::string view = "Views\\TCP/IP\\Lab";
  EXPECT_EQ(GetInt(view, "Type"), 6);
  EXPECT_EQ(GetInt(view, "Icons"), 16);
  EXPECT_EQ(Get(view, "Columns"), "System Name,IP Address,H/W Address,Virtual Port,Port #");
  EXPECT_EQ(Get(view, "Sort"), ">System Name");
  EXPECT_EQ(GetInt(view, "NetSearchBuild"), 1);
  EXPECT_EQ(GetInt(view, "ListBuild"), 0);
  EXPECT_EQ(Get(view, "dev0"), "<none>");
  EXPECT_EQ(Get(view, "Filter"), "<none>");
}

TEST_F(NewViewBuilderTest, ASecondDefaultViewJoinsTheSameGroupAndAViewNamedLikeTheGroupIsPassed) {
  AddView("Views\\Office", 2, 0);
  Open();
  ASSERT_EQ(builder.FinishDefault(store.FindNode("Office"), "One", 6), ViewRules::kOk);
  NewViewBuilder second(store, copy);
  ASSERT_EQ(second.FinishDefault(store.Root(), "Two", 6), ViewRules::kOk);
  EXPECT_EQ(builder.Node()->Parent(), second.Node()->Parent());
  EXPECT_EQ(second.Node()->Path(), "Views\\Office\\TCP/IP\\Two");

  // A view holding the group's name: the new view goes where it was asked to go.
  NewViewBuilder third(store, copy);
  store.DeleteNode(second.Node());
  store.DeleteNode(builder.Node());
  store.DeleteNode(store.FindNode("TCP/IP"));
  ASSERT_NE(store.AddNode(store.Root(), "tcp/ip", 6, 16), nullptr);
  ASSERT_EQ(third.FinishDefault(store.FindNode("Office"), "Three", 6), ViewRules::kOk);
  EXPECT_EQ(third.Node()->Path(), "Views\\Office\\Three");
}

TEST_F(NewViewBuilderTest, NamesAndProtocolsAreCheckedBeforeAnythingIsMade) {
  AddView("Views\\Lab", 6, 16);
  Open();
  const int before = CountNodes();
  EXPECT_EQ(builder.FinishDefault(store.Root(), "", 6), ViewRules::kMsgNoName);
  EXPECT_EQ(builder.FinishDefault(store.Root(), std::string(261, 'v'), 6), ViewRules::kMsgNoName);
  EXPECT_EQ(builder.FinishDefault(store.Root(), "a\\b", 6), ViewRules::kMsgBackslash);
  EXPECT_EQ(builder.FinishDefault(store.Root(), "LAB", 6), ViewRules::kMsgNameExists);
  EXPECT_EQ(builder.FinishDefault(store.Root(), "views", 6), ViewRules::kMsgNameExists);
  EXPECT_EQ(builder.MakeView(store.Root(), "Ser", CViewNode::kSerialView),
            ViewRules::kMsgNoProtocol);
  // Without UDP not even TCP/IP can be made (5508).
  store.SetUdpAvailable(false);
  EXPECT_EQ(builder.MakeView(store.Root(), "Tcp", CViewNode::kTcpIpView),
            ViewRules::kMsgNoProtocol);
  store.SetUdpAvailable(true);
  EXPECT_EQ(CountNodes(), before);
  EXPECT_EQ(builder.Node(), nullptr);
  EXPECT_FALSE(settings.SectionExists("Views\\TCP/IP"));
  EXPECT_EQ(ViewRules::Text(ViewRules::kMsgBackslash),
            "A view or group name may not contain \"\\\".");
}

TEST_F(NewViewBuilderTest, NextBackNextMakesTheNodeOnceAndKeepsWhatThePagesSet) {
  Open();
  ASSERT_EQ(builder.MakeView(store.Root(), "Draft", 6), ViewRules::kOk);
  CViewNode* made = builder.Node();
  EXPECT_EQ(GetInt("Views\\Draft", "Type"), 6);
  EXPECT_EQ(copy.Section(), "Views\\Draft");
  EXPECT_EQ(copy.ColumnCount(), 5);
  copy.SetRefresh(120);  // set on a later page

  ASSERT_EQ(builder.MakeView(store.Root(), "Draft", 6), ViewRules::kOk);
  EXPECT_EQ(builder.Node(), made);
  EXPECT_EQ(copy.GetRefresh(), 120);
  ASSERT_EQ(builder.MakeView(store.Root(), "DRAFT", 6), ViewRules::kOk);  // only the case
  EXPECT_EQ(made->Name(), "Draft");
  ASSERT_EQ(builder.MakeView(store.Root(), "Final", 6), ViewRules::kOk);
  EXPECT_EQ(builder.Node(), made);
  EXPECT_EQ(made->Name(), "Final");
  EXPECT_EQ(copy.Section(), "Views\\Final");
  EXPECT_EQ(copy.GetRefresh(), 120);
  EXPECT_FALSE(settings.SectionExists("Views\\Draft"));
  EXPECT_EQ(CountNodes(), 2);
  EXPECT_TRUE(reports.empty());

  builder.Discard();
  EXPECT_EQ(builder.Node(), nullptr);
  EXPECT_EQ(CountNodes(), 1);
  EXPECT_FALSE(settings.SectionExists("Views\\Final"));
}

TEST_F(NewViewBuilderTest, DefaultFinishAfterNextMovesTheMadeNodeIntoTheGroup) {
  Open();
  ASSERT_EQ(builder.MakeView(store.Root(), "Draft", 6), ViewRules::kOk);
  CViewNode* made = builder.Node();
  ASSERT_EQ(builder.FinishDefault(store.Root(), "Draft", 6), ViewRules::kOk);
  EXPECT_EQ(builder.Node(), made);
  EXPECT_EQ(made->Path(), "Views\\TCP/IP\\Draft");
  EXPECT_EQ(Get("Views\\TCP/IP\\Draft", "Sort"), ">System Name");
  EXPECT_EQ(CountNodes(), 3);
}

TEST_F(NewViewBuilderTest, DeleteRulesGiveTheLastReasonThatApplies) {
  AddView("Views\\Lab", 6, 16);
  AddView("Views\\Office", 2, 0);
  AddView("Views\\Office\\Desk", 6, 16);
  AddView("Views\\Empty", 2, 0);
  settings.WriteString("General", "CurrentView", "Lab");
  Open();
  EXPECT_EQ(ViewRules::DeleteRefusal(store, nullptr), ViewRules::kMsgNoViewSelected);
  EXPECT_EQ(ViewRules::DeleteRefusal(store, store.Root()), ViewRules::kMsgCannotDelete);
  EXPECT_EQ(ViewRules::DeleteRefusal(store, store.FindNode("Lab")), ViewRules::kMsgCurrentView);
  EXPECT_EQ(ViewRules::DeleteRefusal(store, store.FindNode("Office")), ViewRules::kMsgHasChildren);
  EXPECT_EQ(ViewRules::DeleteRefusal(store, store.FindNode("Desk")), ViewRules::kOk);
  EXPECT_EQ(ViewRules::DeleteQuestion(*store.FindNode("Desk")), "Delete the view \"Desk\"?");
  EXPECT_EQ(ViewRules::DeleteQuestion(*store.FindNode("Empty")), "Delete the group \"Empty\"?");

  ASSERT_TRUE(store.DeleteNode(store.FindNode("Desk")));
  // The only view left: deleting it would leave none.
  EXPECT_EQ(ViewRules::DeleteRefusal(store, store.FindNode("Lab")), ViewRules::kMsgLastView);
  EXPECT_EQ(ViewRules::DeleteRefusal(store, store.FindNode("Empty")), ViewRules::kOk);
}

TEST_F(NewViewBuilderTest, ProtocolTextsAndGroups) {
  EXPECT_EQ(ViewRules::ProtocolText(6), "TCP/IP");
  EXPECT_EQ(ViewRules::ProtocolText(8), "Serial Port");
  EXPECT_EQ(ViewRules::ProtocolText(3), "Unknown");
  EXPECT_EQ(ViewRules::ProtocolGroupName(8), "Serial");
  EXPECT_EQ(ViewRules::ProtocolGroupIcons(9), 3);
}

}  // namespace
}  // namespace views
