#include "platform/RecordingLauncher.h"

namespace platform {

bool RecordingLauncher::Record(Call call) {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back(std::move(call));
  return result_;
}

bool RecordingLauncher::OpenUrl(const std::string& url) {
  return Record(Call{"url", url, {}});
}

bool RecordingLauncher::OpenMail(const std::string& address, const std::string& subject) {
  return Record(Call{"mail", MailtoUrl(address, subject), {}});
}

bool RecordingLauncher::HandToRunningCopy(const std::vector<std::string>& args) {
  return Record(Call{"copy", "", args});
}

void RecordingLauncher::SetResult(bool result) {
  std::lock_guard<std::mutex> lock(mutex_);
  result_ = result;
}

std::vector<RecordingLauncher::Call> RecordingLauncher::Calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

}  // namespace platform
