#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/InstanceGuard.h"
#include "platform/RuntimeDir.h"

namespace platform {
namespace {

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/portolan-guard-test-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempDir() {
    unlink((path_ + "/" + InstanceGuard::kFileName).c_str());
    rmdir(path_.c_str());
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Runs probe in a child process and returns its exit status (0 or 1 for the probe's answer).
template <typename Probe>
int InChild(Probe probe) {
  const pid_t pid = fork();
  if (pid == 0) _exit(probe() ? 1 : 0);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(InstanceGuardTest, SecondProcessCannotAcquire) {
  TempDir dir;
  InstanceGuard guard(dir.Path());
  ASSERT_TRUE(guard.Acquire());
  EXPECT_TRUE(guard.Held());
  EXPECT_EQ(guard.Path(), dir.Path() + "/portolan.lock");
  EXPECT_EQ(InChild([&] { return InstanceGuard(dir.Path()).Acquire(); }), 0);
  guard.Release();
  EXPECT_FALSE(guard.Held());
  EXPECT_EQ(InChild([&] { return InstanceGuard(dir.Path()).Acquire(); }), 1);
}

TEST(InstanceGuardTest, LockEndsWithTheProcessThatHeldIt) {
  TempDir dir;
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    close(release[1]);  // so that the parent's close is the end of the pipe
    InstanceGuard guard(dir.Path());
    const char ok = guard.Acquire() ? 'y' : 'n';
    (void)!write(ready[1], &ok, 1);
    char c;
    (void)!read(release[0], &c, 1);
    _exit(0);  // no destructor: the kernel must drop the lock
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 'y');
  InstanceGuard second(dir.Path());
  EXPECT_FALSE(second.Acquire());
  EXPECT_EQ(second.Error(), EWOULDBLOCK);
  close(release[1]);
  waitpid(holder, nullptr, 0);
  EXPECT_TRUE(second.Acquire());
  for (int fd : {ready[0], ready[1], release[0]}) close(fd);
}

TEST(InstanceGuardTest, AcquireTwiceInOneObjectIsHarmless) {
  TempDir dir;
  InstanceGuard guard(dir.Path());
  EXPECT_TRUE(guard.Acquire());
  EXPECT_TRUE(guard.Acquire());
}

TEST(InstanceGuardTest, NoFolderMeansNoLock) {
  InstanceGuard none("");
  EXPECT_FALSE(none.Acquire());
  InstanceGuard missing("/nonexistent-portolan-folder");
  EXPECT_FALSE(missing.Acquire());
  EXPECT_EQ(missing.Error(), ENOENT);
}

TEST(InstanceGuardTest, LockFileThatIsALinkIsRefused) {
  TempDir dir;
  const std::string target = dir.Path() + "/target";
  const std::string link = dir.Path() + "/" + InstanceGuard::kFileName;
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  InstanceGuard guard(dir.Path());
  EXPECT_FALSE(guard.Acquire());
  struct stat st {};
  EXPECT_NE(lstat(target.c_str(), &st), 0);  // nothing made through the link
}

TEST(InstanceGuardTest, RuntimeDirFollowsXdgElsePrivateTmpFolder) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedValue = saved ? saved : "";
  TempDir runtime;  // private, as XDG_RUNTIME_DIR must be
  setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
  EXPECT_EQ(RuntimeDir(), runtime.Path());
  setenv("XDG_RUNTIME_DIR", "relative/path", 1);  // not absolute: ignored
  const std::string fallback = "/tmp/portolan-" + std::to_string(geteuid());
  EXPECT_EQ(RuntimeDir(), fallback);
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(RuntimeDir(), fallback);
  struct stat st {};
  ASSERT_EQ(lstat(fallback.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  if (saved) setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
}

}  // namespace
}  // namespace platform
