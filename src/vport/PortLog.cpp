#include "vport/PortLog.h"

#include <cstdio>

#include "platform/Prompt.h"

namespace vport {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The first line start at or after from; with entriesOnly, one that does not continue the line
// before it. npos when there is none.
std::size_t NextLineStart(const std::string& text, std::size_t from, bool entriesOnly) {
  for (std::size_t at = text.find(kLineEnd, from); at != std::string::npos;
       at = text.find(kLineEnd, at + 1)) {
    if (!entriesOnly) return at;
    const std::size_t next = at + kLineEnd.size();
    if (next >= text.size() || (text[next] != ' ' && text[next] != '\t')) return at;
  }
  return std::string::npos;
}

std::string WithUnixLineEnds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out.push_back(text[i]);
  }
  return out;
}

bool FileExists(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

}  // namespace

PortLog::PortLog(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

void PortLog::AppendLog(std::string_view line) {
  pending_.append(kLineEnd);
  pending_.append(line);
  // Trim with some slack so that a log at its cap does not move the whole text on every line.
  if (pending_.size() > capacity_ + capacity_ / 4) TrimOldestLines(pending_, capacity_);
}

std::string PortLog::MovePending() {
  if (pending_.empty()) return {};
  std::string moved;
  moved.swap(pending_);
  shown_.append(moved);
  TrimOldestLines(shown_, capacity_);
  return moved;
}

void PortLog::TrimOldestLines(std::string& text, std::size_t limit) {
  if (text.size() <= limit) return;
  const std::size_t from = text.size() - limit;
  std::size_t cut = NextLineStart(text, from, true);
  if (cut == std::string::npos) cut = NextLineStart(text, from, false);
  if (cut == std::string::npos) {
    text.clear();  // the newest line alone is longer than the limit
    return;
  }
  text.erase(0, cut);
}

PortLog::SaveResult PortLog::Save(const std::string& path, platform::Prompt& prompt,
                                  const std::string& caption) const {
  return SaveText(shown_, path, prompt, caption);
}

PortLog::SaveResult PortLog::SaveText(const std::string& boxText, const std::string& path,
                                      platform::Prompt& prompt, const std::string& caption) {
  if (FileExists(path)) {
    const std::string question = "The file \"" + path + "\" already exists.  Overwrite file?";
    if (prompt.MessageBox(question, caption, platform::MB_YESNO) != platform::IDYES) {
      return SaveResult::kKeptExisting;
    }
  }
  std::FILE* file = std::fopen(path.c_str(), "w+");
  if (file == nullptr) {
    prompt.MessageBox("Unable to open the requested file.", caption, platform::MB_OK);
    return SaveResult::kOpenFailed;
  }
  const std::string text = WithUnixLineEnds(boxText);
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  ok = std::fflush(file) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    // A short write (full disk, quota) must not pass for a saved log.
    prompt.MessageBox("Unable to open the requested file.", caption, platform::MB_OK);
    return SaveResult::kWriteFailed;
  }
  return SaveResult::kSaved;
}

std::string PortLog::DefaultFileName(const std::string& comName) {
  return comName + "PrtLog.txt";
}

}  // namespace vport
