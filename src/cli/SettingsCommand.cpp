#include "cli/SettingsCommand.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ostream>

#include "cli/CtlContext.h"

namespace cli {

namespace {

constexpr int kExitAbsent = 1;
constexpr int kExitUsage = 2;
constexpr int kExitStoreFailed = 3;

// A DWORD given as decimal (negative numbers wrap as the stored 32 bits do) or 0x hexadecimal.
bool ParseDword(const std::string& text, uint32_t& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  if (text[0] == '-') {
    long long number = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || number < INT32_MIN) return false;
    value = static_cast<uint32_t>(static_cast<int32_t>(number));
    return true;
  }
  unsigned long long number = std::strtoull(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || number > UINT32_MAX) return false;
  value = static_cast<uint32_t>(number);
  return true;
}

}  // namespace

const char* SettingsCommand::Usage() {
  return "  settings get SECTION ENTRY            print a stored value (DWORDs in decimal)\n"
         "  settings set SECTION ENTRY VALUE [--dword]\n"
         "                                        store a string, or a DWORD with --dword\n"
         "  settings export                       print the whole store as registry-export text\n"
         "    SECTION is a key path below the program's root, e.g. General or General\\Icons\n";
}

int SettingsCommand::Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  if (args.Rest().empty()) {
    err << "portolanctl settings: say get, set or export\n" << Usage();
    return kExitUsage;
  }
  std::string verb = args.Rest().front();
  if (verb == "get") return Get(args, context, out, err);
  if (verb == "set") return Set(args, context, out, err);
  if (verb == "export") return Export(context, out);
  err << "portolanctl settings: unknown command \"" << verb << "\"\n" << Usage();
  return kExitUsage;
}

int SettingsCommand::Get(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  const auto& rest = args.Rest();
  if (rest.size() != 3) {
    err << "usage: portolanctl settings get SECTION ENTRY\n";
    return kExitUsage;
  }
  auto value = context.Store().GetValue(context.Settings().SectionPath(rest[1]), rest[2]);
  if (!value) {
    err << "portolanctl: no value \"" << rest[2] << "\" in section \"" << rest[1] << "\"\n";
    return kExitAbsent;
  }
  if (value->type == platform::RegType::Dword) {
    out << value->dword << "\n";
  } else {
    out << value->text << "\n";
  }
  return 0;
}

int SettingsCommand::Set(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  bool dword = args.TakeFlag("dword");
  const auto& rest = args.Rest();
  if (rest.size() != 4) {
    err << "usage: portolanctl settings set SECTION ENTRY VALUE [--dword]\n";
    return kExitUsage;
  }
  bool written = false;
  if (dword) {
    uint32_t number = 0;
    if (!ParseDword(rest[3], number)) {
      err << "portolanctl: \"" << rest[3] << "\" is not a 32-bit number\n";
      return kExitUsage;
    }
    written = context.Settings().WriteInt(rest[1], rest[2], static_cast<int>(number));
  } else {
    written = context.Settings().WriteString(rest[1], rest[2], rest[3]);
  }
  if (!written) {
    err << "portolanctl: cannot write the settings store " << context.Store().FilePath() << ": "
        << context.StoreProblem() << "\n";
    return kExitStoreFailed;
  }
  (void)out;
  return 0;
}

int SettingsCommand::Export(CtlContext& context, std::ostream& out) {
  out << context.Store().ExportText();
  return 0;
}

}  // namespace cli
