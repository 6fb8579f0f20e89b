// The whole replay in-process against the built plug-in (Stats.so, or
// Stats.dll under Wine): what reaches the plug-in, what comes back, the
// files left behind, and the exit statuses and messages for bad input.

#include "tools/replay/replay_run.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <thread>
#endif

#include "engine/text.h"
#include "tests/replay/scratch_folder.h"
#include "tools/replay/replay_session.h"

namespace {

struct Result {
  int status;
  std::string out, err;
};

Result Replay(const std::vector<std::string>& args, const std::string& input = "") {
  std::ostringstream out, err;
  std::istringstream in(input);
  const int status = RunReplay(args, out, err, in);
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
                       ": 10 QSOs read: 7 stored (5 counted, 1 duplicate, 1 unacceptable area), 3 "
                       "refused (1 wrong band, 1 wrong mode, 1 no exchange), 0 skipped, 0 outside "
                       "the period 2024-06-08 to 2024-06-09; wrote " +
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
}

TEST(ReplayRun, HeaderValuesReachOnlyTheirOwnRunUnlessASettingsFileIsChosen) {
  ScratchFolder folder;
  const std::string first = folder.Write("first.adi", kLog);
  std::string other = kLog;
  for (size_t pos; (pos = other.find("PY2AA")) != std::string::npos;)
    other.replace(pos, 5, "PY3ZZ");
  const std::string second = folder.Write("second.adi", other);
  const std::string settings = folder / "my.ini";
  // A settings file as the plug-in in the host leaves it after a QRP export.
  const std::string host_settings =
      folder.Write("kolm.ini", "[Settings]\r\nCategory=QRP\r\nName=Caio\r\n");
  // Each export's header, run by run: the options given and what must not
  // show (an earlier run's value).
  struct Run {
    std::vector<std::string> args;
    const char* cbr;
    const char* present;
    const char* absent;
  } runs[] = {
      {{first, "--name", "Ana", "--soapbox", "Hi", "--operators", "PY2AA PY2BB"},
       "PY2AA.cbr",
       "\r\nNAME: Ana\r\n",
       nullptr},
      {{second}, "PY3ZZ.cbr", "\r\nOPERATORS: PY3ZZ\r\n", "Ana"},
      {{first, "--settings", settings, "--name", "Bia"}, "PY2AA.cbr", "\r\nNAME: Bia\r\n", nullptr},
      {{second, "--settings", settings}, "PY3ZZ.cbr", "\r\nNAME: Bia\r\n", nullptr},
      {{second}, "PY3ZZ.cbr", "\r\nNAME: \r\n", "Bia"},
      // The category: the option's, else the settings file's, else the
      // dialog's preset.
      {{first, "--category", "yl"},
       "PY2AA.cbr",
       "\r\nCATEGORY-OPERATOR: YL\r\nCATEGORY-BAND: ALL\r\n",
       nullptr},
      {{second}, "PY3ZZ.cbr", "\r\nCATEGORY-OPERATOR: SINGLE-OP A\r\n", "OPERATOR: YL"},
      {{first, "--settings", host_settings},
       "PY2AA.cbr",
       "\r\nCATEGORY-OPERATOR: QRP\r\n",
       nullptr},
      {{first, "--settings", settings, "--category", "LABRE"},
       "PY2AA.cbr",
       "\r\nCATEGORY-OPERATOR: LABRE\r\n",
       nullptr},
      {{second, "--settings", settings}, "PY3ZZ.cbr", "\r\nCATEGORY-OPERATOR: LABRE\r\n", nullptr},
  };
  for (Run& run : runs) {
    run.args.insert(run.args.end(), {"--cabrillo", "--out", folder / "out"});
    const Result r = Replay(run.args);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string cbr = folder.Read(std::string("out/") + run.cbr);
    EXPECT_NE(cbr.find(run.present), std::string::npos) << run.args[0] << "\n" << cbr;
    if (run.absent != nullptr) {
      EXPECT_EQ(cbr.find(run.absent), std::string::npos) << cbr;
    }
  }
  const std::string kept = folder.Read("my.ini");
  EXPECT_NE(kept.find("Name=Bia"), std::string::npos) << kept;
  EXPECT_NE(kept.find("Category=LABRE"), std::string::npos) << kept;
  const std::string host_kept = folder.Read("kolm.ini");
  EXPECT_NE(host_kept.find("Category=QRP"), std::string::npos) << host_kept;
  EXPECT_NE(host_kept.find("Name=Caio"), std::string::npos) << host_kept;
}

TEST(ReplayRun, AnExportedCabrilloLogScoresAsItsAdif) {
  ScratchFolder folder;
  const std::string log = folder.Write("test.adi", kLog);
  ASSERT_EQ(Replay({log, "--cabrillo", "--out", folder / "a"}).status, 0);
  const Result r = Replay({folder / "a/PY2AA.cbr", "--out", folder / "b"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\r\nTotal\t 5\t 21\t 4\r\nDupe\t 1\r\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\r\nScore: 21*4 = 84\r\n"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find(": 7 QSOs read: 7 stored (5 counted, 1 duplicate, 1 unacceptable area), 0 "
                       "refused"),
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

  EXPECT_NE(r.err.find("0 outside the period 2023-12-31 to 2024-06-10;"), std::string::npos)
      << r.err;

  // A given period keeps only the QSOs inside it.
  struct Case {
    const char *start, *end, *title, *total, *summary;
  } cases[] = {
      {"2024-01-01", "2024-06-10", "TZQ 01.01-10.06.2024", "Total\t 2\t 4\t 1",
       "3 QSOs read: 2 stored (2 counted, 0 duplicates, 0 unacceptable area), 0 refused (0 wrong "
       "band, 0 wrong mode, 0 no exchange), 0 skipped, 1 outside the period 2024-01-01 to "
       "2024-06-10;"},
      {"2023-12-31T23:59", "2024-01-01T00:00:00", "TZQ 31.12-01.01.2024", "Total\t 2\t 4\t 1",
       "1 outside the period 2023-12-31T23:59:00 to 2024-01-01T00:00:00;"},
      {"2024-06-08", "2024-06-09", "TZQ 08.06-09.06.2024", "Total\t 0\t 0\t 0",
       "3 outside the period 2024-06-08 to 2024-06-09;"},
  };
  for (const Case& c : cases) {
    const Result given = Replay({log, "--out", folder / "out", "--period", c.start, c.end});
    ASSERT_EQ(given.status, 0) << given.err;
    EXPECT_NE(given.out.find(c.title), std::string::npos) << given.out;
    EXPECT_NE(given.out.find(c.total), std::string::npos) << given.out;
    EXPECT_NE(given.err.find(c.summary), std::string::npos) << given.err;
  }
}

TEST(ReplayRun, SeveralLogsMergeByTimeAndStandardInputIsALog) {
  ScratchFolder folder;
  const std::string a =
      folder.Write("a.adi", Qso("PY1AA", "20240608", "1300", "40m", "RTTY", "", "RJ") +
                                Qso("PY1AB", "20240608", "1100", "40m", "RTTY", "", "RJ"));
  const std::string b = Qso("py1aa", "20240608", "1200", "40M", "rtty", "", "RJ");
  const Result r = Replay({a, "-", "--out", folder / "out"}, b);
  ASSERT_EQ(r.status, 0) << r.err;
  // Merged: 1100 PY1AB, 1200 py1aa, 1300 PY1AA, so the 1300 QSO is the
  // duplicate of the one from standard input, spelled differently.
  EXPECT_NE(r.err.find(a + ", -: 3 QSOs read: 3 stored (2 counted, 1 duplicate"), std::string::npos)
      << r.err;
  EXPECT_NE(folder.Read("out/BadQSO_StatsTZQ_08_06_2024.txt")
                .find("QSO:  7040  RTTY  2024-06-08 1300  PY2AA  599  SP  PY1AA  599  RJ   DUPE"),
            std::string::npos);
  EXPECT_NE(r.out.find("\r\n40m\t 2\t 4\t 1\r\n"), std::string::npos) << r.out;  // one row
  EXPECT_EQ(r.out.find("40M"), std::string::npos) << r.out;
}

TEST(ReplayRun, OddRecordsAreSkippedOrUnderStrictStopTheRun) {
  ScratchFolder folder;
  std::string no_mode = Qso("PY1AB", "20240608", "1201", "40m", "RTTY", "", "RJ");
  no_mode.erase(no_mode.find("<MODE:4>RTTY"), 12);
  const std::string log = folder.Write(
      "odd.adi", "<EOH>\r\n" + Qso("PY1AA", "20240608", "1200", "40m", "RTTY", "", "RJ") + no_mode +
                     Qso("PY1AC", "20240608", "1202", "40m", "RTTY", "", "RS") +
                     "<APP_LoTW_EOF>\r\n");
  Result r = Replay({log, "--out", folder / "out"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.rfind("tzq-replay: " + log +
                            ":3: MODE: missing (every QSO needs CALL, QSO_DATE, TIME_ON, MODE and "
                            "BAND or FREQ) (QSO skipped)\n",
                        0),
            0u)
      << r.err;
  EXPECT_NE(r.err.find(": 3 QSOs read: 2 stored (2 counted,"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(", 1 skipped (1 no MODE), 0 outside"), std::string::npos) << r.err;

  r = Replay({log, "--out", folder / "strict", "--strict"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "tzq-replay: " + log +
                       ":3: MODE: missing (every QSO needs CALL, QSO_DATE, TIME_ON, MODE and BAND "
                       "or FREQ) (--strict)\n");
  EXPECT_FALSE(folder.Exists("strict"));
}

TEST(ReplayRun, OwnCallFromTheOptionWhenTheLogHasNone) {
  ScratchFolder folder;
  const std::string log =
      folder.Write("test.adi",
                   "<CALL:5>PY1AA<QSO_DATE:8>20240608<TIME_ON:4>1200<FREQ:5>7.040<MODE:4>RTTY"
                   "<SRX_STRING:2>RJ<STX_STRING:2>SP<EOR>");
  // The summary names the file as the plug-in's writer names it.
  const char* calls[][2] = {
      {"py2zz", "PY2ZZ.cbr"}, {"PY2XB/1", "PY2XB_1.cbr"}, {"CON", "CON_.cbr"}};
  for (const auto& c : calls) {
    const Result r = Replay({log, "--out", folder / "out", "--call", c[0], "--cabrillo"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(", " + InFolder(folder / "out", c[1]) + "\n"), std::string::npos) << r.err;
    EXPECT_NE(folder.Read(std::string("out/") + c[1]).find("\r\nCALLSIGN: "), std::string::npos);
  }
  // Without any own call there is nothing to export under.
  const Result r = Replay({log, "--out", folder / "none", "--cabrillo"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "tzq-replay: --cabrillo: the log names no own callsign for the export; give --call "
            "CALL\nTry 'tzq-replay --help'.\n");
  EXPECT_FALSE(folder.Exists("none"));
}

TEST(ReplayRun, AnEmptyLogNeedsAPeriod) {
  ScratchFolder folder;
  const std::string log = folder.Write("empty.adi", "Nothing logged yet\r\n<EOH>\r\n");
  Result r = Replay({log, "--out", folder / "out"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "tzq-replay: " + log + ": no QSOs to score (give --period to score an empty log)\n");
  EXPECT_FALSE(folder.Exists("out"));

  r = Replay({log, "--out", folder / "out", "--period", "2024-06-08", "2024-06-09"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\r\nTotal\t 0\t 0\t 0\r\n"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find(": 0 QSOs read: 0 stored"), std::string::npos) << r.err;
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
      {"owncall.adi",
       "\r\n<CALL:5>PY1AA<QSO_DATE:8>20240608<TIME_ON:4>1200<BAND:3>40m<MODE:4>RTTY"
       "<STATION_CALLSIGN:7>PY2 AA/<EOR>",
       ":2: own call: 'PY2 AA/' is not a callsign"},
      {"length.adi", "<CALL:5>PY1AA<MODE:four>RTTY<EOR>", ":1: MODE: bad length 'four'"},
      {"gt.adi", "\n\n<CALL:5 PY1AA<EOR>", ":3: CALL: tag has no closing '>'"},
      {"required.adi", "<CALL:5>PY1AA<QSO_DATE:8>20240608<TIME_ON:4>1200<MODE:4>RTTY<EOR>",
       ":1: BAND: missing, and no FREQ either (QSO skipped)\ntzq-replay: "},
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
  EXPECT_EQ(r.out.rfind("Usage: tzq-replay [OPTIONS] LOG...\n", 0), 0u);
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

// The report goes to a stream that cannot take it (a full disk): the run
// fails, whatever the plug-in did.
TEST(ReplayRun, AReportThatCannotBeWrittenExitsWith1) {
  struct Refusing : std::streambuf {
    int overflow(int) override { return traits_type::eof(); }
  } refusing;
  std::ostream out(&refusing);
  std::ostringstream err;
  std::istringstream in;
  ScratchFolder folder;
  const std::string log = folder.Write("test.adi", kLog);
  EXPECT_EQ(RunReplay({log, "--out", folder / "out"}, out, err, in), 1);
  EXPECT_NE(err.str().find("tzq-replay: standard output: the report could not be written\n"),
            std::string::npos)
      << err.str();
}

// Text from a log reaches the terminal escaped: an ESC sequence in a value
// cannot retitle or clear it, a CR cannot overwrite a line.
TEST(ReplayRun, ControlCharactersFromALogAreShownEscaped) {
  ScratchFolder folder;
  std::string odd = Qso("PY1AA", "20240608", "1200", "40m", "RTTY", "", "RJ");
  odd.replace(odd.find("<TIME_ON:4>1200"), 15, "<TIME_ON:6>\x1b]0;x\a");
#ifdef _WIN32
  const char* name = "esc.adi";  // Windows names hold no control character
  const char* shown = "esc.adi";
#else
  const char* name = "esc\x1b[2J\r.adi";
  const char* shown = "esc\\x1b[2J\\x0d.adi";
#endif
  const std::string log = folder.Write(name, odd + kLog.substr(kLog.find("<CALL")));
  const Result r = Replay({log, "--out", folder / "out"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("TIME_ON: no such time '\\x1b]0;x\\x07' (HHMM"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(std::string(shown) + ": 11 QSOs read"), std::string::npos) << r.err;
  for (const char c : {'\x1b', '\a', '\r'}) EXPECT_EQ(r.err.find(c), std::string::npos) << r.err;

  const struct {
    std::string in, shown;
  } cases[] = {
      {"PY2AA S\xc3\xa3o \\ ok", "PY2AA S\xc3\xa3o \\ ok"},  // UTF-8 and a backslash as they are
      {"a\tb\x7f\n", "a\\x09b\\x7f\\x0a"},
      {"\xc2\x9b"
       "2J \xc2\xa0",
       "\\xc2\\x9b2J \xc2\xa0"},                       // a C1 control; a no-break space
      {"\xff\xc3(\xe2\x82", "\\xff\\xc3(\\xe2\\x82"},  // not UTF-8
      {"\xed\xa0\x80\xf4\x90\x80\x80", "\\xed\\xa0\\x80\\xf4\\x90\\x80\\x80"},
  };
  for (const auto& c : cases) EXPECT_EQ(text::Visible(c.in), c.shown) << c.in;
}

// What --settings accepts: a regular file (kept private when it was) or a
// missing one, a link written through to its target; never a device, a
// FIFO, a folder, a log or an output of the run.
TEST(ReplayRun, TheSettingsFileIsARegularFileNeverAnOutputOrALog) {
  ScratchFolder folder;
  const std::string log = folder.Write("test.adi", kLog);
  const std::string out = folder / "out";
  const std::string ini = "[Settings]\r\nName=Bia\r\n";
  const struct {
    const char* name;
    std::string path;
    const char* refused;  // in the message; null: accepted
  } cases[] = {
      {"missing", folder / "new.ini", nullptr},
      {"a folder", folder / "", "not a regular file"},
      {"the bad-QSO file", out + "/BadQSO_StatsTZQ_09_06_2024.txt", "this run's output"},
      {"a log", log, "is a log of this run"},
#ifndef _WIN32
      {"a device", "/dev/null", "not a regular file"},
      {"a FIFO", folder / "fifo.ini", "not a regular file"},
      {"a private file", folder / "private.ini", nullptr},
      {"a link", folder / "link.ini", nullptr},
      {"a link to nothing", folder / "dangling.ini", "a link to nothing"},
#endif
  };
#ifndef _WIN32
  ASSERT_EQ(mkfifo((folder / "fifo.ini").c_str(), 0600), 0);
  folder.Write("private.ini", ini);
  ASSERT_EQ(chmod((folder / "private.ini").c_str(), 0600), 0);
  folder.Write("target.ini", ini);
  ASSERT_EQ(symlink((folder / "target.ini").c_str(), (folder / "link.ini").c_str()), 0);
  ASSERT_EQ(symlink((folder / "nowhere.ini").c_str(), (folder / "dangling.ini").c_str()), 0);
#endif
  for (const auto& c : cases) {
    const Result r = Replay({log, "--out", out, "--settings", c.path});
    if (c.refused != nullptr) {
      EXPECT_EQ(r.status, 2) << c.name;
      EXPECT_NE(r.err.find("--settings: "), std::string::npos) << c.name << ": " << r.err;
      EXPECT_NE(r.err.find(c.refused), std::string::npos) << c.name << ": " << r.err;
      continue;
    }
    ASSERT_EQ(r.status, 0) << c.name << ": " << r.err;
    EXPECT_NE(folder.Read(c.path.substr(folder.operator/("").size())).find("Claimed=84"),
              std::string::npos)
        << c.name;
  }
#ifndef _WIN32
  struct stat st;
  ASSERT_EQ(stat((folder / "private.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.ini"));
  EXPECT_NE(folder.Read("target.ini").find("Name=Bia\r\n"), std::string::npos);
  EXPECT_NE(folder.Read("target.ini").find("Claimed=84"), std::string::npos);
#endif
}

#ifndef _WIN32
// Links planted in the output folder (at Plugins, at the outputs' names, at
// the old fixed work folder) are replaced or left alone, never followed:
// nothing outside the folder changes.
TEST(ReplayRun, LinksInTheOutputFolderAreNeverFollowed) {
  ScratchFolder folder;
  const std::string log = folder.Write("test.adi", kLog);
  std::filesystem::create_directories(folder / "elsewhere/Plugins");
  folder.Write("elsewhere/Plugins/TZQ.ini", "theirs\r\n");
  folder.Write("elsewhere/file.txt", "theirs\r\n");
  std::filesystem::create_directories(folder / "out");
  for (const char* name : {"Plugins", ".plugin-work"}) {
    ASSERT_EQ(symlink((folder / "elsewhere").c_str(), (folder / "out/" + name).c_str()), 0);
  }
  for (const char* name : {"BadQSO_StatsTZQ_09_06_2024.txt", "PY2AA.cbr"}) {
    ASSERT_EQ(symlink((folder / "elsewhere/file.txt").c_str(), (folder / "out/" + name).c_str()),
              0);
  }
  const Result r = Replay({log, "--out", folder / "out", "--cabrillo"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(folder.Read("elsewhere/Plugins/TZQ.ini"), "theirs\r\n");
  EXPECT_EQ(folder.Read("elsewhere/file.txt"), "theirs\r\n");
  EXPECT_FALSE(std::filesystem::is_symlink(folder / "out/Plugins"));
  EXPECT_NE(folder.Read("out/Plugins/TZQ.ini").find("Claimed=84"), std::string::npos);
  EXPECT_EQ(folder.Read("out/BadQSO_StatsTZQ_09_06_2024.txt").rfind("TZQ Contest UBN file", 0), 0u);
  EXPECT_NE(folder.Read("out/PY2AA.cbr").find("END-OF-LOG:"), std::string::npos);
  // Only the outputs and the planted link stay: no work folder is left.
  std::set<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(folder / "out")) {
    left.insert(e.path().filename().string());
  }
  EXPECT_EQ(left, (std::set<std::string>{".plugin-work", "BadQSO_StatsTZQ_09_06_2024.txt",
                                         "PY2AA.cbr", "Plugins"}));
}

// A log through a pipe (process substitution) reads like standard input;
// an endless or huge source is refused unread beyond the bound.
TEST(ReplayRun, PipesReadLikeStandardInputAndALogHasABound) {
  ScratchFolder folder;
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  std::thread writer([&] {
    size_t at = 0;
    while (at < kLog.size()) {
      const ssize_t n = write(ends[1], kLog.data() + at, kLog.size() - at);
      if (n <= 0) break;
      at += static_cast<size_t>(n);
    }
    close(ends[1]);
  });
  const std::string piped = "/dev/fd/" + std::to_string(ends[0]);
  Result r = Replay({piped, "--out", folder / "out"});
  writer.join();
  close(ends[0]);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find(piped + ": 10 QSOs read"), std::string::npos) << r.err;

  r = Replay({"/dev/zero", "--out", folder / "zero"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "tzq-replay: /dev/zero: larger than a log may be (64 MiB); not read\n");
  EXPECT_FALSE(folder.Exists("zero"));
}

// A disk that fills during the run: the file size limit makes every write
// past it fail as a full disk does.
TEST(ReplayRun, AnOutputCutShortByAFullDiskExitsWith1) {
  ScratchFolder folder;
  std::string log;
  for (int i = 0; i < 300; ++i) {
    log += Qso("PY1A" + std::string(1, static_cast<char>('A' + i % 26)), "20240608", "1200", "30m",
               "RTTY", "", "RJ");
  }
  const std::string path = folder.Write("full.adi", log);
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 8192;
  void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const Result r = Replay({path, "--out", folder / "out"});
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);
  EXPECT_EQ(r.status, 1);
  const std::string name = InFolder(folder / "out", "BadQSO_StatsTZQ_08_06_2024.txt");
  EXPECT_NE(r.err.find("\ntzq-replay: " + name + ": incomplete: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("where the refusals and duplicates need 300 (disk full?)\n"),
            std::string::npos)
      << r.err;
}
#endif

TEST(ReplayTally, EachCallCountedOnceInTheFirstGroupThatApplies) {
  ReplayTally t;
  t.Count(1, "");
  t.Count(1,
          "QSO:  x   Code Area is not acceptable !!!\r\nQSO:  x   DUPE !!!\r\n"
          "QSO:  x   DUPE !!!\r\n");
  t.Count(1, "QSO:  x   DUPE !!!\r\n");
  t.Count(1, "QSO:  x   Code Area is not acceptable !!!\r\n");
  t.Count(0, "QSO:  x   WRONG BAND !!!\r\n");
  t.Count(0, "QSO:  x   WRONG MODE !!!\r\n");
  t.Count(0, "QSO:  x   NO RX NUMBER !!!\r\n");
  t.Count(0, "");
  EXPECT_EQ(t.read, 8);
  EXPECT_EQ(t.Describe(),
            "4 stored (1 counted, 2 duplicates, 1 unacceptable area; 1 duplicate also had an "
            "unacceptable area and counted as duplicate), 4 refused (1 wrong band, 1 wrong mode, "
            "1 no exchange, 1 without a reason)");
}

}  // namespace
