// What the About box (dialog 100) shows, from the branding texts.
#pragma once

#include <string>

#include "app/BrandingInfo.h"

namespace app {

struct AboutBoxTexts {
  std::string caption;      // "About " + the program name
  std::string programName;  // 1182
  std::string companyName;  // 1181
  std::string link;         // 1105: the company's web address, shown as a link to itself
  std::string bitmapPath;   // 1183: the company's picture, read from disk

  static AboutBoxTexts From(const BrandingInfo& branding);
};

}  // namespace app
