// Two network namespaces joined by a veth pair, made and removed by the test: the asking side
// ("a", 10.0.200.1/16 with a default route over the link) and the devices' side ("b", with the
// addresses the test adds). Broadcast and multicast stay inside them. Needs root and ip(8).
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

class NetnsPair {
 public:
  NetnsPair() {
    // The whole process id: no other living test process shares it, so the destructor's
    // deletions can only hit this pair (or a stale one left by a crashed run of the same id).
    const std::string tag = std::to_string(::getpid());
    a_ = "ph12a" + tag;
    b_ = "ph12b" + tag;
    if (::geteuid() != 0 || ::access("/usr/sbin/ip", X_OK) != 0) return;
    ok_ = Sh("ip netns add " + a_) && Sh("ip netns add " + b_) &&
          Sh("ip -n " + a_ + " link add va type veth peer name vb netns " + b_) &&
          Sh("ip -n " + a_ + " addr add 10.0.200.1/16 dev va") &&
          Sh("ip -n " + a_ + " link set va up") && Sh("ip -n " + a_ + " link set lo up") &&
          Sh("ip -n " + b_ + " link set vb up") && Sh("ip -n " + b_ + " link set lo up") &&
          Sh("ip -n " + a_ + " route add default dev va") &&
          Sh("ip -n " + b_ + " route add default dev vb");
  }
  ~NetnsPair() {
    Sh("ip netns del " + a_ + " 2>/dev/null");
    Sh("ip netns del " + b_ + " 2>/dev/null");
  }
  NetnsPair(const NetnsPair&) = delete;
  NetnsPair& operator=(const NetnsPair&) = delete;

  bool Ok() const { return ok_; }
  const std::string& A() const { return a_; }
  const std::string& B() const { return b_; }

  // Adds count addresses 10.0.x.y/16 to the devices' side, from 10.0.0.first upward.
  bool AddDeviceAddresses(int first, int count) {
    const std::string batch = "/tmp/" + b_ + ".batch";
    FILE* f = std::fopen(batch.c_str(), "w");
    if (f == nullptr) return false;
    for (int i = 0; i < count; ++i) {
      const int n = first + i;
      std::fprintf(f, "addr add 10.0.%d.%d/16 dev vb\n", n / 256, n % 256);
    }
    std::fclose(f);
    const bool done = Sh("ip -n " + b_ + " -batch " + batch);
    std::remove(batch.c_str());
    return done;
  }

 private:
  static bool Sh(const std::string& command) { return std::system(command.c_str()) == 0; }
  std::string a_, b_;
  bool ok_ = false;
};
