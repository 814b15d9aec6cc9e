#include "cli/CtlSearchSession.h"

#include <ostream>

#include "discovery/CPleaseWaitDlg.h"
#include "discovery/DiscoveryMessages.h"
#include "res/StringTable.h"

namespace cli {

CtlSearchSession::CtlSearchSession(const discovery::EngineOptions& options)
    : engine_(std::make_unique<discovery::CIpDiscoveryEngine>(&loop_, options)) {}

CtlSearchSession::~CtlSearchSession() {
  engine_->Stop();
  // Records still queued belong to this side: take them so none is lost.
  loop_.SetHandler([](const platform::Message& m) {
    if (m.id == discovery::WM_DEVICE_FOUND || m.id == discovery::WM_DEVICE_QUERIED) {
      delete reinterpret_cast<discovery::CDeviceRecord*>(m.wParam);
    } else if (m.id == discovery::WM_SEARCH_STATUS && m.wParam == 0) {
      discovery::CPleaseWaitDlg::TakePostedText(m.lParam);
    }
  });
  loop_.PumpPending();
}

void CtlSearchSession::Run(const discovery::SearchPlan& plan, std::ostream& err) {
  loop_.SetHandler([this, &err](const platform::Message& m) { Handle(m, err); });
  searching_ = true;
  engine_->StartSearch(plan);
  loop_.Run();
  engine_->Stop();
}

void CtlSearchSession::Handle(const platform::Message& message, std::ostream& err) {
  switch (message.id) {
    case discovery::WM_DEVICE_FOUND:
    case discovery::WM_DEVICE_QUERIED: {
      auto* record = reinterpret_cast<discovery::CDeviceRecord*>(message.wParam);
      if (searching_ || message.id == discovery::WM_DEVICE_QUERIED) {
        engine_->AddDevice(record);
      } else {
        delete record;
      }
      break;
    }
    case discovery::WM_SEARCH_STATUS: {
      const std::string text = message.wParam != 0
                                   ? res::LoadString(static_cast<unsigned>(message.wParam))
                                   : discovery::CPleaseWaitDlg::TakePostedText(message.lParam);
      if (!text.empty()) err << text << "\n" << std::flush;
      break;
    }
    case discovery::WM_SEARCH_DONE:
      searching_ = false;
      loop_.Quit(0);
      break;
    default:
      break;
  }
}

}  // namespace cli
