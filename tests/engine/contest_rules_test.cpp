#include "engine/contest_rules.h"

#include <gtest/gtest.h>

#include "engine/band_tables.h"

namespace {

TEST(ContestRulesTest, BandAndModeListsIgnoreLetterCaseOnly) {
  const CaseInsensitiveSet bands = contest::MakeBandList();
  const CaseInsensitiveSet modes = contest::MakeModeList();
  EXPECT_EQ(bands.size(), 6u);
  EXPECT_EQ(bands.at(0), "80m");
  EXPECT_EQ(bands.at(1), "80m");
  EXPECT_EQ(bands.Contains("80M"), 1);
  EXPECT_EQ(bands.Contains("10m"), 1);
  EXPECT_EQ(bands.Contains("160m"), 0);
  EXPECT_EQ(bands.Contains("40m "), 0);
  EXPECT_EQ(bands.Contains(""), 0);
  EXPECT_EQ(modes.Contains("bpsk31"), 1);
  EXPECT_EQ(modes.Contains("Rtty"), 1);
  EXPECT_EQ(modes.Contains("PSK31"), 0);
  // Only ASCII letters fold: a byte above 0x7F matches only itself.
  EXPECT_EQ(modes.Contains("RTT\xD9"), 0);
}

TEST(ContestRulesTest, AreaTableIsExactAndCaseSensitive) {
  for (const char* code : contest::kAreaCodes) EXPECT_TRUE(contest::IsAreaCode(code)) << code;
  EXPECT_TRUE(contest::IsAreaCode("UF"));
  EXPECT_TRUE(contest::IsAreaCode("TO"));
  EXPECT_FALSE(contest::IsAreaCode("to"));
  EXPECT_FALSE(contest::IsAreaCode(" SP"));
  EXPECT_FALSE(contest::IsAreaCode("PY0F"));
  EXPECT_FALSE(contest::IsAreaCode(""));
  EXPECT_FALSE(contest::IsAreaCode("S"));
}

TEST(ContestRulesTest, BandSlotsByNameAndFrequency) {
  EXPECT_EQ(contest::BandIndexOfName("160m"), 0);
  EXPECT_EQ(contest::BandIndexOfName("10m"), 5);
  EXPECT_EQ(contest::BandIndexOfName("40M"), contest::kNoBand);
  EXPECT_EQ(contest::BandIndexOfName("6m"), contest::kNoBand);
  EXPECT_EQ(contest::BandIndexOfMhz(7), 2);
  EXPECT_EQ(contest::BandIndexOfMhz(28), 5);
  EXPECT_EQ(contest::BandIndexOfMhz(29), contest::kNoBand);
  EXPECT_EQ(contest::BandIndexOfMhz(0), contest::kNoBand);
}

TEST(ContestRulesTest, PointsByExchange) {
  EXPECT_EQ(contest::PointsForExchange("YL"), 10);
  EXPECT_EQ(contest::PointsForExchange("QRP"), 5);
  EXPECT_EQ(contest::PointsForExchange("LB"), 3);
  EXPECT_EQ(contest::PointsForExchange("SP"), 2);
  EXPECT_EQ(contest::PointsForExchange("yl"), 2);
}

TEST(BandTablesTest, InfoListsFollowTheWorkedAreas) {
  BandTables tables;
  ASSERT_EQ(tables.infoLists[2].size(), 31u);
  EXPECT_EQ(tables.infoLists[2].front(), "AC");
  EXPECT_EQ(tables.infoLists[2].back(), "UF");  // "PY0T" < "RJ" < "UF" byte-wise
  tables.SetWorkedAreas(2, {"SP", "PY0T", "SP"});
  EXPECT_EQ(tables.infoLists[2].size(), 29u);
  EXPECT_EQ(std::count(tables.infoLists[2].begin(), tables.infoLists[2].end(), "SP"), 0);
  EXPECT_TRUE(std::is_sorted(tables.infoLists[2].begin(), tables.infoLists[2].end()));
  EXPECT_EQ(tables.infoLists[3].size(), 31u);
  tables.ClearResults();
  EXPECT_TRUE(tables.workedAreas[2].empty());
  EXPECT_EQ(tables.infoLists[2].size(), 31u);
}

}  // namespace
