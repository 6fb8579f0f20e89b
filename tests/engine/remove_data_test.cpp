#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

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
  // The survivor of the equal pair is now the first of its kind and counts.
  EXPECT_EQ(module_->store().element(0).dupe, 0);
  EXPECT_EQ(module_->store().element(0).notCounted, 0);
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

TEST_F(RemoveDataTest, RemovingTheFirstOfEqualQsosPromotesTheNextOne) {
  // exchRcvd of the three equal QSOs; the index of the one removed; the
  // flags (dupe, notCounted) of the two left.
  struct Case {
    const char* exch[3];
    int removed;
    int flags[2][2];
  } cases[] = {
      {{"RJ", "RJ", "RJ"}, 0, {{0, 0}, {1, 1}}},
      {{"RJ", "XX", "RJ"}, 0, {{0, 1}, {1, 1}}},  // the next one's own area was refused
      {{"XX", "RJ", "RJ"}, 0, {{0, 0}, {1, 1}}},
      {{"RJ", "RJ", "RJ"}, 1, {{0, 0}, {1, 1}}},  // a duplicate goes: nothing changes
      {{"RJ", "RJ", "XX"}, 2, {{0, 0}, {1, 1}}},
  };
  for (const Case& c : cases) {
    Reset();
    Qso q[3];
    for (int i = 0; i < 3; ++i) {
      q[i].exchRcvd = c.exch[i];
      q[i].time = COleDateTime::FromCalendar(2018, 6, 9, 12, i, 0);
      Add(q[i]);
    }
    Qso other = q[0];
    other.call = "PY5BB";
    Add(other);
    Remove(q[c.removed]);
    ASSERT_EQ(module_->store().size(), 3u);
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(module_->store().element(i).dupe, c.flags[i][0]) << c.removed << " " << i;
      EXPECT_EQ(module_->store().element(i).notCounted, c.flags[i][1]) << c.removed << " " << i;
    }
    EXPECT_EQ(module_->store().element(2).dupe, 0);
  }
  // The report counts the promoted QSO at once.
  Reset();
  Add(Qso());
  Qso second;
  second.time = COleDateTime::FromCalendar(2018, 6, 9, 12, 5, 0);
  Add(second);
  Remove(Qso());
  const std::string report = module_->GetResult(nullptr);
  EXPECT_NE(report.find("Total\t 1\t 2\t"), std::string::npos) << report;
  EXPECT_NE(report.find("Dupe\t 0"), std::string::npos) << report;
}

TEST_F(RemoveDataTest, OddDatesCanBeRemovedWithTheArgumentsTheyWereAddedWith) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const COleDateTime& time :
       {COleDateTime(nan, COleDateTime::kValid), COleDateTime(43260.5, COleDateTime::kInvalid),
        COleDateTime(nan, COleDateTime::kInvalid), COleDateTime(43260.5, 7)}) {
    Qso q;
    q.time = time;
    ASSERT_EQ(Add(q), 1);
    Remove(q);
    EXPECT_TRUE(module_->store().empty()) << time.days() << "/" << time.status();
  }
}

TEST_F(RemoveDataTest, FilterTakesEveryLineOfTheCallAndMinuteAsAWholeWord) {
  Qso refused;
  refused.mode = "CW";
  Add(refused);
  // The minute is a field of its own: 14:03 does not match 14035 kHz.
  Qso on_14035 = refused;
  on_14035.band = "20m";
  on_14035.freqHz = 14035000;
  Add(on_14035);
  Qso at_1403;
  at_1403.time = COleDateTime::FromCalendar(2018, 6, 9, 14, 3, 0);
  Remove(at_1403);
  EXPECT_NE(BadQso().find("QSO:  14035  CW"), std::string::npos);
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
  for (const auto& e : std::filesystem::directory_iterator(folder_.path())) {
    EXPECT_EQ(e.path().filename().string().rfind(std::string(kBadQsoFile) + ".", 0),
              std::string::npos);
  }
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
