// The view store as the main window sees it (app::FrameStore over CViewStore).
#pragma once

#include "app/FrameStore.h"

namespace views {

class CViewStore;

class FrameStoreLink : public app::FrameStore {
 public:
  explicit FrameStoreLink(CViewStore& store) : store_(store) {}

  void AddDevice(std::unique_ptr<discovery::CDeviceRecord> record) override;
  void SearchDone() override;
  void Stop() override;
  void Refresh() override;
  void SetPortMode(bool byPort) override;
  void OnTimer() override;
  void CustomizeView(int page) override;
  app::CurrentViewInfo CurrentView() const override;
  uint32_t CurrentSearchId() const override;

 protected:
  CViewStore& Store() const { return store_; }

 private:
  CViewStore& store_;
};

}  // namespace views
