#include "platform/Launcher.h"

#include <atomic>

#include "platform/RecordingLauncher.h"

namespace platform {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendEscaped(std::string& out, unsigned char c) {
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 0x0F];
}

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

// Characters of an address that would end it or break the URL.
bool BreaksAddress(unsigned char c) {
  return c <= 0x20 || c >= 0x7F || c == '?' || c == '#' || c == '%' || c == '&';
}

std::atomic<Launcher*> installed{nullptr};

}  // namespace

std::string Launcher::PercentEncode(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (Unreserved(c)) {
      out += ch;
    } else {
      AppendEscaped(out, c);
    }
  }
  return out;
}

std::string Launcher::MailtoUrl(const std::string& address, const std::string& subject) {
  std::string url = "mailto:";
  for (const char ch : address) {
    const auto c = static_cast<unsigned char>(ch);
    if (BreaksAddress(c)) {
      AppendEscaped(url, c);
    } else {
      url += ch;
    }
  }
  if (!subject.empty()) url += "?subject=" + PercentEncode(subject);
  return url;
}

Launcher& CurrentLauncher() {
  static RecordingLauncher fallback;
  Launcher* launcher = installed.load();
  return launcher != nullptr ? *launcher : fallback;
}

void InstallLauncher(Launcher* launcher) {
  installed.store(launcher);
}

}  // namespace platform
