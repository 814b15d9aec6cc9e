// A second local user for the tests of what another user on the machine can and cannot do: made
// with useradd for the life of the object, removed with userdel. Needs root; Available() is false
// (and Reason() says why) where it cannot be made, and the test then skips.
#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace test {

class SecondUser {
 public:
  SecondUser() {
    if (geteuid() != 0) {
      reason_ = "making a second user needs root";
      return;
    }
    if (access("/usr/sbin/useradd", X_OK) != 0) {
      reason_ = "useradd is not installed";
      return;
    }
    name_ = "ptltest" + std::to_string(getpid() % 100000);
    // The password file may be locked for a moment by another test doing the same.
    for (int attempt = 0; attempt < 20 && uid_ == 0; ++attempt) {
      if (Run("/usr/sbin/useradd -M -N -s /usr/sbin/nologin " + name_) != 0) {
        usleep(100000);
        continue;
      }
      if (const passwd* entry = getpwnam(name_.c_str()); entry != nullptr) {
        uid_ = entry->pw_uid;
        gid_ = entry->pw_gid;
      }
    }
    if (uid_ == 0) reason_ = "useradd " + name_ + " failed";
  }
  ~SecondUser() {
    if (uid_ != 0) Run("/usr/sbin/userdel " + name_);
  }
  SecondUser(const SecondUser&) = delete;
  SecondUser& operator=(const SecondUser&) = delete;

  bool Available() const { return uid_ != 0; }
  const std::string& Reason() const { return reason_; }
  uid_t Uid() const { return uid_; }
  gid_t Gid() const { return gid_; }
  // In a child process: becomes this user for good. False when that failed.
  bool Become() const {
    return setgroups(0, nullptr) == 0 && setgid(gid_) == 0 && setuid(uid_) == 0;
  }

 private:
  static int Run(const std::string& command) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string name_;
  std::string reason_;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
};

}  // namespace test
