// A temporary folder for registry-store tests, removed with everything in it at the end.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace platform {

class RegistryTestDir {
 public:
  RegistryTestDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "portolan-reg-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~RegistryTestDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  RegistryTestDir(const RegistryTestDir&) = delete;
  RegistryTestDir& operator=(const RegistryTestDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

  static std::string Read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  static void Write(const std::string& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
  }

 private:
  std::string path_;
};

}  // namespace platform
