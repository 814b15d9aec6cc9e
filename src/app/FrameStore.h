// The view store as the main window sees it. The desktop program links it to the real store; the
// frame's tests put a recorder in its place.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace discovery {
class CDeviceRecord;
}

namespace app {

struct CurrentViewInfo {
  std::string name;
  int type = 0;  // 6 TCP/IP, 7 NetWare, 8 serial, 9 IPX
  bool hasFilter = false;
  bool hasPrinterColumn = false;  // a per-port column is shown
};

class FrameStore {
 public:
  virtual ~FrameStore() = default;
  // A device of the running search (or of a single query); the store owns it from here.
  virtual void AddDevice(std::unique_ptr<discovery::CDeviceRecord> record) = 0;
  // The search thread ended: sort the list, reselect the remembered row and report the status
  // level (0x8002).
  virtual void SearchDone() = 0;
  // Cancels a running search, waits for it, finishes the refresh; a selected row stays selected.
  virtual void Stop() = 0;
  // Clears the list and searches the current view again.
  virtual void Refresh() = 0;
  virtual void SetPortMode(bool byPort) = 0;
  // The store's 10-second tick, when no dialog is open and no error is being shown.
  virtual void OnTimer() = 0;
  // Opens the customize-view sheet of the current view at page.
  virtual void CustomizeView(int page) = 0;
  virtual CurrentViewInfo CurrentView() const = 0;
  // The id of the search the current view's engine started last (0: none, or an engine that
  // gives its searches no ids); what a search posts carries it.
  virtual uint32_t CurrentSearchId() const { return 0; }
};

}  // namespace app
