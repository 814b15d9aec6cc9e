// The community check: nothing is asked while the access list's names match the device's, each
// mismatch asks until it matches or is cancelled, Ignore is offered for the SET name only.
#include <gtest/gtest.h>

#include "devices/CommunityCheck.h"
#include "devices/DeviceTestSupport.h"
#include "res/StringTable.h"

namespace devices {
namespace {

class CommunityCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { record.Query(); }

  int Check() { return CheckCommunities(record, &get, &set, prompt); }

  test::ScriptedRecord record{nullptr};
  test::ScriptedCommunityPrompt prompt;
  std::string get = "public";
  std::string set = "private";
};

TEST_F(CommunityCheckTest, MatchingNamesAreAcceptedWithoutAQuestion) {
  EXPECT_EQ(Check(), kCommunitiesAccepted);
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(CommunityCheckTest, AWrongGetNameIsAskedForUntilItMatches) {
  get = "quorum";
  prompt.answers = {{CommunityPrompt::kOk, "publik"}, {CommunityPrompt::kOk, "public"}};
  EXPECT_EQ(Check(), kCommunitiesAccepted);
  ASSERT_EQ(prompt.shown.size(), 2u);
  EXPECT_EQ(prompt.shown[0].message, res::LoadString(5030));
  EXPECT_FALSE(prompt.shown[0].offerIgnore);
  EXPECT_EQ(prompt.shown[0].community, "quorum");
  EXPECT_EQ(prompt.shown[1].community, "publik");
  EXPECT_EQ(get, "public");
}

TEST_F(CommunityCheckTest, CancelOrIgnoreOnTheGetNameCancels) {
  get = "quorum";
  prompt.answers = {{CommunityPrompt::kIgnore, ""}};
  EXPECT_EQ(Check(), kCommunitiesCancelled);
  EXPECT_EQ(Check(), kCommunitiesCancelled);  // an empty script answers Cancel
}

TEST_F(CommunityCheckTest, AnEmptySetNameIsReadOnlyWithoutASecondQuestion) {
  set.clear();
  EXPECT_EQ(Check(), kCommunitiesReadOnly);
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(CommunityCheckTest, AWrongSetNameOffersIgnore) {
  set = "quorum";
  prompt.answers = {{CommunityPrompt::kIgnore, ""}};
  EXPECT_EQ(Check(), kCommunitiesReadOnly);
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].message, res::LoadString(5029));
  EXPECT_TRUE(prompt.shown[0].offerIgnore);
}

TEST_F(CommunityCheckTest, AWrongSetNameCorrectedIsAcceptedAndCancelCancels) {
  set = "quorum";
  prompt.answers = {{CommunityPrompt::kOk, "private"}};
  EXPECT_EQ(Check(), kCommunitiesAccepted);
  EXPECT_EQ(set, "private");
  set = "quorum";
  prompt.answers = {{CommunityPrompt::kCancel, ""}};
  EXPECT_EQ(Check(), kCommunitiesCancelled);
}

TEST_F(CommunityCheckTest, AnEnteredNameIsCutAtThirtyOneCharacters) {
  record.fields.getCommunity = std::string(31, 'g');
  record.Query();
  get = "quorum";
  prompt.answers = {{CommunityPrompt::kOk, std::string(40, 'g')}};
  EXPECT_EQ(Check(), kCommunitiesAccepted);
  EXPECT_EQ(get, std::string(31, 'g'));
}

}  // namespace
}  // namespace devices
