// The settings store shared by processes: writers in separate processes keep each other's
// changes, and a writer killed at any moment leaves a readable file holding every change it had
// finished.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <random>
#include <set>

#include "platform/RegistryStore.h"
#include "platform/RegistryTestDir.h"

namespace platform {
namespace {

constexpr uint32_t kChildFailed = 0xFFFFFFFFu;

bool WriteFull(int fd, uint32_t v) {
  return ::write(fd, &v, sizeof v) == static_cast<ssize_t>(sizeof v);
}

// One report from the child, or false at end of the pipe.
bool ReadReport(int fd, uint32_t* v) {
  size_t got = 0;
  auto* bytes = reinterpret_cast<char*>(v);
  while (got < sizeof *v) {
    const ssize_t n = ::read(fd, bytes + got, sizeof *v - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

std::string Name(const char* prefix, uint32_t i) {
  return prefix + std::to_string(i);
}

// Child body: writes its own key and names in a shared key, then ends with 0 when every call
// succeeded. The store is made after fork, so that no lock is shared with the parent.
int WriteMany(const std::string& file, int who, int count) {
  RegistryStore store(file);
  const std::string own = "HKCU\\Process" + std::to_string(who);
  int failures = 0;
  for (int i = 0; i < count; ++i) {
    const auto n = static_cast<uint32_t>(i);
    failures += store.SetDword(own, Name("v", n), n) != REG_OK;
    failures += store.SetString("HKCU\\Shared", Name(who ? "b" : "a", n), own) != REG_OK;
    if (i % 10 == 0) failures += store.SetDword("HKCU\\Shared", "last", n) != REG_OK;
  }
  return failures == 0 ? 0 : 1;
}

TEST(RegistryProcesses, TwoWritersKeepAllTheirValues) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  constexpr int kCount = 120;
  pid_t children[2];
  for (int who = 0; who < 2; ++who) {
    children[who] = ::fork();
    ASSERT_GE(children[who], 0);
    if (children[who] == 0) ::_exit(WriteMany(file, who, kCount));
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  RegistryStore check(file);
  ASSERT_EQ(check.Status(), REG_OK);
  for (int who = 0; who < 2; ++who) {
    const auto values = check.EnumValues("HKCU\\Process" + std::to_string(who));
    ASSERT_EQ(values.size(), size_t{kCount});
    for (uint32_t i = 0; i < kCount; ++i) {
      EXPECT_EQ(values[i].name, Name("v", i));
      EXPECT_EQ(values[i].dword, i);
    }
  }
  EXPECT_EQ(check.EnumValues("HKCU\\Shared").size(), size_t{2 * kCount + 1});
}

// Child body for the kill test: reports each index once its call has returned.
[[noreturn]] void WriteAndReport(const std::string& file, uint32_t first, int out) {
  RegistryStore store(file);
  // Some bulk, so that a kill often lands inside a write.
  const std::string filler(2000, 'x');
  for (uint32_t i = first;; ++i) {
    if (store.SetDword("HKCU\\Kill", Name("v", i), i) != REG_OK ||
        store.SetString("HKCU\\Kill\\Text", Name("t", i % 8), filler + std::to_string(i)) !=
            REG_OK) {
      WriteFull(out, kChildFailed);
      ::_exit(1);
    }
    if (!WriteFull(out, i)) ::_exit(2);
  }
}

TEST(RegistryProcesses, WriterKilledAtRandomMomentsLosesNothingReported) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::set<uint32_t> reported;
  uint32_t next = 0;
  for (int round = 0; round < 50; ++round) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(pipeFds[0]);
      WriteAndReport(file, next, pipeFds[1]);
    }
    ::close(pipeFds[1]);
    // Let the child finish a random number of writes, then kill it a random moment later.
    const int wanted = static_cast<int>(random() % 6);
    uint32_t v = 0;
    for (int got = 0; got < wanted && ReadReport(pipeFds[0], &v); ++got) {
      ASSERT_NE(v, kChildFailed);
      reported.insert(v);
    }
    ::usleep(static_cast<useconds_t>(random() % 3000));
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    while (ReadReport(pipeFds[0], &v)) {
      ASSERT_NE(v, kChildFailed);
      reported.insert(v);
    }
    ::close(pipeFds[0]);
    if (!reported.empty()) next = *reported.rbegin() + 1;

    if (reported.empty() && !std::filesystem::exists(file)) continue;  // killed before writing
    const RegParseResult parsed = ParseRegistryExport(RegistryTestDir::Read(file));
    ASSERT_TRUE(parsed.ok) << "round " << round << ": line " << parsed.errorLine << ": "
                           << parsed.error;
    RegistryStore check(file);
    ASSERT_EQ(check.Status(), REG_OK) << check.StatusText();
    for (uint32_t i : reported) {
      const auto value = check.GetValue("HKCU\\Kill", Name("v", i));
      ASSERT_TRUE(value.has_value()) << "round " << round << ": v" << i << " lost";
      ASSERT_EQ(value->dword, i);
    }
  }
  EXPECT_FALSE(reported.empty());
}

}  // namespace
}  // namespace platform
