#include "cli/ConsoleCommunityPrompt.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstddef>
#include <iostream>
#include <iterator>
#include <ostream>

namespace cli {

namespace {

// The terminal's settings while a HiddenInput lives, for the signal handler: a program killed at
// the question (Ctrl-C, SIGTERM, a closed terminal) must not leave the user's shell without echo.
termios g_saved{};
volatile sig_atomic_t g_hidden = 0;
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction g_previous[std::size(kEndingSignals)];

void RestoreEchoAndEnd(int signal) {
  if (g_hidden != 0) ::tcsetattr(STDIN_FILENO, TCSANOW, &g_saved);
  g_hidden = 0;
  // The signal again, as the program took it before: it ends the program as it would have.
  for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
    if (kEndingSignals[i] == signal) ::sigaction(signal, &g_previous[i], nullptr);
  }
  ::raise(signal);
}

// Echo off on the terminal for as long as it lives, so the community never shows on the screen.
// It goes off before the question is written: what was typed before the question could be seen
// is dropped, and an answer typed as soon as the question shows is neither echoed nor lost (which
// turning echo off after the question, with its flush, did to a quick typist or a script).
// Coming back on keeps what was typed ahead, the answer to the next question perhaps.
class HiddenInput {
 public:
  HiddenInput() : terminal_(::tcgetattr(STDIN_FILENO, &saved_) == 0) {
    if (!terminal_) return;
    g_saved = saved_;
    g_hidden = 1;
    struct sigaction action {};
    action.sa_handler = RestoreEchoAndEnd;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
      ::sigaction(kEndingSignals[i], &action, &g_previous[i]);
    }
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  ~HiddenInput() {
    if (!terminal_) return;
    ::tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
    g_hidden = 0;
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
      ::sigaction(kEndingSignals[i], &g_previous[i], nullptr);
    }
  }
  HiddenInput(const HiddenInput&) = delete;
  HiddenInput& operator=(const HiddenInput&) = delete;

 private:
  termios saved_{};
  const bool terminal_;
};

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
  std::string line;
  bool read = false;
  {
    const HiddenInput hidden;
    err_ << (offerIgnore ? "Community (empty: ignore, read-only access): " : "Community: ")
         << std::flush;
    read = static_cast<bool>(std::getline(std::cin, line));
  }
  err_ << "\n";
  if (!read) return kCancel;
  if (line.empty() && offerIgnore) return kIgnore;
  *community = line;
  return kOk;
}

}  // namespace cli
