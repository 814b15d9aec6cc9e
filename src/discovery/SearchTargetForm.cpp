#include "discovery/SearchTargetForm.h"

#include <utility>

#include "discovery/SearchEntry.h"
#include "res/StringTable.h"

namespace discovery {
namespace {

constexpr const char* kListFileName = "belmark_addr.txt";  // string 8015
constexpr unsigned kListFileString = 8015;

// The entry each choice makes of the text, and the form it must then have.
std::string EntryOf(SearchTargetForm::Choice choice, const std::string& text) {
  switch (choice) {
    case SearchTargetForm::kDirectedBroadcast:
      return text + "<DB>";
    case SearchTargetForm::kMulticast:
      return "Multicast<" + text + ">";
    case SearchTargetForm::kFile:
      return "File<" + text + ">";
    default:
      return text;
  }
}

SearchEntry::Kind KindOf(SearchTargetForm::Choice choice) {
  switch (choice) {
    case SearchTargetForm::kDirectedBroadcast:
      return SearchEntry::Kind::kDirectedBroadcast;
    case SearchTargetForm::kSubnet:
      return SearchEntry::Kind::kSubnet;
    case SearchTargetForm::kMulticast:
      return SearchEntry::Kind::kMulticast;
    case SearchTargetForm::kFile:
      return SearchEntry::Kind::kFile;
    default:
      return SearchEntry::Kind::kSingle;
  }
}

}  // namespace

const char* SearchTargetForm::ChoiceText(Choice choice) {
  switch (choice) {
    case kAddress:
      return "Specific IP Address (e.g. xxx.xxx.xxx.xxx)";
    case kDirectedBroadcast:
      return "Directed Broadcast (e.g. xxx.xxx.xxx.255)";
    case kSubnet:
      return "Subnet Search (e.g. xxx.xxx.xxx.*)";
    case kMulticast:
      return "Multicast";
    default:
      return "Address List From File";
  }
}

SearchTargetForm::SearchTargetForm(std::string programFolder) {
  std::string name = res::LoadString(kListFileString);
  if (name.empty()) name = kListFileName;
  texts_[1] = kDefaultHops;
  texts_[2] = std::move(programFolder) + name;
}

int SearchTargetForm::Slot(Choice choice) {
  if (choice == kMulticast) return 1;
  if (choice == kFile) return 2;
  return 0;
}

void SearchTargetForm::Choose(Choice choice) {
  if (choice >= kAddress && choice < kChoiceCount) choice_ = choice;
}

const char* SearchTargetForm::Label() const {
  if (choice_ == kMulticast) return "Time To Live (hops):";
  if (choice_ == kFile) return "Enter File Path:";
  return "Enter IP Address:";
}

int SearchTargetForm::MaxLength() const {
  if (choice_ == kMulticast) return 3;
  if (choice_ == kFile) return 4095;
  return 15;
}

bool SearchTargetForm::Finish(std::string* entry, std::string* refusal) const {
  const std::string made = EntryOf(choice_, Text());
  // The text must make the choice's kind of entry: "10.0.0.*" typed as a specific address
  // would otherwise be stored, and searched, as a subnet.
  if (IsWellFormedSearchEntry(made) && ParseSearchEntry(made).kind == KindOf(choice_)) {
    *entry = made;
    return true;
  }
  if (choice_ == kMulticast) {
    *refusal = kBadHops;
  } else if (choice_ == kFile) {
    *refusal = kNoFilePath;
  } else {
    *refusal = res::LoadString(kMsgBadAddress);
  }
  return false;
}

}  // namespace discovery
