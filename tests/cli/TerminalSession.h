// A program of the build run on a pseudo-terminal of its own (its controlling terminal, and its
// standard input, output and error), so that a test answers the questions it asks there.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

class TerminalSession {
 public:
  TerminalSession(const std::string& program, const std::vector<std::string>& args,
                  const std::map<std::string, std::string>& env) {
    int slave = -1;
    if (::openpty(&master_, &slave, nullptr, nullptr, nullptr) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(master_);
      ::login_tty(slave);  // a session of its own with the terminal on 0, 1 and 2
      for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(slave);
  }
  ~TerminalSession() {
    if (pid_ > 0 && exitCode_ < 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) ::close(master_);
  }
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  // Reads what the program writes until text appears (true) or it ends or a minute passes.
  bool WaitFor(const std::string& text) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (screen_.find(text, seen_) == std::string::npos) {
      if (std::chrono::steady_clock::now() > end || !ReadSome()) return false;
    }
    seen_ = screen_.find(text, seen_) + text.size();
    return true;
  }
  void Type(const std::string& text) {
    if (::write(master_, text.data(), text.size()) < 0) return;
  }
  // Reads to the end and returns the exit code. A program still waiting for input after a
  // minute of silence (and a few seconds more to exit) is killed: 128 + SIGKILL.
  int Finish() {
    while (ReadSome()) {
    }
    int status = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > end) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        break;
      }
      ::usleep(10000);
    }
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return exitCode_;
  }
  void Signal(int signal) const {
    if (pid_ > 0) ::kill(pid_, signal);
  }
  // Whether the terminal echoes what is typed now (its settings, as the program left them).
  bool Echoing() const {
    termios settings{};
    return ::tcgetattr(master_, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
  }
  // Everything the program wrote, and what the terminal echoed.
  const std::string& Screen() const { return screen_; }

 private:
  bool ReadSome() {
    pollfd fd{master_, POLLIN, 0};
    if (::poll(&fd, 1, 60000) <= 0) return false;
    char buffer[4096];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) return false;  // EIO once the program closed the terminal
    screen_.append(buffer, static_cast<size_t>(n));
    return true;
  }

  int master_ = -1;
  pid_t pid_ = -1;
  int exitCode_ = -1;
  std::string screen_;
  size_t seen_ = 0;
};
