// The QApplication that an offscreen GUI test program needs before it makes any widget.
#pragma once

#include <QApplication>
#include <cstddef>
#include <cstring>

namespace testsupport {

// Makes the application object when none exists and returns it, so that the suite that made it
// may delete it in its tear-down; returns nullptr when another suite's object is still alive.
// QApplication keeps argc and argv by reference, hence the static storage.
inline QApplication* EnsureQApplication(const char* programName) {
  if (QApplication::instance() != nullptr) return nullptr;
  static int argc = 1;
  static char name[64];
  static char* argv[] = {name, nullptr};
  std::strncpy(name, programName, sizeof(name) - 1);
  name[sizeof(name) - 1] = '\0';
  return new QApplication(argc, argv);
}

}  // namespace testsupport
