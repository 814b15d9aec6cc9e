// Messages a discovery engine posts to the main window. A record carried in wParam belongs to the
// receiver from the moment it is posted: it adds the record to the engine or deletes it.
#pragma once

#include <cstdint>

namespace discovery {

constexpr uint32_t WM_DEVICE_FOUND = 0x800F;    // wParam: CDeviceRecord* heard in a broadcast
constexpr uint32_t WM_SEARCH_STATUS = 0x8010;   // wParam: string id (0: text in lParam)
constexpr uint32_t WM_SEARCH_STARTED = 0x8011;  // sent by the view before a search starts
// The search thread has ended. wParam: the search's id; lParam: kSearchStoppedAtBound when it
// stopped at the device bound, else 0.
constexpr uint32_t WM_SEARCH_DONE = 0x8012;
constexpr intptr_t kSearchStoppedAtBound = 1;
constexpr uint32_t WM_DEVICE_QUERIED = 0x8016;  // wParam: CDeviceRecord* of a single query

// Progress texts and messages of a search (string table ids).
enum SearchText : unsigned {
  kTextSearchingLocal = 6101,       // "Searching the local network..."
  kTextSearchingSpecific = 6102,    // "Searching specific servers..."
  kMsgDeviceBound = 6104,           // "The search stopped at 4096 devices; ..."
  kTextSettingIpAddress = 6135,     // "Setting IP address"
  kMsgBadHwAddress = 5000,          // "The hardware address is invalid."
  kMsgBadIpAddress = 5003,          // "The IP address is invalid."
  kMsgSetAddressSendFailed = 5004,  // "Error sending the initialization request."
  kMsgDiscoverySendFailed = 5005,   // "Error sending the discovery request."
  kStringMulticastAddress = 8017,   // "224.0.1.55"
  kStringMulticastAddress2 = 8020,  // "224.0.1.55"
};

}  // namespace discovery
