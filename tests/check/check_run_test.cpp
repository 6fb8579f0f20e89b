// tzq-check end to end through the plug-in: a generated contest must give
// exactly the faults its key lists, a small hand-made contest the scores
// worked out by hand, and faulty input the documented exit statuses.

#include "tools/check/check_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "engine/version.h"
#include "tests/support/temp_folder.h"
#include "tools/check/results_writer.h"
#include "tools/loggen/contest_logs.h"

namespace {

std::vector<std::string> KeyLines(const std::string& key) {
  std::vector<std::string> lines;
  std::istringstream in(key);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    lines.push_back(line.substr(0, line.find("  #")));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The checker's flagged QSOs in the key's form.
std::vector<std::string> FlaggedLines(const CheckOutcome& outcome) {
  std::vector<std::string> lines;
  for (const StationResult& r : outcome.stations) {
    for (size_t i = 0; i < r.qsos.size(); ++i) {
      const Verdict v = r.findings[i].verdict;
      if (v == Verdict::kConfirmed || v == Verdict::kAccepted) continue;
      std::string verdict = VerdictName(v);
      std::replace(verdict.begin(), verdict.end(), ' ', '-');
      const LogQso& q = r.qsos[i];
      lines.push_back(r.call + " " + verdict + " " + q.call + " " + q.band + " " + q.mode + " " +
                      QsoTimeText(q.oleDays));
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST(CheckRun, GeneratedContestGivesExactlyTheInjectedFaults) {
  TempFolder folder;
  std::string key;
  ContestOptions contest;
  contest.stations = 30;
  contest.seed = 11;
  contest.qsosPerLog = 80;
  for (const auto& [name, bytes] : GenerateContest(contest)) {
    folder.Write(name, bytes);
    if (name == kContestKeyFile) key = bytes;
  }
  // The key must exercise every rule, or matching it proves little.
  for (const char* verdict : {" NOT-IN-LOG ", " BUSTED-CALL ", " BUSTED-EXCHANGE ", " UNIQUE "}) {
    EXPECT_NE(key.find(verdict), std::string::npos) << verdict;
  }

  CheckOptions options;
  options.logs = {folder.path()};
  options.outDir = folder.path() + "/results";
  CheckOutcome outcome;
  std::string error;
  ASSERT_TRUE(CheckContest(options, &outcome, &error)) << error;
  ASSERT_EQ(outcome.stations.size(), 30u);
  for (const StationResult& r : outcome.stations) {
    EXPECT_TRUE(r.scored) << r.file << ": " << r.reason;
    // Only removals lower the score, and every removal that touched a
    // counted QSO shows in the checked replay.
    EXPECT_LE(r.checked.score, r.claimed.score) << r.call;
  }
  EXPECT_EQ(FlaggedLines(outcome), KeyLines(key));
}

TEST(CheckRun, EveryNumberOfReplayProcessesWritesTheSameBytes) {
  TempFolder folder;
  ContestOptions contest;
  contest.stations = 20;
  contest.seed = 3;
  contest.qsosPerLog = 60;
  for (const auto& [name, bytes] : GenerateContest(contest)) folder.Write(name, bytes);
  std::vector<std::string> names;
  for (const char* jobs : {"1", "2", "3"}) {
    std::ostringstream out, err;
    ASSERT_EQ(
        RunCheck({folder.path(), "--out", std::string("res") + jobs, "--jobs", jobs}, out, err), 0)
        << err.str();
    if (names.empty()) {
      for (const auto& f : std::filesystem::directory_iterator(folder.path() + "/res1")) {
        names.push_back(f.path().filename().string());
      }
      ASSERT_EQ(names.size(), 23u);  // one report per station, three results
      continue;
    }
    for (const std::string& name : names) {
      EXPECT_EQ(folder.Read(std::string("res") + jobs + "/" + name), folder.Read("res1/" + name))
          << name << " with --jobs " << jobs;
    }
    EXPECT_FALSE(folder.Exists(std::string("res") + jobs + "/.plugin-work"));
  }
}

std::string Cabrillo(const std::string& call, const std::string& category,
                     const std::vector<std::string>& qsos) {
  std::string text = "START-OF-LOG: 3.0\r\nCONTEST: TZQ\r\nCALLSIGN: " + call + "\r\n";
  if (!category.empty()) text += "CATEGORY-OPERATOR: " + category + "\r\n";
  for (const std::string& q : qsos) text += "QSO: " + q + "\r\n";
  return text + "END-OF-LOG:\r\n";
}

// PY2AA worked PY3BB (and again, a dupe) and PY1CC; PY1CC's log lacks the
// QSO. Claimed: 2 QSOs of 2 points, areas RS and RJ: 4 x 2 = 8. Checked:
// 2 x 1 = 2.
void WriteSmallContest(const TempFolder& folder) {
  folder.Write("py2aa.cbr", Cabrillo("PY2AA", "SINGLE-OP A",
                                     {"7040 RY 2024-06-08 1000 PY2AA 599 SP PY3BB 599 RS",
                                      "7040 RY 2024-06-08 1005 PY2AA 599 SP PY3BB 599 RS",
                                      "7041 RY 2024-06-08 1010 PY2AA 599 SP PY1CC 599 RJ"}));
  folder.Write("py3bb.cbr", Cabrillo("PY3BB", "SINGLE-OP A",
                                     {"7040 RY 2024-06-08 1001 PY3BB 599 RS PY2AA 599 SP"}));
  folder.Write("py1cc.log", Cabrillo("PY1CC", "CHECKLOG",
                                     {"7045 RY 2024-06-08 1100 PY1CC 599 RJ PY5DD 599 PR"}));
}

TEST(CheckRun, ScoresAndTablesThroughThePlugin) {
  TempFolder folder;
  WriteSmallContest(folder);
  std::ostringstream out, err;
  ASSERT_EQ(RunCheck({folder.path(), "--out", "res"}, out, err), 0) << err.str();
  const std::string text = folder.Read("res/results.txt");
  EXPECT_NE(text.find("\r\nSINGLE-OP A\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("    1  PY2AA                    2             1     1              8"
                      "              2   75.0%\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\r\nCHECKLOG\r\n       Call          QSOs\r\n       PY1CC"),
            std::string::npos)
      << text;
  EXPECT_NE(folder.Read("res/results.csv").find("SINGLE-OP A,1,PY2AA,2,1,1,8,2,75.0%,"),
            std::string::npos);
  EXPECT_NE(folder.Read("res/results.html").find("<td class=\"call\">PY2AA</td>"),
            std::string::npos);
  const std::string ubn = folder.Read("res/PY2AA.ubn.txt");
  EXPECT_NE(ubn.find("NOT IN LOG       40m  RTTY    2024-06-08 1010"), std::string::npos) << ubn;
  EXPECT_NE(ubn.find("PY1CC's nearest line: 40m  RTTY    2024-06-08 1100"), std::string::npos)
      << ubn;
  EXPECT_NE(ubn.find("NOT IN LOG       40m  RTTY    2024-06-08 1005"), std::string::npos) << ubn;
  EXPECT_NE(ubn.find("as sent: 3 stored (2 counted, 1 duplicate, 0 unacceptable area), 0 refused"),
            std::string::npos)
      << ubn;
  EXPECT_FALSE(folder.Exists("res/.plugin-work"));
}

// The replay workers started after this die on the log of `call` (none:
// nullptr), as they would on a plug-in crash.
void SetWorkerDiesOn(const char* call) {
#if defined(_WIN32)
  _putenv_s("TZQ_CHECK_WORKER_DIES_ON", call != nullptr ? call : "");
#else
  if (call != nullptr) {
    setenv("TZQ_CHECK_WORKER_DIES_ON", call, 1);
  } else {
    unsetenv("TZQ_CHECK_WORKER_DIES_ON");
  }
#endif
}

TEST(CheckRun, ExitStatuses) {
  const struct {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* in_stdout;
    const char* in_stderr;
    // A replay worker dies on this station's log, as on a plug-in crash.
    const char* worker_dies_on = nullptr;
  } cases[] = {
      {"version", {"--version"}, 0, "tzq-check " TZQ_VERSION_TEXT "\n", ""},
      {"unknown option", {"--frob", "."}, 2, "", "--frob: unknown option"},
      {"bad window", {"--window", "3m", "."}, 2, "", "--window: '3m' is not a number"},
      {"bad jobs", {"--jobs", "0", "."}, 2, "", "--jobs: '0' is not a number of processes"},
      {"no logs", {"--out", "x"}, 2, "", "no logs given"},
      {"unreadable log", {".", "--out", "res"}, 1, "", "bad.adi: 1: CALL: declares 40 bytes"},
      {"two logs of one station", {".", "--out", "res"}, 1, "", "more than one log of PY3BB"},
      {"replay worker dies",
       {".", "--out", "res", "--jobs", "2"},
       1,
       "",
       "py3bb.cbr: replaying it through the plug-in failed: the replay process ",
       "PY3BB"},
  };
  for (const auto& c : cases) {
    SetWorkerDiesOn(c.worker_dies_on);
    TempFolder folder;
    WriteSmallContest(folder);
    if (std::string(c.name) == "unreadable log") {
      // A record cut off inside a value: the file is damaged, not one QSO.
      folder.Write("bad.adi", "<STATION_CALLSIGN:5>PY9ZZ<CALL:40>PY2AA");
    }
    if (std::string(c.name) == "two logs of one station") {
      folder.Write("py3bb-again.adi",
                   "<CALL:5>PY2AA<QSO_DATE:8>20240608<TIME_ON:4>1001<BAND:3>40m<MODE:4>RTTY"
                   "<STX_STRING:2>RS<SRX_STRING:2>SP<STATION_CALLSIGN:5>py3bb<EOR>\r\n");
    }
    std::ostringstream out, err;
    EXPECT_EQ(RunCheck(c.args, out, err), c.status) << c.name << "\n" << err.str();
    SetWorkerDiesOn(nullptr);
    EXPECT_NE(out.str().find(c.in_stdout), std::string::npos) << c.name << "\n" << out.str();
    EXPECT_NE(err.str().find(c.in_stderr), std::string::npos) << c.name << "\n" << err.str();
    if (c.status == 1) {
      // The other logs are still scored and the failure is listed.
      EXPECT_NE(folder.Read("res/results.txt").find("\r\nNot scored\r\n"), std::string::npos);
      EXPECT_TRUE(folder.Exists("res/PY2AA.ubn.txt")) << c.name;
    }
  }
}

}  // namespace
