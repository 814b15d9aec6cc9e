// Pictures of the desktop program's dialogs for the docs, taken from the windows as the X server
// shows them (not drawn into a pixmap by the widget): each dialog is shown as a top-level window,
// and once it is exposed and painted its pixels are read back from the screen. A picture that
// comes back all black is reported, so a dialog that never painted cannot slip into docs/.
//
//   portolan-dialogshots DATA_DIR OUT_DIR     (under Xvfb: DISPLAY set, QT_QPA_PLATFORM=xcb)
//
// DATA_DIR: the program's data folder (branding/ and help/), e.g. the build's bin/.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QThread>
#include <QWindow>
#include <cstdio>
#include <functional>

#include "app/AboutBoxTexts.h"
#include "app/BrandingInfo.h"
#include "app/Settings.h"
#include "app/dialogs/CAboutDlg.h"
#include "app/dialogs/CEnterIpAddressDlg.h"
#include "discovery/CDiscoveryEngine.h"
#include "platform/ConsolePrompt.h"
#include "platform/RegistryStore.h"
#include "views/CCustomizeViewPropSheet.h"
#include "views/CSearchTargetDlg.h"
#include "views/CViewNode.h"
#include "views/CViewStore.h"
#include "views/CustomizeViewSheet.h"

namespace {

// True when every pixel of the picture is black: the window showed its bare background.
bool AllBlack(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if ((image.pixel(x, y) & 0xFFFFFF) != 0) return false;
    }
  }
  return true;
}

// Shows the dialog as a window of its own, waits (up to 5 s) until the server has it exposed and
// the first paint has gone out, then reads its pixels back from the screen.
bool Shoot(QWidget& dialog, const QString& path) {
  dialog.show();
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 5000) {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    QWindow* window = dialog.windowHandle();
    if (window != nullptr && window->isExposed() && clock.elapsed() > 300) break;
    QThread::msleep(10);
  }
  QApplication::processEvents();
  QApplication::sync();
  QScreen* screen = dialog.screen();
  const QPixmap shown = screen->grabWindow(dialog.winId());
  dialog.hide();
  const QImage image = shown.toImage();
  if (image.isNull() || AllBlack(image)) {
    std::fprintf(stderr, "portolan-dialogshots: %s came back black\n", qPrintable(path));
    return false;
  }
  if (!shown.save(path)) {
    std::fprintf(stderr, "portolan-dialogshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: portolan-dialogshots DATA_DIR OUT_DIR\n");
    return 2;
  }
  const std::string data = std::string(argv[1]) + "/";
  const QString out = QString::fromLocal8Bit(argv[2]);
  app::TheBranding() = app::BrandingInfo::Read(data);
  bool good = true;

  app::CAboutDlg about(app::AboutBoxTexts::From(app::TheBranding()), nullptr);
  good &= Shoot(about, out + "/about.png");

  views::CSearchTargetDlg specify("/home/user/");
  good &= Shoot(specify, out + "/search-target.png");
  specify.findChild<QRadioButton*>("choice4")->click();
  good &= Shoot(specify, out + "/search-target-file.png");

  app::CEnterIpAddressDlg enterIp;
  good &= Shoot(enterIp, out + "/enter-ip-address.png");

  // The Modify View sheet's General page, over views kept in memory (no engine: nothing searches).
  platform::RegistryStore store("");
  app::Settings settings(store);
  settings.WriteInt("Views\\Harbour", "Type", 2);
  settings.WriteInt("Views\\Harbour", "Icons", 6);
  settings.WriteInt("Views\\Harbour\\Dock Printers", "Type", 6);
  settings.WriteInt("Views\\Harbour\\Dock Printers", "Icons", 17);
  views::CViewStore viewStore(settings, [](const views::CViewNode&) {
    return std::unique_ptr<discovery::CDiscoveryEngine>();
  });
  platform::ConsolePrompt prompt;
  viewStore.Open(nullptr);
  views::CCustomizeViewPropSheet sheet(viewStore, settings,
                                       views::CCustomizeViewPropSheet::kModeCustomizeGeneral,
                                       *viewStore.FindNode("Dock Printers"), &prompt);
  views::CustomizeViewSheet face(sheet, viewStore);
  good &= Shoot(face, out + "/modify-view-general.png");
  return good ? 0 : 1;
}
