// Branding strings from "Portolan.ini" in the program's data folder (beside the program in a build
// tree, share/portolan/ once installed), read once at start.
#pragma once

#include <string>

namespace app {

struct BrandingInfo {
  std::string programName;   // "PorgramName" (spelled so in the file)
  std::string companyName;   // "CompanyName"
  std::string supportEmail;  // "SupportEmail"
  std::string companyHttp;   // "CompanyHttp"
  std::string companyAvi;    // "CompanyAvi", absolute
  std::string companyBmp;    // "CompanyBmp", absolute
  std::string companyReg;    // "CompanyReg": the registry key name

  static constexpr const char* kFileName = "Portolan.ini";
  static constexpr const char* kDefaultFolder = "branding/";

  // Reads section "General" of the branding file: dataFolder + "Portolan.ini" (a vendor's) when
  // it exists, else Portolan's own dataFolder + "branding/Portolan.ini". A missing file or key
  // gives "". Relative file names are taken from the folder of the file read.
  static BrandingInfo Read(const std::string& dataFolder);
  // The folder of the branding file Read takes.
  static std::string FileFolder(const std::string& dataFolder);

  // "PorgramName - CompanyName"; the built-in product name when both are empty.
  std::string MainWindowTitle() const;
};

BrandingInfo& TheBranding();

// The caption of the program's message boxes: the branded program name, else the built-in one.
std::string ProgramCaption();

}  // namespace app
