// The serial application of the preload tests (serial-app-probe, built from SerialAppProbe.cpp)
// run as a child process, with or without libportolan-serial.so.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace vport::test {

inline const std::string kProbe = std::string(PORTOLAN_BINARY_DIR) + "/bin/serial-app-probe";
inline const std::string kLibrary = std::string(PORTOLAN_BINARY_DIR) + "/bin/libportolan-serial.so";
inline const std::string kWrapper = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolan-serial-run";

enum class Preload {
  kNone,     // the probe alone
  kLibrary,  // LD_PRELOAD set to the library
  kWrapper,  // run through portolan-serial-run
};

// The probe as a child: its stdout read line by line, its stdin to end a pause.
class Probe {
 public:
  // waitMs: how long the library waits for the bridge (0: its default).
  Probe(const std::vector<std::string>& args, Preload preload, int waitMs = 0) {
    int out[2], in[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(in, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      dup2(in[0], 0);
      if (waitMs > 0) {
        setenv("PORTOLAN_SERIAL_WAIT_MS", std::to_string(waitMs).c_str(), 1);
      } else {
        unsetenv("PORTOLAN_SERIAL_WAIT_MS");
      }
      if (preload == Preload::kLibrary) {
        setenv("LD_PRELOAD", kLibrary.c_str(), 1);
      } else {
        unsetenv("LD_PRELOAD");
      }
      std::vector<char*> argv;
      if (preload == Preload::kWrapper) argv.push_back(const_cast<char*>(kWrapper.c_str()));
      argv.push_back(const_cast<char*>(kProbe.c_str()));
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    close(in[0]);
    out_ = out[0];
    in_ = in[1];
  }
  ~Probe() {
    if (in_ >= 0) close(in_);
    if (out_ >= 0) close(out_);
    Wait();
  }
  // The next line of output, or "" at its end or after 20 s.
  std::string Line() {
    std::string line;
    for (;;) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 20000) <= 0) return line;
      char c = 0;
      if (read(out_, &c, 1) != 1) return line;
      if (c == '\n') return line;
      line += c;
    }
  }
  std::vector<std::string> AllLines() {
    std::vector<std::string> lines;
    for (std::string l = Line(); !l.empty(); l = Line()) lines.push_back(l);
    return lines;
  }
  void Continue() { [[maybe_unused]] auto n = write(in_, "go\n", 3); }
  void Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
  }
  int Wait() {
    if (pid_ <= 0) return -1;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1, in_ = -1;
};

}  // namespace vport::test
