#include "devices/EnterpriseRoot.h"

#include "discovery/MakerTag.h"

namespace devices {

BrandRoots BrandRoots::From(const app::OemBrandTable& table) {
  return BrandRoots{app::MakerTag(), app::VendorEnterpriseRoot(), table.Entries()};
}

std::string SelectEnterpriseRoot(std::string_view brandTag, const BrandRoots& roots) {
  if (discovery::MakerTagMatches(brandTag, roots.ownTag)) return roots.vendorRoot;
  for (const app::OemBrand& brand : roots.brands) {
    if (discovery::MakerTagMatches(brandTag, brand.tag)) return brand.oid;
  }
  return roots.vendorRoot;
}

}  // namespace devices
