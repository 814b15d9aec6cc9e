#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "../app/TempDir.h"
#include "ProcessRunner.h"

namespace {

const std::string kCtl = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";

class PortolanctlSettings : public ::testing::Test {
 protected:
  ProcessResult Ctl(const std::vector<std::string>& args) {
    return RunProcess(kCtl, args, {{"PORTOLAN_REGISTRY", dir.Folder() + "registry.reg"}});
  }
  // portolanctl as a user that file modes hold back: "nobody" when the tests run as root (who
  // reads and writes any file), else this user. The folder is handed to that user first.
  ProcessResult CtlUnprivileged(const std::vector<std::string>& args) {
    const std::map<std::string, std::string> env = {
        {"PORTOLAN_REGISTRY", dir.Folder() + "registry.reg"}};
    if (::geteuid() != 0) return RunProcess(kCtl, args, env);
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.Path())) {
      if (::lchown(e.path().c_str(), 65534, 65534) != 0) return {};
    }
    if (::chown(dir.Path().c_str(), 65534, 65534) != 0) return {};
    std::vector<std::string> all = {"--reuid=65534", "--regid=65534", "--clear-groups", kCtl};
    all.insert(all.end(), args.begin(), args.end());
    return RunProcess("/usr/bin/setpriv", all, env);
  }
  size_t EntriesInFolder() const {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++n;
    return n;
  }
  TempDir dir;
};

const std::string kRoot = "[HKEY_CURRENT_USER\\Software\\Portolan\\Portolan";

TEST_F(PortolanctlSettings, HelpAndVersion) {
  auto help = Ctl({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("settings get SECTION ENTRY"), std::string::npos);
  auto version = Ctl({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("portolanctl ", 0), 0u);
  auto none = Ctl({});
  EXPECT_EQ(none.exitCode, 2);
  auto unknown = Ctl({"frobnicate"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("unknown command"), std::string::npos);
}

TEST_F(PortolanctlSettings, SetGetAndExportRoundTrip) {
  ASSERT_EQ(Ctl({"settings", "set", "General", "Location", "/opt/portolan/"}).exitCode, 0);
  ASSERT_EQ(Ctl({"settings", "set", "General\\Icons", "Warning", "0x23E1", "--dword"}).exitCode, 0);
  ASSERT_EQ(Ctl({"settings", "set", "Timeouts", "GetTimeout", "-1", "--dword"}).exitCode, 0);

  auto location = Ctl({"settings", "get", "general", "LOCATION"});
  EXPECT_EQ(location.exitCode, 0);
  EXPECT_EQ(location.out, "/opt/portolan/\n");
  EXPECT_EQ(Ctl({"settings", "get", "General\\Icons", "Warning"}).out, "9185\n");
  EXPECT_EQ(Ctl({"settings", "get", "Timeouts", "GetTimeout"}).out, "4294967295\n");

  auto text = Ctl({"settings", "export"}).out;
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00", 0), 0u);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\General]"),
            std::string::npos);
  EXPECT_NE(text.find("\"Location\"=\"/opt/portolan/\""), std::string::npos);
  EXPECT_NE(text.find("\"Warning\"=dword:000023e1"), std::string::npos);

  struct stat info {};
  ASSERT_EQ(::stat((dir.Folder() + "registry.reg").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(PortolanctlSettings, ErrorsAreClear) {
  auto absent = Ctl({"settings", "get", "General", "Nothing"});
  EXPECT_EQ(absent.exitCode, 1);
  EXPECT_NE(absent.err.find("no value"), std::string::npos);
  EXPECT_EQ(Ctl({"settings", "set", "General", "X", "12abc", "--dword"}).exitCode, 2);
  EXPECT_EQ(Ctl({"settings", "set", "General", "X", "4294967296", "--dword"}).exitCode, 2);
  EXPECT_EQ(Ctl({"settings", "set", "General", "X"}).exitCode, 2);
  EXPECT_EQ(Ctl({"settings", "get", "General"}).exitCode, 2);
  EXPECT_EQ(Ctl({"settings", "drop"}).exitCode, 2);
}

TEST_F(PortolanctlSettings, FileWithABadLineKeepsPortsViewsAndAccessEntries) {
  const std::string damaged = "Windows Registry Editor Version 5.00\n\n" + kRoot +
                              "\\Ports\\COM5]\n"
                              "\"DevHwAddr\"=\"0080D4000001\"\n\"DevIpAddr\"=\"127.0.0.10\"\n"
                              "\"DevTcpPrt\"=\"9100\"\n\"ComPrtNum\"=dword:00000005\n"
                              "\"DevPrtNum\"=dword:00000000\n\"PortFlags\"=dword:00000002\n\n" +
                              kRoot +
                              "\\Views\\Lab]\n\"Columns\"=\"IP Address\"\n"
                              "\"Sort\"=qword:1\n\n" +  // the one bad line
                              kRoot +
                              "\\Access\\IP]\n\"10.0.0.*\"=\"private\"\n";
  dir.Write("registry.reg", damaged);
  auto list = Ctl({"ports", "list"});
  EXPECT_EQ(list.exitCode, 0) << list.err;
  EXPECT_NE(list.out.find("COM5  127.0.0.10:9100"), std::string::npos) << list.out;
  EXPECT_NE(list.err.find("1 line could not be read and was skipped"), std::string::npos)
      << list.err;
  std::string copy;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    const std::string name = entry.path().filename().string();
    if (name.find("registry.reg.corrupt-") == 0) copy = entry.path().string();
  }
  ASSERT_FALSE(copy.empty());
  EXPECT_NE(list.err.find(copy), std::string::npos) << list.err;
  std::ifstream in(copy, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), damaged);

  EXPECT_EQ(Ctl({"settings", "get", "Views\\Lab", "Columns"}).out, "IP Address\n");
  EXPECT_EQ(Ctl({"settings", "get", "Access\\IP", "10.0.0.*"}).out, "private\n");
  auto later = Ctl({"ports", "list"});  // what was kept is the file now: nothing more to say
  EXPECT_EQ(later.err, "");
  EXPECT_EQ(later.out, list.out);
}

TEST_F(PortolanctlSettings, UnreadableFileIsReportedWithExit3AndLeftAsItIs) {
  const std::string settings = "Windows Registry Editor Version 5.00\n\n" + kRoot + "]\n";
  dir.Write("registry.reg", settings);
  ASSERT_EQ(::chmod((dir.Folder() + "registry.reg").c_str(), 0), 0);
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"ports", "list"}, {"settings", "set", "General", "X", "1"}}) {
    auto result = CtlUnprivileged(args);
    EXPECT_EQ(result.exitCode, 3) << args[0];
    EXPECT_NE(result.err.find("cannot read " + dir.Folder() + "registry.reg"), std::string::npos)
        << result.err;
  }
  ASSERT_EQ(::chmod((dir.Folder() + "registry.reg").c_str(), 0600), 0);
  std::ifstream in(dir.Folder() + "registry.reg", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), settings);
  EXPECT_EQ(EntriesInFolder(), 2u);  // the file and its lock file
}

TEST_F(PortolanctlSettings, FolderAtTheSettingsPathIsReportedNeverRenamed) {
  std::filesystem::create_directory(dir.Path() / "registry.reg");
  auto result = Ctl({"settings", "set", "General", "X", "1"});
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_NE(result.err.find("is a folder"), std::string::npos) << result.err;
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "registry.reg"));
  EXPECT_EQ(EntriesInFolder(), 2u);  // the folder and the lock file
}

TEST_F(PortolanctlSettings, FolderThatCannotBeWrittenFailsWritesClearly) {
  ASSERT_EQ(Ctl({"settings", "set", "General", "X", "1"}).exitCode, 0);
  std::filesystem::remove(dir.Path() / "registry.reg.lock");
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0500), 0);
  auto get = CtlUnprivileged({"settings", "get", "General", "X"});
  EXPECT_EQ(get.exitCode, 0) << get.err;
  EXPECT_EQ(get.out, "1\n");
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"settings", "set", "General", "X", "2"},
                                             {"ports", "add", "COM5", "127.0.0.1", "0"},
                                             {"ports", "delete", "COM6"}}) {
    auto result = CtlUnprivileged(args);
    EXPECT_NE(result.exitCode, 0) << args[0] << " " << args[1];
    EXPECT_NE(result.err.find("settings cannot be saved"), std::string::npos) << result.err;
  }
  ::chmod(dir.Path().c_str(), 0700);
  EXPECT_EQ(Ctl({"settings", "get", "General", "X"}).out, "1\n");
}

}  // namespace
