// portolanctl ports list|add|delete: the virtual ports stored under "Ports", which every start
// (of the desktop program or of portolanctl run) re-creates.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "cli/ArgList.h"

namespace cli {

class CtlContext;

class PortsCommand {
 public:
  static const char* Usage();
  // Exit codes: 0 done, 1 no such stored port (delete), 2 usage error, 3 refused or the store
  // failed.
  static int Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err);

  // "COM5" (any case) -> 5; nullopt unless 1..255 with nothing else.
  static std::optional<int> ParseComName(const std::string& text);
  // A device port index: 0 (the device's "Port # 1") to 5, the ports a device server has.
  static std::optional<int32_t> ParseDevPort(const std::string& text);
  // What a user is told when a device port index is refused.
  static std::string DevPortRefusal(const std::string& text);
  // " rfc2217 strict-baud": the words of the flags that are set, each after a space.
  static std::string FlagWords(uint32_t flags);
  // "device port 0 (Port # 1)": the index the commands take and the number discovery shows.
  static std::string DevPortText(int32_t devPort);
  // A hardware address of 12 hexadecimal digits, optionally in pairs or groups of four joined by
  // ':', '-' or '.', in the one form it is stored in (12 upper-case digits); nullopt otherwise.
  static std::optional<std::string> ParseHwAddress(const std::string& text);
  // The stored port (other than COM<except>) bound to the same device port, e.g. "COM4"; "" when
  // none.
  static std::string PortBoundTo(CtlContext& context, const std::string& ip, int32_t devPort,
                                 int except);
  // The stored binding of COM<n> as "IP:TCP, device port ..."; "" when none is stored.
  static std::string StoredBinding(CtlContext& context, int comNumber);
  // 9100 + devPort for raw TCP, 9200 + devPort with RFC 2217, as decimal text.
  static std::string TcpPortFor(int32_t devPort, bool rfc2217);
  // Whether the system lists COM<n> as one of its own serial ports.
  static bool IsSystemPort(int comNumber);
  // Why text is no line setting ("7E1"), naming the accepted forms.
  static std::string BadLineText(const std::string& text);
  // Fixed line settings reach only an RFC 2217 server.
  static const char* LineNeedsRfc2217();

 private:
  static int List(CtlContext& context, std::ostream& out);
  static int Add(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err);
  static int Delete(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err);
};

}  // namespace cli
