#include "reports/score_report.h"

#include <gtest/gtest.h>

#include "engine/bad_qso_log.h"
#include "engine/version.h"
#include "tests/support/module_fixture.h"

namespace {

class ScoreReportTest : public ModuleTest {
 protected:
  void SetUp() override { Reset(); }

  void AddOn(const std::string& band, const std::string& call, const std::string& exch,
             unsigned freq_hz) {
    Qso q;
    q.band = band;
    q.call = call;
    q.exchRcvd = exch;
    q.freqHz = freq_hz;
    ASSERT_EQ(Add(q), 1);
  }

  // Three counted QSOs and a duplicate on 40m, two counted on 20m.
  void AddWorkedExample() {
    AddOn("40m", "PY2AB", "SP", 7035000);
    AddOn("40m", "PY2YL", "YL", 7036000);
    AddOn("40m", "PY1RJ", "RJ", 7037000);
    AddOn("40m", "PY1RJ", "RJ", 7037000);
    AddOn("20m", "PY3QR", "QRP", 14080000);
    AddOn("20m", "PY2CD", "SP", 14081000);
  }
};

TEST_F(ScoreReportTest, WorkedExampleAsText) {
  AddWorkedExample();
  int out = 5;
  const std::string report = module_->GetResult(&out);
  EXPECT_EQ(report,
            "      TZQ 09.06-10.06.2018\r\n\tContestant: PY2AA \r\n\tQSOs\tPoints\tMult\r\n"
            "40m\t 3\t 14\t 2\r\n20m\t 2\t 7\t 1\r\n"
            "Total\t 5\t 21\t 3\r\nDupe\t 1\r\nBad QSO\t 0"
            "\r\nScore: 21*3 = 63\r\n" TZQ_CREDIT_LINE);
  EXPECT_EQ(out, 5);
  EXPECT_EQ(module_->claimedScore(), 63);
  EXPECT_EQ(module_->settings().Text("Claimed"), "63");
  EXPECT_EQ(module_->bandTables().workedAreas[2], (std::vector<std::string>{"SP", "RJ"}));
  EXPECT_EQ(module_->bandTables().workedAreas[3], (std::vector<std::string>{"SP"}));
  EXPECT_EQ(module_->bandTables().infoLists[2].size(), 29u);
}

TEST_F(ScoreReportTest, WorkedExampleAsHtml) {
  AddWorkedExample();
  module_->SetVersion();
  const std::string row =
      "<tr><th><center>%s</center></th><td><center>%s</center></td><td><center>%s</center></"
      "td><td><center>%s</center></td></tr>";
  auto band_row = [&row](const char* b, const char* q, const char* p, const char* m) {
    std::string r = row;
    for (const char* v : {b, q, p, m}) r.replace(r.find("%s"), 2, v);
    return r;
  };
  const std::string expected =
      "<html><head><style>table{ width:100%; }table, th, td{ border: 1px solid black; "
      "border-collapse: collapse; }th, td{ padding: 1px; text-align: middle; }th,td{ "
      "background-color: #fffac6; color: black; }</style></head><body>"
      "<center><b>   TZQ Contest  09.06-10.06.2018</b></center><center>Contestant:  "
      "<b>PY2AA</center></b><table>"
      "<tr><th>Band</th><th>QSOs</th><th>Points</th><th>Mult</th></tr>" +
      band_row("40m", "3", "14", "2") + band_row("20m", "2", "7", "1") +
      band_row("Total", "5", "21", "3") +
      "<tr><th><center>Dupe</center></th><td><center>1</center></td><td colspan=5> </td></tr>"
      "<tr><th><center>Bad QSO</center></th><td><center>0</center></td><td colspan=5> "
      "</td></tr><tr><th>Score:</th><td colspan=6><center>21 * 3 = 63</center></td></tr>"
      "</table><h6 align=right>" TZQ_CREDIT_LINE "</h6></body></html>";
  EXPECT_EQ(module_->GetResult(nullptr), expected);

  // An own call from the host that holds markup shows as text.
  Reset(0, "<img src=x onerror=\"a&b\">");
  const std::string page = module_->GetResult(nullptr);
  EXPECT_NE(page.find("Contestant:  <b>&lt;img src=x onerror=&quot;a&amp;b&quot;&gt;</center>"),
            std::string::npos)
      << page;
  EXPECT_EQ(page.find("<img"), std::string::npos) << page;
}

TEST_F(ScoreReportTest, CountingRules) {
  AddOn("40m", "PY2AA", "yl", 7035000);  // area rejection: counts nowhere
  AddOn("40m", "PY2AB", "SP", 7035000);
  AddOn("20m", "PY2AB", "SP", 14080000);  // the same area on another band
  AddOn("20m", "PY5LB", "LB", 14080000);
  Qso island;
  island.call = "PY0FF";
  island.exchRcvd = "YL";
  island.dxPrefix = "PY0F";
  Add(island);
  Qso no_call;
  no_call.call = "";
  Add(no_call);
  Add(no_call);  // a duplicate with an empty call is skipped entirely
  const std::string report = module_->GetResult(nullptr);
  EXPECT_NE(report.find("40m\t 2\t 12\t 2\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find("20m\t 2\t 5\t 1\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find("Total\t 4\t 17\t 3\r\nDupe\t 0\r\n"), std::string::npos) << report;
  // One bad QSO: the area rejection (the empty-call duplicate's line is a DUPE line).
  EXPECT_NE(report.find("Bad QSO\t 1\r\nScore: 17*3 = 51\r\n"), std::string::npos) << report;
}

TEST_F(ScoreReportTest, BandsSortLongestWavelengthFirstAndStaySorted) {
  for (const char* band : {"20m", "80m", "10m", "40m"}) AddOn(band, "PY2AB", "SP", 7035000);
  const std::string report = module_->GetResult(nullptr);
  const size_t p80 = report.find("80m\t"), p40 = report.find("40m\t"), p20 = report.find("20m\t"),
               p10 = report.find("10m\t");
  EXPECT_TRUE(p80 < p40 && p40 < p20 && p20 < p10) << report;
  EXPECT_EQ(module_->bandsSeen(), (std::vector<std::string>{"80m", "40m", "20m", "10m"}));
  AddOn("80M", "PY2AB", "SP", 3580000);  // own row, no worked-area list
  module_->GetResult(nullptr);
  EXPECT_EQ(module_->bandsSeen().back(), "10m");

  std::vector<std::string> bands = {"10m", "160m", "80m", "a-band-name-over-20-chars"};
  SortBandsSeen(&bands);
  EXPECT_EQ(bands, (std::vector<std::string>{"a-band-name-over-20-chars", "160m", "80m", "10m"}));
}

TEST_F(ScoreReportTest, BadQsoCounts) {
  Qso q;
  Add(q);
  Add(q);
  Add(q);  // 1 + 2 DUPE lines for two dupes
  EXPECT_NE(std::string(module_->GetResult(nullptr)).find("Dupe\t 2\r\nBad QSO\t 0"),
            std::string::npos);
  folder_.Write(kBadQsoFile, "TZQ Contest UBN file\r\n");  // more dupes than lines
  EXPECT_NE(std::string(module_->GetResult(nullptr)).find("Bad QSO\t 0"), std::string::npos);
  std::remove((folder_.path() + "/" + kBadQsoFile).c_str());
  EXPECT_NE(std::string(module_->GetResult(nullptr)).find("Bad QSO\t 0"), std::string::npos);

  EXPECT_EQ(bad_qso_log::CountRejections(""), 0);
  EXPECT_EQ(bad_qso_log::CountRejections("TZQ Contest UBN file\r\n"), 0);
  EXPECT_EQ(bad_qso_log::CountRejections(
                "header\r\nQSO: a   WRONG BAND !!!\r\nQSO: b   DUPE !!!\r\nQSO: c"),
            2);
  EXPECT_EQ(bad_qso_log::CountRejections("header\r\n\r\nQSO: a   WRONG BAND !!!\r\n\r\n"), 1);
}

TEST_F(ScoreReportTest, EmptyLogReport) {
  const std::string report = module_->GetResult(nullptr);
  EXPECT_EQ(report,
            "      TZQ 09.06-10.06.2018\r\n\tContestant: PY2AA \r\n\tQSOs\tPoints\tMult\r\n"
            "Total\t 0\t 0\t 0\r\nDupe\t 0\r\nBad QSO\t 0\r\nScore: 0*0 = 0\r\n" TZQ_CREDIT_LINE);
}

TEST(CabrilloModeCodeTest, ModeCodes) {
  EXPECT_STREQ(CabrilloModeCode("BPSK31"), "PS");
  EXPECT_STREQ(CabrilloModeCode("BPSK63"), "PM");
  EXPECT_STREQ(CabrilloModeCode("BPSK125"), "PO");
  EXPECT_STREQ(CabrilloModeCode("RTTY"), "RY");
  EXPECT_STREQ(CabrilloModeCode("rtty"), "??");
}

}  // namespace
