#include "app/AboutBoxTexts.h"

namespace app {

AboutBoxTexts AboutBoxTexts::From(const BrandingInfo& branding) {
  AboutBoxTexts texts;
  texts.caption = "About " + branding.programName;
  texts.programName = branding.programName;
  texts.companyName = branding.companyName;
  texts.link = branding.companyHttp;
  texts.bitmapPath = branding.companyBmp;
  return texts;
}

}  // namespace app
