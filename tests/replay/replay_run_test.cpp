// The whole replay in-process against the built plug-in (Stats.so, or
// Stats.dll under Wine): what reaches the plug-in, what comes back, the
// files left behind, and the exit statuses and messages for bad input.

#include "tools/replay/replay_run.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/replay/scratch_folder.h"

namespace {

struct Result {
  int status;
  std::string out, err;
};

Result Replay(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunReplay(args, out, err);
  return {status, out.str(), err.str()};
}

// A path inside a folder as the tool prints it (native separators).
std::string InFolder(const std::string& folder, const std::string& name) {
  return (std::filesystem::path(folder) / name).string();
}

std::string Field(const std::string& name, const std::string& value) {
  return "<" + name + ":" + std::to_string(value.size()) + ">" + value;
}

std::string Qso(const std::string& call, const std::string& date, const std::string& time,
                const std::string& band, const std::string& mode, const std::string& submode,
                const std::string& srx) {
  const std::string freq = band == "80m"   ? "3.580"
                           : band == "40m" ? "7.0405"
                           : band == "20m" ? "14.080"
                                           : "10.142";
  return Field("CALL", call) + Field("QSO_DATE", date) + Field("TIME_ON", time) +
         Field("BAND", band) + Field("FREQ", freq) + Field("MODE", mode) +
         (submode.empty() ? "" : Field("SUBMODE", submode)) + Field("RST_SENT", "599") +
         Field("RST_RCVD", "599") + Field("STX_STRING", "SP") +
         (srx.empty() ? "" : Field("SRX_STRING", srx)) + Field("STATION_CALLSIGN", "PY2AA") +
         "<EOR>\r\n";
}

// One QSO of every kind the plug-in tells apart. Counted: 80m 1 QSO 5
// points no area; 40m 2 QSOs 4 points RJ RS; 20m 2 QSOs 12 points PY0F SP.
// Score 21 points times 4 areas.
const std::string kLog =
    "Test log\r\n<EOH>\r\n" + Qso("PY1AA", "20240608", "1200", "40m", "RTTY", "", "RJ") +
    Qso("PY3BB", "20240608", "1201", "40m", "PSK", "PSK31", "RS") +
    Qso("PY1AA", "20240608", "1202", "40m", "RTTY", "", "RJ") +      // dupe
    Qso("PY4CC", "20240608", "1203", "20m", "RTTY", "", "XX") +      // no such area
    Qso("PY0FF", "20240608", "1204", "20m", "PSK", "PSK63", "YL") +  // island YL
    Qso("PY5DD", "20240608", "1205", "30m", "RTTY", "", "PR") +      // wrong band
    Qso("PY6EE", "20240609", "1206", "20m", "CW", "", "BA") +        // wrong mode
    Qso("PY7FF", "20240609", "1207", "20m", "RTTY", "", "") +        // no exchange
    Qso("PU2GG", "20240609", "1208", "20m", "RTTY", "", " sp") +     // still SP
    Qso("PY2HH", "20240609", "1209", "80m", "PSK", "PSK125", "QRP");

TEST(ReplayRun, ScoresALogAndCountsEveryVerdict) {
  ScratchFolder folder;
  const std::string log = folder.Write("test.adi", kLog);
  const Result r = Replay({log, "--out", folder / "out"});
  ASSERT_EQ(r.status, 0) << r.err;

  EXPECT_EQ(r.out.rfind("      TZQ 08.06-09.06.2024\r\n\tContestant: PY2AA \r\n", 0), 0u) << r.out;
  for (const char* line :
       {"\r\n80m\t 1\t 5\t 0\r\n40m\t 2\t 4\t 2\r\n20m\t 2\t 12\t 2\r\n",
        "\r\nTotal\t 5\t 21\t 4\r\nDupe\t 1\r\nBad QSO\t 4\r\n", "\r\nScore: 21*4 = 84\r\n"}) {
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
  }
  EXPECT_EQ(r.out.substr(r.out.size() - 2), "\r\n");

  EXPECT_EQ(r.err, "tzq-replay: " + log +
                       ": 10 QSOs read, 7 stored (1 dupe, 1 unacceptable area), 3 refused "
                       "(1 wrong band, 1 wrong mode, 1 no exchange); wrote " +
                       InFolder(folder / "out", "BadQSO_StatsTZQ_09_06_2024.txt") + "\n");

  const std::string bad = folder.Read("out/BadQSO_StatsTZQ_09_06_2024.txt");
  EXPECT_EQ(bad.rfind("TZQ Contest UBN file\r\n", 0), 0u);
  for (const char* line :
       {"QSO:  7040  RTTY  2024-06-08 1202  PY2AA  599  SP  PY1AA  599  RJ   DUPE !!!\r\n",
        "QSO:  14080  RTTY  2024-06-08 1203  PY2AA  599  SP  PY4CC  599  XX  XX   Code Area",
        "QSO:  10142  RTTY  2024-06-08 1205  PY2AA  599  SP  PY5DD  599  PR   WRONG BAND !!!",
        "QSO:  14080  CW  2024-06-09 1206  PY2AA  599  SP  PY6EE  599  BA   WRONG MODE !!!",
        "QSO:  14080  RTTY  2024-06-09 1207  PY2AA  599  SP  PY7FF  599     NO RX NUMBER !!!"}) {
    EXPECT_NE(bad.find(line), std::string::npos) << line << "\n" << bad;
  }
  const std::string ini = folder.Read("out/Plugins/TZQ.ini");
  EXPECT_NE(ini.find("Claimed=84"), std::string::npos) << ini;
  // The reset consumed the marker that kept the settings window closed.
  EXPECT_NE(ini.find("Start=0"), std::string::npos) << ini;
}

TEST(ReplayRun, HtmlReportAndCabrilloExportWithHeaderOptions) {
  ScratchFolder folder;
  const std::string log = folder.Write("test.adi", kLog);
  const Result r =
      Replay({log, "--html", "--cabrillo", "--out", folder / "out", "--name", "Ana Maria",
              "--soapbox", "Good luck", "--soapbox", "73", "--club", "LABRE-SP"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("<html>", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("21 * 4 = 84"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("BadQSO_StatsTZQ_09_06_2024.txt, " + InFolder(folder / "out", "PY2AA.cbr")),
            std::string::npos)
      << r.err;

  const std::string cbr = folder.Read("out/PY2AA.cbr");
  for (const char* text :
       {"START-OF-LOG: 3.0\r\nCONTEST: TZQ\r\nCALLSIGN: PY2AA\r\nCATEGORY-OPERATOR: SINGLE-OP "
        "A\r\n",
        "\r\nOPERATORS: PY2AA\r\n", "\r\nCLAIMED-SCORE: 84\r\n", "\r\nCLUB: LABRE-SP\r\n",
        "\r\nNAME: Ana Maria\r\n", "\r\nSOAPBOX: Good luck\r\nSOAPBOX: 73\r\n",
        "QSO:  7040 RY 2024-06-08 1200 PY2AA         599 SP     PY1AA         599 RJ\r\n",
        "QSO: 14080 PM 2024-06-08 1204 PY2AA         599 SP     PY0FF         599 YL\r\n",
        "QSO:  3580 PO 2024-06-09 1209 PY2AA         599 SP     PY2HH         599 QRP\r\n"
        "END-OF-LOG:\r\n"}) {
    EXPECT_NE(cbr.find(text), std::string::npos) << text << "\n" << cbr;
  }
  // Every stored QSO, dupes and unacceptable areas too; no refused one.
  size_t lines = 0;
  for (size_t pos = 0; (pos = cbr.find("\r\nQSO: ", pos)) != std::string::npos; ++pos) ++lines;
  EXPECT_EQ(lines, 7u);

  // The settings file remembers the header for the next export.
  const Result again = Replay({log, "--cabrillo", "--out", folder / "out"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(folder.Read("out/PY2AA.cbr").find("\r\nNAME: Ana Maria\r\n"), std::string::npos);
}

TEST(ReplayRun, AnExportedCabrilloLogScoresAsItsAdif) {
  ScratchFolder folder;
  const std::string log = folder.Write("test.adi", kLog);
  ASSERT_EQ(Replay({log, "--cabrillo", "--out", folder / "a"}).status, 0);
  const Result r = Replay({folder / "a/PY2AA.cbr", "--out", folder / "b"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\r\nTotal\t 5\t 21\t 4\r\nDupe\t 1\r\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\r\nScore: 21*4 = 84\r\n"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find(": 7 QSOs read, 7 stored (1 dupe, 1 unacceptable area), 0 refused"),
            std::string::npos)
      << r.err;
}

TEST(ReplayRun, PeriodDefaultsToTheEarliestAndLatestQsoDates) {
  ScratchFolder folder;
  const std::string log =
      folder.Write("test.adi", Qso("PY1AA", "20240610", "0000", "40m", "RTTY", "", "RJ") +
                                   Qso("PY1AB", "20231231", "2359", "40m", "RTTY", "", "RJ") +
                                   Qso("PY1AC", "20240101", "0000", "40m", "RTTY", "", "RJ"));
  const Result r = Replay({log, "--out", folder / "out"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("      TZQ 31.12-10.06.2024\r\n", 0), 0u) << r.out;
  EXPECT_TRUE(folder.Exists("out/BadQSO_StatsTZQ_10_06_2024.txt"));

  const Result given =
      Replay({log, "--out", folder / "out", "--period", "2024-06-08", "2024-06-09"});
  ASSERT_EQ(given.status, 0) << given.err;
  EXPECT_EQ(given.out.rfind("      TZQ 08.06-09.06.2024\r\n", 0), 0u) << given.out;
  EXPECT_NE(given.out.find("\r\nTotal\t 3\t 6\t 1\r\n"), std::string::npos) << given.out;
}

TEST(ReplayRun, OwnCallFromTheOptionWhenTheLogHasNone) {
  ScratchFolder folder;
  const std::string log =
      folder.Write("test.adi",
                   "<CALL:5>PY1AA<QSO_DATE:8>20240608<TIME_ON:4>1200<FREQ:5>7.040<MODE:4>RTTY"
                   "<SRX_STRING:2>RJ<STX_STRING:2>SP<EOR>");
  Result r = Replay({log, "--out", folder / "out", "--call", "PY2ZZ", "--cabrillo"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(folder.Read("out/PY2ZZ.cbr").find("\r\nCALLSIGN: PY2ZZ\r\n"), std::string::npos);
  // Without any own call the plug-in names the file itself.
  r = Replay({log, "--out", folder / "none", "--cabrillo"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(folder.Exists("none/KVTZ.cbr"));
}

TEST(ReplayRun, AnEmptyLogNeedsAPeriod) {
  ScratchFolder folder;
  const std::string log = folder.Write("empty.adi", "Nothing logged yet\r\n<EOH>\r\n");
  Result r = Replay({log, "--out", folder / "out"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "tzq-replay: " + log + ": no QSOs (give --period to score an empty log)\n");
  EXPECT_FALSE(folder.Exists("out"));

  r = Replay({log, "--out", folder / "out", "--period", "2024-06-08", "2024-06-09"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\r\nTotal\t 0\t 0\t 0\r\n"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find(": 0 QSOs read, 0 stored"), std::string::npos) << r.err;
}

TEST(ReplayRun, BadLogsExitWith2NamingFileLineAndFieldAndWriteNothing) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string message;  // after "tzq-replay: <path>"
  } cases[] = {
      {"truncated.adi",
       "<EOH>\r\n" + Qso("PY1AA", "20240608", "1200", "40m", "RTTY", "", "RJ") + "<CALL:5>PY1A",
       ":3: CALL: declares 5 bytes but the file ends after 4 (truncated file?)"},
      {"date.adi", "\r\n" + Qso("PY1AA", "2024-06-08", "1200", "40m", "RTTY", "", "RJ"),
       ":2: QSO_DATE: unknown date '2024-06-08' (YYYYMMDD expected)"},
      {"length.adi", "<CALL:5>PY1AA<MODE:four>RTTY<EOR>", ":1: MODE: bad length 'four'"},
      {"gt.adi", "\n\n<CALL:5 PY1AA<EOR>", ":3: CALL: tag has no closing '>'"},
      {"required.adi", "<CALL:5>PY1AA<QSO_DATE:8>20240608<TIME_ON:4>1200<MODE:4>RTTY<EOR>",
       ":1: BAND: missing"},
      {"log.cbr", "START-OF-LOG: 3.0\r\nQSO: 7040 RY 2024-06-08 1200 PY2AA 599 SP PY1AA 599 RJ\r\n",
       ":2: END-OF-LOG: missing"},
  };
  for (const Case& c : cases) {
    ScratchFolder folder;
    const std::string log = folder.Write(c.name, c.bytes);
    const Result r = Replay({log, "--out", folder / "out"});
    EXPECT_EQ(r.status, 2) << c.name;
    EXPECT_EQ(r.err.rfind("tzq-replay: " + log + c.message, 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(folder.Exists("out")) << c.name;
  }

  ScratchFolder folder;
  Result r = Replay({folder / "missing.adi", "--out", folder / "out"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("tzq-replay: " + folder / "missing.adi" + ": cannot read: ", 0), 0u)
      << r.err;
  r = Replay({folder / "", "--out", folder / "out"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("is a folder"), std::string::npos) << r.err;
  EXPECT_FALSE(folder.Exists("out"));
}

TEST(ReplayRun, BadOptionsExitWith2AndPointToHelp) {
  Result r = Replay({"log.adi", "--perod", "2024-06-08"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "tzq-replay: --perod: unknown option\nTry 'tzq-replay --help'.\n");
  r = Replay({});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "tzq-replay: no log file given\nTry 'tzq-replay --help'.\n");

  r = Replay({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Usage: tzq-replay [OPTIONS] LOG\n", 0), 0u);
  EXPECT_EQ(r.err, "");
}

TEST(ReplayRun, APluginThatCannotBeLoadedExitsWith1) {
  ScratchFolder folder;
  const std::string log = folder.Write("test.adi", kLog);
  const std::string not_a_library = folder.Write("Stats.bin", "not a library");
  for (const std::string& plugin : {folder / "nowhere.so", not_a_library}) {
    const Result r = Replay({log, "--out", folder / "out", "--plugin", plugin});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("tzq-replay: cannot load "), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST(ReplayTally, EachCallCountedOnceByItsLines) {
  ReplayTally t;
  t.Count(1, "");
  t.Count(1,
          "QSO:  x   Code Area is not acceptable !!!\r\nQSO:  x   DUPE !!!\r\n"
          "QSO:  x   DUPE !!!\r\n");
  t.Count(1, "QSO:  x   DUPE !!!\r\n");
  t.Count(0, "QSO:  x   WRONG BAND !!!\r\n");
  t.Count(0, "QSO:  x   WRONG MODE !!!\r\n");
  t.Count(0, "QSO:  x   NO RX NUMBER !!!\r\n");
  t.Count(0, "");
  EXPECT_EQ(t.Describe(),
            "7 QSOs read, 3 stored (2 dupes, 1 unacceptable area), 4 refused (1 wrong band, 1 "
            "wrong mode, 1 no exchange, 1 without a reason)");
}

}  // namespace
