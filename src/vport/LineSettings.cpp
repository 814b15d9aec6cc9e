#include "vport/LineSettings.h"

#include <cctype>

namespace vport {

namespace {

constexpr char kParityLetters[] = "NOEMS";  // in the order of the parity values 0..4

}  // namespace

std::optional<LineSettings> LineSettings::Parse(const std::string& text) {
  if (text.size() < 3) return std::nullopt;
  LineSettings line;
  if (text[0] < '5' || text[0] > '8') return std::nullopt;
  line.dataBits = text[0] - '0';
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[1])));
  bool parityFound = false;
  for (std::int32_t p = 0; p < 5; ++p) {
    if (kParityLetters[p] == letter) {
      line.parity = p;
      parityFound = true;
    }
  }
  if (!parityFound) return std::nullopt;
  const std::string stop = text.substr(2);
  if (stop == "1") {
    line.stopBits = 0;
  } else if (stop == "1.5") {
    line.stopBits = 1;
  } else if (stop == "2") {
    line.stopBits = 2;
  } else {
    return std::nullopt;
  }
  return line;
}

std::string LineSettings::Text() const {
  std::string text = std::to_string(dataBits);
  text += parity >= 0 && parity < 5 ? kParityLetters[parity] : '?';
  text += stopBits == 1 ? "1.5" : stopBits == 2 ? "2" : "1";
  return text;
}

const char* LineSettings::AcceptedForms() {
  return "data bits 5-8, parity N, O, E, M or S, stop bits 1, 1.5 or 2, e.g. 8N1, 7E1, 8N2";
}

ComPortSettings WithFixedLine(ComPortSettings settings, const std::optional<LineSettings>& line) {
  if (line) {
    settings.wordLength = line->dataBits;
    settings.parity = line->parity;
    settings.stopBits = line->stopBits;
  }
  return settings;
}

}  // namespace vport
