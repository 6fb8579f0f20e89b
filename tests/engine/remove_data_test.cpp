#include <gtest/gtest.h>

#include "tests/support/module_fixture.h"

namespace {

constexpr const char* kHeader = "TZQ Contest UBN file\r\n";

class RemoveDataTest : public ModuleTest {
 protected:
  void SetUp() override { Reset(); }
};

TEST_F(RemoveDataTest, RemovesOnlyTheFirstRecordEqualInCallBandModeAndTime) {
  Qso q;
  Add(q);
  Add(q);
  Qso later = q;
  later.time = COleDateTime::FromCalendar(2018, 6, 9, 12, 1, 0);
  Add(later);
  EXPECT_EQ(Remove(q), 1);
  ASSERT_EQ(module_->store().size(), 2u);
  // The survivor of the equal pair keeps its duplicate flags.
  EXPECT_EQ(module_->store().element(0).dupe, 1);
  EXPECT_EQ(module_->store().element(0).notCounted, 1);
  EXPECT_TRUE(module_->store().element(1).time == later.time);
  // Its DUPE line went with the removed one's minute; the 12:01 line stays.
  EXPECT_EQ(BadQso(), std::string(kHeader) +
                          "QSO:  7035  RTTY  2018-06-09 1201  PY2AA  599  SP  PY1ZZ  599  RJ"
                          "   DUPE !!!\r\n"
                          "QSO:  7035  RTTY  2018-06-09 1201  PY2AA  599  SP  PY1ZZ  599  RJ"
                          "   DUPE !!!\r\n");
  Qso other_time = q;
  other_time.time = COleDateTime::FromCalendar(2018, 6, 9, 12, 2, 0);
  EXPECT_EQ(Remove(other_time), 1);
  EXPECT_EQ(module_->store().size(), 2u);
}

TEST_F(RemoveDataTest, FilterTakesEveryLineOfTheCallAndMinuteAsAWholeWord) {
  Qso refused;
  refused.mode = "CW";
  Add(refused);
  Qso longer_call;
  longer_call.call = "PY1ZZA";
  longer_call.exchRcvd = "XX";
  Add(longer_call);
  Qso other_band = refused;
  other_band.band = "20m";
  other_band.freqHz = 14080000;
  other_band.mode = "RTTY";
  other_band.exchRcvd = "XX";
  Add(other_band);
  ASSERT_EQ(Remove(Qso()), 1);  // nothing stored under this key
  EXPECT_EQ(BadQso(), std::string(kHeader) +
                          "QSO:  7035  RTTY  2018-06-09 1200  PY2AA  599  SP  PY1ZZA  599  XX"
                          "  XX   Code Area is not acceptable !!!\r\n");
}

TEST_F(RemoveDataTest, NullTimeKeyIsTwoBlanksAndMatchesEveryLineOfTheCall) {
  Qso q;
  q.exchRcvd = "XX";
  Add(q);
  q.time = COleDateTime::FromCalendar(2018, 6, 9, 18, 30, 0);
  q.mode = "BPSK63";
  Add(q);
  Qso null_time;
  null_time.time = COleDateTime::Null();
  Remove(null_time);
  EXPECT_EQ(BadQso(), kHeader);
  EXPECT_EQ(module_->store().size(), 2u);
}

TEST_F(RemoveDataTest, RewriteReplacesTheFirstLineWithTheHeader) {
  folder_.Write(kBadQsoFile, "not a header\r\nkept line\r\nlast line without end");
  Qso q;
  Remove(q);
  EXPECT_EQ(BadQso(), std::string(kHeader) + "kept line\r\nlast line without end\r\n");
  EXPECT_FALSE(folder_.Exists(std::string(kBadQsoFile) + ".new"));
}

TEST_F(RemoveDataTest, EmptyStoreForgetsBandsAndWorkedAreas) {
  Qso a, b;
  b.call = "PY5BB";
  b.band = "20m";
  b.freqHz = 14080000;
  Add(a);
  Add(b);
  module_->GetResult(nullptr);
  EXPECT_EQ(module_->bandTables().workedAreas[2], (std::vector<std::string>{"RJ"}));
  Remove(a);
  // One record left: bands and areas stay.
  EXPECT_EQ(module_->bandsSeen().size(), 2u);
  EXPECT_EQ(module_->bandTables().workedAreas[2].size(), 1u);
  Remove(b);
  EXPECT_TRUE(module_->bandsSeen().empty());
  for (int slot = 0; slot < 6; ++slot) {
    EXPECT_TRUE(module_->bandTables().workedAreas[slot].empty());
    EXPECT_EQ(module_->bandTables().infoLists[slot].size(), 31u);
  }
}

TEST_F(RemoveDataTest, SetsTheUpdateFlagAndPostsOnlyToAnOpenWindow) {
  platform_.windows.windowOpen = false;  // the reset opened one
  module_->updateReady().store(0);
  Remove(Qso());
  EXPECT_EQ(module_->updateReady().load(), 1);
  EXPECT_EQ(platform_.windows.posts, 0);
  platform_.windows.windowOpen = true;
  Remove(Qso());
  EXPECT_EQ(platform_.windows.posts, 1);
}

TEST(RemoveDataBeforeResetTest, UpdatesTheStoreAndWritesNoFile) {
  TempFolder folder;
  TestPlatform platform;
  StatsModule module(platform.platform());
  Qso q;
  module.AddData(q.args());
  EXPECT_EQ(module.RemoveData(q.args()), 1);
  EXPECT_EQ(module.store().size(), 0u);
  EXPECT_FALSE(folder.Exists("BadQSO_StatsTZQ_.txt"));
}

}  // namespace
