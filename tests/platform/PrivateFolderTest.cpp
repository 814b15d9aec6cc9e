// The runtime folder and the running-copy socket as another local user could prepare them: a
// folder named by XDG_RUNTIME_DIR that is shared, linked or someone else's is refused with the
// path and the reason, and a running-copy socket bound by another user is handed nothing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/TempDir.h"
#include "platform/PrivateFolder.h"
#include "platform/RunningCopyClient.h"
#include "platform/RunningCopyProtocol.h"
#include "platform/RuntimeDir.h"
#include "support/SecondUser.h"

namespace platform {
namespace {

class XdgRuntime {
 public:
  explicit XdgRuntime(const std::string& value) {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) saved_ = old;
    setenv("XDG_RUNTIME_DIR", value.c_str(), 1);
  }
  ~XdgRuntime() {
    if (saved_.empty()) {
      unsetenv("XDG_RUNTIME_DIR");
    } else {
      setenv("XDG_RUNTIME_DIR", saved_.c_str(), 1);
    }
  }

 private:
  std::string saved_;
};

TEST(PrivateFolderTest, RuntimeFolderMustBeARealFolderOfOursClosedToOthers) {
  TempDir dir;
  test::SecondUser other;
  const std::string base = dir.Folder();
  mkdir((base + "private").c_str(), 0700);
  mkdir((base + "open").c_str(), 0700);
  chmod((base + "open").c_str(), 0777);
  mkdir((base + "group").c_str(), 0700);
  chmod((base + "group").c_str(), 0750);
  symlink((base + "private").c_str(), (base + "link").c_str());
  close(creat((base + "file").c_str(), 0600));
  mkdir((base + "foreign").c_str(), 0700);
  if (other.Available()) chown((base + "foreign").c_str(), other.Uid(), other.Gid());

  struct Case {
    std::string name;
    std::string problem;  // a part of the reason; empty: accepted
  };
  const Case cases[] = {
      {"private", ""},
      {"private/", ""},
      {"open", "is open to other users (mode 0777; 0700 is needed)"},
      {"group", "is open to other users (mode 0750"},
      {"link", "is a symbolic link"},
      {"link/", "is a symbolic link"},
      {"file", "is not a folder"},
      {"missing", "cannot be examined"},
      {"foreign", "belongs to user " + std::to_string(other.Uid())},
  };
  for (const Case& c : cases) {
    if (c.name == "foreign" && !other.Available()) {
      std::cout << "foreign owner not tried: " << other.Reason() << "\n";
      continue;
    }
    SCOPED_TRACE(c.name);
    const XdgRuntime xdg(base + c.name);
    std::string problem;
    const std::string runtime = RuntimeDir(&problem);
    if (c.problem.empty()) {
      EXPECT_EQ(runtime, base + c.name);
      EXPECT_EQ(problem, "");
    } else {
      EXPECT_EQ(runtime, "");
      EXPECT_EQ(problem.rfind("the runtime folder " + base + c.name.substr(0, c.name.find('/')), 0),
                0u)
          << problem;
      EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
  }
}

// A server on path that answers every request as the running copy does; as user (0: ourselves).
pid_t AnsweringServer(const std::string& path, const test::SecondUser* user, int readyFd) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (user != nullptr && !user->Become()) _exit(2);
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 4) != 0) {
    _exit(3);
  }
  (void)!write(readyFd, "r", 1);
  const int client = accept(listener, nullptr, nullptr);
  uint8_t request[RunningCopyProtocol::kRequestSize];
  if (client < 0 || recv(client, request, sizeof request, MSG_WAITALL) != sizeof request) _exit(0);
  RunningCopyProtocol::Reply reply;
  reply.result = RunningCopyProtocol::kRunningAnswer;
  const auto out = RunningCopyProtocol::EncodeReply(reply);
  (void)!write(client, out.data(), out.size());
  _exit(0);
}

TEST(PrivateFolderTest, RunningCopyClientTalksOnlyToAServerOfItsOwnUser) {
  test::SecondUser other;
  if (!other.Available()) GTEST_SKIP() << other.Reason();
  for (const bool foreign : {false, true}) {
    SCOPED_TRACE(foreign ? "server of another user" : "server of our user");
    TempDir dir;
    chmod(dir.Path().c_str(), 0777);  // the shared folder a misconfiguration names
    const std::string path = dir.Folder() + "portolan.sock";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t server = AnsweringServer(path, foreign ? &other : nullptr, ready[1]);
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(RunningCopyClient::QueryRunningCopy(5000, path), !foreign);
    kill(server, SIGKILL);
    waitpid(server, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
  }
}

}  // namespace
}  // namespace platform
