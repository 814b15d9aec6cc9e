// Turns one or two coded failures into one message line, logs it when General\Log is 1, and shows
// it in a warning box through the platform prompt.
#pragma once

#include <atomic>
#include <string>

#include "app/ErrorClass.h"

namespace platform {
class Prompt;
}

namespace app {

class Settings;

class ErrorReporter {
 public:
  // prompt nullptr: the process-wide prompt at the time of each report.
  ErrorReporter(Settings& settings, platform::Prompt* prompt = nullptr);

  // Returns the box's answer when shown, else 0 (also when the report is suppressed).
  int Report(unsigned codeA, int classA, unsigned codeB, int classB, int show);

  // The pieces of a report, pure.
  static std::string TextOf(unsigned code, int errorClass);
  static std::string TagOf(unsigned code, int errorClass);
  static std::string CaptionOf(int errorClass);
  static std::string MessageLine(unsigned codeA, int classA, unsigned codeB, int classB);
  static bool IsSuppressed(unsigned codeB, int classB);

 private:
  bool LoggingOn();
  void AppendToLog(const std::string& line);

  Settings& settings_;
  platform::Prompt* prompt_;
  std::atomic<int> logSwitch_{255};  // 255: General\Log not read yet
};

// The process-wide reporter over TheSettings(); the one every part of the program calls.
int ReportError(unsigned codeA, int classA, unsigned codeB, int classB, int show);

}  // namespace app
