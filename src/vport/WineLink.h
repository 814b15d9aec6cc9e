// The "comN" entry in a Wine prefix's dosdevices folder that lets Windows programs under Wine open
// a virtual port. The entry is a symbolic link to the port's own link in the port folder, so it
// stays valid while the port is re-made. An entry that does not lead there was made by someone
// else (Wine's own com1 -> /dev/ttyS0, a user's link, a file): it is never replaced or removed.
#pragma once

#include <string>

#include "platform/FileOps.h"

namespace vport {

class WineLink {
 public:
  enum class Result {
    Made,      // the link exists now (made, or already ours)
    Removed,   // our link went (or there was none)
    Foreign,   // something else is under that name: left alone
    NoFolder,  // the prefix has no dosdevices folder (Wine has not run in it yet)
    Failed,    // the folder could not be written or examined (errno in Error())
  };

  // $WINEPREFIX/dosdevices, else ~/.wine/dosdevices.
  static std::string DosDevicesFromEnvironment();

  // comName "COM5" gives the entry "com5"; target: the port's link path that it leads to.
  WineLink(std::string dosDevices, const std::string& comName, std::string target,
           platform::FileOps& ops = platform::SystemFileOps());

  const std::string& Path() const { return path_; }
  const std::string& Target() const { return target_; }
  int Error() const { return error_; }

  Result Make();
  Result Remove();
  // What a Make() or Remove() result means, for the port's report ("Wine link ... made").
  std::string Describe(Result result) const;

 private:
  bool IsOurs() const;

  std::string folder_;
  std::string path_;
  std::string target_;
  int error_ = 0;
  platform::FileOps* ops_;
};

}  // namespace vport
