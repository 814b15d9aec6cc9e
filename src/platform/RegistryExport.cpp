// The registry-export text: a header line, then for each key a "[path]" line followed by its values
// ("Name"=dword:0000000b or "Name"="text", @ for the unnamed value) and a blank line.
//
// Strings escape backslash as \\ and the double quote as \". Windows exports cannot hold a line
// break in a string; ours must, so a string also escapes LF as \n, CR as \r, TAB as \t and every
// other control byte (0x00-0x1F, 0x7F) as \xHH. None of these sequences occurs in a file that
// Windows writes, where a backslash is always doubled, so its files read the same here. Bytes above
// 0x7F pass through unchanged (the file is UTF-8 when the strings are).
#include <string_view>
#include <utility>

#include "platform/CharCursor.h"
#include "platform/RegistryPath.h"
#include "platform/RegistryStore.h"
#include "platform/TextCursor.h"

namespace platform {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kDwordPrefix = "dword:";
constexpr char kHexDigits[] = "0123456789abcdef";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

std::string_view TrimRight(std::string_view s) {
  const size_t end = s.find_last_not_of(" \t");
  return end == std::string_view::npos ? std::string_view() : s.substr(0, end + 1);
}

// Reads the rest of a quoted string whose opening quote has been taken; fills *error on failure.
bool ReadQuoted(CharCursor* cur, std::string* out, std::string* error) {
  out->clear();
  char c = 0;
  while (cur->Take(&c)) {
    if (c == '"') return true;
    if (c == '\\') {
      char e = 0;
      if (!cur->Take(&e)) break;
      switch (e) {
        case '\\':
          out->push_back('\\');
          break;
        case '"':
          out->push_back('"');
          break;
        case 'n':
          out->push_back('\n');
          break;
        case 'r':
          out->push_back('\r');
          break;
        case 't':
          out->push_back('\t');
          break;
        case 'x': {
          char h = 0, l = 0;
          if (!cur->Take(&h) || !cur->Take(&l) || HexValue(h) < 0 || HexValue(l) < 0) {
            *error = "bad \\x escape in string";
            return false;
          }
          out->push_back(static_cast<char>(HexValue(h) * 16 + HexValue(l)));
          break;
        }
        default:
          *error = "unknown escape in string";
          return false;
      }
      continue;
    }
    const auto u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\t') || u == 0x7F) {
      *error = "control character in string";
      return false;
    }
    out->push_back(c);
  }
  *error = "unterminated string";
  return false;
}

bool ReadDword(CharCursor* cur, uint32_t* value, std::string* error) {
  uint32_t v = 0;
  int digits = 0;
  char c = 0;
  while (cur->Peek(&c) && HexValue(c) >= 0) {
    if (++digits > 8) {
      *error = "dword has more than 8 hex digits";
      return false;
    }
    v = v * 16 + static_cast<uint32_t>(HexValue(c));
    cur->Take(&c);
  }
  if (digits == 0) {
    *error = "dword without hex digits";
    return false;
  }
  *value = v;
  return true;
}

bool ParseValueLine(std::string_view line, RegValue* value, std::string* error) {
  CharCursor cur(line);
  char c = 0;
  if (cur.Accept("@")) {
    value->name.clear();
  } else if (cur.Accept("\"")) {
    if (!ReadQuoted(&cur, &value->name, error)) return false;
  } else {
    *error = "expected a value name";
    return false;
  }
  if (!cur.Accept("=")) {
    *error = "expected '=' after the value name";
    return false;
  }
  if (cur.Accept(kDwordPrefix)) {
    value->type = RegType::Dword;
    value->text.clear();
    if (!ReadDword(&cur, &value->dword, error)) return false;
  } else if (cur.Accept("\"")) {
    value->type = RegType::String;
    value->dword = 0;
    if (!ReadQuoted(&cur, &value->text, error)) return false;
  } else {
    *error = cur.Peek(&c) ? "unsupported value type" : "missing value data";
    return false;
  }
  cur.SkipBlanks();
  if (!cur.AtEnd()) {
    *error = "unexpected text after the value";
    return false;
  }
  return true;
}

bool ParseKeyLine(std::string_view line, std::string* path, std::string* error) {
  const std::string_view trimmed = TrimRight(line);
  if (trimmed.size() < 2 || trimmed.back() != ']') {
    *error = "key line without closing ']'";
    return false;
  }
  const std::string_view inner = trimmed.substr(1, trimmed.size() - 2);
  std::vector<std::string> components;
  if (!RegistryPath::Split(inner, &components)) {
    *error = "invalid key path";
    return false;
  }
  path->assign(inner);
  return true;
}

RegParseResult Fail(size_t line, std::string error) {
  RegParseResult result;
  result.errorLine = line;
  result.error = std::move(error);
  return result;
}

void AppendEscaped(std::string* out, std::string_view s) {
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '\\':
        out->append("\\\\");
        break;
      case '"':
        out->append("\\\"");
        break;
      case '\n':
        out->append("\\n");
        break;
      case '\r':
        out->append("\\r");
        break;
      case '\t':
        out->append("\\t");
        break;
      default:
        if (u < 0x20 || u == 0x7F) {
          out->append("\\x");
          out->push_back(kHexDigits[u >> 4]);
          out->push_back(kHexDigits[u & 0xF]);
        } else {
          out->push_back(c);
        }
    }
  }
}

void AppendValue(std::string* out, const RegValue& value) {
  if (value.name.empty()) {
    out->push_back('@');
  } else {
    out->push_back('"');
    AppendEscaped(out, value.name);
    out->push_back('"');
  }
  out->push_back('=');
  if (value.type == RegType::Dword) {
    out->append(kDwordPrefix);
    for (int shift = 28; shift >= 0; shift -= 4)
      out->push_back(kHexDigits[(value.dword >> shift) & 0xF]);
  } else {
    out->push_back('"');
    AppendEscaped(out, value.text);
    out->push_back('"');
  }
  out->push_back('\n');
}

}  // namespace

namespace {

// Reads the text line by line. Strict: the first malformed line ends the reading with no keys.
// Lenient: a malformed line is counted and skipped, and so are the values below a malformed key
// line (they belong to no key that could be named); the first error is kept.
RegParseResult ParseLines(const std::string& text, bool lenient) {
  RegParseResult result;
  auto skip = [&](size_t line, std::string error) {
    if (result.skippedLines++ == 0) {
      result.errorLine = line;
      result.error = std::move(error);
    }
    return lenient;
  };
  TextCursor cur(text);
  std::string_view line;
  if (!cur.NextLine(&line)) return Fail(1, "empty file");
  if (line.substr(0, kUtf8Bom.size()) == kUtf8Bom) line.remove_prefix(kUtf8Bom.size());
  // Without its header, a first line that names a key is still read as one.
  bool again = false;
  bool headerMissing = false;
  if (TrimRight(line) != kHeader) {
    if (!lenient) return Fail(1, "missing header line");
    headerMissing = true;
    again = !line.empty() && line.front() == '[';
    if (!again) skip(1, "missing header line");
  }

  std::string error;
  bool inBadKey = false;
  while (std::exchange(again, false) || cur.NextLine(&line)) {
    if (IsBlank(line) || line.front() == ';') continue;
    if (line.front() == '[') {
      RegKeyData key;
      inBadKey = !ParseKeyLine(line, &key.path, &error);
      if (!inBadKey) {
        result.keys.push_back(std::move(key));
      } else if (!skip(cur.LineNumber(), error)) {
        return Fail(cur.LineNumber(), error);
      }
      continue;
    }
    if (line.front() != '@' && line.front() != '"') {
      if (!skip(cur.LineNumber(), "unexpected text")) return Fail(cur.LineNumber(), result.error);
      continue;
    }
    if (result.keys.empty() || inBadKey) {
      const char* why =
          inBadKey ? "value of a key that cannot be read" : "value before the first key";
      if (!skip(cur.LineNumber(), why)) return Fail(cur.LineNumber(), result.error);
      continue;
    }
    RegValue value;
    if (!ParseValueLine(line, &value, &error)) {
      if (!skip(cur.LineNumber(), error)) return Fail(cur.LineNumber(), error);
      continue;
    }
    result.keys.back().values.push_back(std::move(value));
  }
  if (headerMissing && result.skippedLines == 0) {
    result.errorLine = 1;
    result.error = "missing header line";
  }
  result.ok = result.skippedLines == 0 && !headerMissing;
  return result;
}

}  // namespace

RegParseResult ParseRegistryExport(const std::string& text) {
  return ParseLines(text, false);
}

RegParseResult RecoverRegistryExport(const std::string& text) {
  return ParseLines(text, true);
}

std::string FormatRegistryExport(const std::vector<RegKeyData>& keys) {
  std::string out;
  out.append(kHeader);
  out.append("\n\n");
  for (const RegKeyData& key : keys) {
    out.push_back('[');
    out.append(key.path);
    out.append("]\n");
    for (const RegValue& value : key.values) AppendValue(&out, value);
    out.push_back('\n');
  }
  return out;
}

}  // namespace platform
