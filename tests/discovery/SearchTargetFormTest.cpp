// The Specify a Device dialog's rules: each choice's field, and the entry it makes or the refusal,
// held to the same check `portolanctl discover --entry` applies.
#include <gtest/gtest.h>

#include <string>

#include "discovery/SearchEntry.h"
#include "discovery/SearchTargetForm.h"

namespace discovery {
namespace {

using Choice = SearchTargetForm::Choice;

TEST(SearchTargetFormTest, EachChoiceHasItsFieldAndStartingText) {
  SearchTargetForm form("/home/ann/");
  EXPECT_EQ(form.Current(), SearchTargetForm::kAddress);
  EXPECT_STREQ(form.Label(), "Enter IP Address:");
  EXPECT_FALSE(form.BrowseShown());
  form.SetText("10.0.0.7");
  form.Choose(SearchTargetForm::kMulticast);
  EXPECT_STREQ(form.Label(), "Time To Live (hops):");
  EXPECT_EQ(form.Text(), "5");
  form.Choose(SearchTargetForm::kFile);
  EXPECT_STREQ(form.Label(), "Enter File Path:");
  EXPECT_EQ(form.Text(), "/home/ann/belmark_addr.txt");
  EXPECT_TRUE(form.BrowseShown());
  // The address choices share what was typed.
  form.Choose(SearchTargetForm::kDirectedBroadcast);
  EXPECT_EQ(form.Text(), "10.0.0.7");
  EXPECT_STREQ(SearchTargetForm::ChoiceText(SearchTargetForm::kSubnet),
               "Subnet Search (e.g. xxx.xxx.xxx.*)");
}

TEST(SearchTargetFormTest, EntriesMadeAndRefused) {
  struct Case {
    Choice choice;
    const char* text;
    const char* entry;  // nullptr: refused
  };
  const Case cases[] = {
      {SearchTargetForm::kAddress, "10.0.0.5", "10.0.0.5"},
      {SearchTargetForm::kAddress, "255.255.255.255", "255.255.255.255"},
      {SearchTargetForm::kAddress, "10.0.0.256", nullptr},
      {SearchTargetForm::kAddress, "10.0.0", nullptr},
      {SearchTargetForm::kAddress, "10.0.0.*", nullptr},  // a subnet typed as one address
      {SearchTargetForm::kAddress, "Multicast<5>", nullptr},
      {SearchTargetForm::kAddress, "", nullptr},
      {SearchTargetForm::kDirectedBroadcast, "10.0.0.255", "10.0.0.255<DB>"},
      {SearchTargetForm::kDirectedBroadcast, "10.0.0.*", nullptr},
      {SearchTargetForm::kDirectedBroadcast, "host", nullptr},
      {SearchTargetForm::kSubnet, "10.1.2.*", "10.1.2.*"},
      {SearchTargetForm::kSubnet, "10.1.2.5", nullptr},  // no "*"
      {SearchTargetForm::kSubnet, "10.1.*", nullptr},    // the sweep would query "10.1.1"...
      {SearchTargetForm::kSubnet, "10.1.*.5", nullptr},
      {SearchTargetForm::kSubnet, "10.1.256.*", nullptr},
      {SearchTargetForm::kMulticast, "5", "Multicast<5>"},
      {SearchTargetForm::kMulticast, "1", "Multicast<1>"},
      {SearchTargetForm::kMulticast, "255", "Multicast<255>"},
      {SearchTargetForm::kMulticast, "0", nullptr},
      {SearchTargetForm::kMulticast, "256", nullptr},
      {SearchTargetForm::kMulticast, "x", nullptr},
      {SearchTargetForm::kMulticast, "", nullptr},
      {SearchTargetForm::kFile, "/tmp/list.txt", "File</tmp/list.txt>"},
      {SearchTargetForm::kFile, "", nullptr},
  };
  for (const Case& c : cases) {
    SearchTargetForm form("");
    form.Choose(c.choice);
    form.SetText(c.text);
    std::string entry;
    std::string refusal;
    const bool made = form.Finish(&entry, &refusal);
    EXPECT_EQ(made, c.entry != nullptr) << c.choice << " " << c.text;
    if (c.entry == nullptr) {
      EXPECT_FALSE(refusal.empty()) << c.text;
      continue;
    }
    EXPECT_EQ(entry, c.entry);
    // What the desktop stores, portolanctl takes.
    EXPECT_TRUE(IsWellFormedSearchEntry(entry)) << entry;
  }
}

TEST(SearchTargetFormTest, RefusalsNameWhatIsWrong) {
  SearchTargetForm form("");
  form.SetText("10.0.0");
  std::string entry, refusal;
  EXPECT_FALSE(form.Finish(&entry, &refusal));
  EXPECT_EQ(refusal, "The IP address is invalid.");  // 5003
  form.Choose(SearchTargetForm::kMulticast);
  form.SetText("300");
  EXPECT_FALSE(form.Finish(&entry, &refusal));
  EXPECT_EQ(refusal, SearchTargetForm::kBadHops);
  EXPECT_TRUE(entry.empty());
}

}  // namespace
}  // namespace discovery
