// A private message to the main window with what it carries owned: the device record of 0x800F
// and 0x8016, the literal text of 0x8010. Posting hands the pointers over; a record or text that
// no handler takes is freed with the message, so nothing leaks when the window closes with
// messages still queued, or when a record arrives after its search ended.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "discovery/CDeviceRecord.h"

namespace app {

class FrameMessage {
 public:
  FrameMessage() = default;
  // Takes over the record or text that (id, wParam, lParam) points to; their pointer parameters
  // are then 0 in the message.
  static FrameMessage Adopt(uint32_t id, intptr_t wParam, intptr_t lParam);
  // Whether a message of id with these parameters carries something the receiver owns.
  static bool CarriesRecord(uint32_t id);
  static bool CarriesText(uint32_t id, intptr_t wParam);

  uint32_t Id() const { return id_; }
  intptr_t WParam() const { return wParam_; }
  intptr_t LParam() const { return lParam_; }
  bool HasRecord() const { return record_ != nullptr; }
  std::unique_ptr<discovery::CDeviceRecord> TakeRecord() { return std::move(record_); }
  // The literal text, or an empty one.
  std::string Text() const { return text_ ? *text_ : std::string(); }
  // Gives the pointers back to a sender whose post failed (it still owns them then).
  void Release();

 private:
  uint32_t id_ = 0;
  intptr_t wParam_ = 0;
  intptr_t lParam_ = 0;
  std::unique_ptr<discovery::CDeviceRecord> record_;
  std::unique_ptr<std::string> text_;
};

}  // namespace app
