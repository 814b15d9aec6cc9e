// A launcher for tests: records every request and answers with a result the test sets (false
// until told otherwise). Thread-safe.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/Launcher.h"

namespace platform {

class RecordingLauncher : public Launcher {
 public:
  struct Call {
    std::string what;               // "url", "mail" or "copy"
    std::string url;                // the address opened; for "mail" the mailto address built
    std::vector<std::string> args;  // for "copy"
  };

  bool OpenUrl(const std::string& url) override;
  bool OpenMail(const std::string& address, const std::string& subject) override;
  bool HandToRunningCopy(const std::vector<std::string>& args) override;

  void SetResult(bool result);
  std::vector<Call> Calls() const;

 private:
  bool Record(Call call);

  mutable std::mutex mutex_;
  bool result_ = false;
  std::vector<Call> calls_;
};

}  // namespace platform
