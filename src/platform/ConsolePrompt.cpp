#include "platform/ConsolePrompt.h"

#include <unistd.h>

#include <cerrno>

namespace platform {

namespace {

void AppendClean(const std::string& in, std::string* out) {
  for (size_t i = 0; i < in.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(in[i]);
    if (c == '\r' && i + 1 < in.size() && in[i + 1] == '\n') continue;  // CR LF: one break
    if (c == '\n' || c == '\r' || c == '\t') {
      out->push_back(' ');
    } else if (c < 0x20 || c == 0x7F) {
      out->push_back('?');
    } else {
      out->push_back(static_cast<char>(c));
    }
  }
}

}  // namespace

std::string ConsolePrompt::FormatLine(const std::string& text, const std::string& caption) {
  std::string line;
  line.reserve(caption.size() + text.size() + 3);
  if (!caption.empty()) {
    AppendClean(caption, &line);
    line += ": ";
  }
  AppendClean(text, &line);
  line.push_back('\n');
  return line;
}

int ConsolePrompt::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
  const std::string line = FormatLine(text, caption);
  // One write per line, so that boxes from several threads do not interleave.
  size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = write(fd_, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // nowhere to write: the answer stands all the same
    done += static_cast<size_t>(n);
  }
  return DefaultAnswer(type);
}

}  // namespace platform
