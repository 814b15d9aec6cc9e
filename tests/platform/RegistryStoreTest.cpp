// The settings store within one process: key and value semantics, the file it keeps, and what it
// does with a file it cannot use.
#include <grp.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "platform/RegistryStore.h"
#include "platform/RegistryTestDir.h"

namespace platform {
namespace {

const std::string kGeneral = "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\General";

std::vector<std::string> Names(const std::vector<RegValue>& values) {
  std::vector<std::string> names;
  for (const RegValue& v : values) names.push_back(v.name);
  return names;
}

uint32_t DwordOf(RegistryStore& store, const std::string& key, const std::string& name) {
  const auto v = store.GetValue(key, name);
  return v && v->type == RegType::Dword ? v->dword : 0xDEADBEEF;
}

// Every behaviour of the tree holds the same with and without a file.
class RegistryTreeBehaviour : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    store_ = std::make_unique<RegistryStore>(GetParam() ? dir_.File("r.reg") : "");
  }
  RegistryTestDir dir_;
  std::unique_ptr<RegistryStore> store_;
};

TEST_P(RegistryTreeBehaviour, NamesIgnoreCaseAndKeepFirstSpelling) {
  RegistryStore& s = *store_;
  ASSERT_EQ(s.SetDword("HKCU\\Software\\Portolan", "RunIndex", 1), REG_OK);
  ASSERT_EQ(s.SetDword("hkcu\\SOFTWARE\\portolan", "RUNINDEX", 2), REG_OK);
  EXPECT_EQ(DwordOf(s, "Hkcu\\software\\PORTOLAN", "runindex"), 2u);
  EXPECT_EQ(s.EnumSubkeys("HKCU"), std::vector<std::string>{"Software"});
  EXPECT_EQ(Names(s.EnumValues("HKCU\\Software\\Portolan")), std::vector<std::string>{"RunIndex"});
  EXPECT_TRUE(s.KeyExists("HKCU\\software"));
  EXPECT_FALSE(s.KeyExists("HKCU\\softwar"));
}

TEST_P(RegistryTreeBehaviour, ValuesKeepCreationOrderAndPlaceWhenOverwritten) {
  RegistryStore& s = *store_;
  ASSERT_EQ(s.SetDword(kGeneral, "Zeta", 1), REG_OK);
  ASSERT_EQ(s.SetString(kGeneral, "Alpha", "a"), REG_OK);
  ASSERT_EQ(s.SetDword(kGeneral, "Mid", 3), REG_OK);
  ASSERT_EQ(s.SetString(kGeneral, "zeta", "now text"), REG_OK);  // type changes, place kept
  ASSERT_EQ(s.SetDword(kGeneral, "ALPHA", 7), REG_OK);
  const auto values = s.EnumValues(kGeneral);
  ASSERT_EQ(Names(values), (std::vector<std::string>{"Zeta", "Alpha", "Mid"}));
  EXPECT_EQ(values[0].type, RegType::String);
  EXPECT_EQ(values[0].text, "now text");
  EXPECT_EQ(values[1].type, RegType::Dword);
  EXPECT_EQ(values[1].dword, 7u);
  EXPECT_EQ(values[1].text, "");
}

TEST_P(RegistryTreeBehaviour, SubkeysInCreationOrder) {
  RegistryStore& s = *store_;
  for (const char* name : {"COM9", "COM1", "com10", "COM2"}) {
    ASSERT_EQ(s.CreateKey(std::string("HKCU\\P\\Ports\\") + name), REG_OK);
  }
  ASSERT_EQ(s.SetDword("HKCU\\P\\Ports\\COM1", "PortFlags", 2), REG_OK);  // no reordering
  EXPECT_EQ(s.EnumSubkeys("HKCU\\P\\Ports"),
            (std::vector<std::string>{"COM9", "COM1", "com10", "COM2"}));
  EXPECT_TRUE(s.EnumSubkeys("HKCU\\P\\Nothing").empty());
  EXPECT_TRUE(s.EnumValues("HKCU\\P\\Nothing").empty());
}

TEST_P(RegistryTreeBehaviour, CreateKeyTellsWhetherItExisted) {
  RegistryStore& s = *store_;
  bool existed = true;
  ASSERT_EQ(s.CreateKey("HKCU\\A\\B", &existed), REG_OK);
  EXPECT_FALSE(existed);
  ASSERT_EQ(s.CreateKey("hkcu\\a\\b", &existed), REG_OK);
  EXPECT_TRUE(existed);
  ASSERT_EQ(s.CreateKey("HKCU\\A", &existed), REG_OK);
  EXPECT_TRUE(existed);
  ASSERT_EQ(s.CreateKey("HKCU\\A\\C", &existed), REG_OK);
  EXPECT_FALSE(existed);
}

TEST_P(RegistryTreeBehaviour, DeleteTreeRemovesKeyAndAllBelow) {
  RegistryStore& s = *store_;
  ASSERT_EQ(s.SetDword("HKCU\\V\\Views\\G1\\Sub\\Deep", "x", 1), REG_OK);
  ASSERT_EQ(s.SetDword("HKCU\\V\\Views\\G1", "y", 1), REG_OK);
  ASSERT_EQ(s.SetDword("HKCU\\V\\Views\\G2", "z", 1), REG_OK);
  ASSERT_EQ(s.DeleteTree("hkcu\\v\\views\\g1"), REG_OK);
  EXPECT_FALSE(s.KeyExists("HKCU\\V\\Views\\G1"));
  EXPECT_FALSE(s.KeyExists("HKCU\\V\\Views\\G1\\Sub\\Deep"));
  EXPECT_FALSE(s.GetValue("HKCU\\V\\Views\\G1\\Sub\\Deep", "x").has_value());
  EXPECT_EQ(s.EnumSubkeys("HKCU\\V\\Views"), std::vector<std::string>{"G2"});
  EXPECT_EQ(s.DeleteTree("HKCU\\V\\Views\\G1"), REG_NOT_FOUND);
  // Made again, it comes after its old siblings.
  ASSERT_EQ(s.CreateKey("HKCU\\V\\Views\\G1"), REG_OK);
  EXPECT_EQ(s.EnumSubkeys("HKCU\\V\\Views"), (std::vector<std::string>{"G2", "G1"}));
  EXPECT_FALSE(s.KeyExists("HKCU\\V\\Views\\G1\\Sub"));
  ASSERT_EQ(s.DeleteTree("HKCU"), REG_OK);  // a hive goes too
  EXPECT_FALSE(s.KeyExists("HKCU"));
}

TEST_P(RegistryTreeBehaviour, DeleteValueAndNotFoundCodes) {
  RegistryStore& s = *store_;
  ASSERT_EQ(s.SetString(kGeneral, "A", "1"), REG_OK);
  ASSERT_EQ(s.SetString(kGeneral, "B", "2"), REG_OK);
  EXPECT_EQ(s.DeleteValue(kGeneral, "a"), REG_OK);
  EXPECT_EQ(Names(s.EnumValues(kGeneral)), std::vector<std::string>{"B"});
  EXPECT_EQ(s.DeleteValue(kGeneral, "A"), REG_NOT_FOUND);
  EXPECT_EQ(s.DeleteValue("HKCU\\Missing", "B"), REG_NOT_FOUND);
  EXPECT_FALSE(s.GetValue(kGeneral, "A").has_value());
  EXPECT_FALSE(s.GetValue("HKCU\\Missing", "B").has_value());
}

TEST_P(RegistryTreeBehaviour, DefaultValueHasEmptyName) {
  RegistryStore& s = *store_;
  ASSERT_EQ(s.SetString("HKCU\\K", "", "default"), REG_OK);
  const auto v = s.GetValue("hkcu\\k", "");
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->text, "default");
  EXPECT_NE(s.ExportText().find("[HKCU\\K]\n@=\"default\"\n"), std::string::npos);
}

TEST_P(RegistryTreeBehaviour, MalformedPathsRefused) {
  RegistryStore& s = *store_;
  for (const std::string& bad :
       {std::string(), std::string("\\HKCU"), std::string("HKCU\\"), std::string("HKCU\\\\A"),
        std::string("HKCU\\A\nB"), std::string("HKCU\\A\0B", 8)}) {
    EXPECT_EQ(s.CreateKey(bad), REG_INVALID) << bad;
    EXPECT_EQ(s.SetDword(bad, "x", 1), REG_INVALID) << bad;
    EXPECT_EQ(s.DeleteTree(bad), REG_INVALID) << bad;
    EXPECT_EQ(s.DeleteValue(bad, "x"), REG_INVALID) << bad;
    EXPECT_FALSE(s.KeyExists(bad));
  }
  EXPECT_EQ(s.ExportText(), "Windows Registry Editor Version 5.00\n\n");
}

TEST_P(RegistryTreeBehaviour, ExportListsParentsAndOrder) {
  RegistryStore& s = *store_;
  ASSERT_EQ(s.SetDword("HKCU\\S\\B", "b", 11), REG_OK);
  ASSERT_EQ(s.SetString("HKCU\\S", "s", "q\"uote"), REG_OK);
  ASSERT_EQ(s.CreateKey("HKCU\\S\\A"), REG_OK);
  EXPECT_EQ(s.ExportText(),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKCU]\n\n"
            "[HKCU\\S]\n\"s\"=\"q\\\"uote\"\n\n"
            "[HKCU\\S\\B]\n\"b\"=dword:0000000b\n\n"
            "[HKCU\\S\\A]\n\n");
}

INSTANTIATE_TEST_SUITE_P(MemoryAndFile, RegistryTreeBehaviour, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) {
                           return std::string(p.param ? "File" : "Memory");
                         });

TEST(RegistryStoreFile, PersistsAcrossInstancesAndFileEqualsExport) {
  RegistryTestDir dir;
  const std::string file = dir.File("sub/portolan/registry.reg");
  {
    RegistryStore s(file);
    EXPECT_EQ(s.Status(), REG_OK);
    ASSERT_EQ(s.SetDword(kGeneral, "RunIndex", 1), REG_OK);
    ASSERT_EQ(s.SetString(kGeneral, "Location", "C:\\Portolan\\\nsecond line"), REG_OK);
    ASSERT_EQ(s.SetDword("HKCU\\Z", "z", 26), REG_OK);
    // On disk before the call returned.
    EXPECT_EQ(RegistryTestDir::Read(file), s.ExportText());
  }
  RegistryStore again(file);
  EXPECT_EQ(again.Status(), REG_OK);
  EXPECT_EQ(DwordOf(again, kGeneral, "RunIndex"), 1u);
  EXPECT_EQ(again.GetValue(kGeneral, "location")->text, "C:\\Portolan\\\nsecond line");
  EXPECT_EQ(again.EnumSubkeys("HKCU"), (std::vector<std::string>{"Z"}));
  EXPECT_EQ(again.EnumSubkeys("HKEY_CURRENT_USER"), (std::vector<std::string>{"Software"}));
  EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
}

TEST(RegistryStoreFile, FileMode0600FolderMode0700) {
  RegistryTestDir dir;
  const std::string folder = dir.File("made");
  const std::string file = folder + "/registry.reg";
  const mode_t old = ::umask(0);  // the modes must not depend on the umask
  RegistryStore s(file);
  ASSERT_EQ(s.SetDword("HKCU", "a", 1), REG_OK);
  ::umask(old);
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
  ASSERT_EQ(s.SetDword("HKCU", "a", 2), REG_OK);
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST(RegistryStoreFile, MemoryStoreWritesNothing) {
  RegistryTestDir dir;
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  {
    RegistryStore s("");
    ASSERT_EQ(s.SetDword("HKCU", "a", 1), REG_OK);
    EXPECT_EQ(DwordOf(s, "HKCU", "a"), 1u);
  }
  std::filesystem::current_path(before);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(RegistryStoreFile, FileWithABadLineKeepsTheRestAndTheOriginalAside) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  const std::string damaged =
      "Windows Registry Editor Version 5.00\n\n[HKCU\\A]\n\"ok\"=dword:1\n\"bad\"=qword:1\n"
      "\"also\"=\"kept\"\n\n[HKCU\\B]\n\"b\"=dword:2\n";
  RegistryTestDir::Write(file, damaged);
  RegistryStore s(file);
  EXPECT_EQ(s.Status(), REG_CORRUPT);
  EXPECT_FALSE(s.Unreadable());
  EXPECT_NE(s.StatusText().find("1 line could not be read"), std::string::npos) << s.StatusText();
  EXPECT_NE(s.StatusText().find("line 5"), std::string::npos) << s.StatusText();
  const std::string copy = s.LastCorruptCopy();
  ASSERT_FALSE(copy.empty());
  EXPECT_EQ(copy.rfind(file + ".corrupt-", 0), 0u) << copy;
  EXPECT_NE(s.StatusText().find(copy), std::string::npos);
  EXPECT_EQ(RegistryTestDir::Read(copy), damaged);
  EXPECT_EQ(DwordOf(s, "HKCU\\A", "ok"), 1u);
  EXPECT_EQ(s.GetValue("HKCU\\A", "also")->text, "kept");
  EXPECT_EQ(DwordOf(s, "HKCU\\B", "b"), 2u);
  ASSERT_EQ(s.SetDword("HKCU\\C", "c", 3), REG_OK);
  EXPECT_EQ(RegistryTestDir::Read(copy), damaged);  // never overwritten
  EXPECT_EQ(s.Status(), REG_CORRUPT);               // still reported
  // What was kept is on disk for every other reader.
  RegistryStore fresh(file);
  EXPECT_EQ(fresh.Status(), REG_OK);
  EXPECT_EQ(DwordOf(fresh, "HKCU\\A", "ok"), 1u);
  EXPECT_EQ(DwordOf(fresh, "HKCU\\B", "b"), 2u);
  EXPECT_EQ(DwordOf(fresh, "HKCU\\C", "c"), 3u);
}

TEST(RegistryStoreFile, TextWithNothingReadableIsKeptAsideAndTheStoreStartsEmpty) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  RegistryTestDir::Write(file, "this is not a registry file\n");
  RegistryStore s(file);
  EXPECT_EQ(s.Status(), REG_CORRUPT);
  EXPECT_EQ(RegistryTestDir::Read(s.LastCorruptCopy()), "this is not a registry file\n");
  EXPECT_TRUE(s.EnumSubkeys("HKCU").empty());
  EXPECT_EQ(s.SetDword("HKCU", "a", 1), REG_OK);
}

TEST(RegistryStoreFile, SecondCorruptCopyGetsItsOwnName) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  RegistryTestDir::Write(file, "one");
  RegistryStore first(file);
  RegistryTestDir::Write(file, "two");
  RegistryStore second(file);
  ASSERT_EQ(second.Status(), REG_CORRUPT);
  EXPECT_NE(first.LastCorruptCopy(), second.LastCorruptCopy());
  EXPECT_EQ(RegistryTestDir::Read(first.LastCorruptCopy()), "one");
  EXPECT_EQ(RegistryTestDir::Read(second.LastCorruptCopy()), "two");
}

TEST(RegistryStoreFile, CorruptedWhileRunningKeepsLastGoodSettings) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  RegistryStore s(file);
  ASSERT_EQ(s.SetDword("HKCU\\A", "a", 1), REG_OK);
  RegistryTestDir::Write(file,
                         "Windows Registry Editor Version 5.00\n\n[HKCU\\A]\n\"a\"=dword:zz\n");
  EXPECT_EQ(DwordOf(s, "HKCU\\A", "a"), 1u);
  EXPECT_EQ(s.Status(), REG_CORRUPT);
  EXPECT_EQ(RegistryTestDir::Read(s.LastCorruptCopy()).substr(0, 10), "Windows Re");
  RegistryStore other(file);  // the settings are back on disk for everyone
  EXPECT_EQ(other.Status(), REG_OK);
  EXPECT_EQ(DwordOf(other, "HKCU\\A", "a"), 1u);
}

TEST(RegistryStoreFile, EmptyFileIsAnEmptyStore) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  RegistryTestDir::Write(file, "");
  RegistryStore s(file);
  EXPECT_EQ(s.Status(), REG_OK);
  EXPECT_TRUE(s.EnumSubkeys("HKCU").empty());
}

TEST(RegistryStoreFile, FifoInPlaceOfFileDoesNotHangAndIsLeftAlone) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  RegistryStore s(file);
  EXPECT_EQ(s.Status(), REG_ACCESS_DENIED);
  EXPECT_TRUE(s.Unreadable());
  EXPECT_TRUE(s.LastCorruptCopy().empty());
  EXPECT_EQ(s.SetDword("HKCU", "a", 1), REG_ACCESS_DENIED);
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// Runs check in a child process that is not root (root reads every file whatever its mode), as
// the user "nobody" when this process is root; true when check returned true.
template <typename Check>
bool InUnprivilegedChild(const std::string& folder, Check check) {
  constexpr uid_t kNobody = 65534;
  const bool root = ::geteuid() == 0;
  if (root) {
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
      if (::lchown(e.path().c_str(), kNobody, kNobody) != 0) return false;
    }
    if (::chown(folder.c_str(), kNobody, kNobody) != 0) return false;
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (root && (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                 ::setresuid(kNobody, kNobody, kNobody) != 0)) {
      ::_exit(2);
    }
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

TEST(RegistryStoreFile, UnreadableFileIsReportedAndNeitherMovedNorWrittenOver) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  const std::string settings = "Windows Registry Editor Version 5.00\n\n[HKCU]\n\"a\"=dword:1\n";
  RegistryTestDir::Write(file, settings);
  ASSERT_EQ(::chmod(file.c_str(), 0), 0);
  EXPECT_TRUE(InUnprivilegedChild(dir.path(), [&] {
    RegistryStore s(file);
    return s.Unreadable() && s.Status() == REG_ACCESS_DENIED &&
           s.StatusText().find("cannot read " + file) != std::string::npos &&
           s.LastCorruptCopy().empty() && s.SetDword("HKCU", "b", 2) == REG_ACCESS_DENIED &&
           !s.GetValue("HKCU", "a").has_value();
  }));
  ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
  EXPECT_EQ(RegistryTestDir::Read(file), settings);
  EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 2u);  // the file and the lock file
}

TEST(RegistryStoreFile, FolderThatCannotBeWrittenStillReadsAndRefusesWrites) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  RegistryTestDir::Write(file, "Windows Registry Editor Version 5.00\n\n[HKCU]\n\"a\"=dword:1\n");
  ASSERT_EQ(::chmod(dir.path().c_str(), 0500), 0);
  EXPECT_TRUE(InUnprivilegedChild(dir.path(), [&] {
    RegistryStore s(file);
    return DwordOf(s, "HKCU", "a") == 1u && s.SetDword("HKCU", "b", 2) == REG_ACCESS_DENIED &&
           s.Status() == REG_ACCESS_DENIED &&
           s.StatusText().find("settings cannot be saved") != std::string::npos;
  }));
  ::chmod(dir.path().c_str(), 0700);
}

TEST(RegistryStoreFile, FolderInPlaceOfFileIsReportedNeverRenamed) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  ASSERT_TRUE(std::filesystem::create_directory(file));
  RegistryTestDir::Write(file + "/inside", "mine");
  RegistryStore s(file);
  EXPECT_TRUE(s.Unreadable());
  EXPECT_EQ(s.Status(), REG_ACCESS_DENIED);
  EXPECT_NE(s.StatusText().find("is a folder"), std::string::npos) << s.StatusText();
  EXPECT_EQ(s.SetDword("HKCU", "a", 1), REG_ACCESS_DENIED);
  EXPECT_TRUE(std::filesystem::is_directory(file));
  EXPECT_EQ(RegistryTestDir::Read(file + "/inside"), "mine");
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 2u);  // the folder and the lock file: nothing moved aside, no temporary
}

TEST(RegistryStoreFile, FailedWriteLeavesStoreAndFileUnchanged) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  RegistryStore s(file);
  ASSERT_EQ(s.SetDword("HKCU", "a", 1), REG_OK);
  const std::string before = RegistryTestDir::Read(file);
  // A folder where the temporary file goes makes every write fail, even for root.
  ASSERT_TRUE(std::filesystem::create_directory(file + ".tmp"));
  EXPECT_EQ(s.SetDword("HKCU", "a", 2), REG_ACCESS_DENIED);
  EXPECT_EQ(s.SetDword("HKCU", "b", 3), REG_ACCESS_DENIED);
  EXPECT_EQ(s.DeleteTree("HKCU"), REG_ACCESS_DENIED);
  EXPECT_EQ(s.Status(), REG_ACCESS_DENIED);
  EXPECT_FALSE(s.StatusText().empty());
  EXPECT_EQ(DwordOf(s, "HKCU", "a"), 1u);
  EXPECT_FALSE(s.GetValue("HKCU", "b").has_value());
  EXPECT_EQ(RegistryTestDir::Read(file), before);
  std::filesystem::remove(file + ".tmp");
  EXPECT_EQ(s.SetDword("HKCU", "b", 3), REG_OK);
  EXPECT_EQ(s.Status(), REG_OK);
}

TEST(RegistryStoreFile, SeesChangesOfAnotherInstance) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  RegistryStore a(file);
  RegistryStore b(file);
  ASSERT_EQ(a.SetDword("HKCU\\A", "a", 1), REG_OK);
  EXPECT_EQ(DwordOf(b, "HKCU\\A", "a"), 1u);
  ASSERT_EQ(b.SetDword("HKCU\\B", "b", 2), REG_OK);
  ASSERT_EQ(a.SetDword("HKCU\\A", "a2", 3), REG_OK);  // must not drop b's key
  RegistryStore c(file);
  EXPECT_EQ(DwordOf(c, "HKCU\\B", "b"), 2u);
  EXPECT_EQ(DwordOf(c, "HKCU\\A", "a2"), 3u);
  ASSERT_EQ(b.DeleteTree("HKCU\\A"), REG_OK);
  EXPECT_FALSE(a.KeyExists("HKCU\\A"));
  std::filesystem::remove(file);  // settings removed from outside
  EXPECT_FALSE(a.KeyExists("HKCU\\B"));
}

TEST(RegistryStoreFile, ThreadsOnTwoInstancesKeepEveryWrite) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  RegistryStore a(file);
  RegistryStore b(file);
  constexpr int kThreads = 4;
  constexpr int kWrites = 60;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      RegistryStore& s = t % 2 ? a : b;
      for (int i = 0; i < kWrites; ++i) {
        const std::string key = "HKCU\\T" + std::to_string(t);
        EXPECT_EQ(s.SetDword(key, "v" + std::to_string(i), static_cast<uint32_t>(i)), REG_OK);
        EXPECT_EQ(DwordOf(s, key, "v" + std::to_string(i)), static_cast<uint32_t>(i));
      }
    });
  }
  for (auto& th : threads) th.join();
  RegistryStore check(file);
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(check.EnumValues("HKCU\\T" + std::to_string(t)).size(), size_t{kWrites});
  }
}

TEST(RegistryStoreFile, FolderRemovedWhileRunningIsMadeAgain) {
  RegistryTestDir dir;
  const std::string folder = dir.File("cfg");
  const std::string file = folder + "/registry.reg";
  RegistryStore a(file);
  ASSERT_EQ(a.SetDword("HKCU", "a", 1), REG_OK);
  std::filesystem::remove_all(folder);
  EXPECT_FALSE(a.GetValue("HKCU", "a").has_value());
  ASSERT_EQ(a.SetDword("HKCU", "b", 2), REG_OK);
  ASSERT_TRUE(std::filesystem::exists(file + ".lock"));
  // A newcomer locks the same lock file as the old store does.
  RegistryStore b(file);
  ASSERT_EQ(b.SetDword("HKCU", "c", 3), REG_OK);
  ASSERT_EQ(a.SetDword("HKCU", "d", 4), REG_OK);
  EXPECT_EQ(Names(b.EnumValues("HKCU")), (std::vector<std::string>{"b", "c", "d"}));
}

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    if (old != nullptr) old_ = old;
    had_ = old != nullptr;
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (had_) {
      ::setenv(name_, old_.c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST(RegistryStoreDefaultPath, FromEnvironment) {
  ScopedEnv home("HOME", "/home/ann");
  {
    ScopedEnv reg("PORTOLAN_REGISTRY", "/x/r.reg");
    ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(RegistryStore::DefaultPath(), "/x/r.reg");
  }
  {
    ScopedEnv reg("PORTOLAN_REGISTRY", "");
    ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(RegistryStore::DefaultPath(), "/cfg/portolan/registry.reg");
  }
  {
    ScopedEnv reg("PORTOLAN_REGISTRY", nullptr);
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(RegistryStore::DefaultPath(), "/home/ann/.config/portolan/registry.reg");
  }
}

}  // namespace
}  // namespace platform
