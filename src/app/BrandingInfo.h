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

  // Reads section "General" of folder + "Portolan.ini"; a missing file or key gives "". Relative
  // file names are taken from that folder.
  static BrandingInfo Read(const std::string& folder);

  // "PorgramName - CompanyName"; the built-in product name when both are empty.
  std::string MainWindowTitle() const;
};

BrandingInfo& TheBranding();

}  // namespace app
