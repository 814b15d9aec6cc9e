// The enterprise root under which a device's private MIB variables lie, chosen from the device's
// brand tag alone: the maker's own tag gives the vendor root, a tag of the brand table the OID of
// its first entry, and any other tag the vendor root too (never the root of a device seen before).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/OemBrandTable.h"

namespace devices {

struct BrandRoots {
  std::string ownTag;      // the maker's own tag (string 8000)
  std::string vendorRoot;  // VendorEnterpriseRoot (string 8002)
  std::vector<app::OemBrand> brands;

  // The maker's tag and root with the entries of a filled brand table.
  static BrandRoots From(const app::OemBrandTable& table);
};

// Tags are compared as discovery compares a device's maker text with a configured tag.
std::string SelectEnterpriseRoot(std::string_view brandTag, const BrandRoots& roots);

}  // namespace devices
