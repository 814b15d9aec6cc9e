// Data size, parity and stop bits that the user fixes for a port ("7E1", "8N2", "5N1.5"). A pty
// cannot carry data size or parity (the kernel forces 8 data bits and no parity), so a device that
// needs, say, 7E1 gets it from these settings instead of from the application.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "vport/ComPortSettings.h"

namespace vport {

struct LineSettings {
  std::int32_t dataBits = 8;  // 5..8
  std::int32_t parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  std::int32_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
  bool operator==(const LineSettings&) const = default;

  // "7E1", "8n2", "5N1.5": data bits 5 to 8, parity N, O, E, M or S (either case), stop bits 1,
  // 1.5 or 2. Anything else gives nullopt.
  static std::optional<LineSettings> Parse(const std::string& text);
  // "7E1", the stored and shown form.
  std::string Text() const;
  // What an invalid text is told: the accepted forms.
  static const char* AcceptedForms();
};

// settings with the fixed line put in place of what the port observed, when there is one.
ComPortSettings WithFixedLine(ComPortSettings settings, const std::optional<LineSettings>& line);

}  // namespace vport
