// The Miscellaneous page (164): the discovery port (1017), the list's double-click command (1069)
// and when a view refreshes (1070), a thin face over MiscOptionsPage. "Disable TCP/IP Warnings"
// (1037) and "Preferred Protocol" are shown disabled: nothing stores or uses them.
#pragma once

#include <QWidget>

class QComboBox;

namespace app {

class COptionsPropertySheet;
class MiscOptionsPage;

class CMiscPage : public QWidget {
 public:
  explicit CMiscPage(COptionsPropertySheet& sheet, QWidget* parent = nullptr);

 private:
  MiscOptionsPage& page_;
  QComboBox* port_ = nullptr;
  QComboBox* doubleClick_ = nullptr;
  QComboBox* refresh_ = nullptr;
};

}  // namespace app
