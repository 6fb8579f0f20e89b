#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "tests/support/module_fixture.h"

namespace {

constexpr const char* kHeader = "TZQ Contest UBN file\r\n";

class AddDataTest : public ModuleTest {
 protected:
  void SetUp() override { Reset(); }
};

TEST_F(AddDataTest, RejectionLinesReadLikeCabrilloLinesWithAVerdict) {
  Qso wrong_band;
  wrong_band.band = "160m";
  wrong_band.freqHz = 1838999;
  EXPECT_EQ(Add(wrong_band), 0);
  Qso wrong_mode;
  wrong_mode.mode = "CW";
  wrong_mode.band = "20m";
  wrong_mode.freqHz = 14035000;
  EXPECT_EQ(Add(wrong_mode), 0);
  Qso no_exchange;
  no_exchange.exchSent = "";
  EXPECT_EQ(Add(no_exchange), 0);
  Qso empty_pieces;
  empty_pieces.ownCall = empty_pieces.rstSent = empty_pieces.rstRcvd = "";
  empty_pieces.exchRcvd = "";
  empty_pieces.time = COleDateTime::Null();
  EXPECT_EQ(Add(empty_pieces), 0);
  EXPECT_EQ(BadQso(), std::string(kHeader) +
                          "QSO:  1838  RTTY  2018-06-09 1200  PY2AA  599  SP  PY1ZZ  599  RJ"
                          "   WRONG BAND !!!\r\n"
                          "QSO:  14035  CW  2018-06-09 1200  PY2AA  599  SP  PY1ZZ  599  RJ"
                          "   WRONG MODE !!!\r\n"
                          "QSO:  7035  RTTY  2018-06-09 1200  PY2AA  599    PY1ZZ  599  RJ"
                          "   NO RX NUMBER !!!\r\n"
                          "QSO:  7035  RTTY        SP  PY1ZZ       NO RX NUMBER !!!\r\n");
  EXPECT_EQ(module_->store().size(), 0u);
  // A wrong band leaves no trace; a wrong mode already saw its band.
  EXPECT_EQ(module_->bandsSeen(), (std::vector<std::string>{"20m", "40m"}));
}

TEST_F(AddDataTest, AreaRejectionCarriesTheNormalisedExchange) {
  Qso lower_yl;
  lower_yl.exchRcvd = " yl\t";
  EXPECT_EQ(Add(lower_yl), 1);
  EXPECT_EQ(BadQso(), std::string(kHeader) +
                          "QSO:  7035  RTTY  2018-06-09 1200  PY2AA  599  SP  PY1ZZ  599   yl\t"
                          "  YL   Code Area is not acceptable !!!\r\n");
  const QsoRecord& stored = module_->store().element(0);
  EXPECT_EQ(stored.notCounted, 1);
  EXPECT_EQ(stored.dupe, 0);
  EXPECT_EQ(stored.area, "");
  EXPECT_EQ(stored.exchRcvd, " yl\t");
}

TEST_F(AddDataTest, ExchangeNormalisationAndCategories) {
  Qso sp;
  sp.exchRcvd = " sp ";
  Qso qrp;
  qrp.call = "PY3QR";
  qrp.exchRcvd = "QRP";
  Qso high_bytes;
  high_bytes.call = "PY4HB";
  high_bytes.exchRcvd = "s\xE1";  // not upper-cased beyond ASCII
  EXPECT_EQ(Add(sp), 1);
  EXPECT_EQ(Add(qrp), 1);
  EXPECT_EQ(Add(high_bytes), 1);
  ASSERT_EQ(module_->store().size(), 3u);
  EXPECT_EQ(module_->store().element(0).area, "SP");
  EXPECT_EQ(module_->store().element(0).notCounted, 0);
  EXPECT_EQ(module_->store().element(1).area, "");
  EXPECT_EQ(module_->store().element(1).notCounted, 0);
  EXPECT_NE(BadQso().find("  s\xE1  S\xE1   Code Area"), std::string::npos);
  EXPECT_EQ(BadQso().find("PY3QR"), std::string::npos);
}

TEST_F(AddDataTest, IslandPrefixesOverrideTheArea) {
  struct Case {
    const char* prefix;
    const char* exch;
    const char* area;
    int not_counted;
  } cases[] = {{"PY0T", "XX", "PY0T", 1}, {"PY0F", "YL", "PY0F", 0}, {"PY0/s", "RJ", "PY0S", 0},
               {"PY0S", "LB", "PY0S", 0}, {"py0f", "RJ", "RJ", 0},   {"PY0/S", "QRP", "", 0}};
  int n = 0;
  for (const Case& c : cases) {
    Qso q;
    q.call = "PY0" + std::to_string(n++);
    q.dxPrefix = c.prefix;
    q.exchRcvd = c.exch;
    EXPECT_EQ(Add(q), 1);
    const QsoRecord& stored = module_->store().element(module_->store().size() - 1);
    EXPECT_EQ(stored.area, c.area) << c.prefix;
    EXPECT_EQ(stored.notCounted, c.not_counted) << c.prefix;
  }
}

TEST_F(AddDataTest, OneDupeLinePerEarlierEqualRecord) {
  Qso q;
  EXPECT_EQ(Add(q), 1);
  EXPECT_EQ(Add(q), 1);
  q.time = COleDateTime::FromCalendar(2018, 6, 9, 12, 7, 0);
  EXPECT_EQ(Add(q), 1);
  const std::string dupe_at =
      "QSO:  7035  RTTY  2018-06-09 1207  PY2AA  599  SP  PY1ZZ  599  RJ"
      "   DUPE !!!\r\n";
  EXPECT_EQ(BadQso(), std::string(kHeader) +
                          "QSO:  7035  RTTY  2018-06-09 1200  PY2AA  599  SP  PY1ZZ  599  RJ"
                          "   DUPE !!!\r\n" +
                          dupe_at + dupe_at);
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(module_->store().element(i).dupe, 1);
    EXPECT_EQ(module_->store().element(i).notCounted, 1);
  }
  EXPECT_EQ(module_->store().element(0).dupe, 0);
}

TEST_F(AddDataTest, DuplicatesCompareCallBandAndModeExactly) {
  Qso q;
  ASSERT_EQ(Add(q), 1);
  Qso other_mode = q;
  other_mode.mode = "BPSK31";
  Qso lower_call = q;
  lower_call.call = "py1zz";
  Qso upper_band = q;
  upper_band.band = "40M";
  Qso lower_mode = q;
  lower_mode.mode = "rtty";
  for (const Qso* x : {&other_mode, &lower_call, &upper_band, &lower_mode}) EXPECT_EQ(Add(*x), 1);
  for (size_t i = 0; i < module_->store().size(); ++i) {
    EXPECT_EQ(module_->store().element(i).dupe, 0) << i;
  }
  EXPECT_EQ(module_->bandsSeen(), (std::vector<std::string>{"40m", "40M"}));
  EXPECT_EQ(BadQso(), kHeader);
}

TEST_F(AddDataTest, FrequencyIsTruncatedToKilohertz) {
  Qso q;
  q.freqHz = 999;
  Add(q);
  q.call = "PY1AB";
  q.freqHz = 1000;
  Add(q);
  q.call = "PY1AC";
  q.freqHz = 7035999;
  Add(q);
  q.call = "PY1AD";
  q.freqHz = 4294967295u;
  Add(q);
  EXPECT_EQ(module_->store().element(0).freqKhz, 0);
  EXPECT_EQ(module_->store().element(1).freqKhz, 1);
  EXPECT_EQ(module_->store().element(2).freqKhz, 7035);
  EXPECT_EQ(module_->store().element(3).freqKhz, 4294967);
}

TEST_F(AddDataTest, OddTimesAndLongTextsAreStoredAsGiven) {
  Qso q;
  q.time = COleDateTime(43000.0, COleDateTime::kInvalid);
  q.exchRcvd = "ZZ";
  q.call = std::string(5000, 'K');
  EXPECT_EQ(Add(q), 1);
  EXPECT_NE(BadQso().find("  Invalid DateTime  "), std::string::npos);
  EXPECT_EQ(module_->store().element(0).call.size(), 5000u);
}

TEST(AddDataBeforeResetTest, StoresButWritesNoFile) {
  TempFolder folder;
  TestPlatform platform;
  StatsModule module(platform.platform());
  Qso q;
  q.exchRcvd = "XX";
  EXPECT_EQ(module.AddData(q.args()), 1);
  q.band = "160m";
  EXPECT_EQ(module.AddData(q.args()), 0);
  EXPECT_EQ(module.store().size(), 1u);
  EXPECT_EQ(module.store().element(0).notCounted, 1);
  EXPECT_FALSE(folder.Exists("BadQSO_StatsTZQ_.txt"));
  EXPECT_EQ(platform.windows.posts, 0);
}

// A run of adds holds the bad-QSO file open; whatever happens to the file
// under its name meanwhile, the next line lands in a file of that name, one
// that starts with the header when the add had to create it.
class HeldBadQsoFileTest : public AddDataTest {
 protected:
  static Qso Refused(const char* call) {
    Qso q;
    q.call = call;
    q.band = "160m";
    return q;
  }
  static std::string LineOf(const char* call) {
    return std::string("QSO:  7035  RTTY  2018-06-09 1200  PY2AA  599  SP  ") + call +
           "  599  RJ   WRONG BAND !!!\r\n";
  }
  std::string PathOf(const std::string& name) const { return folder_.path() + "/" + name; }
};

TEST_F(HeldBadQsoFileTest, NextLineFollowsTheName) {
  const std::string moved = "moved.txt";
  struct Case {
    const char* what;
    std::function<void()> act;
    std::string named, moved;
  } cases[] = {
      {"untouched", [] {}, kHeader + LineOf("PY1AA") + LineOf("PY2BB"), ""},
      {"renamed", [&] { std::rename(PathOf(kBadQsoFile).c_str(), PathOf(moved).c_str()); },
       kHeader + LineOf("PY2BB"), kHeader + LineOf("PY1AA")},
      {"replaced",
       [&] {
         std::rename(PathOf(kBadQsoFile).c_str(), PathOf(moved).c_str());
         folder_.Write(kBadQsoFile, "other\r\n");
       },
       "other\r\n" + LineOf("PY2BB"), kHeader + LineOf("PY1AA")},
      // Windows may keep a deleted file under its name until its last handle
      // closes: the next line must still land in a file that stays.
      {"deleted", [&] { std::remove(PathOf(kBadQsoFile).c_str()); }, kHeader + LineOf("PY2BB"), ""},
  };
  for (const Case& c : cases) {
    Reset();
    std::remove(PathOf(moved).c_str());
    Add(Refused("PY1AA"));
    c.act();
    Add(Refused("PY2BB"));
    EXPECT_EQ(BadQso(), c.named) << c.what;
    EXPECT_EQ(folder_.Read(moved), c.moved) << c.what;
  }
}

TEST_F(HeldBadQsoFileTest, ALineThatCannotBeWrittenDoesNotStopTheNext) {
  Add(Refused("PY1AA"));
  std::rename(PathOf(kBadQsoFile).c_str(), PathOf("moved.txt").c_str());
  std::filesystem::create_directory(PathOf(kBadQsoFile));
  EXPECT_EQ(Add(Refused("PY2BB")), 0);
  std::filesystem::remove(PathOf(kBadQsoFile));
  Add(Refused("PY3CC"));
  EXPECT_EQ(BadQso(), kHeader + LineOf("PY3CC"));
  EXPECT_EQ(folder_.Read("moved.txt"), kHeader + LineOf("PY1AA"));
}

}  // namespace
