// The settings a view gets when the wizard makes it: its columns, searches, icon and sort. A view
// made with default settings gets the layout of its protocol; a view made through the wizard's
// pages starts from the TCP/IP layout, which the pages then change.
#pragma once

#include <string>
#include <vector>

namespace views {

class CViewDefinition;

class ViewLayout {
 public:
  static constexpr int kViewIcons = 16;
  static constexpr int kSerialViewIcons = 17;

  // The default layout of a view of this type (TCP/IP's for a type without one of its own).
  static ViewLayout DefaultFor(int type);
  // Where the wizard's pages start.
  static ViewLayout WizardStart();

  // Sets columns, searches and sort in definition (marked changed, not yet saved).
  void ApplyTo(CViewDefinition& definition) const;

  std::vector<int> columns;  // column table indices, in display order
  bool searchLocal = true;
  bool searchList = false;
  std::vector<std::string> searchEntries;
  int icons = kViewIcons;
  int sortColumn = 0;
};

}  // namespace views
