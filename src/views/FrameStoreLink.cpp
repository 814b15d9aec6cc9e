#include "views/FrameStoreLink.h"

#include "discovery/CDeviceRecord.h"
#include "discovery/CDiscoveryEngine.h"
#include "views/CViewStore.h"

namespace views {

void FrameStoreLink::AddDevice(std::unique_ptr<discovery::CDeviceRecord> record) {
  store_.AddDevice(std::move(record));
}

void FrameStoreLink::SearchDone() {
  store_.OnSearchDone();
}

void FrameStoreLink::Stop() {
  // Stopping selects again the row remembered when the search began; a row the user picked since
  // (while it ran, or after it ended) is the one the command that stops is about, so it is
  // remembered first.
  store_.RememberSelection();
  store_.Stop();
}

void FrameStoreLink::Refresh() {
  store_.Refresh();
}

void FrameStoreLink::SetPortMode(bool byPort) {
  store_.SetPortMode(byPort);
}

void FrameStoreLink::OnTimer() {
  store_.OnTimer();
}

void FrameStoreLink::CustomizeView(int page) {
  store_.CustomizeView(page);
}

uint32_t FrameStoreLink::CurrentSearchId() const {
  const discovery::CDiscoveryEngine* engine = store_.CurrentEngine();
  return engine != nullptr ? engine->SearchId() : 0;
}

app::CurrentViewInfo FrameStoreLink::CurrentView() const {
  app::CurrentViewInfo info;
  const CViewNode* node = store_.CurrentNode();
  if (node == nullptr) return info;
  info.name = node->Name();
  info.type = node->Type();
  const CViewDefinition& definition = store_.Definition();
  info.hasFilter = definition.GetFilterColumn() != CViewDefinition::kNoColumn;
  info.hasPrinterColumn = definition.HasPerPortColumn();
  return info;
}

}  // namespace views
