// The host's thread runs a long random mix of exported calls while the
// window thread's update handler runs again and again on its own thread and
// a third thread takes snapshots the way the windows read the log. Under
// ThreadSanitizer (test.sh runs this build too) any unguarded access is a
// failure; here every snapshot must be a consistent log: every record found
// by the indexes, every record's band in the bands-seen list, every
// previous-QSO row whole.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

#include "engine/message_boxes_headless.h"
#include "engine/settings_store_headless.h"
#include "host/host_link_headless.h"
#include "plugin/stats_module.h"
#include "reports/header_dialog_headless.h"
#include "reports/host_executables_headless.h"
#include "tests/support/temp_folder.h"
#include "ui/window_layer_headless.h"

namespace {

struct Counts {
  int adds = 0, removes = 0, checks = 0, reports = 0, resets = 0, shows = 0, hides = 0;
  int Total() const { return adds + removes + checks + reports + resets + shows + hides; }
};

// What the windows rely on when they read the log under the table lock.
std::string SnapshotProblem(StatsModule& module) {
  std::lock_guard<std::mutex> guard(module.tablesLock());
  const QsoStore& store = module.store();
  const std::vector<std::string>& bands = module.bandsSeen();
  for (const QsoRecord& r : store.records()) {
    if (store.CountSame(r.call, r.band, r.mode) < 1) return "a record the index does not count";
    if (!store.HasArea(r.band, r.area)) return "a record's area missing from the index";
    if (std::find(bands.begin(), bands.end(), r.band) == bands.end()) {
      return "a record's band missing from the bands-seen list";
    }
  }
  for (const auto& row : module.bandTables().previousQsoRows) {
    if (!row.empty() && row.size() != 5) return "a previous-QSO row half written";
  }
  return std::string();
}

TEST(ConcurrencyStressTest, HostCallsAgainstTheWindowThread) {
  TempFolder folder;
  IniFileStore settings;
  RecordingMessageBoxes boxes;
  ScriptedHeaderDialog header;
  FolderExecutables executables;
  ScriptedHost host;
  host.SetRunning(true);
  host.SetFrequency(7035000);
  HeadlessWindowLayer layer([&host] { return host.NewLink(); });
  StatsModule module(Platform{&settings, &boxes, &header, &layer, &executables});
  layer.Bind(&module);
  const COleDateTime start = COleDateTime::FromCalendar(2018, 6, 9, 0, 0, 0);
  const COleDateTime end = COleDateTime::FromCalendar(2018, 6, 10, 0, 0, 0);
  module.ResetStats(0, "PY2AA", start, end);
  ASSERT_TRUE(layer.SettingsWindowExists());

  std::atomic<bool> stop{false};
  std::atomic<int> snapshots{0};
  std::string problem;
  std::thread reader([&] {
    while (!stop && problem.empty()) {
      problem = SnapshotProblem(module);
      ++snapshots;
      // The windows read a few times a second; a reader that never lets go
      // of the lock would only measure the lock.
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });

  const char* calls[] = {"PY1ZZ", "PY2AB", "PY3QR", "PY0FF", "PY1ZZA", "py1zz"};
  const char* bands[] = {"40m", "20m", "80m", "10m", "40M", "160m"};
  const char* modes[] = {"RTTY", "BPSK31", "BPSK63", "CW"};
  const char* exchanges[] = {"RJ", "SP", "YL", "QRP", "XX", ""};
  const double hertz[] = {7035000, 14080000, 3580000, 28080000, 29200000};
  std::mt19937 random(4711);
  auto pick = [&random](auto& pool) {
    return pool[std::uniform_int_distribution<size_t>(0, std::size(pool) - 1)(random)];
  };

  Counts counts;
  const auto began = std::chrono::steady_clock::now();
  for (int step = 0; step < 20000 && problem.empty(); ++step) {
    QsoArgs q;
    q.ownCall = "PY2AA";
    q.call = pick(calls);
    q.band = pick(bands);
    q.mode = pick(modes);
    q.rstSent = q.rstRcvd = "599";
    q.exchSent = "SP";
    q.exchRcvd = pick(exchanges);
    q.dxPrefix = q.call == std::string_view("PY0FF") ? "PY0F" : "PY";
    q.qsoTime = COleDateTime::FromCalendar(2018, 6, 9, 12, static_cast<int>(random() % 3), 0);
    q.freqHz = 7035000;
    const int op = static_cast<int>(random() % 1000);
    if (op < 450) {
      module.AddData(q);
      ++counts.adds;
    } else if (op < 750) {
      host.SetTypedCall(pick(calls));
      host.SetFrequency(pick(hertz));
      CallCheckArgs c;
      c.call = q.call;
      c.band = q.band.data();
      c.mode = q.mode;
      c.dxPrefix = q.dxPrefix;
      c.area = q.exchRcvd;
      module.CheckCall(c);
      ++counts.checks;
    } else if (op < 900) {
      module.RemoveData(q);
      ++counts.removes;
    } else if (op < 980) {
      module.GetResult(nullptr);
      ++counts.reports;
    } else if (op < 992) {
      module.ResetStats(0, "PY2AA", start, end);
      ++counts.resets;
    } else if (op < 997) {
      module.RunCommand("SHOWINFO");
      ++counts.shows;
    } else {
      module.RunCommand("HIDEINFO");
      ++counts.hides;
      module.RunCommand("SHOWINFO");
      ++counts.shows;
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  stop = true;
  reader.join();
  module.Stop();

  EXPECT_EQ(problem, "");
  EXPECT_GT(counts.Total(), 19000);
  // The update handler really ran alongside: it asks the host for the
  // typed call at every update.
  EXPECT_GT(host.Count(HostCall::kTypedCall), 100);
  EXPECT_GT(snapshots.load(), 100);
  RecordProperty("calls", counts.Total());
  RecordProperty("updates", host.Count(HostCall::kTypedCall));
  RecordProperty("snapshots", snapshots.load());
  std::printf(
      "%d host calls (%d adds, %d removes, %d checks, %d reports, %d resets, %d SHOWINFO, "
      "%d HIDEINFO) in %.2f s; %d updates and %d snapshots alongside\n",
      counts.Total(), counts.adds, counts.removes, counts.checks, counts.reports, counts.resets,
      counts.shows, counts.hides, seconds, host.Count(HostCall::kTypedCall), snapshots.load());
}

}  // namespace
