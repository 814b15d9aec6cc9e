// The Device Access page (163): the protocol (1089), its list of addresses (1007) with "A&dd"
// (1010) and "&Delete" (1011), and the selected entry's Get (1008) and Set (1009) communities.
// A thin face over DeviceAccessPage: every edit goes to the list kept in memory at once; nothing
// is written before OK.
#pragma once

#include <QWidget>
#include <cstddef>
#include <string>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace app {

class COptionsPropertySheet;
class DeviceAccessPage;

class CDeviceAccessPage : public QWidget {
 public:
  // environmentFlags: the network environment's flags, which choose the protocols offered.
  CDeviceAccessPage(COptionsPropertySheet& sheet, int environmentFlags, QWidget* parent = nullptr);

 private:
  void ChooseProtocol(int index);
  void FillList(size_t select);
  void ShowEntry();
  void CommunityEdited();
  void Add();
  void Delete();
  int SelectedRow() const;
  void ShowRefusal(const std::string& text);

  COptionsPropertySheet& sheet_;
  DeviceAccessPage& page_;
  QComboBox* protocol_ = nullptr;
  QListWidget* addresses_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* delete_ = nullptr;
  QLineEdit* get_ = nullptr;
  QLineEdit* set_ = nullptr;
};

}  // namespace app
