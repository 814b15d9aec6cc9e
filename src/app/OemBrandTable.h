// Brand tags of the devices sold under other names, each with the SNMP enterprise OID under which
// its private variables lie.
#pragma once

#include <string>
#include <vector>

namespace app {

class Settings;

// Where the private variables of the rebadged devices lie (the built-in brands use .2.3.5 below).
inline constexpr const char* kOemEnterpriseRoot = "1.3.6.1.4.1.32473.100";

// Where the private variables of the maker's own devices lie (string 8002), and the maker's own
// brand tag (string 8000).
std::string VendorEnterpriseRoot();
std::string MakerTag();

struct OemBrand {
  std::string tag;
  std::string oid;
};

class OemBrandTable {
 public:
  static constexpr size_t kCapacity = 8;
  static constexpr size_t kTagLimit = 4;   // characters of a tag read from the settings
  static constexpr size_t kOidLimit = 49;  // characters of an OID read from the settings

  // Built-in first entry, then the values of section "OEM" in their order, then the second
  // built-in entry unless its tag is "*"; never more than kCapacity entries.
  void Fill(Settings& settings, const std::string& secondBuiltInTag = "Belmark");

  const std::vector<OemBrand>& Entries() const { return entries_; }
  size_t Count() const { return entries_.size(); }
  // The OID of the first (or last) entry whose tag equals tag exactly; nullptr when none.
  const std::string* FindFirst(const std::string& tag) const;
  const std::string* FindLast(const std::string& tag) const;

 private:
  bool Add(const std::string& tag, const std::string& oid);

  std::vector<OemBrand> entries_;
};

OemBrandTable& TheOemBrandTable();

}  // namespace app
