// WindowsTest: a StatsModule of the test's own with the headless window
// layer and a scripted host, in a fresh working folder. The host answers at
// once unless a test makes it wait for this thread (served mode), in which
// case closing the windows serves it while it waits, as the DLL serves COM
// calls into the host's apartment.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "engine/settings_store_headless.h"
#include "engine/message_boxes_headless.h"
#include "plugin/stats_module.h"
#include "host/host_link_headless.h"
#include "reports/host_executables_headless.h"
#include "reports/header_dialog_headless.h"
#include "tests/support/temp_folder.h"
#include "ui/window_layer_headless.h"

class WindowsTest : public ::testing::Test {
 protected:
  WindowsTest() {
    host_.SetRunning(true);
    host_.SetFrequency(7035000);
    layer_.Bind(module_.get());
  }
  ~WindowsTest() override { module_->Stop(); }

  void Reset() {
    module_->ResetStats(0, "PY2AA", COleDateTime::FromCalendar(2018, 6, 9, 0, 0, 0),
                        COleDateTime::FromCalendar(2018, 6, 10, 0, 0, 0));
  }
  int Add(const std::string& call, const std::string& band, const std::string& mode,
          const std::string& exch, int hour, int minute, const std::string& prefix = "PY") {
    QsoArgs qso;
    qso.ownCall = "PY2AA";
    qso.call = call;
    qso.band = band;
    qso.mode = mode;
    qso.rstSent = qso.rstRcvd = "599";
    qso.exchSent = "SP";
    qso.exchRcvd = exch;
    qso.dxPrefix = prefix;
    qso.qsoTime = COleDateTime::FromCalendar(2018, 6, 9, hour, minute, 0);
    qso.freqHz = 7035000;
    return module_->AddData(qso);
  }
  int CheckCall(const char* call = "PY1ZZ") {
    CallCheckArgs args;
    args.call = call;
    args.mode = "RTTY";
    args.dxPrefix = "PY";
    args.area = "RJ";
    args.band = "40m";
    return module_->CheckCall(args);
  }
  // Lets the window thread handle what is queued, including what its own
  // handlers post meanwhile.
  void Settle() {
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(layer_.Sync());
  }
  void Show() {
    module_->RunCommand("SHOWINFO");
    Settle();
  }
  // One update as a call check triggers it, with the host showing `call`
  // at `hertz`.
  void Update(const std::string& call, double hertz) {
    host_.SetTypedCall(call);
    host_.SetFrequency(hertz);
    CheckCall();
    Settle();
  }
  void Click(int control) {
    ASSERT_TRUE(layer_.Click(control));
    Settle();
  }
  std::string Key(const std::string& key) { return module_->settings().Text(key, "(none)"); }
  HeadlessWindowState Window(WindowKind kind) const { return layer_.Screen().Of(kind); }
  std::vector<std::string> Row(int band) {
    std::lock_guard<std::mutex> guard(module_->tablesLock());
    return module_->bandTables().previousQsoRows[band];
  }
  DisplayState Display() {
    std::lock_guard<std::mutex> guard(module_->tablesLock());
    return module_->display();
  }

  TempFolder folder_;
  IniFileStore settings_;
  RecordingMessageBoxes boxes_;
  ScriptedHeaderDialog header_;
  FolderExecutables executables_;
  ScriptedHost host_;
  // Runs once, from inside the next wait that serves the host: the host's
  // code calling the plug-in again while it is being served.
  std::function<void()> reenter_;
  HeadlessWindowLayer layer_{[this] { return host_.NewLink(); },
                             [this](std::chrono::milliseconds step) {
                               if (reenter_) std::exchange(reenter_, nullptr)();
                               host_.Serve(step);
                             }};
  std::unique_ptr<StatsModule> module_ = std::make_unique<StatsModule>(
      Platform{&settings_, &boxes_, &header_, &layer_, &executables_});
};
