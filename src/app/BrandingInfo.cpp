#include "app/BrandingInfo.h"

#include <filesystem>
#include <system_error>

#include "platform/IniFile.h"
#include "res/StringTable.h"

namespace app {

namespace {

constexpr int kBrandingBufferSize = 256;

std::string MakeAbsolute(const std::string& folder, const std::string& file) {
  if (file.empty() || file[0] == '/') return file;
  return folder + file;
}

}  // namespace

std::string BrandingInfo::FileFolder(const std::string& folder) {
  std::error_code error;
  if (std::filesystem::exists(folder + kFileName, error)) return folder;
  return folder + kDefaultFolder;
}

BrandingInfo BrandingInfo::Read(const std::string& dataFolder) {
  // A vendor's file in the data folder wins; else Portolan's own, shipped in branding/.
  const std::string folder = FileFolder(dataFolder);
  platform::IniFile ini = platform::IniFile::Load(folder + kFileName);
  auto read = [&ini](const char* key) {
    return ini.GetString("General", key, "", kBrandingBufferSize);
  };
  BrandingInfo info;
  info.programName = read("PorgramName");
  info.companyName = read("CompanyName");
  info.supportEmail = read("SupportEmail");
  info.companyHttp = read("CompanyHttp");
  info.companyAvi = MakeAbsolute(folder, read("CompanyAvi"));
  info.companyBmp = MakeAbsolute(folder, read("CompanyBmp"));
  info.companyReg = read("CompanyReg");
  return info;
}

std::string BrandingInfo::MainWindowTitle() const {
  if (programName.empty() && companyName.empty()) {
    std::string product = res::LoadString(8010);
    return product.empty() ? "Portolan" : product;
  }
  return programName + " - " + companyName;
}

BrandingInfo& TheBranding() {
  static BrandingInfo branding;
  return branding;
}

std::string ProgramCaption() {
  if (!TheBranding().programName.empty()) return TheBranding().programName;
  std::string product = res::LoadString(8010);
  return product.empty() ? "Portolan" : product;
}

}  // namespace app
