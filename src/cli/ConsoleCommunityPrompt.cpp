#include "cli/ConsoleCommunityPrompt.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <ostream>

namespace cli {

namespace {

// Reads one line from the terminal with echo off, so the community never shows on the screen.
bool ReadHidden(std::string* line) {
  termios saved{};
  const bool terminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
  if (terminal) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  const bool read = static_cast<bool>(std::getline(std::cin, *line));
  if (terminal) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  return read;
}

}  // namespace

int ConsoleCommunityPrompt::AskCommunity(const std::string& message, bool offerIgnore,
                                         std::string* community) {
  err_ << prefix_ << ": " << message << "\n";
  if (::isatty(STDIN_FILENO) != 1) {
    err_ << prefix_
         << ": no terminal to ask on; store the community with portolanctl access "
            "set\n";
    return kCancel;
  }
  err_ << (offerIgnore ? "Community (empty: ignore, read-only access): " : "Community: ")
       << std::flush;
  std::string line;
  const bool read = ReadHidden(&line);
  err_ << "\n";
  if (!read) return kCancel;
  if (line.empty() && offerIgnore) return kIgnore;
  *community = line;
  return kOk;
}

}  // namespace cli
