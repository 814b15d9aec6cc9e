// Pictures of the options sheet for the docs: each tab of the sheet over a settings store kept in
// memory (a few access entries, the default timeouts and masks), written as PNG files.
//
//   portolan-sheetshots OUT_DIR      (run with a display, e.g. under Xvfb, or
//   QT_QPA_PLATFORM=offscreen)
#include <QApplication>
#include <QTabWidget>
#include <cstdio>

#include "app/AppSettings.h"
#include "app/COptionsPropertySheet.h"
#include "app/Settings.h"
#include "app/options/CAddAccessEntryDlg.h"
#include "app/options/OptionsSheet.h"
#include "platform/ConsolePrompt.h"
#include "platform/RegistryStore.h"
#include "res/StringTable.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: portolan-sheetshots OUT_DIR\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  platform::RegistryStore store("");
  app::Settings settings(store);
  settings.WriteString("Access\\IP", "All", "192.168.1.*,10.20.0.15");
  settings.WriteString("Access\\IP", "192.168.1.*Get", "harbour");
  settings.WriteString("Access\\IP", "192.168.1.*Set", "harbour-admin");
  app::AppSettings stored;
  platform::ConsolePrompt prompt;
  app::COptionsPropertySheet sheet(settings, stored, prompt, "Portolan");
  app::OptionsSheet face(sheet, 0x01 | 0x8000, [](unsigned) {});
  face.show();
  auto* tabs = face.findChild<QTabWidget*>("tabs");
  const char* names[] = {"options-device-access", "options-timeouts", "options-status-icons",
                         "options-misc"};
  for (int tab = 0; tab < tabs->count(); ++tab) {
    tabs->setCurrentIndex(tab);
    face.adjustSize();
    QApplication::processEvents();
    const QString path = out + "/" + names[tab] + ".png";
    if (!face.grab().save(path)) {
      std::fprintf(stderr, "portolan-sheetshots: cannot write %s\n", qPrintable(path));
      return 1;
    }
    std::printf("%s\n", qPrintable(path));
  }
  app::CAddAccessEntryDlg add(res::LoadString(6082), nullptr, &face);
  add.show();
  QApplication::processEvents();
  const QString path = out + "/options-add-entry.png";
  if (!add.grab().save(path)) return 1;
  std::printf("%s\n", qPrintable(path));
  return 0;
}
