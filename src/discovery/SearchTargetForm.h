// The "Specify a Device" dialog (3708) without its widgets: the five kinds of search entry, the
// field that goes with each (its label and what it starts as), and the check that turns what the
// user typed into one search entry. The check is the one `portolanctl discover --entry` applies
// (IsWellFormedSearchEntry), so the desktop never stores an entry the search would misread.
#pragma once

#include <array>
#include <string>

namespace discovery {

class SearchTargetForm {
 public:
  enum Choice { kAddress, kDirectedBroadcast, kSubnet, kMulticast, kFile, kChoiceCount };

  static constexpr unsigned kDialogId = 3708;
  static constexpr unsigned kMsgBadAddress = 5003;
  static constexpr const char* kDefaultHops = "5";
  static constexpr const char* kBadHops =
      "The time to live must be a whole number of hops from 1 to 255.";
  static constexpr const char* kNoFilePath = "Enter the path of the address list file.";

  // The radio button's text of a choice.
  static const char* ChoiceText(Choice choice);

  // programFolder: where the address list file is proposed ("" or ending in "/").
  explicit SearchTargetForm(std::string programFolder);

  Choice Current() const { return choice_; }
  // Switches the field: the address choices share what was typed; Multicast and the file each
  // keep their own text (starting as "5" and the program's list file).
  void Choose(Choice choice);
  const std::string& Text() const { return texts_[Slot(choice_)]; }
  void SetText(std::string text) { texts_[Slot(choice_)] = std::move(text); }
  // The field's label.
  const char* Label() const;
  // The "..." button that chooses the file shows only for the file choice.
  bool BrowseShown() const { return choice_ == kFile; }
  // The field's longest text (an address is at most 15 characters, hops 3).
  int MaxLength() const;

  // OK: the search entry, or false with the refusal's text (5003 for the address choices).
  bool Finish(std::string* entry, std::string* refusal) const;

 private:
  static int Slot(Choice choice);

  Choice choice_ = kAddress;
  std::array<std::string, 3> texts_;  // addresses, hops, file path
};

}  // namespace discovery
