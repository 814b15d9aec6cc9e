// A bounded reader over one line of text: every step checks what is left of the line.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

// Character cursor over one line.
class CharCursor {
 public:
  explicit CharCursor(std::string_view line) : line_(line) {}

  bool AtEnd() const { return pos_ >= line_.size(); }
  size_t Position() const { return pos_; }
  std::string_view Rest() const { return AtEnd() ? std::string_view() : line_.substr(pos_); }

  // The next character, or false at the end of the line.
  bool Peek(char* c) const {
    if (AtEnd()) return false;
    *c = line_[pos_];
    return true;
  }
  bool Take(char* c) {
    if (!Peek(c)) return false;
    ++pos_;
    return true;
  }
  // Consumes `expected` when the line continues with it.
  bool Accept(std::string_view expected) {
    if (Rest().substr(0, expected.size()) != expected) return false;
    pos_ += expected.size();
    return true;
  }
  void SkipBlanks() {
    while (!AtEnd() && (line_[pos_] == ' ' || line_[pos_] == '\t')) ++pos_;
  }

 private:
  std::string_view line_;
  size_t pos_ = 0;
};

}  // namespace platform
