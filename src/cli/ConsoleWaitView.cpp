#include "cli/ConsoleWaitView.h"

#include <ostream>

#include "discovery/CPleaseWaitDlg.h"

namespace cli {

void ConsoleWaitView::Show(void* owner, void* centre) {
  (void)owner;
  (void)centre;
}

void ConsoleWaitView::Hide(void* owner) {
  (void)owner;
  last_.clear();
}

void ConsoleWaitView::ShowText(const std::string& text) {
  if (text == last_ || text == discovery::CPleaseWaitDlg::kDefaultText) return;
  last_ = text;
  err_ << text << "\n";
}

}  // namespace cli
