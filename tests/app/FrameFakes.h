// A recording window and view store for the main window's rules.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/FrameFace.h"
#include "app/FrameStore.h"
#include "discovery/CDeviceRecord.h"

// A record that counts its own destruction, so a test sees whether a record was freed.
class CountedRecord : public discovery::CDeviceRecord {
 public:
  explicit CountedRecord(int* destroyed) : CDeviceRecord(nullptr), destroyed_(destroyed) {}
  ~CountedRecord() override { ++*destroyed_; }
  int Query(std::vector<uint8_t>*) override { return 0; }
  int GetStatusText(std::string*, int) override { return 0; }
  int QueryWithTimeLimit(int, const char*) override { return 0; }

 protected:
  const char* OwnColumnText(int) const override { return nullptr; }
  void FillAddresses(const discovery::DiscoveryReply&) override {}
  const char* AddressText() const override { return ""; }

 private:
  int* destroyed_;
};

class RecordingFace : public app::FrameFace {
 public:
  std::vector<std::string> calls;
  std::vector<int> icons;
  std::string pane = "(unset)";
  bool busy = false, statusBar = true, listFocus = false, listSelection = false;
  bool treePaneShown = true, treeButton = false, multi = false;
  int treeMinWidth = -1, treeWidth = -1;
  app::ListMode mode = app::ListMode::kDetails;

  void SetAppIcon(int iconId) override { icons.push_back(iconId); }
  void SetBusy(bool on) override { busy = on; }
  bool HasStatusBar() const override { return statusBar; }
  void SetMessagePane(const std::string& text) override { pane = text; }
  void ShowCurrentView(bool focusList) override {
    calls.push_back(focusList ? "show+focus" : "show");
  }
  void RebuildViews(intptr_t view) override { calls.push_back("rebuild " + std::to_string(view)); }
  void SetTreeButtonChecked(bool checked) override { treeButton = checked; }
  void ShowTreePane(bool show, int minWidth) override {
    treePaneShown = show;
    treeMinWidth = minWidth;
  }
  void SetTreeWidth(int stored) override { treeWidth = stored; }
  void SetMultiSelect(bool on) override { multi = on; }
  void SetListMode(app::ListMode m) override { mode = m; }
  void ArrangeIcons() override { calls.push_back("arrange"); }
  void SetBarVisible(int barId, bool visible) override {
    calls.push_back("bar " + std::to_string(barId) + (visible ? " on" : " off"));
  }
  void CheckAllRows(bool checked) override {
    calls.push_back(checked ? "check all" : "check none");
  }
  void FocusNextPane() override { calls.push_back("next pane"); }
  void ShowNormalAndRaise() override { calls.push_back("raise"); }
  void CloseWindow() override { calls.push_back("close"); }
  bool ListHasFocus() const override { return listFocus; }
  bool ListHasSelection() const override { return listSelection; }
};

class RecordingStore : public app::FrameStore {
 public:
  std::vector<std::string> calls;
  std::vector<std::unique_ptr<discovery::CDeviceRecord>> devices;
  app::CurrentViewInfo view{"All Print Servers", 6, false, true};
  bool portMode = false;

  void AddDevice(std::unique_ptr<discovery::CDeviceRecord> record) override {
    devices.push_back(std::move(record));
  }
  void SearchDone() override { calls.push_back("done"); }
  void Stop() override { calls.push_back("stop"); }
  void Refresh() override { calls.push_back("refresh"); }
  void SetPortMode(bool on) override { portMode = on; }
  void OnTimer() override { calls.push_back("timer"); }
  void CustomizeView(int page) override { calls.push_back("customize " + std::to_string(page)); }
  app::CurrentViewInfo CurrentView() const override { return view; }
};
