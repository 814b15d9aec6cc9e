// What a search reads of its view: whether to broadcast on the local network, whether to walk the
// search list, the list itself, and whether devices need the SNMP extended query. A copy travels
// with the search thread, so the view may change while it runs.
#pragma once

#include <string>
#include <vector>

namespace discovery {

struct SearchPlan {
  bool searchLocal = true;
  bool searchList = false;
  std::vector<std::string> entries;  // search entry texts (see SearchEntry)
  bool extendedQuery = false;
};

}  // namespace discovery
