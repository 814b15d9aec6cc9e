#include "platform/RegistryPath.h"

namespace platform {

namespace {

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7F;
}

}  // namespace

bool RegistryPath::IsValidComponent(std::string_view component) {
  if (component.empty()) return false;
  for (char c : component) {
    if (IsControl(c) || c == '\\') return false;
  }
  return true;
}

bool RegistryPath::Split(std::string_view path, std::vector<std::string>* components) {
  components->clear();
  if (path.empty()) return false;
  size_t start = 0;
  while (true) {
    const size_t sep = path.find('\\', start);
    const std::string_view part =
        path.substr(start, sep == std::string_view::npos ? std::string_view::npos : sep - start);
    if (!IsValidComponent(part) || components->size() >= kMaxDepth) {
      components->clear();
      return false;
    }
    components->emplace_back(part);
    if (sep == std::string_view::npos) return true;
    start = sep + 1;
  }
}

bool RegistryPath::EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace platform
