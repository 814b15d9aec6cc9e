// The Network Information dialog: the lines of its controller, label beside text, and OK.
#pragma once

#include <QDialog>

namespace devices {

class NetworkInfoController;

class CNetworkInfoDlg : public QDialog {
  Q_OBJECT

 public:
  CNetworkInfoDlg(const NetworkInfoController& controller, QWidget* parent = nullptr);
};

}  // namespace devices
