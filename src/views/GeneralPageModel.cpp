#include "views/GeneralPageModel.h"

#include <cctype>

#include "views/CCustomizeViewPropSheet.h"
#include "views/CViewDefinition.h"
#include "views/ViewRules.h"

namespace views {

namespace {

constexpr int kSecondsPerMinute = 60;
constexpr size_t kMaxFractionDigits = 6;

std::string Trimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

GeneralPageModel::GeneralPageModel(CCustomizeViewPropSheet& sheet) : sheet_(sheet) {}

std::string GeneralPageModel::ProtocolText() const {
  return ViewRules::ProtocolText(sheet_.EditedType());
}

std::vector<int> GeneralPageModel::Images() const {
  std::vector<int> images;
  for (int image = kFirstViewImage; image <= kLastViewImage; ++image) images.push_back(image);
  return images;
}

int GeneralPageModel::SelectedImage() const {
  const int image = sheet_.PlacementIcons();
  return image >= kFirstViewImage && image <= kLastViewImage ? image : kLastViewImage;
}

CViewNode* GeneralPageModel::SelectedParent() const {
  return sheet_.PlacementParent();
}

bool GeneralPageModel::RefreshOn() const {
  return sheet_.Copy().GetRefresh() != 0;
}

std::string GeneralPageModel::RefreshMinutesText() const {
  const int seconds = sheet_.Copy().GetRefresh();
  std::string text = std::to_string(seconds / kSecondsPerMinute);
  int rest = seconds % kSecondsPerMinute;
  if (rest == 0) return text;
  // Up to two decimals, without trailing zeros.
  const int hundredths = rest * 100 / kSecondsPerMinute;
  text += '.';
  text += std::to_string(hundredths / 10);
  if (hundredths % 10 != 0) text += std::to_string(hundredths % 10);
  return text;
}

bool GeneralPageModel::ParseMinutes(const std::string& text, int* seconds) {
  const std::string number = Trimmed(text);
  size_t at = 0;
  long whole = 0;
  while (at < number.size() && std::isdigit(static_cast<unsigned char>(number[at]))) {
    whole = whole * 10 + (number[at] - '0');
    if (whole > kMaxRefreshMinutes) return false;
    ++at;
  }
  const bool hasWhole = at > 0;
  long fraction = 0;  // in millionths of a minute
  long scale = 1000000;
  if (at < number.size() && number[at] == '.') {
    ++at;
    size_t digits = 0;
    while (at < number.size() && std::isdigit(static_cast<unsigned char>(number[at]))) {
      if (digits++ < kMaxFractionDigits) {
        scale /= 10;
        fraction += (number[at] - '0') * scale;
      }
      ++at;
    }
    if (digits == 0 && !hasWhole) return false;
  } else if (!hasWhole) {
    return false;
  }
  if (at != number.size()) return false;
  if (whole == kMaxRefreshMinutes && fraction > 0) return false;
  *seconds = static_cast<int>(whole * kSecondsPerMinute + fraction * kSecondsPerMinute / 1000000);
  return true;
}

bool GeneralPageModel::Apply(bool refreshOn, bool fieldEdited, const std::string& minutes,
                             int image, CViewNode* parent, std::string* refusal) {
  CViewDefinition& copy = sheet_.Copy();
  int seconds = copy.GetRefresh();
  if (!refreshOn) {
    seconds = 0;
  } else if (fieldEdited && !ParseMinutes(minutes, &seconds)) {
    if (refusal != nullptr) *refusal = kRefreshRefused;
    return false;
  }
  if (seconds != copy.GetRefresh()) copy.SetRefresh(seconds);
  sheet_.SetPlacement(image, parent);
  return true;
}

}  // namespace views
