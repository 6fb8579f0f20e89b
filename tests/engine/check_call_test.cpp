#include <gtest/gtest.h>

#include "tests/support/module_fixture.h"

namespace {

struct Check {
  std::string call = "PY1ZZ", mode = "RTTY", dxPrefix = "PY", area = "RJ";
  const char* band = "40m";
  const char* otherBand = nullptr;
};

class CheckCallTest : public ModuleTest {
 protected:
  void SetUp() override {
    Reset();
    Qso worked;  // PY1ZZ, 40m, RTTY, RJ
    Add(worked);
    Qso yl;
    yl.call = "PY7YL";
    yl.exchRcvd = "YL";
    yl.band = "20m";
    yl.freqHz = 14080000;
    Add(yl);
  }
  int Verdict(const Check& c) {
    CallCheckArgs a;
    a.call = c.call;
    a.mode = c.mode;
    a.dxPrefix = c.dxPrefix;
    a.area = c.area;
    a.band = c.band;
    a.otherBand = c.otherBand;
    return module_->CheckCall(a);
  }
};

TEST_F(CheckCallTest, VerdictsInTheirOrder) {
  Check c;
  EXPECT_EQ(Verdict(c), 0);
  c.band = "160m";
  EXPECT_EQ(Verdict(c), 4);  // even for a station in the log
  c.band = nullptr;
  EXPECT_EQ(Verdict(c), 4);
  c.band = "";
  EXPECT_EQ(Verdict(c), 4);
  c.band = "40m";
  c.otherBand = "40M";
  EXPECT_EQ(Verdict(c), 0);
  c.otherBand = "20m";
  EXPECT_EQ(Verdict(c), 4);
  c.otherBand = nullptr;
  c.band = "40M";  // passes the band checks, matches no "40m" record
  EXPECT_EQ(Verdict(c), 2);
  c.band = "40m";
  c.mode = "BPSK31";  // another mode: the area decides
  EXPECT_EQ(Verdict(c), 1);
  c.mode = "CW";  // the mode is never checked against the mode list
  c.call = "PY1ZZ";
  c.area = "SP";
  EXPECT_EQ(Verdict(c), 2);
  c.dxPrefix = "DL";
  c.area = "RJ";
  EXPECT_EQ(Verdict(c), 2);
  c.dxPrefix = "PY0F";
  EXPECT_EQ(Verdict(c), 1);
  c.dxPrefix = "PY0T";
  EXPECT_EQ(Verdict(c), 1);
  c.dxPrefix = "py";
  EXPECT_EQ(Verdict(c), 2);
}

TEST_F(CheckCallTest, EmptyAreaMatchesRecordsWithoutArea) {
  Check c;
  c.call = "PY2NEW";
  c.area = "";
  c.band = "20m";
  EXPECT_EQ(Verdict(c), 1);  // the YL QSO on 20m has no area
  c.band = "40m";
  EXPECT_EQ(Verdict(c), 2);
}

TEST_F(CheckCallTest, DuplicatesAndRejectedAreasStillCount) {
  Qso bad_area;
  bad_area.call = "PY9XX";
  bad_area.exchRcvd = "XX";
  Add(bad_area);
  Check c;
  c.call = "PY9XX";
  EXPECT_EQ(Verdict(c), 0);
}

TEST_F(CheckCallTest, OneUpdateMessageUntilTheWindowHasHandledIt) {
  platform_.windows.windowOpen = false;  // the reset opened one
  Check c;
  Verdict(c);
  EXPECT_EQ(platform_.windows.posts, 0);  // no window yet
  EXPECT_EQ(module_->updateReady().load(), 1);
  platform_.windows.windowOpen = true;
  Verdict(c);
  c.band = "160m";
  Verdict(c);
  EXPECT_EQ(platform_.windows.posts, 1);
  module_->updateReady().store(1);  // the update handler ended
  Verdict(c);
  EXPECT_EQ(platform_.windows.posts, 2);
}

TEST_F(CheckCallTest, CommandsAreExactAndAnsweredEmpty) {
  EXPECT_STREQ(module_->RunCommand("showinfo"), "");
  EXPECT_EQ(platform_.windows.starts, 1);  // from the reset only
  EXPECT_STREQ(module_->RunCommand("SHOWINFO"), "");
  EXPECT_EQ(platform_.windows.starts, 2);
  EXPECT_STREQ(module_->RunCommand("HIDEINFO"), "");
  EXPECT_EQ(platform_.windows.closes, 1);
  EXPECT_STREQ(module_->RunCommand(""), "");
  EXPECT_EQ(platform_.windows.closes, 1);
}

}  // namespace
