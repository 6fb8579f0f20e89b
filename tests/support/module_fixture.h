// ModuleTest: a StatsModule of the test's own on the test stand-ins, in a
// fresh working folder, with helpers that build the module's argument
// structs. The default QSO is a valid 40 m RTTY contact with PY1ZZ in RJ.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "plugin/stats_module.h"
#include "tests/support/fake_platform.h"
#include "tests/support/temp_folder.h"

struct Qso {
  std::string ownCall = "PY2AA", call = "PY1ZZ", mode = "RTTY", rstSent = "599", rstRcvd = "599",
              exchSent = "SP", exchRcvd = "RJ", dxPrefix = "PY", band = "40m";
  COleDateTime time = COleDateTime::FromCalendar(2018, 6, 9, 12, 0, 0);
  unsigned freqHz = 7035000;

  QsoArgs args() const {
    QsoArgs a;
    a.ownCall = ownCall;
    a.call = call;
    a.mode = mode;
    a.rstSent = rstSent;
    a.rstRcvd = rstRcvd;
    a.exchSent = exchSent;
    a.exchRcvd = exchRcvd;
    a.dxPrefix = dxPrefix;
    a.band = band;
    a.qsoTime = time;
    a.freqHz = freqHz;
    return a;
  }
};

class ModuleTest : public ::testing::Test {
 protected:
  static constexpr const char* kBadQsoFile = "BadQSO_StatsTZQ_10_06_2018.txt";

  ModuleTest() : module_(std::make_unique<StatsModule>(platform_.platform())) {}

  void Reset(int export_flag = 0, const std::string& own_call = "PY2AA") {
    module_->ResetStats(export_flag, own_call, COleDateTime::FromCalendar(2018, 6, 9, 0, 0, 0),
                        COleDateTime::FromCalendar(2018, 6, 10, 0, 0, 0));
  }
  int Add(const Qso& q) { return module_->AddData(q.args()); }
  int Remove(const Qso& q) { return module_->RemoveData(q.args()); }
  std::string BadQso() const { return folder_.Read(kBadQsoFile); }
  std::string Ini() const { return folder_.Read("Plugins/TZQ.ini"); }

  TempFolder folder_;
  TestPlatform platform_;
  std::unique_ptr<StatsModule> module_;
};
