// portolanctl (usually `run`) as a child process for tests, its stdout collected as it comes.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

// portolanctl run in the background, its stdout collected line by line.
class Background {
 public:
  Background(const std::vector<std::string>& args, const std::map<std::string, std::string>& env) {
    const std::string program = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";
    int outPipe[2];
    if (pipe(outPipe) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(outPipe[1], 1);
      close(outPipe[0]);
      for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(outPipe[1]);
    out_ = outPipe[0];
  }
  ~Background() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
  }
  // Waits until the output contains text.
  bool WaitFor(const std::string& text, int timeoutMs = 20000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (text_.find(text) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            end - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0) return false;
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) return false;
      char buffer[4096];
      const ssize_t n = read(out_, buffer, sizeof buffer);
      if (n <= 0) return text_.find(text) != std::string::npos;
      text_.append(buffer, static_cast<size_t>(n));
    }
    return true;
  }
  // Sends the signal and waits for the exit; the exit code, or -1.
  int Stop(int signal) {
    kill(pid_, signal);
    WaitFor("\x01never", 10000);  // reads to the end of the output
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  const std::string& Text() const { return text_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string text_;
};
