// A temporary port folder, made the process's $PORTOLAN_PORT_DIR for the life of the object.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

namespace vport::test {

class TempPortDir {
 public:
  TempPortDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "portolan-vport-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    setenv("PORTOLAN_PORT_DIR", path_.c_str(), 1);
  }
  ~TempPortDir() {
    unsetenv("PORTOLAN_PORT_DIR");
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempPortDir(const TempPortDir&) = delete;
  TempPortDir& operator=(const TempPortDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string Entry(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace vport::test
