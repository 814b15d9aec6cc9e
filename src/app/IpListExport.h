// "Save IP list": the addresses of the listed devices, one a line, in the order the list shows
// them, written to a file the user picks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {
class FileChooser;
}

namespace app {

// One row of the device list: its row data (upper 16 bits: the kind of row, lower 16: the device)
// and the address of the device it shows.
struct IpListRow {
  std::uint32_t rowData = 0;
  std::string ipAddr;
};

class IpListExport {
 public:
  static constexpr int kErrorCannotOpen = 5024;
  static constexpr unsigned kTitleId = 6065;     // "Save Current List"
  static constexpr unsigned kFileNameId = 8015;  // the proposed file name

  enum class Result { kCancelled, kSaved, kFailed };

  // The lines to write: rows of kind 0 or 1 only; an address equal to the one written just
  // before, and the addresses of unconfigured devices, are left out.
  static std::vector<std::string> Addresses(const std::vector<IpListRow>& rows);
  static bool Unconfigured(const std::string& ipAddr);

  // Asks for the file and writes it (replacing it). A file that cannot be written, in whole, is
  // reported as 5024 through reportError.
  static Result Save(platform::FileChooser& files, const std::vector<IpListRow>& rows,
                     const std::function<void(int code)>& reportError);
};

}  // namespace app
