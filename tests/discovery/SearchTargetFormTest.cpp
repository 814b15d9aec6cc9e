// The Specify a Device dialog's rules: each choice's field, and the entry it makes or the refusal,
// held to the same check `portolanctl discover --entry` applies.
#include <gtest/gtest.h>

#include <string>

#include "discovery/SearchEntry.h"
#include "discovery/SpecifyDeviceForm.h"

namespace discovery {
namespace {

using Choice = SpecifyDeviceForm::Choice;

TEST(SpecifyDeviceFormTest, EachChoiceHasItsFieldAndStartingText) {
  SpecifyDeviceForm form("/home/ann/");
  EXPECT_EQ(form.Current(), SpecifyDeviceForm::kAddress);
  EXPECT_STREQ(form.Label(), "Enter IP Address:");
  EXPECT_FALSE(form.BrowseShown());
  form.SetText("10.0.0.7");
  form.Choose(SpecifyDeviceForm::kMulticast);
  EXPECT_STREQ(form.Label(), "Time To Live (hops):");
  EXPECT_EQ(form.Text(), "5");
  form.Choose(SpecifyDeviceForm::kFile);
  EXPECT_STREQ(form.Label(), "Enter File Path:");
  EXPECT_EQ(form.Text(), "/home/ann/belmark_addr.txt");
  EXPECT_TRUE(form.BrowseShown());
  // The address choices share what was typed.
  form.Choose(SpecifyDeviceForm::kDirectedBroadcast);
  EXPECT_EQ(form.Text(), "10.0.0.7");
  EXPECT_STREQ(SpecifyDeviceForm::ChoiceText(SpecifyDeviceForm::kSubnet),
               "Subnet Search (e.g. xxx.xxx.xxx.*)");
}

TEST(SpecifyDeviceFormTest, EntriesMadeAndRefused) {
  struct Case {
    Choice choice;
    const char* text;
    const char* entry;  // nullptr: refused
  };
  const Case cases[] = {
      {SpecifyDeviceForm::kAddress, "10.0.0.5", "10.0.0.5"},
      {SpecifyDeviceForm::kAddress, "255.255.255.255", "255.255.255.255"},
      {SpecifyDeviceForm::kAddress, "10.0.0.256", nullptr},
      {SpecifyDeviceForm::kAddress, "10.0.0", nullptr},
      {SpecifyDeviceForm::kAddress, "10.0.0.*", nullptr},  // a subnet typed as one address
      {SpecifyDeviceForm::kAddress, "Multicast<5>", nullptr},
      {SpecifyDeviceForm::kAddress, "", nullptr},
      {SpecifyDeviceForm::kDirectedBroadcast, "10.0.0.255", "10.0.0.255<DB>"},
      {SpecifyDeviceForm::kDirectedBroadcast, "10.0.0.*", nullptr},
      {SpecifyDeviceForm::kDirectedBroadcast, "host", nullptr},
      {SpecifyDeviceForm::kSubnet, "10.1.2.*", "10.1.2.*"},
      {SpecifyDeviceForm::kSubnet, "10.1.2.5", nullptr},  // no "*"
      {SpecifyDeviceForm::kSubnet, "10.1.*", nullptr},    // the sweep would query "10.1.1"...
      {SpecifyDeviceForm::kSubnet, "10.1.*.5", nullptr},
      {SpecifyDeviceForm::kSubnet, "10.1.256.*", nullptr},
      {SpecifyDeviceForm::kMulticast, "5", "Multicast<5>"},
      {SpecifyDeviceForm::kMulticast, "1", "Multicast<1>"},
      {SpecifyDeviceForm::kMulticast, "255", "Multicast<255>"},
      {SpecifyDeviceForm::kMulticast, "0", nullptr},
      {SpecifyDeviceForm::kMulticast, "256", nullptr},
      {SpecifyDeviceForm::kMulticast, "x", nullptr},
      {SpecifyDeviceForm::kMulticast, "", nullptr},
      {SpecifyDeviceForm::kFile, "/tmp/list.txt", "File</tmp/list.txt>"},
      {SpecifyDeviceForm::kFile, "", nullptr},
  };
  for (const Case& c : cases) {
    SpecifyDeviceForm form("");
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

TEST(SpecifyDeviceFormTest, RefusalsNameWhatIsWrong) {
  SpecifyDeviceForm form("");
  form.SetText("10.0.0");
  std::string entry, refusal;
  EXPECT_FALSE(form.Finish(&entry, &refusal));
  EXPECT_EQ(refusal, "The IP address is invalid.");  // 5003
  form.Choose(SpecifyDeviceForm::kMulticast);
  form.SetText("300");
  EXPECT_FALSE(form.Finish(&entry, &refusal));
  EXPECT_EQ(refusal, SpecifyDeviceForm::kBadHops);
  EXPECT_TRUE(entry.empty());
}

}  // namespace
}  // namespace discovery
