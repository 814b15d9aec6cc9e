// The durable write's system calls and their order: a crash at any moment must leave the old file
// or the new one, which needs the temporary file on disk before the rename, and the folder (the
// rename itself) on disk before the call returns.
#include <errno.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/DurableFile.h"
#include "platform/FakeFileOps.h"
#include "platform/RegistryTestDir.h"

namespace platform {
namespace {

// Makes the real calls and writes down each one with the path it concerns; `failing` names a call
// ("fsync <path>", "rename <path>") that fails with EIO instead. Calls that whole-file writes do
// not make go through unrecorded.
class RecordingOps : public FakeFileOps {
 public:
  int Open(const char* path, int flags, mode_t mode) override {
    const int fd = SystemFileOps().Open(path, flags, mode);
    if (fd >= 0) paths_[fd] = path;
    return Note("open " + std::string(path)) ? fd : -1;
  }
  int Fchmod(int fd, mode_t mode) override {
    return Note("fchmod " + paths_[fd]) ? SystemFileOps().Fchmod(fd, mode) : -1;
  }
  ssize_t Write(int fd, const void* data, size_t size) override {
    return Note("write " + paths_[fd]) ? SystemFileOps().Write(fd, data, size) : -1;
  }
  int Fsync(int fd) override {
    return Note("fsync " + paths_[fd]) ? SystemFileOps().Fsync(fd) : -1;
  }
  int Close(int fd) override {
    const std::string path = paths_[fd];
    paths_.erase(fd);
    const int result = SystemFileOps().Close(fd);
    return Note("close " + path) ? result : -1;
  }
  int Rename(const char* from, const char* to) override {
    return Note("rename " + std::string(from)) ? SystemFileOps().Rename(from, to) : -1;
  }
  int Unlink(const char* path) override {
    return Note("unlink " + std::string(path)) ? SystemFileOps().Unlink(path) : -1;
  }

  // Where the call was made in the list of calls (calls.size() when it was not).
  size_t IndexOf(const std::string& call) const {
    return static_cast<size_t>(std::find(calls.begin(), calls.end(), call) - calls.begin());
  }

  std::vector<std::string> calls;
  std::string failing;

 private:
  bool Note(const std::string& call) {
    calls.push_back(call);
    if (call != failing) return true;
    errno = EIO;
    return false;
  }
  std::map<int, std::string> paths_;
};

class DurableFileTest : public ::testing::Test {
 protected:
  RegistryTestDir dir;
  const std::string file = dir.File("settings.reg");
  const std::string temp = file + ".tmp";
  RecordingOps ops;
  std::string error;
};

TEST_F(DurableFileTest, TemporaryIsSyncedBeforeTheRenameAndTheFolderAfterIt) {
  ASSERT_TRUE(DurableFile::WriteAtomically(file, "new", &error, ops)) << error;
  EXPECT_EQ(RegistryTestDir::Read(file), "new");
  const size_t write = ops.IndexOf("write " + temp);
  const size_t syncTemp = ops.IndexOf("fsync " + temp);
  const size_t close = ops.IndexOf("close " + temp);
  const size_t rename = ops.IndexOf("rename " + temp);
  const size_t syncFolder = ops.IndexOf("fsync " + dir.path());
  ASSERT_LT(syncFolder, ops.calls.size()) << "the folder is never synced";
  EXPECT_LT(write, syncTemp);
  EXPECT_LT(syncTemp, close);
  EXPECT_LT(close, rename);
  EXPECT_LT(rename, syncFolder);
  EXPECT_EQ(ops.IndexOf("unlink " + temp), ops.calls.size());
}

TEST_F(DurableFileTest, FailedSyncOfTheTemporaryLeavesTheOldFileAndNoTemporary) {
  RegistryTestDir::Write(file, "old");
  ops.failing = "fsync " + temp;
  EXPECT_FALSE(DurableFile::WriteAtomically(file, "new", &error, ops));
  EXPECT_NE(error.find("cannot write " + temp), std::string::npos) << error;
  EXPECT_EQ(ops.IndexOf("rename " + temp), ops.calls.size());
  EXPECT_EQ(RegistryTestDir::Read(file), "old");
  EXPECT_NE(::access(temp.c_str(), F_OK), 0);
}

TEST_F(DurableFileTest, FailedRenameRemovesTheTemporary) {
  RegistryTestDir::Write(file, "old");
  ops.failing = "rename " + temp;
  EXPECT_FALSE(DurableFile::WriteAtomically(file, "new", &error, ops));
  EXPECT_NE(error.find("cannot rename"), std::string::npos) << error;
  EXPECT_EQ(RegistryTestDir::Read(file), "old");
  EXPECT_NE(::access(temp.c_str(), F_OK), 0);
}

TEST_F(DurableFileTest, FailedSyncOfTheFolderIsReported) {
  ops.failing = "fsync " + dir.path();
  EXPECT_FALSE(DurableFile::WriteAtomically(file, "new", &error, ops));
  EXPECT_NE(error.find("cannot sync folder"), std::string::npos) << error;
}

}  // namespace
}  // namespace platform
