#include "app/IpListExport.h"

#include <cstdio>

#include "platform/FileChooser.h"
#include "res/StringTable.h"

namespace app {

bool IpListExport::Unconfigured(const std::string& ipAddr) {
  return ipAddr == "198.102.102.254" || ipAddr == "192.0.0.192" || ipAddr == "0.0.0.0";
}

std::vector<std::string> IpListExport::Addresses(const std::vector<IpListRow>& rows) {
  std::vector<std::string> lines;
  for (const IpListRow& row : rows) {
    const std::uint32_t kind = row.rowData >> 16;
    if (kind != 0 && kind != 1) continue;
    if (!lines.empty() && lines.back() == row.ipAddr) continue;
    if (Unconfigured(row.ipAddr)) continue;
    lines.push_back(row.ipAddr);
  }
  return lines;
}

IpListExport::Result IpListExport::Save(platform::FileChooser& files,
                                        const std::vector<IpListRow>& rows,
                                        const std::function<void(int code)>& reportError) {
  platform::SaveFileRequest request;
  request.title = res::LoadString(kTitleId);
  request.fileName = res::LoadString(kFileNameId);
  request.filter = "Text Files|*.txt|All Files|*.*||";
  const auto path = files.GetSaveFileName(request);
  if (!path) return Result::kCancelled;
  std::string text;
  for (const std::string& line : Addresses(rows)) text += line + "\n";
  std::FILE* file = std::fopen(path->c_str(), "w");
  bool ok = file != nullptr;
  if (ok) {
    ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fclose(file) == 0 && ok;
  }
  if (!ok) {
    // A list cut short (a full disk) is no more saved than one never begun.
    if (reportError) reportError(kErrorCannotOpen);
    return Result::kFailed;
  }
  return Result::kSaved;
}

}  // namespace app
