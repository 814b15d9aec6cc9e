#include <gtest/gtest.h>

#include "vport/AddVirtualPortForm.h"
#include "vport/ComNumberSet.h"
#include "vport/DeleteVirtualPortForm.h"

namespace vport {
namespace {

TEST(ComNumberSet, HoldsEveryNumberFrom1To255AndNothingElse) {
  ComNumberSet set;
  EXPECT_TRUE(set.Empty());
  for (int n = 0; n <= 256; ++n) set.Set(n);
  set.Set(-1);
  EXPECT_FALSE(set.Has(0));
  EXPECT_FALSE(set.Has(256));
  EXPECT_TRUE(set.Has(1));
  EXPECT_TRUE(set.Has(255));
  const std::vector<int> numbers = set.Numbers();
  ASSERT_EQ(numbers.size(), 255u);
  EXPECT_EQ(numbers.front(), 1);
  EXPECT_EQ(numbers.back(), 255);
  EXPECT_EQ(set.Numbers(10).size(), 10u);
  EXPECT_EQ(set.NumberAt(254), 255);
  EXPECT_EQ(set.NumberAt(255), -1);
  EXPECT_EQ(set.NumberAt(-1), -1);
  EXPECT_EQ(set.NumberAt(9, 9), -1);
  set.Set(255, false);
  EXPECT_FALSE(set.Has(255));
  EXPECT_EQ(ComNumberSet::Text(12), "COM12");
}

TEST(AddVirtualPortForm, AddingStartsWithEveryOptionOffAndTheFirstEntry) {
  AddVirtualPortForm form;
  form.rfc2217 = form.autoStart = form.strictBaud = true;
  form.devPort = 0;
  form.ipAddr = "10.1.2.3";
  form.available.Set(3);
  form.available.Set(9);
  form.Open();
  EXPECT_TRUE(form.Adding());
  EXPECT_FALSE(form.rfc2217 || form.autoStart || form.strictBaud);
  EXPECT_EQ(form.ListNumbers(), (std::vector<int>{3, 9}));
  EXPECT_EQ(form.InitialSelection(), 0);
  EXPECT_TRUE(form.ListEnabled());
  EXPECT_TRUE(form.AutoStartEnabled());
  EXPECT_EQ(form.ServerIpText(), "10.1.2.3");
  EXPECT_EQ(form.ServerPortText(), "1");
  form.Accept(1, true);
  EXPECT_EQ(form.comNumber, 9);
  EXPECT_TRUE(form.autoStart);
}

TEST(AddVirtualPortForm, AdvancedChoicesCountOnlyWhenAddingAndConfirmed) {
  AddVirtualPortForm form;
  form.Open();
  VirtualPortAdvancedForm advanced = form.AdvancedForm();
  EXPECT_FALSE(advanced.readOnly);
  EXPECT_TRUE(advanced.BoxesEnabled());
  EXPECT_EQ(advanced.HelpTopic(), 77u);
  advanced.Accept(true, true);
  form.AdvancedClosed(advanced, false);  // Cancel
  EXPECT_FALSE(form.rfc2217);
  form.AdvancedClosed(advanced, true);
  EXPECT_TRUE(form.rfc2217);
  EXPECT_TRUE(form.strictBaud);
}

TEST(VirtualPortAdvancedForm, LineSettingsAreValidatedAndKeptInTheirStoredForm) {
  VirtualPortAdvancedForm form;
  form.readOnly = false;
  EXPECT_TRUE(form.Accept(true, false, " 7e1 "));
  EXPECT_EQ(form.lineText, "7E1");
  ASSERT_TRUE(form.Line().has_value());
  EXPECT_EQ(form.Line()->dataBits, 7);
  // Not a setting: refused, and nothing of the dialog is taken.
  for (const char* bad : {"9N1", "7X1", "8N3", "7E1x", "E71"}) {
    EXPECT_FALSE(form.Accept(false, true, bad)) << bad;
    EXPECT_TRUE(form.rfc2217) << bad;
    EXPECT_FALSE(form.strictBaud) << bad;
    EXPECT_EQ(form.lineText, "7E1") << bad;
  }
  EXPECT_EQ(
      VirtualPortAdvancedForm::LineErrorText(" 9N1 ").rfind("\"9N1\" is not a line setting", 0),
      0u);
  // Empty or blank: the application's own settings again.
  EXPECT_TRUE(form.Accept(true, false, "  "));
  EXPECT_EQ(form.lineText, "");
  EXPECT_FALSE(form.Line().has_value());
  // Read-only: whatever is entered, nothing changes and OK closes.
  form.readOnly = true;
  EXPECT_TRUE(form.Accept(false, true, "junk"));
  EXPECT_TRUE(form.rfc2217);
}

TEST(AddVirtualPortForm, TheAdvancedDialogsLineSettingsCountOnlyWhenAddingAndConfirmed) {
  AddVirtualPortForm form;
  form.line = LineSettings::Parse("8N2");  // left from an earlier run of the dialog
  form.Open();
  EXPECT_FALSE(form.line.has_value());
  VirtualPortAdvancedForm advanced = form.AdvancedForm();
  EXPECT_EQ(advanced.lineText, "");
  ASSERT_TRUE(advanced.Accept(true, false, "7o2"));
  form.AdvancedClosed(advanced, false);  // Cancel
  EXPECT_FALSE(form.line.has_value());
  form.AdvancedClosed(advanced, true);
  ASSERT_TRUE(form.line.has_value());
  EXPECT_EQ(form.line->Text(), "7O2");
  EXPECT_EQ(form.AdvancedForm().lineText, "7O2");  // shown again when the dialog reopens
}

TEST(AddVirtualPortForm, DeletingShowsTheExistingPortOnly) {
  AddVirtualPortForm form;
  form.comNumber = 7;
  form.rfc2217 = true;
  form.available.Set(2);
  form.available.Set(12);
  form.Open();
  EXPECT_FALSE(form.Adding());
  EXPECT_TRUE(form.rfc2217);  // kept for the read-only Advanced dialog
  EXPECT_EQ(form.ListNumbers(), (std::vector<int>{2, 7, 12}));
  EXPECT_EQ(form.InitialSelection(), 1);
  EXPECT_FALSE(form.ListEnabled());
  EXPECT_FALSE(form.AutoStartEnabled());
  VirtualPortAdvancedForm advanced = form.AdvancedForm();
  EXPECT_TRUE(advanced.readOnly);
  EXPECT_EQ(advanced.HelpTopic(), 12u);
  advanced.Accept(false, true);
  EXPECT_TRUE(advanced.rfc2217);
  EXPECT_FALSE(advanced.strictBaud);
}

TEST(AddVirtualPortForm, AnEmptyListGivesNoNumber) {
  AddVirtualPortForm form;
  form.Open();
  EXPECT_EQ(form.InitialSelection(), -1);
  form.Accept(0, false);
  EXPECT_EQ(form.comNumber, -1);
}

TEST(DeleteVirtualPortForm, TakesTheSelectedNumber) {
  DeleteVirtualPortForm form;
  EXPECT_EQ(form.InitialSelection(), -1);
  form.available.Set(255);
  form.available.Set(4);
  EXPECT_EQ(form.ListNumbers(), (std::vector<int>{4, 255}));
  EXPECT_EQ(form.InitialSelection(), 0);
  form.Accept(1);
  EXPECT_EQ(form.comNumber, 255);
  form.Accept(2);
  EXPECT_EQ(form.comNumber, -1);
}

}  // namespace
}  // namespace vport
