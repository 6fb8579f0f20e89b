#include <gtest/gtest.h>

#include "tests/support/module_fixture.h"

namespace {

using ResetStatsTest = ModuleTest;

TEST_F(ResetStatsTest, StartKeyOpensTheWindowEveryOtherResetWhileNoneIsOpen) {
  Reset();
  EXPECT_EQ(platform_.windows.starts, 1);
  EXPECT_EQ(module_->settings().Text("Start"), "1");
  Reset();
  EXPECT_EQ(platform_.windows.starts, 1);
  EXPECT_EQ(module_->settings().Text("Start"), "0");
  // The window opened by the first reset is still open: nothing changes.
  Reset();
  EXPECT_EQ(platform_.windows.starts, 1);
  EXPECT_EQ(module_->settings().Text("Start"), "0");
  // Closed by the user: the next reset opens it again.
  platform_.windows.windowOpen = false;
  Reset();
  EXPECT_EQ(platform_.windows.starts, 2);
  EXPECT_EQ(module_->settings().Text("Start"), "1");
}

TEST_F(ResetStatsTest, AStartLeftByAnEarlierRunSkipsTheFirstOpening) {
  folder_.Write("Plugins/TZQ.ini", "[Settings]\r\nStart=7\r\n");
  Reset();
  EXPECT_EQ(platform_.windows.starts, 0);
  EXPECT_EQ(module_->settings().Text("Start"), "0");
}

TEST_F(ResetStatsTest, ExportShowsTheHeaderDialogAndNeverOpensTheWindow) {
  Reset(1, "PY2AA/P");
  EXPECT_EQ(platform_.headerDialog.shown().size(), 1u);
  EXPECT_EQ(platform_.windows.starts, 0);
  EXPECT_EQ(module_->settings().Text("Start"), "0");
  EXPECT_EQ(module_->cabrilloExportFlag(), 1);
  EXPECT_EQ(module_->cabrillo().fileBaseName, "PY2AA_P");
}

TEST_F(ResetStatsTest, PeriodTextsFileNameAndRows) {
  Qso q;
  Reset();
  Add(q);
  module_->GetResult(nullptr);
  folder_.Write(kBadQsoFile, "old contents\r\n");
  Reset();
  EXPECT_EQ(module_->periodStartText(), "09.06");
  EXPECT_EQ(module_->contestYear(), "2018");
  EXPECT_EQ(module_->periodEndText(), "10.06.2018");
  EXPECT_EQ(module_->badQsoFileName(), kBadQsoFile);
  EXPECT_EQ(BadQso(), "TZQ Contest UBN file\r\n");
  EXPECT_EQ(module_->store().size(), 0u);
  EXPECT_TRUE(module_->bandsSeen().empty());
  const char* labels[] = {"80m", "80m", "40m", "20m", "15m", "10m"};
  for (int slot = 0; slot < 6; ++slot) {
    EXPECT_EQ(module_->bandTables().previousQsoRows[slot],
              (std::vector<std::string>{labels[slot], "-", "-", "-", "-"}));
  }
  // The worked areas of the old log stay until the next score request.
  EXPECT_EQ(module_->bandTables().workedAreas[2], (std::vector<std::string>{"RJ"}));
  // No update message on reset.
  EXPECT_EQ(platform_.windows.posts, 0);
}

TEST_F(ResetStatsTest, NullAndInvalidDates) {
  module_->ResetStats(0, "", COleDateTime::Null(), COleDateTime::Null());
  EXPECT_EQ(module_->badQsoFileName(), "BadQSO_StatsTZQ_.txt");
  EXPECT_EQ(module_->periodStartText(), "");
  EXPECT_EQ(module_->contestYear(), "");
  EXPECT_TRUE(folder_.Exists("BadQSO_StatsTZQ_.txt"));
  module_->ResetStats(0, "", COleDateTime(1.0, COleDateTime::kInvalid),
                      COleDateTime::FromCalendar(2019, 1, 2, 0, 0, 0));
  EXPECT_EQ(module_->periodStartText(), "Invalid DateTime");
  EXPECT_EQ(module_->badQsoFileName(), "BadQSO_StatsTZQ_02_01_2019.txt");
}

}  // namespace
