// Who can reach a port's pseudo-terminal: its node is the user's alone (a set-group-id tty tool
// run by another user, such as write or wall, is refused), and a process of another user that
// holds it anyway (handed the descriptor) is still counted among its openers.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/PtyPair.h"
#include "support/SecondUser.h"

namespace platform {
namespace {

TEST(PtyPairAccessTest, TheSlaveNodeIsTheUsersAlone) {
  PtyPair pty;
  ASSERT_EQ(pty.Open(), 0);
  struct stat st {};
  ASSERT_EQ(stat(pty.SlavePath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(st.st_uid, geteuid());
}

TEST(PtyPairAccessTest, ATtyGroupToolOfAnotherUserCannotWriteIntoThePort) {
  test::SecondUser other;
  if (!other.Available()) GTEST_SKIP() << other.Reason();
  const group* tty = getgrnam("tty");
  if (tty == nullptr) GTEST_SKIP() << "no tty group here";
  PtyPair pty;
  ASSERT_EQ(pty.Open(), 0);
  const gid_t ttyGid = tty->gr_gid;
  const pid_t child = fork();
  if (child == 0) {
    // As write(1) runs for another user: his uid, the tty group.
    if (setgroups(0, nullptr) != 0 || setgid(ttyGid) != 0 || setuid(other.Uid()) != 0) _exit(100);
    const int fd = open(pty.SlavePath().c_str(), O_WRONLY | O_NOCTTY);
    _exit(fd >= 0 ? 0 : errno);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), EACCES);
}

TEST(PtyPairAccessTest, AnOpenerOfAnotherUserIsCounted) {
  test::SecondUser other;
  if (!other.Available()) GTEST_SKIP() << other.Reason();
  PtyPair pty;
  ASSERT_EQ(pty.Open(), 0);
  EXPECT_EQ(pty.CountOtherOpens(), 0);
  int ready[2], done[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(done), 0);
  const pid_t child = fork();
  if (child == 0) {
    // It holds the pair's own slave descriptor, inherited: handed over, as by a fork.
    if (!other.Become()) _exit(1);
    (void)!write(ready[1], "r", 1);
    char c = 0;
    (void)!read(done[0], &c, 1);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  EXPECT_EQ(pty.CountOtherOpens(), 1);
  (void)!write(done[1], "d", 1);
  waitpid(child, nullptr, 0);
  for (const int fd : {ready[0], ready[1], done[0], done[1]}) close(fd);
}

}  // namespace
}  // namespace platform
