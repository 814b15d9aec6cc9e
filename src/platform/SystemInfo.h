// Facts about the machine and the running program that start-up, the legacy import and the
// network environment need: folders, the operating-system description, host name and address.
#pragma once

#include <string>
#include <string_view>

namespace platform {

class SystemInfo {
 public:
  // The folder of the running executable with a trailing "/" (from /proc/self/exe); "./" when the
  // link cannot be read.
  static std::string ProgramFolder();
  // The folder of the program's read-only files (help pages, branding), with a trailing "/": the
  // installed data folder (share/portolan/ beside the program's bin/), found relative to the
  // program's folder so that an installed tree can move, else the program's folder itself (a build
  // tree, or a copy kept all in one folder).
  static std::string DataFolderOf(const std::string& programFolder);
  static std::string DataFolder() { return DataFolderOf(ProgramFolder()); }
  // The user's home folder: $HOME, else the password database; "/" when neither knows it.
  static std::string HomeFolder();
  // Where the files of the older utility are looked for: $WINDIR when set and not empty, else
  // ~/.wine/drive_c/windows (the Windows folder of the default Wine prefix). No trailing "/".
  static std::string WindowsDirectory();

  // One line describing the system, e.g. "Debian GNU/Linux 12 (bookworm), Linux 6.1.0 x86_64":
  // the distribution's PRETTY_NAME from /etc/os-release (else /usr/lib/os-release; NAME when it
  // has no PRETTY_NAME), then the kernel name, release and machine from uname. The distribution
  // comes first because that is what a user recognises, the kernel after it because that is what
  // decides what the machine's drivers and sockets can do.
  static std::string OsDescription();
  // The same, built from given os-release text and uname fields (either part may be empty).
  static std::string BuildOsDescription(std::string_view osReleaseText, std::string_view sysname,
                                        std::string_view release, std::string_view machine);
  // The value of key in os-release text (shell-style assignments, quotes and escapes removed),
  // or empty when absent.
  static std::string OsReleaseValue(std::string_view osReleaseText, std::string_view key);

  // Whether the kernel makes a socket of this family, type and protocol (one is made and closed).
  static bool CanMakeSocket(int family, int type, int protocol);

  // The host name; empty on failure.
  static std::string HostName();
  // The first IPv4 address of the host name, dotted; empty on failure.
  static std::string HostAddress();
  // The first IPv4 address that name resolves to, dotted; empty when it does not resolve.
  static std::string HostAddressOf(const std::string& name);
};

}  // namespace platform
