#include "platform/IniFile.h"

#include <climits>

#include "platform/SmallFile.h"

namespace platform {

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

std::string_view TrimRight(std::string_view s) {
  const size_t last = s.find_last_not_of(kBlanks);
  return last == std::string_view::npos ? std::string_view{} : s.substr(0, last + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    const auto la = (ca >= 'A' && ca <= 'Z') ? ca + ('a' - 'A') : ca;
    const auto lb = (cb >= 'A' && cb <= 'Z') ? cb + ('a' - 'A') : cb;
    if (la != lb) return false;
  }
  return true;
}

// Hands out the lines of a text one by one, never reading past its end.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}
  bool AtEnd() const { return pos_ >= text_.size(); }
  // The next line without its LF (a CR before it is left for Trim to remove).
  std::string_view Next() {
    const size_t left = text_.size() - pos_;
    const size_t lf = text_.find('\n', pos_);
    const size_t len = (lf == std::string_view::npos) ? left : lf - pos_;
    std::string_view line = text_.substr(pos_, len);
    pos_ += (len < left) ? len + 1 : len;
    return line;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

std::string Truncate(std::string_view s, size_t bufferSize) {
  if (bufferSize == 0) return {};
  return std::string(s.substr(0, bufferSize - 1));
}

std::string_view StripQuotes(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

IniFile IniFile::Load(const std::string& path) {
  IniFile ini;
  std::string text;
  switch (ReadSmallFile(path, kMaxFileSize, &text)) {
    case SmallFileResult::Ok:
      ini.Parse(text);
      break;
    case SmallFileResult::Missing:
      ini.status_ = Status::Missing;
      ini.statusText_ = path + " does not exist";
      break;
    case SmallFileResult::Unreadable:
      ini.status_ = Status::Unreadable;
      ini.statusText_ = "Cannot read " + path;
      break;
    case SmallFileResult::TooLarge:
      ini.status_ = Status::TooLarge;
      ini.statusText_ =
          path + " is larger than " + std::to_string(kMaxFileSize) + " bytes; ignored";
      break;
  }
  return ini;
}

IniFile IniFile::FromText(std::string_view text) {
  IniFile ini;
  if (text.size() > kMaxFileSize) {
    ini.status_ = Status::TooLarge;
    ini.statusText_ = "INI text is larger than " + std::to_string(kMaxFileSize) + " bytes; ignored";
    return ini;
  }
  ini.Parse(text);
  return ini;
}

void IniFile::Parse(std::string_view text) {
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
  LineCursor cursor(text);
  Section* current = nullptr;  // entries before the first section header belong to none
  while (!cursor.AtEnd()) {
    const std::string_view line = Trim(cursor.Next());
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      std::string_view name = line.substr(1);
      const size_t close = name.rfind(']');
      if (close != std::string_view::npos) name = name.substr(0, close);
      sections_.push_back(Section{std::string(Trim(name)), {}});
      current = &sections_.back();
      continue;
    }
    if (current == nullptr) continue;
    Entry entry;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      entry.key = std::string(line);
    } else {
      entry.key = std::string(Trim(line.substr(0, eq)));
      entry.value = std::string(Trim(line.substr(eq + 1)));
      entry.hasValue = true;
    }
    current->entries.push_back(std::move(entry));
  }
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  const std::string_view wanted = Trim(name);
  for (const Section& s : sections_) {
    if (EqualNoCase(s.name, wanted)) return &s;
  }
  return nullptr;
}

const IniFile::Entry* IniFile::FindEntry(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  const std::string_view wanted = Trim(key);
  if (s == nullptr || wanted.empty()) return nullptr;
  for (const Entry& e : s->entries) {
    if (EqualNoCase(e.key, wanted)) return &e;
  }
  return nullptr;
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue, size_t bufferSize) const {
  const Entry* e = FindEntry(section, key);
  if (e == nullptr) return Truncate(TrimRight(defaultValue), bufferSize);
  return Truncate(StripQuotes(e->value), bufferSize);
}

int IniFile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
  const Entry* e = FindEntry(section, key);
  if (e == nullptr) return defaultValue;
  const std::string_view value = StripQuotes(e->value);
  if (value.empty()) return defaultValue;
  size_t i = 0;
  while (i < value.size() && kBlanks.find(value[i]) != std::string_view::npos) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    negative = value[i] == '-';
    ++i;
  }
  // Accumulate the magnitude in 64 bits and stop growing once past the int range.
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  long long magnitude = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (value[i] - '0');
    if (magnitude > limit) magnitude = limit;
  }
  return static_cast<int>(negative ? -magnitude : magnitude);
}

std::vector<std::string> IniFile::GetSectionLines(std::string_view section) const {
  std::vector<std::string> lines;
  if (const Section* s = FindSection(section)) {
    for (const Entry& e : s->entries) lines.push_back(e.hasValue ? e.key + "=" + e.value : e.key);
  }
  return lines;
}

std::vector<std::string> IniFile::GetKeys(std::string_view section) const {
  std::vector<std::string> keys;
  if (const Section* s = FindSection(section)) {
    for (const Entry& e : s->entries) keys.push_back(e.key);
  }
  return keys;
}

std::vector<std::string> IniFile::GetSectionNames() const {
  std::vector<std::string> names;
  for (const Section& s : sections_) names.push_back(s.name);
  return names;
}

}  // namespace platform
