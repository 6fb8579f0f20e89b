// The DLL's real windows under Wine: loaded by file name like the host does,
// driven through the exported functions, with a fake host automation object
// served by this (the main) thread, and inspected and clicked with Win32
// calls. Clicks are posted, never sent: the window thread calls the host
// from its click handlers, and the host is this thread.

#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <filesystem>
#include <functional>

#include "resources/resource.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/fake_kolm_win32.h"
#include "tests/ui/kolm_environment_win32.h"
#include "tests/ui/win32_test_host.h"
#include "tools/plugin_loader/host_calls.h"
#include "tools/plugin_loader/plugin_library.h"

namespace {

using Macros = std::vector<std::string>;

const std::string kPluginPath =
    (std::filesystem::current_path() / PluginLibrary::DefaultFileName()).string();

class DllWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_kolm.Reset();
    std::string error;
    ASSERT_TRUE(library_.Open(kPluginPath, &error)) << error;
    ASSERT_TRUE(api_.Resolve(library_, &error)) << error;
  }
  void TearDown() override {
    {
      Watchdog dog(10000, "unloading the plug-in");
      library_.Close();
    }
    // A window thread that has left the library may still be ending its
    // COM apartment, which needs this thread.
    Pump(50);
  }

  void Reset() {
    const HostDate start = HostDate::At(2018, 6, 9), end = HostDate::At(2018, 6, 10);
    CallReset(api_.ResetStats0, 0, "PY2AA", &start, &end);
  }
  void Add(const char* call, const char* band, const char* exch, int minute,
           const char* prefix = "PY") {
    HostQso q;
    HostDate when = HostDate::At(2018, 6, 9, 12, minute);
    q.time = &when;
    q.call = call;
    q.band = band;
    q.exchRcvd = exch;
    q.dxPrefix = prefix;
    ASSERT_EQ(CallQso(api_.AddData0, q), 1);
  }
  void CheckCall() {
    HostCallCheck check;
    CallCheck(api_.CheckCall0, check);
  }
  void Command(const char* command) {
    Watchdog dog(10000, command);
    api_.RunCommand0(0, command);
  }
  // Opens the settings window and waits for its first update to end.
  HWND Show() {
    Command("SHOWINFO");
    return WaitForSettings();
  }
  HWND WaitForSettings() {
    HWND setup = nullptr;
    EXPECT_TRUE(PumpUntil(
        [&] {
          setup = FindPluginWindow(PluginWindow::kSettings);
          return setup != nullptr && g_kolm.Count(2) >= 1;
        },
        kLimitMs));
    Settle();
    return setup;
  }
  // An update as a call check triggers it, waited for until it has ended.
  // The call check is repeated until one posts: the update before may still
  // be finishing, and until it has, a call check posts nothing.
  void Update(const wchar_t* call, double hertz) {
    g_kolm.SetTypedCall(call);
    g_kolm.SetFrequency(hertz);
    const int reads = g_kolm.Count(2);
    EXPECT_TRUE(PumpUntil(
        [&] {
          if (g_kolm.Count(2) > reads) return true;
          CheckCall();
          return false;
        },
        kLimitMs));
    Settle();
  }
  // Returns once the update under way has made its last host call, however
  // slow the machine: a call check posts an update only when the last one
  // has ended, so a new entry-field read proves that. The new update
  // repeats the last one (same call, same frequency), so it changes nothing
  // the tests look at, and its frequency read is its last host call.
  void Settle() {
    const int started = g_kolm.Count(8), reads = g_kolm.Count(2);
    EXPECT_TRUE(PumpUntil(
        [&] {
          if (g_kolm.Count(8) > started) return true;
          CheckCall();
          return false;
        },
        kLimitMs));
    EXPECT_TRUE(PumpUntil([&] { return g_kolm.Count(2) > reads; }, kLimitMs));
  }
  // Without pumping: call checks until one has posted an update and that
  // update's first host call waits in this thread's queue (COM brings it as
  // a message), so that the window thread is now blocked in it.
  void PostUpdateAndAwaitHostCall() {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kLimitMs) {
      CheckCall();
      for (int i = 0; i < 10; ++i) {
        if (HIWORD(GetQueueStatus(QS_POSTMESSAGE | QS_SENDMESSAGE)) != 0) return;
        Sleep(5);
      }
    }
    ADD_FAILURE() << "no update reached the host";
  }
  void Click(HWND dialog, int control) {
    PostMessageA(GetDlgItem(dialog, control), BM_CLICK, 0, 0);
  }
  // What the tests wait for after a click: each answers the value it last
  // read, so that a failure shows what was there when the time ran out.
  static std::string AwaitIni(const char* key, const std::string& expected) {
    std::string value;
    PumpUntil([&] { return (value = IniValue(key)) == expected; }, kLimitMs);
    return value;
  }
  static UINT AwaitCheck(HWND dialog, int control, UINT expected) {
    UINT state = 0;
    PumpUntil([&] { return (state = IsDlgButtonChecked(dialog, control)) == expected; }, kLimitMs);
    return state;
  }
  static Macros AwaitMacros(const Macros& expected) {
    PumpUntil([&] { return g_kolm.macros() == expected; }, kLimitMs);
    return g_kolm.macros();
  }

  // Generous: under emulation and with both cores busy a window thread can
  // take seconds to get to a message.
  static constexpr DWORD kLimitMs = 30000;

  TempFolder folder_;  // outlives the plug-in
  PluginLibrary library_;
  PluginApi api_;
};

TEST_F(DllWindowsTest, FreshSettingsOpenTopmostAtDefaultsAndCommandBpsk63) {
  Reset();  // no Start key yet: the reset opens the window
  HWND setup = WaitForSettings();
  ASSERT_NE(setup, nullptr);
  RECT r;
  GetWindowRect(setup, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 200);
  EXPECT_TRUE(IsTopmost(setup));
  EXPECT_EQ(TitleOf(setup), "Setup TZQ-2018");
  EXPECT_EQ(IsDlgButtonChecked(setup, IDC_SETUP_BPSK63), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(setup, IDC_SETUP_ON_TOP), BST_UNCHECKED);
  EXPECT_EQ(g_kolm.macros(), (Macros{"<MODE:BPSK31>", "<BAUDRATE:63>", "<SP1>"}));
  EXPECT_EQ(g_kolm.lastField(), 5);
  EXPECT_EQ(IniValue("setup_mode_bpsk63"), "1");
  EXPECT_EQ(FindPluginWindow(PluginWindow::kAreaGrid), nullptr);
  EXPECT_EQ(FindPluginWindow(PluginWindow::kPanel), nullptr);
}

TEST_F(DllWindowsTest, ModeClicksWriteTheKeysAndCommandTheHost) {
  HWND setup = Show();
  ASSERT_NE(setup, nullptr);
  g_kolm.Reset();
  Click(setup, IDC_SETUP_BPSK63);  // the stored mode: set again, no key written
  // The keys are written before the host is commanded: once the macros are
  // there, a key that was going to be written is.
  EXPECT_EQ(AwaitMacros({"<MODE:BPSK31>", "<BAUDRATE:63>"}),
            (Macros{"<MODE:BPSK31>", "<BAUDRATE:63>"}));
  EXPECT_EQ(IsDlgButtonChecked(setup, IDC_SETUP_BPSK63), BST_CHECKED);
  EXPECT_EQ(IniValue("Mode"), "(none)");

  g_kolm.Reset();
  Click(setup, IDC_SETUP_BPSK125);
  EXPECT_EQ(AwaitMacros({"<MODE:BPSK31>", "<BAUDRATE:125>"}),
            (Macros{"<MODE:BPSK31>", "<BAUDRATE:125>"}));
  EXPECT_EQ(IsDlgButtonChecked(setup, IDC_SETUP_BPSK125), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(setup, IDC_SETUP_BPSK63), BST_UNCHECKED);
  EXPECT_EQ(IniValue("setup_mode_bpsk125"), "1");
  EXPECT_EQ(IniValue("setup_mode_bpsk63"), "0");
  EXPECT_EQ(IniValue("setup_mode_bpsk31"), "0");
  EXPECT_EQ(IniValue("setup_mode_rtty"), "0");
  EXPECT_EQ(IniValue("Mode"), "1");
}

TEST_F(DllWindowsTest, ViewTogglesAndOnTop) {
  HWND setup = Show();
  ASSERT_NE(setup, nullptr);
  Click(setup, IDC_SETUP_VIEW_AREA);
  HWND grid = nullptr;
  ASSERT_TRUE(
      PumpUntil([&] { return (grid = FindPluginWindow(PluginWindow::kAreaGrid)); }, kLimitMs));
  EXPECT_EQ(AwaitIni("setup_view_area", "1"), "1");
  EXPECT_FALSE(IsTopmost(grid));
  RECT r;
  GetWindowRect(grid, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 400);
  Click(setup, IDC_SETUP_VIEW_CALL);
  ASSERT_TRUE(
      PumpUntil([&] { return FindPluginWindow(PluginWindow::kPanel) != nullptr; }, kLimitMs));
  EXPECT_EQ(AwaitIni("setup_view_call", "1"), "1");

  // On top: both views are made again, now topmost.
  Click(setup, IDC_SETUP_ON_TOP);
  EXPECT_EQ(AwaitIni("setup_window_on_top", "1"), "1");
  EXPECT_TRUE(PumpUntil(
      [&] {
        HWND g = FindPluginWindow(PluginWindow::kAreaGrid);
        HWND p = FindPluginWindow(PluginWindow::kPanel);
        return g != nullptr && p != nullptr && IsTopmost(g) && IsTopmost(p);
      },
      kLimitMs));
  EXPECT_EQ(CountPluginWindows(PluginWindow::kAreaGrid), 1);

  Click(setup, IDC_SETUP_VIEW_AREA);
  EXPECT_TRUE(
      PumpUntil([&] { return FindPluginWindow(PluginWindow::kAreaGrid) == nullptr; }, kLimitMs));
  EXPECT_EQ(AwaitIni("setup_view_area", "0"), "0");
}

TEST_F(DllWindowsTest, UpdateFillsTitlesMarksAndThePanel) {
  folder_.Write("Plugins/TZQ.ini",
                "[Settings]\r\nStart=0\r\nsetup_view_area=1\r\n"
                "setup_view_call=1\r\n");
  Reset();
  Add("PY1ZZ", "40m", "RJ", 0);
  Add("PY0AA", "40m", "YL", 1, "PY0F");
  Add("PY4MG", "20m", "MG", 2);
  api_.GetResult0(nullptr);
  WaitForSettings();

  Update(L"PY1ZZ", 7035000);
  HWND grid = FindPluginWindow(PluginWindow::kAreaGrid);
  HWND panel = FindPluginWindow(PluginWindow::kPanel);
  ASSERT_NE(grid, nullptr);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(TitleOf(grid), "TZQ-2018 Area on 40m");
  EXPECT_EQ(TitleOf(panel), "TZQ-2018 worked with PY1ZZ");
  EXPECT_EQ(IsDlgButtonChecked(grid, IDC_AREA_RJ), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(grid, IDC_AREA_PY0F), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(grid, IDC_AREA_MG), BST_UNCHECKED);

  // The panel's 40 m row (band index 2) is drawn highlighted.
  HWND button = GetDlgItem(panel, IDC_INFO_BUTTON);
  RECT client;
  GetClientRect(button, &client);
  const int h = client.bottom / 7;
  auto pixel = [&](int y) {
    HDC dc = GetDC(button);
    const COLORREF c = GetPixel(dc, 3, y);
    ReleaseDC(button, dc);
    return c;
  };
  EXPECT_TRUE(PumpUntil([&] { return pixel(3 * h + 2) == RGB(198, 255, 255); }, kLimitMs));
  EXPECT_EQ(pixel(5 * h + 2), RGB(255, 255, 198));

  // 29.2 MHz is on no band: the grid keeps 40 m.
  Update(L"PY1ZZ", 29200000);
  EXPECT_EQ(TitleOf(grid), "TZQ-2018 Area on 40m");
  Update(L"PY4MG", 14070000);
  EXPECT_EQ(TitleOf(grid), "TZQ-2018 Area on 20m");
  EXPECT_EQ(IsDlgButtonChecked(grid, IDC_AREA_MG), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(grid, IDC_AREA_RJ), BST_UNCHECKED);
  EXPECT_EQ(TitleOf(panel), "TZQ-2018 worked with PY4MG");

  // A field answer that is not text is an empty call.
  g_kolm.SetFieldIsText(false);
  Update(L"", 14070000);
  EXPECT_EQ(TitleOf(panel), "TZQ-2018 Previous QSO");
}

TEST_F(DllWindowsTest, Sp1OnlyAfterTheDialMovedMoreThan300Hz) {
  Show();
  ASSERT_FALSE(g_kolm.macros().empty());
  ASSERT_EQ(g_kolm.macros().back(), "<SP1>");  // the first update, from 0 Hz
  g_kolm.Reset();
  Update(L"PY1ZZ", 7035300);
  EXPECT_TRUE(g_kolm.macros().empty());
  Update(L"PY1ZZ", 7035301);
  EXPECT_EQ(g_kolm.macros(), (Macros{"<SP1>"}));
  Update(L"PY1ZZ", 7035500);
  EXPECT_EQ(g_kolm.macros(), (Macros{"<SP1>"}));
}

TEST_F(DllWindowsTest, TwoCallChecksPostOneUpdate) {
  Show();
  const int updates = g_kolm.Count(8);
  // Not pumping: the posted update cannot end before this thread serves its
  // host calls, so another call check finds the flag cleared.
  PostUpdateAndAwaitHostCall();
  CheckCall();
  EXPECT_TRUE(PumpUntil([&] { return g_kolm.Count(8) > updates; }, kLimitMs));
  // Room for a second update to show itself if one had been posted.
  Pump(300);
  EXPECT_EQ(g_kolm.Count(8), updates + 1);
  // Once that update has ended, a call check posts again.
  EXPECT_TRUE(PumpUntil(
      [&] {
        if (g_kolm.Count(8) > updates + 1) return true;
        CheckCall();
        return false;
      },
      kLimitMs));
}

TEST_F(DllWindowsTest, FailedHostCallsKeepUpdatesComing) {
  Show();
  g_kolm.SetFailing(8, true);
  const int updates = g_kolm.Count(8), reads = g_kolm.Count(2);
  for (int i = 1; i <= 3; ++i) {
    // Each call check posts only once the failed update before has ended.
    EXPECT_TRUE(PumpUntil(
        [&] {
          CheckCall();
          return g_kolm.Count(8) == updates + i;
        },
        kLimitMs))
        << i;
  }
  EXPECT_EQ(g_kolm.Count(2), reads);  // no update got as far as the frequency
}

TEST_F(DllWindowsTest, ShowInfoTwiceThenHideInfo) {
  HWND first = Show();
  ASSERT_NE(first, nullptr);
  HWND second = Show();
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(CountPluginWindows(PluginWindow::kSettings), 1);
  EXPECT_EQ(g_kolm.Count(16), 2 * 2 + 1);  // the mode twice, "<SP1>" once

  Command("HIDEINFO");
  EXPECT_FALSE(IsWindow(second));
  Command("HIDEINFO");  // nothing left to close
  EXPECT_EQ(FindPluginWindow(PluginWindow::kSettings), nullptr);
}

TEST_F(DllWindowsTest, CloseRightAfterStartStillCloses) {
  for (int i = 0; i < 5; ++i) {
    Command("SHOWINFO");
    Command("HIDEINFO");
    Pump(20);
    EXPECT_EQ(FindPluginWindow(PluginWindow::kSettings), nullptr) << i;
  }
}

TEST_F(DllWindowsTest, WindowsSaveAndRestoreTheirPositions) {
  HWND setup = Show();
  ASSERT_NE(setup, nullptr);
  SetWindowPos(setup, nullptr, -1280, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(setup, WM_SETCURSOR, reinterpret_cast<WPARAM>(setup),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(AwaitIni("area_x", "-1280"), "-1280");
  EXPECT_EQ(AwaitIni("area_y", "300"), "300");
  setup = Show();
  RECT r;
  GetWindowRect(setup, &r);
  EXPECT_EQ(r.left, -1280);
  EXPECT_EQ(r.top, 300);
}

// Closing while the window thread waits in a host call that only this
// thread can serve: a synchronous close would deadlock here.
TEST_F(DllWindowsTest, HideInfoReturnsWhileAnUpdateWaitsOnTheHost) {
  Show();
  g_kolm.SetDelay(100);          // and the host is slow
  PostUpdateAndAwaitHostCall();  // not pumping: the update is now stuck in its first call
  Command("HIDEINFO");
  EXPECT_EQ(FindPluginWindow(PluginWindow::kSettings), nullptr);
  Command("SHOWINFO");
  PostUpdateAndAwaitHostCall();
  Command("SHOWINFO");
  EXPECT_EQ(CountPluginWindows(PluginWindow::kSettings), 1);
}

TEST_F(DllWindowsTest, UnloadClosesAllThreeWindows) {
  folder_.Write("Plugins/TZQ.ini", "[Settings]\r\nsetup_view_area=1\r\nsetup_view_call=1\r\n");
  Show();
  HWND windows[3] = {};
  ASSERT_TRUE(PumpUntil(
      [&] {
        windows[0] = FindPluginWindow(PluginWindow::kSettings);
        windows[1] = FindPluginWindow(PluginWindow::kAreaGrid);
        windows[2] = FindPluginWindow(PluginWindow::kPanel);
        return windows[0] && windows[1] && windows[2];
      },
      kLimitMs));
  {
    Watchdog dog(10000, "FreeLibrary");
    library_.Close();
  }
  for (HWND w : windows) EXPECT_FALSE(IsWindow(w));
}

TEST_F(DllWindowsTest, UnloadWhileAnUpdateWaitsOnTheHost) {
  folder_.Write("Plugins/TZQ.ini", "[Settings]\r\nsetup_view_area=1\r\n");
  Show();
  PostUpdateAndAwaitHostCall();
  {
    Watchdog dog(10000, "FreeLibrary during a host call");
    library_.Close();
  }
  EXPECT_EQ(FindPluginWindow(PluginWindow::kSettings), nullptr);
  Pump(100);  // late calls from the ended thread find nobody
}

}  // namespace
