// The compiled-in string table. Ids and texts are fixed: callers look texts up by number, error
// reports show the number in their tags, and some texts are file names or addresses.
//
// Where the ranges belong:
//   3700          views: the customize-view sheet caption
//   4216-4292     device records: port status texts; device maintenance: restore list label (4278)
//   5000-5048     discovery and sockets, SNMP start-up, application shell messages (5040 start-up
//                 check, 5043/5047/5048 protocol checks), device configuration (5027-5030)
//   5500-5517     views: view store, view tree and customize-view messages
//   6000-6006     views: registry names of the view tree and the move/delete questions
//   6010-6039     device list column titles (61211 is the firmware column)
//   6065-6083     application shell: list export, status panes, legacy import, options, access list
//   6100-6120     progress texts and the operating-system description
//   6135-6171     progress, device condition names, protocol names, status levels, yes/no
//   8000-8020     product constants: maker tag, enterprise root, product name, error log name,
//                 address-list file name, multicast group
//   9008-9048     device maintenance (reset and restore) and the firmware-format warning
//   32772-32804   command prompts (status-bar text, then "\n" and the tool tip)
//   59138, 59140  status-bar pane texts
//   61211-61217   firmware column title; port log saving
//
// The entries must stay sorted by id: FindString searches them by halving.
#include "res/StringTable.h"

#include <algorithm>
#include <iterator>

namespace res {

namespace {

struct StringEntry {
  unsigned id;
  const char* text;
};

// clang-format off
constexpr StringEntry kStrings[] = {
    {3700, "Modify View"},
    {4216, "Off-line"},
    {4217, "On-line"},
    {4219, "No Printer Attached"},
    {4220, "Printer Error"},
    {4278, "Output Ports"},
    {4289, "Toner Low"},
    {4290, "Paper Out"},
    {4291, "Paper Jam"},
    {4292, "Door Open"},
    {5000, "The hardware address is invalid."},
    {5003, "The IP address is invalid."},
    {5004, "Error sending the initialization request."},
    {5005, "Error sending the discovery request."},
    {5006, "Winsock cannot be initialized."},
    {5007, "Winsock doesn't support the minimum number of sockets."},
    {5010, "This winsock version is not supported."},
    {5012, "Error sending data."},
    {5013, "Cannot create a socket."},
    {5014, "Cannot bind the socket."},
    {5015, "Cannot set the socket for broadcasts."},
    {5016, "Cannot set the socket for asynchronous select."},
    {5018, "Cannot communicate with the server."},
    {5021, "Cannot initialize WinSNMP."},
    {5022, "This verison of WinSNMP is not supported."},
    {5023, "Cannot set the WinSNMP translate mode."},
    {5024, "Cannot open the requested file."},
    {5027, "The server must be configured first."},
    {5028, "The server cannot be found."},
    {5029, "The SET community name (password) is invalid, select 'Ignore' for read-only access or enter a new value below:"},
    {5030, "The GET community name (password) is invalid, enter a new value below:"},
    {5031, "Unable to launch browser."},
    {5036, "The selected view is currently open and cannot be deleted. First open a different view, then delete the view."},
    {5037, "At least one view is required. Create a new view before deleting this one."},
    {5040, "This application requires version 4.72 or greater for the Windows Common Control DLLs.\n\nThe DLLs can be installed by upgrading to Microsoft Internet Explorer version 4.01 or greater. "},
    {5043, "TCP/IP protocol not available. Cannot make HTTP connection."},
    {5047, "The %s protocol could not be initialized."},
    {5048, "The Search tool is not supported for the protocol of the current view."},
    {5500, "There is no view selected."},
    {5501, "That view cannot be deleted."},
    {5502, "There is no column selected."},
    {5503, "You must have at least one column."},
    {5504, "There is no address selected."},
    {5505, "A view or group with that name already exists."},
    {5506, "Cannot set a timer.  Automatic refreshing will not happen."},
    {5507, "The view must have a name."},
    {5508, "The protocol associated with this view is not currently available."},
    {5509, "A view or group name may not contain \"\\\"."},
    {5511, "This utility requires that a view be created before it can begin.  Would you like to create a view now?"},
    {5512, "No devices specified.  Add a specific port, device or network to the search list."},
    {5513, "No Search Filters were specified."},
    {5514, "Delete sub-views before deleting group."},
    {5516, "Value list empty. To populate the list with current values, save settings, refresh the view, and modify the view filter settings again."},
    {5517, "\nThe Display Filter restricts entries in the device list to those meeting the specified criteria."},
    {6000, "Views"},
    {6001, "Type"},
    {6002, "Icons"},
    {6003, "Move the %s \"%s\" to the group \"%s\"?"},
    {6004, "view"},
    {6005, "group"},
    {6006, "Delete the %s \"%s\"?"},
    {6010, "System Name"},
    {6011, "IP Address"},
    {6012, "H/W Address"},
    {6013, "Serial #"},
    {6014, "Subnet Mask"},
    {6015, "Default Gateway"},
    {6016, "Product Type"},
    {6017, "Product #"},
    {6018, "Datecode"},
    {6019, "Status"},
    {6020, "Port Name"},
    {6021, "Port Status"},
    {6022, "Printer ID"},
    {6023, "Virtual Port"},
    {6025, "Network #"},
    {6026, "File Server or Tree"},
    {6027, "Mode"},
    {6028, "Serial Port"},
    {6029, "NW Name"},
    {6030, "Port #"},
    {6031, "SSID"},
    {6033, "Wireless Mode"},
    {6034, "Current SSID"},
    {6035, "Security"},
    {6036, "Signal Percentage"},
    {6037, "Signal Description"},
    {6038, "Data Rate"},
    {6039, "Location"},
    {6065, "Save Current List"},
    {6066, "TCP/IP"},
    {6067, "NetWare"},
    {6068, "Serial"},
    {6069, "IPX"},
    {6070, "Count: %i"},
    {6071, "<<Create New View>>"},
    {6072, "Protocol: "},
    {6073, "View: "},
    {6074, "www"},
    {6078, "Cancelling current search..."},
    {6079, "Options"},
    {6080, "Would you like to import views and settings from %s (16-bit utility file)? "},
    {6081, "Enter a serial number or enter a network number followed by a dash '-': (* = wildcard to match multiple devices)"},
    {6082, "Enter an IP address/subnet: \n(* = wildcard for subnets)"},
    {6083, "There are no printer columns included in the current view. Would you like to modify the columns?"},
    {6100, "Rebuilding configuration"},
    {6101, "Searching the local network..."},
    {6102, "Searching specific servers..."},
    {6103, "Reading Status Information"},
    {6104, "The search stopped at 4096 devices; the devices found are listed."},
    {6107, "Reading server information..."},
    {6108, "Updating server information..."},
    {6112, "Resetting Server"},
    {6113, "Windows NT 4"},
    {6114, "Windows NT 2000"},
    {6115, "Workstation"},
    {6116, "Server"},
    {6117, "Win32s"},
    {6118, "Windows 95"},
    {6119, "Windows 98"},
    {6120, "version %d.%d %s (Build %d)"},
    {6135, "Setting IP address"},
    {6140, "Printer Off-line"},
    {6141, "No Printer Attached"},
    {6142, "Toner Low"},
    {6143, "Paper Out"},
    {6144, "Paper Jam"},
    {6145, "Printer Open"},
    {6146, "Printer Error"},
    {6147, "TCP/IP Error"},
    {6148, "NetWare Error"},
    {6149, "No Response"},
    {6160, "TCP/IP"},
    {6161, "NetWare"},
    {6162, "Serial Port"},
    {6163, "IPX Broadcast"},
    {6164, "Unknown"},
    {6165, "Error"},
    {6166, "Good"},
    {6167, "Warning"},
    {6168, "F/W Update"},
    {6170, "Yes"},
    {6171, "No"},
    {8000, "Vantor"},
    {8002, "1.3.6.1.4.1.32473"},  // our own enterprise root: the documentation enterprise number
    {8010, "Portolan"},
    {8011, "KESTRELLOG.TXT"},
    {8015, "belmark_addr.txt"},
    {8017, "224.0.1.55"},
    {8020, "224.0.1.55"},
    {9008, "Reset the Server?"},
    {9009, "Restore the selected items to defaults?"},
    {9010, "You must select at least one item to restore."},
    {9042, "This utility needs updating, it does not support the newest firmware."},
    {9047, "Error occurred while resetting device."},
    {9048, "Error occurred while restoring device."},
    {32772, "Create or delete a virtual port\nVirtual Port"},
    {32774, "View virtual port status information\nVirtual Port Status"},
    {32776, "View/Modify utility settings"},
    {32804, "Delete a virtual COM port by number\nDelete Port by Number"},
    {59138, "Protocol:  Unknown"},
    {59140, "FILT"},
    {61211, "Firmware Version"},
    {61215, "Save COM Port Log"},
    {61216, "The file \"%s\" already exists.  Overwrite file?"},
    {61217, "Unable to open the requested file."},
};
// clang-format on

constexpr bool SortedAndUnique() {
  for (size_t i = 1; i < std::size(kStrings); ++i) {
    if (kStrings[i - 1].id >= kStrings[i].id) return false;
  }
  return true;
}
static_assert(SortedAndUnique(), "string table entries must be sorted by id without duplicates");

}  // namespace

const char* FindString(unsigned id) {
  const auto* end = std::end(kStrings);
  const auto* it = std::lower_bound(std::begin(kStrings), end, id,
                                    [](const StringEntry& e, unsigned key) { return e.id < key; });
  return (it != end && it->id == id) ? it->text : nullptr;
}

std::string LoadString(unsigned id) {
  const char* text = FindString(id);
  return text ? std::string(text) : std::string();
}

std::vector<unsigned> AllStringIds() {
  std::vector<unsigned> ids;
  ids.reserve(std::size(kStrings));
  for (const StringEntry& e : kStrings) ids.push_back(e.id);
  return ids;
}

}  // namespace res
