#include "app/ErrorReporter.h"

#include <memory>
#include <mutex>

#include "app/Settings.h"
#include "platform/LogFile.h"
#include "platform/Prompt.h"
#include "res/StringTable.h"

namespace app {

namespace {

constexpr unsigned kProductNameId = 8010;
constexpr unsigned kLogFileNameId = 8011;
constexpr unsigned kDiscoveryRequestFailed = 5005;
constexpr unsigned kCancelledCode = 3161;
constexpr unsigned kSecondCodeQuiet = 2;

std::string ProductName() {
  const char* text = res::FindString(kProductNameId);
  return text != nullptr ? text : "Portolan";
}

bool NeedsArguments(const std::string& text) {
  return text.find("%1") != std::string::npos || text.find("%2") != std::string::npos;
}

}  // namespace

ErrorReporter::ErrorReporter(Settings& settings, platform::Prompt* prompt)
    : settings_(settings), prompt_(prompt) {}

std::string ErrorReporter::TextOf(unsigned code, int errorClass) {
  const ErrorClassInfo& info = DescribeErrorClass(errorClass);
  std::string fallback = info.fallbackText != nullptr ? info.fallbackText : ProductName();
  if (!info.textFromTable) return fallback;
  const char* text = res::FindString(code);
  if (text == nullptr || NeedsArguments(text)) return fallback;
  return text;
}

std::string ErrorReporter::TagOf(unsigned code, int errorClass) {
  const ErrorClassInfo& info = DescribeErrorClass(errorClass);
  if (info.tag[0] == '\0') return "";
  return info.tag + std::to_string(code);
}

std::string ErrorReporter::CaptionOf(int errorClass) {
  const ErrorClassInfo& info = DescribeErrorClass(errorClass);
  return info.caption != nullptr ? info.caption : ProductName();
}

bool ErrorReporter::IsSuppressed(unsigned codeB, int classB) {
  return (classB == ERRCLASS_SN && codeB == kCancelledCode) || codeB == kSecondCodeQuiet;
}

std::string ErrorReporter::MessageLine(unsigned codeA, int classA, unsigned codeB, int classB) {
  // A pair of an unknown class has no text of its own, except as the first pair ("Error").
  std::string textB = DescribeErrorClass(classB).tag[0] == '\0' ? "" : TextOf(codeB, classB);
  std::string tagB = TagOf(codeB, classB);
  std::string line = TextOf(codeA, classA) + " ";
  if (!textB.empty()) line += textB + " ";
  line += '(';
  line += TagOf(codeA, classA);
  if (!tagB.empty()) line += ',' + tagB;
  line += ")";
  return line;
}

bool ErrorReporter::LoggingOn() {
  int value = logSwitch_.load();
  if (value == 255) {
    value = settings_.GetInt("General", "Log", 0);
    logSwitch_.store(value);
  }
  return value == 1;
}

void ErrorReporter::AppendToLog(const std::string& line) {
  std::string name = res::LoadString(kLogFileNameId);
  if (name.empty()) name = "KESTRELLOG.TXT";
  // An unwritable log, or a link planted under its name, is skipped silently.
  platform::AppendToLogFile(name, line + "\n");
}

int ErrorReporter::Report(unsigned codeA, int classA, unsigned codeB, int classB, int show) {
  if (IsSuppressed(codeB, classB)) return 0;
  std::string line = MessageLine(codeA, classA, codeB, classB);
  if (LoggingOn()) AppendToLog(line);
  if (show == 0) return 0;

  // While this box is up the main window's refresh timer stays quiet, so a failing automatic
  // refresh does not stack boxes.
  bool guardsRefresh = codeA == kDiscoveryRequestFailed;
  if (guardsRefresh) settings_.WriteInt("Error", "ErrorExist", 1);
  platform::Prompt& prompt = prompt_ != nullptr ? *prompt_ : platform::CurrentPrompt();
  int answer =
      prompt.MessageBox(line, CaptionOf(classA), platform::MB_OK | platform::MB_ICONEXCLAMATION);
  if (guardsRefresh) settings_.WriteInt("Error", "ErrorExist", 0);
  return answer;
}

int ReportError(unsigned codeA, int classA, unsigned codeB, int classB, int show) {
  // One reporter per installation of the settings (General\Log is read once per reporter); a
  // report under way keeps its reporter alive even if the settings are replaced meanwhile.
  static std::mutex mutex;
  static std::shared_ptr<ErrorReporter> reporter;
  static unsigned reporterGeneration = 0;
  std::shared_ptr<ErrorReporter> current;
  {
    std::lock_guard<std::mutex> lock(mutex);
    unsigned generation = SettingsGeneration();
    if (!reporter || reporterGeneration != generation) {
      reporter = std::make_shared<ErrorReporter>(TheSettings());
      reporterGeneration = generation;
    }
    current = reporter;
  }
  return current->Report(codeA, classA, codeB, classB, show);
}

}  // namespace app
