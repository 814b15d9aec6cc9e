// The device simulator as a child process for tests: started with the given arguments (and, when
// a namespace is named, inside it), ready once it wrote its ready file, stopped on destruction.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

class DevSimProcess {
 public:
  static std::string Program() { return std::string(PORTOLAN_BINARY_DIR) + "/bin/portolan-devsim"; }

  DevSimProcess(std::vector<std::string> args, const std::string& netns = "") {
    readyFile_ = "/tmp/portolan-devsim-ready-" + std::to_string(::getpid()) + "-" +
                 std::to_string(counter_++);
    ::unlink(readyFile_.c_str());
    args.push_back("--ready-file");
    args.push_back(readyFile_);
    std::vector<std::string> argv;
    if (!netns.empty()) argv = {"/usr/sbin/ip", "netns", "exec", netns};
    argv.push_back(Program());
    argv.insert(argv.end(), args.begin(), args.end());
    pid_ = ::fork();
    if (pid_ == 0) {
      // The simulator lists its devices on stdout; the test's output stays readable without it.
      const int devnull = ::open("/dev/null", O_WRONLY);
      if (devnull >= 0) ::dup2(devnull, 1);
      std::vector<char*> raw;
      for (auto& a : argv) raw.push_back(a.data());
      raw.push_back(nullptr);
      ::execv(raw[0], raw.data());
      ::_exit(127);
    }
    // The ready file appears once every socket is open; the simulator starts in milliseconds.
    for (int i = 0; i < 1000 && !Ready(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~DevSimProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
    ::unlink(readyFile_.c_str());
  }
  DevSimProcess(const DevSimProcess&) = delete;
  DevSimProcess& operator=(const DevSimProcess&) = delete;

  bool Ready() {
    std::ifstream in(readyFile_);
    std::string line;
    if (!std::getline(in, line)) return false;
    const size_t at = line.find("udp=");
    if (at == std::string::npos) return false;
    port_ = std::stoi(line.substr(at + 4));
    const size_t snmp = line.find("snmp=");
    if (snmp != std::string::npos) snmpPort_ = std::stoi(line.substr(snmp + 5));
    return true;
  }
  int Port() const { return port_; }
  // The agents' UDP port when the simulator serves SNMP (--snmp-port), else 0.
  int SnmpPort() const { return snmpPort_; }

 private:
  static inline int counter_ = 0;
  pid_t pid_ = -1;
  int port_ = 0;
  int snmpPort_ = 0;
  std::string readyFile_;
};
