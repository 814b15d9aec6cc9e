// net-snmp's snmpd as a real peer for tests: started on 127.0.0.1 with a configuration of the
// test's own (one read-write community), in a temporary folder, and stopped with the object.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace snmp::test {

inline std::string MakeTempDir() {
  char pattern[] = "/tmp/portolan-snmp-XXXXXX";
  const char* dir = mkdtemp(pattern);
  return dir != nullptr ? dir : "";
}

// A UDP port on 127.0.0.1 that nobody uses now.
inline uint16_t FreeUdpPort() {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
  socklen_t size = sizeof local;
  getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size);
  close(fd);
  return ntohs(local.sin_port);
}

class SnmpdProcess {
 public:
  static constexpr const char* kProgram = "/usr/sbin/snmpd";

  static bool Installed() { return access(kProgram, X_OK) == 0; }

  ~SnmpdProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (!dir_.empty()) std::system(("rm -rf '" + dir_ + "'").c_str());
  }

  // Starts snmpd on a free port of 127.0.0.1 with community read-write; false when it could not
  // be started. Its log is Dir()/snmpd.log.
  bool Start(const std::string& community) {
    dir_ = MakeTempDir();
    if (dir_.empty()) return false;
    port_ = FreeUdpPort();
    std::ofstream(dir_ + "/snmpd.conf") << "rwcommunity " << community << " 127.0.0.1\n"
                                        << "agentaddress udp:127.0.0.1:" << port_ << "\n";
    pid_ = fork();
    if (pid_ == 0) {
      const std::string log = dir_ + "/snmpd.log";
      freopen(log.c_str(), "w", stdout);
      freopen(log.c_str(), "a", stderr);
      setenv("SNMP_PERSISTENT_DIR", (dir_ + "/persist").c_str(), 1);
      setenv("MIBS", "", 1);
      const std::string conf = dir_ + "/snmpd.conf";
      execl(kProgram, kProgram, "-f", "-Lo", "-C", "-c", conf.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    return pid_ > 0;
  }

  uint16_t Port() const { return port_; }
  const std::string& Dir() const { return dir_; }

 private:
  std::string dir_;
  uint16_t port_ = 0;
  pid_t pid_ = -1;
};

}  // namespace snmp::test
