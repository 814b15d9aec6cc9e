// A bounded reader over text held in memory: hands out one line at a time (with its 1-based
// number). Every step checks what is left, so a decoder built on it (with CharCursor for the
// inside of a line) cannot read past the end of its input whatever the input holds.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

class TextCursor {
 public:
  explicit TextCursor(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }
  size_t Remaining() const { return AtEnd() ? 0 : text_.size() - pos_; }
  size_t LineNumber() const { return line_; }

  // The next line without its "\n" or "\r\n"; false at the end of the text. The last line need not
  // end with a line break.
  bool NextLine(std::string_view* line) {
    if (AtEnd()) return false;
    const size_t end = text_.find('\n', pos_);
    const size_t stop = end == std::string_view::npos ? text_.size() : end;
    std::string_view found = text_.substr(pos_, stop - pos_);
    if (!found.empty() && found.back() == '\r') found.remove_suffix(1);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    ++line_;
    *line = found;
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  size_t line_ = 0;
};

}  // namespace platform
