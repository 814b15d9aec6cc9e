// The General page without its widgets: the protocol text, the view images offered, the place in
// the tree and the automatic refresh in minutes. It edits the sheet's copy and the sheet's
// placement; the sheet saves them.
#pragma once

#include <string>
#include <vector>

namespace views {

class CCustomizeViewPropSheet;
class CViewNode;

class GeneralPageModel {
 public:
  static constexpr int kFirstViewImage = 16;
  static constexpr int kLastViewImage = 23;
  static constexpr int kMaxRefreshMinutes = 10080;  // one week
  static constexpr const char* kRefreshRefused =
      "The automatic refresh is a number of minutes from 0 to 10080.";

  explicit GeneralPageModel(CCustomizeViewPropSheet& sheet);

  std::string ProtocolText() const;
  // The view images 16 to 23, and the one to select: the view's, or the last when the view's
  // image is not among them.
  std::vector<int> Images() const;
  int SelectedImage() const;
  CViewNode* SelectedParent() const;
  bool RefreshOn() const;
  // The interval in minutes as the field shows it: "2", "1.5".
  std::string RefreshMinutesText() const;

  // Applies the controls; false (nothing applied) after the refusal's message, and the page stays.
  // minutes counts only when fieldEdited; the refresh changes only when its value does.
  bool Apply(bool refreshOn, bool fieldEdited, const std::string& minutes, int image,
             CViewNode* parent, std::string* refusal);

  // "1.5" -> 90 seconds, "0.01" -> 0 (fractions of a second dropped); false for anything but a
  // decimal number of minutes from 0 to 10080.
  static bool ParseMinutes(const std::string& text, int* seconds);

 private:
  CCustomizeViewPropSheet& sheet_;
};

}  // namespace views
