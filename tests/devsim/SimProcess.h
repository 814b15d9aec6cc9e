// Runs portolan-devsim as a child process for the tests: started with a ready file, stopped with a
// signal, its output kept in a file.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace devsim::test {

inline std::string DevsimPath() {
  return std::string(PORTOLAN_BINARY_DIR) + "/bin/portolan-devsim";
}

class SimProcess {
 public:
  SimProcess() {
    char pattern[] = "/tmp/devsim-test.XXXXXX";
    dir_ = ::mkdtemp(pattern) ? pattern : "/tmp";
  }
  ~SimProcess() {
    if (pid_ > 0) Stop(SIGKILL);
    std::remove(ReadyPath().c_str());
    std::remove(OutputPath().c_str());
    ::rmdir(dir_.c_str());
  }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  std::string ReadyPath() const { return dir_ + "/ready"; }
  std::string OutputPath() const { return dir_ + "/output"; }

  // Starts the simulator with args (the ready file is added) and waits until it is ready. False
  // when it exited first or did not become ready in 20 s.
  bool Start(std::vector<std::string> args) {
    args.insert(args.begin(), DevsimPath());
    args.push_back("--ready-file");
    args.push_back(ReadyPath());
    pid_ = ::fork();
    if (pid_ == 0) {
      const int out = ::open(OutputPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(out, 1);
      ::dup2(out, 2);
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    for (int i = 0; i < 1000; ++i) {
      if (std::ifstream ready(ReadyPath()); ready) {
        std::getline(ready, readyLine_);
        if (!readyLine_.empty()) return true;
      }
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        exitStatus_ = status;
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  // The value of key=value in the ready line.
  int ReadyValue(const std::string& key) const {
    const size_t at = readyLine_.find(key + "=");
    return at == std::string::npos ? -1 : std::atoi(readyLine_.c_str() + at + key.size() + 1);
  }

  // Sends the signal and gives the wait status.
  int Stop(int signal = SIGTERM) {
    if (pid_ <= 0) return exitStatus_;
    ::kill(pid_, signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    exitStatus_ = status;
    return status;
  }

  std::string Output() const {
    std::ifstream in(OutputPath());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  std::string dir_;
  pid_t pid_ = -1;
  int exitStatus_ = -1;
  std::string readyLine_;
};

// Runs the simulator to its end (for --help and bad options) and gives the wait status.
inline int RunToEnd(const std::vector<std::string>& args, std::string* output) {
  std::string command = DevsimPath();
  for (const std::string& a : args) command += " '" + a + "'";
  command += " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output->append(buffer, n);
  return ::pclose(pipe);
}

}  // namespace devsim::test
