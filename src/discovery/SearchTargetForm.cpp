#include "discovery/SpecifyDeviceForm.h"

#include <utility>

#include "discovery/SearchEntry.h"
#include "res/StringTable.h"

namespace discovery {
namespace {

constexpr const char* kListFileName = "belmark_addr.txt";  // string 8015
constexpr unsigned kListFileString = 8015;

// The entry each choice makes of the text, and the form it must then have.
std::string EntryOf(SpecifyDeviceForm::Choice choice, const std::string& text) {
  switch (choice) {
    case SpecifyDeviceForm::kDirectedBroadcast:
      return text + "<DB>";
    case SpecifyDeviceForm::kMulticast:
      return "Multicast<" + text + ">";
    case SpecifyDeviceForm::kFile:
      return "File<" + text + ">";
    default:
      return text;
  }
}

SearchEntry::Kind KindOf(SpecifyDeviceForm::Choice choice) {
  switch (choice) {
    case SpecifyDeviceForm::kDirectedBroadcast:
      return SearchEntry::Kind::kDirectedBroadcast;
    case SpecifyDeviceForm::kSubnet:
      return SearchEntry::Kind::kSubnet;
    case SpecifyDeviceForm::kMulticast:
      return SearchEntry::Kind::kMulticast;
    case SpecifyDeviceForm::kFile:
      return SearchEntry::Kind::kFile;
    default:
      return SearchEntry::Kind::kSingle;
  }
}

}  // namespace

const char* SpecifyDeviceForm::ChoiceText(Choice choice) {
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

SpecifyDeviceForm::SpecifyDeviceForm(std::string programFolder) {
  std::string name = res::LoadString(kListFileString);
  if (name.empty()) name = kListFileName;
  texts_[1] = kDefaultHops;
  texts_[2] = std::move(programFolder) + name;
}

int SpecifyDeviceForm::Slot(Choice choice) {
  if (choice == kMulticast) return 1;
  if (choice == kFile) return 2;
  return 0;
}

void SpecifyDeviceForm::Choose(Choice choice) {
  if (choice >= kAddress && choice < kChoiceCount) choice_ = choice;
}

const char* SpecifyDeviceForm::Label() const {
  if (choice_ == kMulticast) return "Time To Live (hops):";
  if (choice_ == kFile) return "Enter File Path:";
  return "Enter IP Address:";
}

int SpecifyDeviceForm::MaxLength() const {
  if (choice_ == kMulticast) return 3;
  if (choice_ == kFile) return 4095;
  return 15;
}

bool SpecifyDeviceForm::Finish(std::string* entry, std::string* refusal) const {
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
