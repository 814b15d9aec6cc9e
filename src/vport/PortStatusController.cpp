#include "vport/PortStatusController.h"

#include "platform/FileChooser.h"
#include "platform/Prompt.h"
#include "vport/BridgeCodes.h"

namespace vport {

PortStatusController::PortStatusController(PostToPort post, platform::Prompt& prompt,
                                           platform::FileChooser& files, std::string caption,
                                           std::size_t logCapacity)
    : post_(std::move(post)),
      prompt_(prompt),
      files_(files),
      caption_(std::move(caption)),
      capacity_(logCapacity == 0 ? 1 : logCapacity) {}

PortStatusController::LogUpdate PortStatusController::Apply(const PortStatusSnapshot& snapshot) {
  LogUpdate update;
  if (snapshot.fresh) {
    // The port was made anew: logging is off and its log empty, as on the port's side.
    generation_ = 0;
    logging_ = false;
    visible_ = false;
    if (!box_.empty()) update.kind = LogUpdate::kReplace;
    box_.clear();
  }
  const std::string newLog = snapshot.newLog;
  shown_ = snapshot;
  shown_.newLog.clear();
  if (snapshot.show) visible_ = true;
  if (snapshot.removed) visible_ = false;
  // Text moved before a Clear that the port had not handled yet belongs to the cleared box.
  if (newLog.empty() || snapshot.logGeneration != generation_) return update;
  box_ += newLog;
  if (box_.size() > capacity_) {
    PortLog::TrimOldestLines(box_, capacity_);
    update.kind = LogUpdate::kReplace;
    update.text = box_;
  } else if (update.kind == LogUpdate::kReplace) {
    update.text = box_;
  } else {
    update.kind = LogUpdate::kAppend;
    update.text = newLog;
  }
  return update;
}

void PortStatusController::SetLogging(bool on) {
  logging_ = on;
  if (post_) post_(WM_VPORT_SETLOGGING, on ? 1 : 0);
}

void PortStatusController::Clear() {
  box_.clear();
  if (post_ && post_(WM_VPORT_CLEARLOG, 0)) ++generation_;
}

PortLog::SaveResult PortStatusController::Save() {
  platform::SaveFileRequest request;
  request.title = PortLog::kSaveTitle;
  request.fileName = PortLog::DefaultFileName(shown_.comName);
  request.filter = PortLog::kSaveFilter;
  request.defaultExtension = PortLog::kSaveExtension;
  const auto path = files_.GetSaveFileName(request);
  if (!path) return PortLog::SaveResult::kKeptExisting;
  return PortLog::SaveText(box_, *path, prompt_, caption_);
}

void PortStatusController::Hide() {
  visible_ = false;
  if (post_) post_(WM_VPORT_HIDESTATUS, 0);
}

}  // namespace vport
