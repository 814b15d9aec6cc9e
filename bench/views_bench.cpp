// The device list filled by a search that finds many devices: the store fed by a scripted engine
// whose records arrive as posted messages from another thread, as a real search's do, into the
// desktop program's list on the offscreen platform. Reports the longest stall of the GUI event
// loop while rows arrive, the final sort by IP Address, and the memory each listed device takes.
//
//   views_bench [devices] [rounds]
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "app/Settings.h"
#include "discovery/DiscoveryMessages.h"
#include "platform/QtMessagePoster.h"
#include "platform/RegistryStore.h"
#include "views/CKestrelView.h"
#include "views/CViewStore.h"
#include "views/ScriptedEngine.h"
#include "views/ViewStoreHost.h"

namespace {

using views::test::ScriptedEngine;

constexpr const char* kView = "Views\\VirtualPortView";
constexpr int kHeartbeatMs = 2;

class Host : public views::ViewStoreHost {
 public:
  intptr_t SendMessage(uint32_t, intptr_t, intptr_t) override { return 1; }
  bool PostMessage(uint32_t, intptr_t, intptr_t) override { return true; }
  bool SetTimer(uint32_t, uint32_t) override { return true; }
  void KillTimer(uint32_t) override {}
};

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// Devices with addresses in random order, one to four ports each.
std::vector<discovery::test::ReplyFields> MakeDevices(int count) {
  std::mt19937 random(7);
  std::vector<discovery::test::ReplyFields> devices;
  for (int i = 0; i < count; ++i) {
    const auto high = static_cast<uint8_t>(i / 250);
    const auto low = static_cast<uint8_t>(i % 250 + 1);
    discovery::test::ReplyFields fields =
        views::test::Device(low, "server-" + std::to_string(i), 1 + static_cast<int>(random() % 4));
    fields.ip = {10, 20, high, low};
    fields.hardware = {0x00, 0x40, 0x9D, 0x01, high, low};
    devices.push_back(fields);
  }
  std::shuffle(devices.begin(), devices.end(), random);
  return devices;
}

struct Round {
  double longestStallMs = 0;
  double deviceHandlersMs = 0;  // all the records' handlers together
  double longestHandlerMs = 0;
  double fillMs = 0;
  double sortMs = 0;
  int rows = 0;
};

Round RunRound(views::CViewStore& store, views::CKestrelView& list,
               const std::vector<discovery::test::ReplyFields>& devices) {
  Round round;
  QElapsedTimer clock;
  std::atomic<int> pending{0};
  bool done = false;
  platform::QtMessagePoster window([&](const platform::Message& message) {
    QElapsedTimer handler;
    handler.start();
    if (message.id == discovery::WM_DEVICE_FOUND) {
      store.AddDevice(std::unique_ptr<discovery::CDeviceRecord>(
          reinterpret_cast<discovery::CDeviceRecord*>(message.wParam)));
      --pending;
      round.deviceHandlersMs += static_cast<double>(handler.nsecsElapsed()) / 1e6;
    } else if (message.id == discovery::WM_SEARCH_DONE) {
      static_cast<ScriptedEngine*>(store.CurrentEngine())->Finish();
      QElapsedTimer sort;
      sort.start();
      store.OnSearchDone();
      round.sortMs = static_cast<double>(sort.nsecsElapsed()) / 1e6;
      done = true;
    }
    round.longestHandlerMs =
        std::max(round.longestHandlerMs, static_cast<double>(handler.nsecsElapsed()) / 1e6);
  });

  // The heartbeat: the longest gap between its ticks is the longest the loop was held up.
  QElapsedTimer beat;
  QTimer heartbeat;
  heartbeat.setInterval(kHeartbeatMs);
  auto gap = [&] {
    round.longestStallMs =
        std::max(round.longestStallMs, static_cast<double>(beat.nsecsElapsed()) / 1e6);
    beat.restart();
  };
  QObject::connect(&heartbeat, &QTimer::timeout, gap);

  store.Refresh();
  heartbeat.start();
  beat.start();
  clock.start();
  // The search thread: records built and posted as replies come in.
  std::thread search([&] {
    for (const auto& device : devices) {
      ++pending;
      window.PostMessage(discovery::WM_DEVICE_FOUND,
                         reinterpret_cast<intptr_t>(new views::test::ScriptedRecord(device)));
    }
    window.PostMessage(discovery::WM_SEARCH_DONE);
  });
  while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  gap();  // the time since the last tick counts too
  round.fillMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  search.join();
  heartbeat.stop();
  round.rows = list.GetRowCount();
  return round;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;

  platform::RegistryStore registry("");
  app::Settings settings(registry);
  settings.WriteInt(kView, "Type", 6);
  settings.WriteInt(kView, "Icons", 16);
  settings.WriteString(kView, "Columns",
                       "System Name,IP Address,H/W Address,Serial #,Port Name,Port #,Virtual Port");
  settings.WriteString(kView, "Sort", ">IP Address");

  Host host;
  views::CViewStore store(
      settings, [](const views::CViewNode&) { return std::make_unique<ScriptedEngine>(); });
  if (store.Open(&host) != views::CViewStore::kOpenOk) return 1;
  views::CKestrelView list;
  store.SetListControl(&list);
  list.SetStore(&store);
  list.resize(1000, 700);
  list.show();

  const auto devices = MakeDevices(count);
  std::printf("%d devices, %d rounds, rows per port (the program's default)\n", count, rounds);
  std::printf("%-6s %10s %12s %12s %10s %10s %8s\n", "round", "stall ms", "handler ms",
              "records ms", "fill ms", "sort ms", "rows");
  std::vector<double> stalls;
  std::vector<double> sorts;
  long before = 0;
  long after = 0;
  for (int r = 0; r < rounds; ++r) {
    if (r == 0) before = ResidentKiB();
    const Round round = RunRound(store, list, devices);
    if (r == 0) after = ResidentKiB();
    std::printf("%-6d %10.2f %12.2f %12.1f %10.1f %10.2f %8d\n", r, round.longestStallMs,
                round.longestHandlerMs, round.deviceHandlersMs, round.fillMs, round.sortMs,
                round.rows);
    stalls.push_back(round.longestStallMs);
    sorts.push_back(round.sortMs);
  }

  // The sort alone, by IP Address both ways, on the full list.
  QElapsedTimer sort;
  sort.start();
  store.SortBy("IP Address", true);
  const double descending = static_cast<double>(sort.nsecsElapsed()) / 1e6;
  sort.restart();
  store.SortBy("IP Address", false);
  const double ascending = static_cast<double>(sort.nsecsElapsed()) / 1e6;

  std::sort(stalls.begin(), stalls.end());
  std::sort(sorts.begin(), sorts.end());
  std::printf("longest stall: median %.2f ms, worst %.2f ms (goal: under 100 ms)\n",
              stalls[stalls.size() / 2], stalls.back());
  std::printf(
      "final sort and reselect by IP Address: median %.2f ms, worst %.2f ms;"
      " SortBy descending %.2f ms, ascending %.2f ms (goal: under 100 ms)\n",
      sorts[sorts.size() / 2], sorts.back(), descending, ascending);
  std::printf(
      "memory: %.1f KiB per listed device (resident set after the first fill, %ld KiB"
      " over %d devices; a record alone is %zu bytes)\n",
      static_cast<double>(after - before) / count, after - before, count,
      sizeof(discovery::CIpDeviceRecord));
  return 0;
}
