// The table of virtual ports: one record per COM number (COM1 to COM255), the running port threads
// and the ports stored under "Ports" that come back at every start. All operations belong to one
// thread (the main one); CreatePort with wait and DestroyPort block it until the port thread has
// handled the request.
//
// Results: 0 or 255 as documented per operation; FindPort -1 when none.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "platform/RegistryStore.h"
#include "platform/SystemClock.h"
#include "vport/PortFiguresBoard.h"
#include "vport/PortObserver.h"
#include "vport/VirtualPortRecord.h"

namespace vport {

class CVirtualPortTable {
 public:
  static constexpr int kSlots = 255;
  static constexpr int kFailed = 255;
  static constexpr uint32_t kStartupResetWaitMs = 500;

  struct Options {
    platform::Clock* clock = &platform::SystemClock::Instance();
    PortObserver* observer = nullptr;  // given to every port thread
    std::string caption = "Portolan";  // of the ports' message boxes
    uint32_t connectTimeoutMs = CVirtualPortDlg::kDefaultConnectTimeoutMs;
  };

  // rootPath: the application's settings key (the stored ports lie in its subkey "Ports").
  // Frees every slot, resets the port folder, then marks the system's serial ports.
  CVirtualPortTable(platform::RegistryStore& store, std::string rootPath);
  CVirtualPortTable(platform::RegistryStore& store, std::string rootPath, Options options);
  // Removes every port, those that applications still hold included, and ends their threads,
  // all side by side (one after the other, 255 ports took seconds).
  virtual ~CVirtualPortTable();
  CVirtualPortTable(const CVirtualPortTable&) = delete;
  CVirtualPortTable& operator=(const CVirtualPortTable&) = delete;

  // line: fixed line settings sent to an RFC 2217 server in place of the pty's (none: as observed).
  int CreatePort(int comNumber, const std::string& hwAddr, int32_t devPort,
                 const std::string& ipAddr, const std::string& tcpPort, uint32_t flags, bool wait,
                 const std::optional<LineSettings>& line = std::nullopt);
  int DestroyPort(int comNumber);
  int FindPort(const std::string& hwAddr, int32_t devPort) const;
  int GetPortInfo(int comNumber, std::string& comName, std::string& hwAddr, int32_t& devPort,
                  uint32_t& flags, std::string& tcpPort) const;
  int32_t GetSlotState(int comNumber) const;
  // The fixed line settings a defined port runs with (none for other slots).
  std::optional<LineSettings> GetPortLineSettings(int comNumber) const;
  void ShowPortStatus(int comNumber);
  void SavePort(int comNumber);
  bool LoadPort(int comNumber, std::string& hwAddr, std::string& ipAddr, std::string& tcpPort,
                int32_t& devPort, uint32_t& flags);
  void DeletePortKey(int comNumber);
  // The stored "LineSettings" of a port: none when absent; an invalid text is reported and ignored.
  std::optional<LineSettings> LoadLineSettings(int comNumber);
  // StartStoredPorts, then CollectStartedPorts waiting for all.
  void LoadAllPorts();
  // Starts the thread of every complete stored port (deleting incomplete keys), side by side and
  // without waiting: each creation takes a while (priming the line), and they do not depend on
  // each other. Each slot counts as taken at once; CollectStartedPorts frees the slots of ports
  // that could not be made (they stay in the registry), as a creation with wait does.
  void StartStoredPorts();
  // Takes the outcome of the ports still starting. block: waits until none is left; stop (may
  // be empty), asked every few ms while waiting, ends the wait when it returns true, and the
  // ports still starting are then abandoned (AbandonStartingPorts). Returns true when no port is
  // left starting.
  bool CollectStartedPorts(bool block, const std::function<bool()>& stop = {});
  // Ends the creation of the ports still starting at once and removes them with their links.
  void AbandonStartingPorts();
  void DestroyAllPorts();
  void MarkSystemPorts();

  // Whether the port's thread reports that its local port exists.
  bool IsLive(int comNumber) const;
  // Posts a request (WM_VPORT_SHOWSTATUS, WM_VPORT_SETLOGGING) to a live port's thread.
  bool PostToPort(int comNumber, uint32_t id, intptr_t wParam = 0);
  const VirtualPortRecord& Record(int comNumber) const { return records_.at(Index(comNumber)); }
  // The figures of the ports that are made, for readers on any thread; it outlives the table
  // (empty once the table is gone).
  std::shared_ptr<const PortFiguresBoard> Board() const { return board_; }

  // "COM5" for 5.
  static std::string ComName(int comNumber);
  static bool InRange(int comNumber) { return comNumber >= 1 && comNumber <= kSlots; }
  // The COM number in a system serial-port text ("COM12" -> 12), 0 when it names none we keep.
  static int SystemPortNumber(const std::string& data);
  // The registry key of a stored port, relative to the root: "Ports\COM5".
  static std::string PortSection(int comNumber);

 private:
  static std::size_t Index(int comNumber) { return static_cast<std::size_t>(comNumber - 1); }
  void FreeRecord(VirtualPortRecord& record);
  // The port's comN entry in the Wine prefix, for a port with PORTFLAG_WINE.
  void MakeWineLink(const VirtualPortRecord& record);
  void RemoveWineLink(const VirtualPortRecord& record);
  std::string KeyPath(int comNumber) const;
  std::string ReadString(const std::string& key, const std::string& name);
  uint32_t ReadDword(const std::string& key, const std::string& name);

  // Whether the port started as (comNumber, thread) is still that slot's.
  bool StillStarting(const std::pair<int, const CVirtualPortThread*>& port) const;
  // The outcome of one started port whose thread is no longer busy.
  void TakeOutcome(int comNumber);
  // Ends every port thread, all loops told to quit first; each removes its port as it goes.
  void EndAllPorts();
  // Puts a port that is made on the board.
  void Publish(int comNumber);

  platform::RegistryStore& store_;
  std::string rootPath_;
  Options options_;
  std::array<VirtualPortRecord, kSlots> records_;
  const std::shared_ptr<PortFiguresBoard> board_ = std::make_shared<PortFiguresBoard>();
  // Ports started by StartStoredPorts whose outcome has not been taken yet.
  std::vector<std::pair<int, const CVirtualPortThread*>> starting_;
};

}  // namespace vport
