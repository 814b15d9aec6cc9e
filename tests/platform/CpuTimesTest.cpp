// The CPU counters of /proc/stat: the parser on made-up and hostile text, the reader on a file
// of our own and on the kernel's, and the scripted source.
#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/CpuTimes.h"
#include "platform/FakeCpuTimes.h"
#include "platform/ProcStatCpuTimes.h"
#include "platform/SystemThreadScheduling.h"

namespace platform {
namespace {

constexpr char kTwoCpus[] =
    "cpu  100 0 50 1000 10 0 5 0 0 0\n"
    "cpu0 60 0 30 400 4 0 3 0 0 0\n"
    "cpu1 40 0 20 600 6 0 2 0 7 0\n"
    "intr 12345 1 2 3\n"
    "ctxt 999\n";

struct ParseCase {
  const char* name;
  std::string text;
  CpuTimesError error;
  std::vector<CpuTime> cpus;
};

TEST(CpuTimesTest, ParsesTheCpuLinesAndRefusesWhatIsNotOne) {
  const std::vector<ParseCase> cases = {
      {"two CPUs, summary and counters skipped",
       kTwoCpus,
       CpuTimesError::kNone,
       {{404, 497}, {606, 668}}},
      {"guest fields beyond the eighth are not counted twice",
       "cpu0 1 2 3 4 5 6 7 8 900 900\n",
       CpuTimesError::kNone,
       {{9, 36}}},
      {"a kernel that lists five fields", "cpu0 1 1 1 5 2\n", CpuTimesError::kNone, {{7, 10}}},
      {"no final newline, double spaces",
       "cpu0  1  2 3 4 5 6 7 8",
       CpuTimesError::kNone,
       {{9, 36}}},
      {"carriage returns", "cpu0 1 2 3 4 5 6 7 8\r\n", CpuTimesError::kNone, {{9, 36}}},
      {"the CPU lines end at the first other line",
       "cpu0 1 1 1 1 1\nbtime 5\ncpu1 2 2 2 2 2\n",
       CpuTimesError::kNone,
       {{2, 5}}},
      {"empty", "", CpuTimesError::kNoCpuLines, {}},
      {"only the summary", "cpu  1 2 3 4 5\nintr 1\n", CpuTimesError::kNoCpuLines, {}},
      {"too few fields", "cpu0 1 2 3 4\n", CpuTimesError::kBadLine, {}},
      {"a name alone", "cpu0\n", CpuTimesError::kBadLine, {}},
      {"a letter in a number", "cpu0 1 2 3 4x 5\n", CpuTimesError::kBadLine, {}},
      {"a negative number", "cpu0 1 2 3 -4 5\n", CpuTimesError::kBadLine, {}},
      {"a number past 64 bits", "cpu0 1 2 3 99999999999999999999 5\n", CpuTimesError::kBadLine, {}},
      {"a sum past 64 bits", "cpu0 1 2 3 18446744073709551615 5\n", CpuTimesError::kBadLine, {}},
      {"a bad line after good ones", "cpu0 1 1 1 1 1\ncpu1 1 1\n", CpuTimesError::kBadLine, {}},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<CpuTime> cpus = {{1, 1}};
    EXPECT_EQ(ParseCpuTimes(c.text, &cpus), c.error);
    EXPECT_EQ(cpus, c.cpus);
  }
}

TEST(CpuTimesTest, RefusesMoreCpusThanItKeeps) {
  std::string text;
  for (std::size_t i = 0; i <= kMostCpus; ++i) text += "cpu" + std::to_string(i) + " 1 1 1 1 1\n";
  std::vector<CpuTime> cpus;
  EXPECT_EQ(ParseCpuTimes(text, &cpus), CpuTimesError::kTooManyCpus);
  EXPECT_TRUE(cpus.empty());
}

TEST(CpuTimesTest, ReadsAFileLargerThanItsFirstBufferAndTheKernelsOwn) {
  char path[] = "/tmp/portolan-cpu-times-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  std::string text = kTwoCpus;
  text += "intr " + std::string(40000, '1') + "\n";  // a long interrupt line, as on big machines
  ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  close(fd);
  ProcStatCpuTimes file(path);
  std::vector<CpuTime> cpus;
  ASSERT_TRUE(file.Read(&cpus));
  EXPECT_EQ(cpus, (std::vector<CpuTime>{{404, 497}, {606, 668}}));
  ASSERT_TRUE(file.Read(&cpus));  // the kept buffer serves again
  EXPECT_EQ(cpus.size(), 2u);
  unlink(path);
  EXPECT_FALSE(file.Read(&cpus));

  ProcStatCpuTimes kernel;
  ASSERT_TRUE(kernel.Read(&cpus));
  EXPECT_GE(cpus.size(), 1u);
  EXPECT_LE(cpus.size(), static_cast<std::size_t>(sysconf(_SC_NPROCESSORS_CONF)));
  for (const CpuTime& cpu : cpus) EXPECT_LE(cpu.idle, cpu.total);
}

TEST(CpuTimesTest, FakeHandsOutItsScriptInOrder) {
  FakeCpuTimes fake;
  fake.Push({{1, 2}});
  fake.PushFailure();
  std::vector<CpuTime> cpus;
  EXPECT_TRUE(fake.Read(&cpus));
  EXPECT_EQ(cpus, (std::vector<CpuTime>{{1, 2}}));
  EXPECT_FALSE(fake.Read(&cpus));
  EXPECT_FALSE(fake.Read(&cpus));  // nothing left
  EXPECT_EQ(fake.Reads(), 3);
}

TEST(CpuTimesTest, SchedulingChangesOnlyTheCallingThread) {
  int inThread = -1;
  int after = -1;
  std::thread worker([&] {
    SystemThreadScheduling scheduling;
    EXPECT_EQ(scheduling.SetBatch(true), 0);
    inThread = sched_getscheduler(0);
    EXPECT_EQ(scheduling.SetBatch(false), 0);
    after = sched_getscheduler(0);
  });
  worker.join();
  EXPECT_EQ(inThread, SCHED_BATCH);
  EXPECT_EQ(after, SCHED_OTHER);
  EXPECT_EQ(sched_getscheduler(0), SCHED_OTHER);
}

}  // namespace
}  // namespace platform
