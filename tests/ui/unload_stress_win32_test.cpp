// Load and unload the DLL a hundred times with its windows busy, against a
// host automation object that answers slowly. Every unload happens while the
// window thread is alive, most of them while its windows are open and some
// while it waits inside a host call that only this (the host's) thread can
// serve: where a close that waits on the wrong thing deadlocks under the
// loader lock, a thread runs on into the unmapped DLL, or a window outlives
// its window procedure.
//
// Like a host that frees its plug-ins one after another, this thread does
// not pump between FreeLibrary and its next call that needs the loader
// lock. Each cycle is bounded twice: a watchdog ends the process on a hang,
// and the cycle's time is checked against a limit well above its normal
// run. After each unload no window of the plug-in may remain, every window
// thread seen during the cycle must have ended, and the process must be
// back to the thread count that the first cycle settled at.

#include <gtest/gtest.h>
#include <objbase.h>
#include <tlhelp32.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tools/plugin_loader/host_calls.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/fake_kolm_win32.h"
#include "tests/ui/kolm_environment_win32.h"
#include "tests/ui/win32_test_host.h"
#include "tools/plugin_loader/plugin_library.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string kPluginPath =
    (std::filesystem::current_path() / PluginLibrary::DefaultFileName()).string();
constexpr const char* kIni = "Plugins\\TZQ.ini";

constexpr int kCycles = 100;
// Every fifth cycle's host takes this long over each call; the rest answer
// faster so that the whole run stays short.
constexpr DWORD kSlowHostMs = 50;
constexpr DWORD kFastHostMs = 5;
// A cycle normally takes well under two seconds even with the slow host.
constexpr long long kCycleLimitMs = 5000;
// Past this the cycle is hung: the watchdog ends the process.
constexpr DWORD kCycleHangMs = 20000;
// How long the host works on after FreeLibrary before its next call.
constexpr DWORD kHostBusyMs = 20;
// Time for threads and windows to go after FreeLibrary has returned.
constexpr DWORD kSettleMs = 3000;
// COM's worker threads end after about five idle seconds.
constexpr DWORD kWorkersGoneMs = 6500;

// How a cycle ends before FreeLibrary.
enum class Ending {
  // The window thread is inside a host call that waits for this thread.
  kUnloadDuringHostCall,
  // HIDEINFO first: the thread is gone before the unload.
  kHideThenUnload,
  // HIDEINFO, then SHOWINFO: a second thread's windows are open at unload.
  kHideShowThenUnload,
  // All three windows open and idle.
  kUnloadWithWindowsOpen,
};

const char* NameOf(Ending ending) {
  switch (ending) {
    case Ending::kUnloadDuringHostCall:
      return "unload during a host call";
    case Ending::kHideThenUnload:
      return "HIDEINFO, unload";
    case Ending::kHideShowThenUnload:
      return "HIDEINFO, SHOWINFO, unload";
    case Ending::kUnloadWithWindowsOpen:
      return "unload with windows open";
  }
  return "?";
}

struct CyclePlan {
  bool slowHost;
  bool toggleOnTop;
  Ending ending;
};

// Coprime periods: over 60 cycles every combination comes up.
CyclePlan PlanOf(int cycle) {
  return CyclePlan{cycle % 5 == 0, cycle % 3 == 2, static_cast<Ending>(cycle % 4)};
}

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

// A top-level window of this process that the plug-in may have made: any
// dialog (the test makes none) or anything titled like one of its windows.
struct LeftWindow {
  std::string title;
  std::string cls;
};

BOOL CALLBACK CollectPluginWindow(HWND window, LPARAM param) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != GetCurrentProcessId()) return TRUE;
  char cls[64] = "";
  GetClassNameA(window, cls, sizeof cls);
  const std::string title = TitleOf(window);
  if (lstrcmpA(cls, "#32770") == 0 || StartsWith(title, "Setup TZQ") || StartsWith(title, "TZQ-") ||
      title == "Brazil Area" || title == "Previous QSO") {
    reinterpret_cast<std::vector<LeftWindow>*>(param)->push_back(LeftWindow{title, cls});
  }
  return TRUE;
}

std::vector<LeftWindow> PluginWindowsOfProcess() {
  std::vector<LeftWindow> found;
  EnumWindows(CollectPluginWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string Describe(const std::vector<LeftWindow>& windows) {
  std::string text;
  for (const LeftWindow& w : windows) text += " [" + w.cls + " \"" + w.title + "\"]";
  return text;
}

int ThreadCount() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  THREADENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

struct Figures {
  int cycles = 0;
  int slowCycles = 0;
  long long maxMs = 0;
  long long maxSlowMs = 0;
  long long totalSlowMs = 0;
  long long totalMs = 0;
  int baselineThreads = 0;
  int peakThreads = 0;
  int windowThreads = 0;
};

class UnloadStressTest : public ::testing::Test {
 protected:
  void Load() {
    std::string error;
    ASSERT_TRUE(library_.Open(kPluginPath, &error)) << error;
    ASSERT_TRUE(api_.Resolve(library_, &error)) << error;
  }

  // FreeLibrary, then the checks that nothing of the plug-in is left.
  // Like a host that goes on with its shutdown, this thread first works a
  // little without pumping and then needs the loader lock, as its next
  // LoadLibrary or FreeLibrary would: it looks the DLL up.
  void UnloadAndCheck() {
    library_.Close();
    Sleep(kHostBusyMs);
    EXPECT_EQ(GetModuleHandleA(PluginLibrary::DefaultFileName().c_str()), nullptr)
        << "the DLL is still mapped after FreeLibrary";
    // A window thread may still be releasing the host object, which needs
    // this thread to serve it.
    const bool threads_ended = PumpUntil(
        [&] {
          return std::all_of(window_threads_.begin(), window_threads_.end(), [](HANDLE thread) {
            return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
          });
        },
        kSettleMs);
    EXPECT_TRUE(threads_ended) << "a window thread outlived the unload";
    std::vector<LeftWindow> left;
    PumpUntil([&] { return (left = PluginWindowsOfProcess()).empty(); }, kSettleMs);
    EXPECT_TRUE(left.empty()) << "windows left behind:" << Describe(left);

    figures_.windowThreads += static_cast<int>(window_threads_.size());
    for (HANDLE thread : window_threads_) CloseHandle(thread);
    window_threads_.clear();
  }

  // One cycle: load, open, busy windows, end as planned, unload, and check
  // that nothing is left. Returns the cycle's time in milliseconds.
  long long RunCycle(int cycle, const CyclePlan& plan) {
    const std::string label = "cycle " + std::to_string(cycle) + " (" + NameOf(plan.ending) + ")";
    SCOPED_TRACE(label);
    const Clock::time_point start = Clock::now();
    // The whole cycle, checks included: a thread stuck on its way out can
    // hang this thread in any call that needs the loader lock.
    Watchdog dog(kCycleHangMs, label.c_str());
    Drive(cycle, plan);
    UnloadAndCheck();
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  }

  void Drive(int cycle, const CyclePlan& plan) {
    g_kolm.Reset();
    delay_ms_ = plan.slowHost ? kSlowHostMs : kFastHostMs;
    g_kolm.SetDelay(delay_ms_);
    g_kolm.SetTypedCall(L"PY1ZZ");
    // Start absent or 0 both let the reset open the window; the views start
    // closed so that the clicks open them.
    WritePrivateProfileStringA("Settings", "Start", cycle % 2 == 0 ? nullptr : "0", kIni);
    WritePrivateProfileStringA("Settings", "setup_view_area", "0", kIni);
    WritePrivateProfileStringA("Settings", "setup_view_call", "0", kIni);
    Load();
    if (HasFatalFailure()) return;

    const HostDate from = HostDate::At(2018, 6, 9), to = HostDate::At(2018, 6, 10);
    HWND first =
        OpenSettings(nullptr, [&] { CallReset(api_.ResetStats0, 0, "PY2AA", &from, &to); });
    ASSERT_NE(first, nullptr) << "the reset opened no settings window";
    AddQso("PY1ZZ", "40m", "RJ", 0);
    AddQso("PY4MG", "20m", "MG", 1);

    HWND setup = OpenSettings(first, [&] { api_.RunCommand0(0, "SHOWINFO"); });
    ASSERT_NE(setup, nullptr) << "SHOWINFO opened no settings window";
    EXPECT_FALSE(IsWindow(first)) << "SHOWINFO kept the old settings window";

    Click(setup, IDC_SETUP_VIEW_AREA);
    Click(setup, IDC_SETUP_VIEW_CALL);
    ASSERT_TRUE(AwaitViews(false)) << "the view toggles did not open both views";
    if (plan.toggleOnTop) {
      Click(setup, IDC_SETUP_ON_TOP);
      ASSERT_TRUE(AwaitViews(true)) << "on top did not bring both views back topmost";
    }
    for (int i = 0; i < 3; ++i) {
      g_kolm.SetFrequency(i % 2 == 0 ? 14070000.0 : 7035000.0);
      Update();
    }

    switch (plan.ending) {
      case Ending::kUnloadDuringHostCall:
        // Not pumping: the update triggered here is stuck in its first host
        // call when FreeLibrary comes.
        CheckCall();
        Sleep(delay_ms_ + 30);
        break;
      case Ending::kHideThenUnload:
        api_.RunCommand0(0, "HIDEINFO");
        EXPECT_TRUE(PluginWindowsOfProcess().empty())
            << "HIDEINFO returned with windows open:" << Describe(PluginWindowsOfProcess());
        break;
      case Ending::kHideShowThenUnload: {
        api_.RunCommand0(0, "HIDEINFO");
        EXPECT_FALSE(IsWindow(setup)) << "HIDEINFO returned with the window open";
        ASSERT_NE(OpenSettings(setup, [&] { api_.RunCommand0(0, "SHOWINFO"); }), nullptr)
            << "SHOWINFO after HIDEINFO opened nothing";
        // The stored view flags bring both views back with the first update.
        EXPECT_TRUE(AwaitViews(false)) << "the views did not come back";
        break;
      }
      case Ending::kUnloadWithWindowsOpen:
        EXPECT_EQ(CountPluginWindows(PluginWindow::kSettings), 1);
        EXPECT_EQ(CountPluginWindows(PluginWindow::kAreaGrid), 1);
        EXPECT_EQ(CountPluginWindows(PluginWindow::kPanel), 1);
        break;
    }
    figures_.peakThreads = std::max(figures_.peakThreads, ThreadCount());
  }

  // The settings window that `trigger` opens in place of `previous`, once
  // its first update has read the frequency; its thread is kept to be
  // checked after unload.
  template <typename Trigger>
  HWND OpenSettings(HWND previous, Trigger trigger) {
    HWND setup = nullptr;
    // Counted before: the start routine serves the host while it waits, so
    // the first update may be over by the time it returns.
    const int reads = g_kolm.Count(2);
    trigger();
    const bool up = PumpUntil([&] {
      setup = FindPluginWindow(PluginWindow::kSettings);
      return setup != nullptr && setup != previous && g_kolm.Count(2) > reads;
    });
    if (!up) return nullptr;
    Watch(setup);
    return setup;
  }

  void Watch(HWND setup) {
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, GetWindowThreadProcessId(setup, nullptr));
    EXPECT_NE(thread, nullptr) << "the window thread cannot be watched";
    if (thread != nullptr) window_threads_.push_back(thread);
  }

  // Both view windows exist, carry an updated title, and are topmost when
  // asked for.
  bool AwaitViews(bool topmost) {
    return PumpUntil([&] {
      HWND grid = FindPluginWindow(PluginWindow::kAreaGrid);
      HWND panel = FindPluginWindow(PluginWindow::kPanel);
      if (grid == nullptr || panel == nullptr) return false;
      if (!StartsWith(TitleOf(grid), "TZQ-") || !StartsWith(TitleOf(panel), "TZQ-")) return false;
      return !topmost || (IsTopmost(grid) && IsTopmost(panel));
    });
  }

  // Posted, not sent: the click handlers call the host, which is this thread.
  void Click(HWND dialog, int control) {
    const int reads = g_kolm.Count(8);
    PostMessageA(GetDlgItem(dialog, control), BM_CLICK, 0, 0);
    // Each toggle posts an update; waiting for it keeps the clicks apart.
    EXPECT_TRUE(PumpUntil([&] { return g_kolm.Count(8) > reads; })) << "click " << control;
  }

  void CheckCall() {
    HostCallCheck check;
    CallCheck(api_.CheckCall0, check);
  }

  // A call check's update, waited for until it has read the frequency.
  void Update() {
    const int reads = g_kolm.Count(2);
    // A call check posts only once the update before has ended; like a host
    // whose operator goes on typing, check again until one comes.
    EXPECT_TRUE(PumpUntil([&] {
      if (g_kolm.Count(2) > reads) return true;
      CheckCall();
      return false;
    })) << "no update came";
  }

  void AddQso(const char* call, const char* band, const char* exch, int minute) {
    HostQso q;
    HostDate when = HostDate::At(2018, 6, 9, 12, minute);
    q.time = &when;
    q.call = call;
    q.band = band;
    q.exchRcvd = exch;
    ASSERT_EQ(CallQso(api_.AddData0, q), 1);
  }

  TempFolder folder_;  // outlives every load
  PluginLibrary library_;
  PluginApi api_;
  std::vector<HANDLE> window_threads_;
  DWORD delay_ms_ = 0;
  Figures figures_;
};

TEST_F(UnloadStressTest, HundredLoadsUnloadedWithBusyWindowsLeaveNothingBehind) {
  int cycles_over_limit = 0;
  int cycles_over_baseline = 0;
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    const CyclePlan plan = PlanOf(cycle);
    const long long ms = RunCycle(cycle, plan);

    // The first cycle brings up Wine's and COM's helper threads for good;
    // from then on every unload must return to that count.
    if (cycle == 0) {
      Pump(200);
      figures_.baselineThreads = ThreadCount();
      ASSERT_GT(figures_.baselineThreads, 0) << "no thread snapshot";
    } else if (!PumpUntil([&] { return ThreadCount() <= figures_.baselineThreads; }, kSettleMs)) {
      ++cycles_over_baseline;
      ADD_FAILURE() << "cycle " << cycle << ": " << ThreadCount() << " threads, baseline "
                    << figures_.baselineThreads;
    }

    ++figures_.cycles;
    figures_.totalMs += ms;
    figures_.maxMs = std::max(figures_.maxMs, ms);
    if (plan.slowHost) {
      ++figures_.slowCycles;
      figures_.maxSlowMs = std::max(figures_.maxSlowMs, ms);
      figures_.totalSlowMs += ms;
    }
    if (ms > kCycleLimitMs) {
      ++cycles_over_limit;
      ADD_FAILURE() << "cycle " << cycle << " took " << ms << " ms";
    }
    if (HasFatalFailure()) break;
  }

  const long long mean = figures_.cycles > 0 ? figures_.totalMs / figures_.cycles : 0;
  const long long slow_mean =
      figures_.slowCycles > 0 ? figures_.totalSlowMs / figures_.slowCycles : 0;
  RecordProperty("cycles", figures_.cycles);
  RecordProperty("slow_host_cycles", figures_.slowCycles);
  RecordProperty("max_cycle_ms", static_cast<int>(figures_.maxMs));
  RecordProperty("mean_cycle_ms", static_cast<int>(mean));
  RecordProperty("max_slow_cycle_ms", static_cast<int>(figures_.maxSlowMs));
  RecordProperty("mean_slow_cycle_ms", static_cast<int>(slow_mean));
  RecordProperty("baseline_threads", figures_.baselineThreads);
  RecordProperty("window_threads", figures_.windowThreads);
  std::printf(
      "unload stress: %d cycles (%d with a %lu ms host, the rest %lu ms), %d window threads; "
      "cycle max %lld ms, mean %lld ms; slow-host cycles max %lld ms, mean %lld ms; "
      "threads: baseline %d, "
      "peak in a cycle %d\n",
      figures_.cycles, figures_.slowCycles, static_cast<unsigned long>(kSlowHostMs),
      static_cast<unsigned long>(kFastHostMs), figures_.windowThreads, figures_.maxMs, mean,
      figures_.maxSlowMs, slow_mean, figures_.baselineThreads, figures_.peakThreads);
  std::fflush(stdout);

  EXPECT_EQ(figures_.cycles, kCycles);
  EXPECT_GE(figures_.slowCycles, 20);
  EXPECT_EQ(cycles_over_limit, 0);
  EXPECT_EQ(cycles_over_baseline, 0);
}

// A host whose automation object lives in its multithreaded apartment:
// calls into it run on COM's worker threads, and after a few idle seconds
// there are none left, so releasing the object needs a new thread, which
// cannot start while anyone holds the loader lock.
class FreeThreadedHost {
 public:
  FreeThreadedHost()
      : ready_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    g_kolm.Revoke();
    thread_ = CreateThread(nullptr, 0, Serve, this, 0, nullptr);
    if (thread_ != nullptr) WaitForSingleObject(ready_, INFINITE);
  }
  ~FreeThreadedHost() { MoveBack(); }
  FreeThreadedHost(const FreeThreadedHost&) = delete;
  FreeThreadedHost& operator=(const FreeThreadedHost&) = delete;

  bool registered() const { return registered_; }

  // Ends the free-threaded host and registers the object on the calling
  // thread again, where the other tests expect it.
  bool MoveBack() {
    if (moved_back_) return registered_back_;
    moved_back_ = true;
    if (thread_ != nullptr) {
      SetEvent(stop_);
      WaitForSingleObject(thread_, INFINITE);
      CloseHandle(thread_);
    }
    CloseHandle(ready_);
    CloseHandle(stop_);
    std::string error;
    registered_back_ = g_kolm.Register(&error);
    return registered_back_;
  }

 private:
  static DWORD WINAPI Serve(void* param) {
    FreeThreadedHost* self = static_cast<FreeThreadedHost*>(param);
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::string error;
    self->registered_ = g_kolm.Register(&error);
    SetEvent(self->ready_);
    WaitForSingleObject(self->stop_, INFINITE);
    g_kolm.Revoke();
    CoUninitialize();
    return 0;
  }

  HANDLE ready_;
  HANDLE stop_;
  HANDLE thread_ = nullptr;
  bool registered_ = false;
  bool moved_back_ = false;
  bool registered_back_ = false;
};

TEST_F(UnloadStressTest, IdleWindowsOfAFreeThreadedHostUnloadWithoutHanging) {
  Watchdog dog(kWorkersGoneMs + 20000, "unload with a free-threaded host");
  g_kolm.Reset();
  FreeThreadedHost host;
  ASSERT_TRUE(host.registered());
  WritePrivateProfileStringA("Settings", "setup_view_area", "1", kIni);
  Load();
  ASSERT_FALSE(HasFatalFailure());
  // The host's calls now run on other threads: its records are not read
  // here, only the windows.
  api_.RunCommand0(0, "SHOWINFO");
  HWND setup = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    return (setup = FindPluginWindow(PluginWindow::kSettings)) != nullptr &&
           FindPluginWindow(PluginWindow::kAreaGrid) != nullptr;
  })) << "SHOWINFO did not open the settings window and the area grid";
  Watch(setup);
  Pump(kWorkersGoneMs);
  UnloadAndCheck();
  EXPECT_TRUE(host.MoveBack());
}

}  // namespace
