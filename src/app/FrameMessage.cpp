#include "app/FrameMessage.h"

#include "app/FrameIds.h"

namespace app {

bool FrameMessage::CarriesRecord(uint32_t id) {
  return id == msg::kDeviceFound || id == msg::kDeviceQueried;
}

bool FrameMessage::CarriesText(uint32_t id, intptr_t wParam) {
  return id == msg::kSearchStatus && wParam == 0;
}

FrameMessage FrameMessage::Adopt(uint32_t id, intptr_t wParam, intptr_t lParam) {
  FrameMessage message;
  message.id_ = id;
  message.wParam_ = wParam;
  message.lParam_ = lParam;
  if (CarriesRecord(id)) {
    message.record_.reset(reinterpret_cast<discovery::CDeviceRecord*>(wParam));
    message.wParam_ = 0;
  } else if (CarriesText(id, wParam)) {
    message.text_.reset(reinterpret_cast<std::string*>(lParam));
    message.lParam_ = 0;
  }
  return message;
}

void FrameMessage::Release() {
  [[maybe_unused]] discovery::CDeviceRecord* record = record_.release();
  [[maybe_unused]] std::string* text = text_.release();
}

}  // namespace app
