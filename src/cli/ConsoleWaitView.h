// The please-wait window of portolanctl: each new progress text becomes a line on standard error.
#pragma once

#include <iosfwd>
#include <string>

#include "discovery/PleaseWaitView.h"

namespace cli {

class ConsoleWaitView : public discovery::PleaseWaitView {
 public:
  explicit ConsoleWaitView(std::ostream& err) : err_(err) {}

  void Show(void* owner, void* centre) override;
  void Hide(void* owner) override;
  void ShowText(const std::string& text) override;
  void ShowPercent(int percent) override { (void)percent; }

 private:
  std::ostream& err_;
  std::string last_;
};

}  // namespace cli
