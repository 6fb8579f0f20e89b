// The windows' behaviour through the headless layer: the same logic the DLL
// runs, on a real window thread, driven through the module's entry points
// and a user's clicks.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "resources/resource.h"
#include "tests/ui/headless_fixture.h"

namespace {

using Macros = std::vector<std::string>;
using std::chrono::milliseconds;

const Macros kBpsk63 = {"<MODE:BPSK31>", "<BAUDRATE:63>"};

TEST_F(WindowsTest, FreshSettingsOpenTheWindowAtItsDefaultsAndCommandBpsk63) {
  Reset();  // fresh INI: the reset itself opens the window
  Settle();
  const HeadlessWindowState setup = Window(WindowKind::kSettings);
  ASSERT_TRUE(setup.open);
  EXPECT_EQ(setup.rect.left, 10);
  EXPECT_EQ(setup.rect.top, 200);
  EXPECT_TRUE(setup.topmost);
  EXPECT_EQ(setup.title, "Setup TZQ-2018");
  EXPECT_TRUE(setup.checks.at(IDC_SETUP_BPSK63));
  EXPECT_FALSE(setup.checks.at(IDC_SETUP_BPSK31));
  EXPECT_FALSE(setup.checks.at(IDC_SETUP_ON_TOP));
  EXPECT_EQ(Key("setup_mode_bpsk63"), "1");
  // The first update finds the dial far from 0 Hz and re-syncs the host.
  EXPECT_EQ(host_.Macros(), (Macros{"<MODE:BPSK31>", "<BAUDRATE:63>", "<SP1>"}));
  EXPECT_FALSE(Window(WindowKind::kAreaGrid).open);
  EXPECT_FALSE(Window(WindowKind::kPanel).open);
}

TEST_F(WindowsTest, StoredModesViewsAndPositionAreRestored) {
  folder_.Write("Plugins/TZQ.ini",
                "[Settings]\r\nsetup_mode_rtty=1\r\nsetup_mode_bpsk31=1\r\nsetup_view_area=1\r\n"
                "area_x=-1280\r\narea_y=0\r\noblast_x=300\r\n");
  Show();
  const HeadlessWindowState setup = Window(WindowKind::kSettings);
  EXPECT_TRUE(setup.checks.at(IDC_SETUP_BPSK31));
  EXPECT_TRUE(setup.checks.at(IDC_SETUP_RTTY));
  EXPECT_TRUE(setup.checks.at(IDC_SETUP_VIEW_AREA));
  EXPECT_EQ(setup.rect.left, -1280);
  EXPECT_EQ(setup.rect.top, 200);
  // Only the first stored mode in command order is sent.
  EXPECT_EQ(host_.Macros(), (Macros{"<MODE:BPSK31>", "<SP1>"}));
  EXPECT_EQ(Key("setup_mode_bpsk63"), "(none)");
  // The first update opens the stored view, at its own position.
  const HeadlessWindowState grid = Window(WindowKind::kAreaGrid);
  ASSERT_TRUE(grid.open);
  EXPECT_TRUE(grid.visible);
  EXPECT_EQ(grid.rect.left, 300);
  EXPECT_EQ(grid.rect.top, 400);
  EXPECT_FALSE(grid.topmost);
  EXPECT_FALSE(Window(WindowKind::kPanel).open);
}

TEST_F(WindowsTest, ModeClicksChangeOnlyTheStoredMode) {
  folder_.Write("Plugins/TZQ.ini", "[Settings]\r\nsetup_mode_bpsk31=1\r\n");
  Show();
  host_.ClearRecords();
  const std::string before = folder_.Read("Plugins/TZQ.ini");

  // The stored mode's box clears itself on the click and is set again; its
  // macros go out once more and nothing is written.
  Click(IDC_SETUP_BPSK31);
  EXPECT_TRUE(Window(WindowKind::kSettings).checks.at(IDC_SETUP_BPSK31));
  EXPECT_EQ(host_.Macros(), (Macros{"<MODE:BPSK31>"}));
  EXPECT_EQ(folder_.Read("Plugins/TZQ.ini"), before);

  host_.ClearRecords();
  Click(IDC_SETUP_RTTY);
  const HeadlessWindowState setup = Window(WindowKind::kSettings);
  EXPECT_TRUE(setup.checks.at(IDC_SETUP_RTTY));
  EXPECT_FALSE(setup.checks.at(IDC_SETUP_BPSK31));
  EXPECT_EQ(host_.Macros(), (Macros{"<MODE:RTTY>", "<BAUDRATE:45.45>"}));
  EXPECT_EQ(Key("setup_mode_rtty"), "1");
  EXPECT_EQ(Key("Mode"), "1");
  for (const char* other : {"setup_mode_bpsk31", "setup_mode_bpsk63", "setup_mode_bpsk125"}) {
    EXPECT_EQ(Key(other), "0") << other;
  }

  // The next settings window commands RTTY.
  host_.ClearRecords();
  module_->RunCommand("HIDEINFO");
  Show();
  EXPECT_EQ(host_.Macros(), (Macros{"<MODE:RTTY>", "<BAUDRATE:45.45>"}));
}

TEST_F(WindowsTest, ViewTogglesOpenAndCloseTheViewWindows) {
  Reset();
  Add("PY1ZZ", "40m", "RTTY", "RJ", 12, 0);
  module_->GetResult(nullptr);
  Settle();

  Click(IDC_SETUP_VIEW_AREA);
  HeadlessWindowState grid = Window(WindowKind::kAreaGrid);
  ASSERT_TRUE(grid.open);
  EXPECT_EQ(Key("setup_view_area"), "1");
  // The toggle's own update has filled it.
  EXPECT_EQ(grid.title, "TZQ-2018 Area on 40m");
  EXPECT_TRUE(grid.checks.at(IDC_AREA_RJ));

  Click(IDC_SETUP_VIEW_CALL);
  HeadlessWindowState panel = Window(WindowKind::kPanel);
  ASSERT_TRUE(panel.open);
  EXPECT_TRUE(panel.visible);
  EXPECT_EQ(panel.rect.left, 10);
  EXPECT_EQ(panel.rect.top, 400);
  EXPECT_EQ(Key("setup_view_call"), "1");
  EXPECT_GE(panel.repaints, 1);

  // A view closed by its own close box is only hidden: updates leave it so.
  ASSERT_TRUE(layer_.UserClose(WindowKind::kAreaGrid));
  Update("PY1ZZ", 7035000);
  grid = Window(WindowKind::kAreaGrid);
  EXPECT_TRUE(grid.open);
  EXPECT_FALSE(grid.visible);

  // Its box then closes it for good, and a second click brings it back.
  Click(IDC_SETUP_VIEW_AREA);
  EXPECT_FALSE(Window(WindowKind::kAreaGrid).open);
  EXPECT_EQ(Key("setup_view_area"), "0");
  Click(IDC_SETUP_VIEW_AREA);
  EXPECT_TRUE(Window(WindowKind::kAreaGrid).visible);

  Click(IDC_SETUP_VIEW_CALL);
  EXPECT_FALSE(Window(WindowKind::kPanel).open);
  EXPECT_EQ(Key("setup_view_call"), "0");
}

TEST_F(WindowsTest, OnTopReopensTheViewsTopmost) {
  folder_.Write("Plugins/TZQ.ini", "[Settings]\r\nsetup_view_area=1\r\nsetup_view_call=1\r\n");
  Show();
  ASSERT_TRUE(Window(WindowKind::kAreaGrid).open);
  EXPECT_FALSE(Window(WindowKind::kAreaGrid).topmost);

  Click(IDC_SETUP_ON_TOP);
  EXPECT_EQ(Key("setup_window_on_top"), "1");
  EXPECT_TRUE(Window(WindowKind::kSettings).checks.at(IDC_SETUP_ON_TOP));
  EXPECT_TRUE(Window(WindowKind::kAreaGrid).topmost);
  EXPECT_TRUE(Window(WindowKind::kPanel).topmost);

  // A new settings window starts with the box clear although the flag is
  // still set; its first click sets the flag again.
  module_->RunCommand("SHOWINFO");
  Settle();
  EXPECT_FALSE(Window(WindowKind::kSettings).checks.at(IDC_SETUP_ON_TOP));
  EXPECT_TRUE(Window(WindowKind::kAreaGrid).topmost);
  Click(IDC_SETUP_ON_TOP);
  EXPECT_EQ(Key("setup_window_on_top"), "1");
  Click(IDC_SETUP_ON_TOP);
  EXPECT_EQ(Key("setup_window_on_top"), "0");
  EXPECT_FALSE(Window(WindowKind::kAreaGrid).topmost);
}

TEST_F(WindowsTest, WithoutAHostTheViewsStillToggleButNothingUpdates) {
  host_.SetRunning(false);
  folder_.Write("Plugins/TZQ.ini", "[Settings]\r\nsetup_view_area=1\r\n");
  Show();
  EXPECT_TRUE(host_.Macros().empty());
  // No update work: the stored view is not opened, but the flag is set again.
  EXPECT_FALSE(Window(WindowKind::kAreaGrid).open);
  EXPECT_EQ(module_->updateReady().load(), 1);
  Click(IDC_SETUP_VIEW_CALL);
  EXPECT_TRUE(Window(WindowKind::kPanel).open);
  EXPECT_EQ(Window(WindowKind::kPanel).repaints, 0);
  Click(IDC_SETUP_ON_TOP);
  EXPECT_FALSE(Window(WindowKind::kPanel).open);
}

TEST_F(WindowsTest, UpdateFillsThePreviousQsoRowsAndTitles) {
  Reset();
  Add("PY1ZZ", "40m", "RTTY", "RJ", 12, 0);
  Add("PY1ZZ", "20m", "RTTY", "YL", 14, 10);
  Add("PY1ZZ", "40m", "BPSK31", "RJ", 13, 5);  // later in the store, earlier in time
  Add("PY3AA", "15m", "RTTY", "SP", 15, 0);
  Click(IDC_SETUP_VIEW_CALL);

  Update("PY1ZZ", 7035000);
  EXPECT_EQ(Row(2), (std::vector<std::string>{"40m", "13:05", "BPSK31", "RJ", "-"}));
  EXPECT_EQ(Row(3), (std::vector<std::string>{"20m", "14:10", "RTTY", "", "-"}));
  EXPECT_EQ(Row(4), (std::vector<std::string>{"15m", "   -", "   -", " -", "-"}));
  // The 160 m slot carries the band list's first entry and never a QSO.
  EXPECT_EQ(Row(0), (std::vector<std::string>{"80m", "   -", "   -", " -", "-"}));
  EXPECT_EQ(Window(WindowKind::kPanel).title, "TZQ-2018 worked with PY1ZZ");
  const PanelPicture picture = Window(WindowKind::kPanel).picture;
  ASSERT_FALSE(picture.texts.empty());
  EXPECT_EQ(picture.texts[0].text, "PY1ZZ");
  ASSERT_EQ(picture.fills.size(), 2u);  // the 40 m row is highlighted

  Update("PY9QQ", 7035000);
  EXPECT_EQ(Row(2), (std::vector<std::string>{"40m", "   -", "   -", " -", "-"}));
  EXPECT_EQ(Window(WindowKind::kPanel).title, "TZQ-2018 worked with PY9QQ");

  Update("", 7035000);
  EXPECT_EQ(Window(WindowKind::kPanel).title, "TZQ-2018 Previous QSO");
  EXPECT_EQ(Display().typedCall, "");

  // One or two characters: stored, but nothing else moves.
  const int repaints = Window(WindowKind::kPanel).repaints;
  const int frequency_reads = host_.Count(HostCall::kFrequency);
  Update("PY", 14070000);
  EXPECT_EQ(Display().typedCall, "PY");
  EXPECT_EQ(Display().currentBand, 2);
  EXPECT_EQ(Window(WindowKind::kPanel).title, "TZQ-2018 Previous QSO");
  EXPECT_EQ(Window(WindowKind::kPanel).repaints, repaints);
  EXPECT_EQ(host_.Count(HostCall::kFrequency), frequency_reads);
}

TEST_F(WindowsTest, FrequencyPicksTheBandAndResyncsTheHost) {
  Reset();
  Add("PY1ZZ", "40m", "RTTY", "RJ", 12, 0);
  Add("PY0XX", "40m", "RTTY", "YL", 12, 5, "PY0T");
  Add("PY4AA", "10m", "RTTY", "MG", 12, 9);
  module_->GetResult(nullptr);
  Click(IDC_SETUP_VIEW_AREA);
  host_.ClearRecords();

  Update("PY1ZZ", 7035100);  // within 300 Hz of the last sent 7.035 MHz
  HeadlessWindowState grid = Window(WindowKind::kAreaGrid);
  EXPECT_EQ(grid.title, "TZQ-2018 Area on 40m");
  EXPECT_TRUE(grid.checks.at(IDC_AREA_RJ));
  EXPECT_TRUE(grid.checks.at(IDC_AREA_PY0T));
  EXPECT_FALSE(grid.checks.at(IDC_AREA_MG));
  EXPECT_TRUE(host_.Macros().empty());

  Update("PY1ZZ", 7035300);  // exactly 300 Hz: not yet
  EXPECT_TRUE(host_.Macros().empty());
  Update("PY1ZZ", 7035301);
  EXPECT_EQ(host_.Macros(), (Macros{"<SP1>"}));
  Update("PY1ZZ", 7035400);  // measured from 7035301 now
  EXPECT_EQ(host_.Macros(), (Macros{"<SP1>"}));

  // Off every band: grid and band stay as they were.
  Update("PY1ZZ", 29200000);
  EXPECT_EQ(Window(WindowKind::kAreaGrid).title, "TZQ-2018 Area on 40m");
  EXPECT_EQ(Display().currentBand, 2);
  EXPECT_EQ(host_.Macros().size(), 2u);

  Update("PY1ZZ", 28999000);
  grid = Window(WindowKind::kAreaGrid);
  EXPECT_EQ(grid.title, "TZQ-2018 Area on 10m");
  EXPECT_TRUE(grid.checks.at(IDC_AREA_MG));
  EXPECT_FALSE(grid.checks.at(IDC_AREA_RJ));
  EXPECT_EQ(Display().currentBand, 5);
}

TEST_F(WindowsTest, FailedHostCallsEndTheUpdateButKeepUpdatesComing) {
  Reset();
  Click(IDC_SETUP_VIEW_AREA);
  ASSERT_EQ(Window(WindowKind::kAreaGrid).title, "TZQ-2018 Area on 40m");

  host_.SetFailing(HostCall::kTypedCall, true);
  const int asked = host_.Count(HostCall::kTypedCall);
  for (int i = 1; i <= 3; ++i) {
    Update("PY1ZZ", 14070000);
    EXPECT_EQ(host_.Count(HostCall::kTypedCall), asked + i);
  }
  EXPECT_EQ(Window(WindowKind::kAreaGrid).title, "TZQ-2018 Area on 40m");

  // A failing "<SP1>" stops before the band, and is tried again next time.
  host_.SetFailing(HostCall::kTypedCall, false);
  host_.SetFailing(HostCall::kMacro, true);
  Update("PY1ZZ", 14070000);
  EXPECT_EQ(Window(WindowKind::kAreaGrid).title, "TZQ-2018 Area on 40m");
  host_.SetFailing(HostCall::kMacro, false);
  Update("PY1ZZ", 14070000);
  EXPECT_EQ(Window(WindowKind::kAreaGrid).title, "TZQ-2018 Area on 20m");
  EXPECT_EQ(module_->updateReady().load(), 1);
}

TEST_F(WindowsTest, EachWindowSavesItsOwnPosition) {
  folder_.Write("Plugins/TZQ.ini", "[Settings]\r\nsetup_view_call=1\r\n");
  Show();
  ASSERT_TRUE(layer_.Drag(WindowKind::kSettings, -1280, 300));
  ASSERT_TRUE(layer_.Drag(WindowKind::kPanel, 640, 10));
  Settle();
  EXPECT_EQ(Key("area_x"), "-1280");
  EXPECT_EQ(Key("area_y"), "300");
  EXPECT_EQ(Key("dxcc_x"), "640");
  EXPECT_EQ(Key("dxcc_y"), "10");
  // Unmoved axes are not written.
  const std::string before = folder_.Read("Plugins/TZQ.ini");
  ASSERT_TRUE(layer_.Drag(WindowKind::kSettings, -1280, 300));
  Settle();
  EXPECT_EQ(folder_.Read("Plugins/TZQ.ini"), before);

  module_->RunCommand("SHOWINFO");
  Settle();
  EXPECT_EQ(Window(WindowKind::kSettings).rect.left, -1280);
  EXPECT_EQ(Window(WindowKind::kPanel).rect.left, 640);
}

// Starting and stopping the window thread.

TEST_F(WindowsTest, ShowInfoTwiceReplacesTheWindow) {
  Show();
  Click(IDC_SETUP_VIEW_AREA);
  module_->RunCommand("SHOWINFO");
  Settle();
  EXPECT_EQ(layer_.Screen().settingsWindowsOpened, 2);
  EXPECT_TRUE(Window(WindowKind::kSettings).open);
  // The stored view comes back with the new window's first update.
  EXPECT_TRUE(Window(WindowKind::kAreaGrid).open);
  EXPECT_EQ(host_.Macros(),
            (Macros{"<MODE:BPSK31>", "<BAUDRATE:63>", "<SP1>", "<MODE:BPSK31>", "<BAUDRATE:63>"}));
  EXPECT_EQ(host_.Released(), 1);
}

TEST_F(WindowsTest, HideInfoClosesEverythingAndOnlyWhenOpen) {
  module_->RunCommand("HIDEINFO");
  EXPECT_FALSE(layer_.SettingsWindowExists());

  folder_.Write("Plugins/TZQ.ini", "[Settings]\r\nsetup_view_area=1\r\nsetup_view_call=1\r\n");
  Show();
  ASSERT_TRUE(Window(WindowKind::kPanel).open);
  module_->RunCommand("HIDEINFO");
  EXPECT_FALSE(layer_.SettingsWindowExists());
  const HeadlessScreen screen = layer_.Screen();
  EXPECT_FALSE(screen.settings.open);
  EXPECT_FALSE(screen.areaGrid.open);
  EXPECT_FALSE(screen.panel.open);
  EXPECT_EQ(host_.Released(), 1);
  // Nothing is posted to a window that is gone, so the flag stays set.
  CheckCall();
  EXPECT_EQ(module_->updateReady().load(), 1);

  // The user closes the window: HIDEINFO has nothing to do, SHOWINFO opens.
  Show();
  ASSERT_TRUE(layer_.UserClose(WindowKind::kSettings));
  for (int i = 0; i < 100 && layer_.SettingsWindowExists(); ++i) {
    std::this_thread::sleep_for(milliseconds(10));
  }
  EXPECT_FALSE(layer_.SettingsWindowExists());
  module_->RunCommand("HIDEINFO");
  Show();
  EXPECT_TRUE(Window(WindowKind::kSettings).open);
  EXPECT_EQ(layer_.Screen().settingsWindowsOpened, 3);
}

TEST_F(WindowsTest, TwoCallChecksPostOneUpdate) {
  host_.SetServedByOwner(true);
  module_->RunCommand("SHOWINFO");
  // Serve the start-up work until the first update has run.
  for (int i = 0; i < 200 && host_.Count(HostCall::kFrequency) < 1; ++i)
    host_.Serve(milliseconds(10));
  while (host_.Serve(milliseconds(50)) > 0) {
  }
  const int updates = host_.Count(HostCall::kTypedCall);

  CheckCall();
  CheckCall();  // the first update is still waiting on this thread: no post
  for (int i = 0; i < 20; ++i) host_.Serve(milliseconds(10));
  EXPECT_EQ(host_.Count(HostCall::kTypedCall), updates + 1);

  CheckCall();  // the handler has ended: the flag lets the next one through
  for (int i = 0; i < 20; ++i) host_.Serve(milliseconds(10));
  EXPECT_EQ(host_.Count(HostCall::kTypedCall), updates + 2);
}

TEST_F(WindowsTest, ClosingNeverHangsOnAHostCallThatThisThreadServes) {
  host_.SetServedByOwner(true);
  module_->RunCommand("SHOWINFO");
  for (int i = 0; i < 200 && host_.Count(HostCall::kFrequency) < 1; ++i)
    host_.Serve(milliseconds(10));
  while (host_.Serve(milliseconds(50)) > 0) {
  }
  host_.SetDelay(milliseconds(100));  // and a slow host on top

  CheckCall();
  // Wait until the update is stuck in a host call only this thread serves.
  for (int i = 0; i < 200 && host_.Waiting() == 0; ++i)
    std::this_thread::sleep_for(milliseconds(5));
  ASSERT_EQ(host_.Waiting(), 1);

  const auto start = std::chrono::steady_clock::now();
  module_->RunCommand("HIDEINFO");
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_FALSE(layer_.SettingsWindowExists());
  EXPECT_LT(took, milliseconds(3000));
  EXPECT_EQ(layer_.abandonedSessions(), 0);
  // The update ran to its end before the window closed.
  EXPECT_EQ(host_.Count(HostCall::kFrequency), 2);
}

TEST_F(WindowsTest, NoSecondWindowThreadWhileAGivenUpOneStillRuns) {
  Show();
  layer_.setCloseLimit(milliseconds(200));
  host_.SetDelay(milliseconds(1500));
  const auto stuck_since = std::chrono::steady_clock::now();
  CheckCall();  // the update sits in a host call for 1.5 s
  std::this_thread::sleep_for(milliseconds(100));
  module_->RunCommand("HIDEINFO");
  EXPECT_EQ(layer_.abandonedSessions(), 1);
  EXPECT_FALSE(layer_.SettingsWindowExists());
  module_->RunCommand("SHOWINFO");  // refused while the old thread runs
  EXPECT_FALSE(layer_.SettingsWindowExists());
  EXPECT_EQ(layer_.Screen().settingsWindowsOpened, 1);

  host_.SetDelay(milliseconds(0));
  std::this_thread::sleep_until(stuck_since + milliseconds(2500));
  module_->RunCommand("SHOWINFO");  // the old thread has ended by now
  EXPECT_TRUE(layer_.SettingsWindowExists());
  EXPECT_EQ(layer_.Screen().settingsWindowsOpened, 2);
}

TEST_F(WindowsTest, CloseRightAfterStartStillCloses) {
  for (int i = 0; i < 20; ++i) {
    module_->RunCommand("SHOWINFO");
    module_->RunCommand("HIDEINFO");
    ASSERT_FALSE(layer_.SettingsWindowExists());
    ASSERT_FALSE(Window(WindowKind::kSettings).open);
  }
  EXPECT_EQ(layer_.abandonedSessions(), 0);
}

TEST_F(WindowsTest, TheHostCallingInWhileServedLeavesNoWindowBehind) {
  // HIDEINFO from inside SHOWINFO's wait for the new window. The host waits
  // for this thread, so the new window's first host call keeps SHOWINFO
  // waiting however fast the window thread starts.
  host_.SetServedByOwner(true);
  reenter_ = [this] { module_->RunCommand("HIDEINFO"); };
  module_->RunCommand("SHOWINFO");
  ASSERT_FALSE(reenter_);
  EXPECT_FALSE(layer_.SettingsWindowExists());
  host_.SetServedByOwner(false);
  // SHOWINFO from inside HIDEINFO's wait (a slow host keeps the old window
  // busy): the new window stays.
  Show();
  host_.SetDelay(milliseconds(50));
  CheckCall();
  reenter_ = [this] {
    host_.SetDelay(milliseconds(0));
    module_->RunCommand("SHOWINFO");
  };
  module_->RunCommand("HIDEINFO");
  ASSERT_FALSE(reenter_);
  EXPECT_TRUE(layer_.SettingsWindowExists());
  Settle();
  EXPECT_EQ(layer_.Screen().settingsWindowsOpened, 3);
  EXPECT_EQ(layer_.abandonedSessions(), 0);
}

TEST_F(WindowsTest, UnloadClosesWithoutReleasingTheHost) {
  folder_.Write("Plugins/TZQ.ini", "[Settings]\r\nsetup_view_area=1\r\nsetup_view_call=1\r\n");
  Show();
  ASSERT_TRUE(Window(WindowKind::kPanel).open);
  layer_.BeginUnload(false);
  module_->Stop();
  const HeadlessScreen screen = layer_.Screen();
  EXPECT_FALSE(screen.settings.open || screen.areaGrid.open || screen.panel.open);
  EXPECT_EQ(host_.Released(), 0);
  EXPECT_EQ(host_.Abandoned(), 1);
  // Nothing starts once the library is going.
  module_->RunCommand("SHOWINFO");
  EXPECT_FALSE(layer_.SettingsWindowExists());
}

}  // namespace
