// tzq-check end to end through the plug-in: a generated contest must give
// exactly the faults its key lists, a small hand-made contest the scores
// worked out by hand, and faulty input the documented exit statuses.

#include "tools/check/check_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>

#include "engine/version.h"
#include "tests/support/temp_folder.h"
#include "tools/check/results_writer.h"
#include "tools/loggen/contest_logs.h"
#include "tools/plugin_loader/plugin_library.h"
#include "tools/replay/replay_platform.h"
#ifndef _WIN32
#include "tests/support/small_disk.h"
#endif

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
  // The replays' work folder is gone.
  for (const auto& e : std::filesystem::directory_iterator(folder.path() + "/res")) {
    EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
  }
}

TEST(CheckRun, ExitStatuses) {
  const struct {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* in_stdout;
    const char* in_stderr;
  } cases[] = {
      {"version", {"--version"}, 0, "tzq-check " TZQ_VERSION_TEXT "\n", ""},
      {"unknown option", {"--frob", "."}, 2, "", "--frob: unknown option"},
      {"bad window", {"--window", "3m", "."}, 2, "", "--window: '3m' is not a number"},
      {"no logs", {"--out", "x"}, 2, "", "no logs given"},
      {"unreadable log", {".", "--out", "res"}, 1, "", "bad.adi: 1: CALL: declares 40 bytes"},
      {"two logs of one station", {".", "--out", "res"}, 1, "", "more than one log of PY3BB"},
  };
  for (const auto& c : cases) {
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
    EXPECT_NE(out.str().find(c.in_stdout), std::string::npos) << c.name << "\n" << out.str();
    EXPECT_NE(err.str().find(c.in_stderr), std::string::npos) << c.name << "\n" << err.str();
    if (c.status == 1) {
      // The other logs are still scored and the failure is listed.
      EXPECT_NE(folder.Read("res/results.txt").find("\r\nNot scored\r\n"), std::string::npos);
      EXPECT_TRUE(folder.Exists("res/PY2AA.ubn.txt")) << c.name;
    }
  }
}

namespace fs = std::filesystem;

// What a run left in the results folder: its regular files by name.
std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) {
    if (fs::is_regular_file(fs::symlink_status(e.path()))) {
      names.push_back(e.path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Nothing from a log reaches an output raw: no ESC, BEL or NUL, no CR that
// does not end a line, no line of a log's making.
void ExpectNothingRaw(const std::string& what, const std::string& text) {
  for (const char c : {'\x1b', '\a', '\0'}) {
    EXPECT_EQ(text.find(c), std::string::npos) << what << " holds byte " << int(c);
  }
  for (size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at + 1)) {
    EXPECT_EQ(text.substr(at, 2), "\r\n") << what << ": a CR inside a line";
  }
  EXPECT_EQ(text.find("X-INJECTED"), std::string::npos) << what;
}

std::string AdifQso(const std::string& own, const std::string& call, const std::string& srx) {
  const auto field = [](const std::string& name, const std::string& value) {
    return "<" + name + ":" + std::to_string(value.size()) + ">" + value;
  };
  return field("CALL", call) + field("QSO_DATE", "20240608") + field("TIME_ON", "1000") +
         field("BAND", "40m") + field("MODE", "RTTY") + field("STX_STRING", "SP") +
         field("SRX_STRING", srx) + field("STATION_CALLSIGN", own) + "<EOR>\r\n";
}

// Logs that strangers may send, each added to the small contest: the run
// scores what it can, shows every text escaped, names every report file
// plainly and uniquely, counts the files it wrote, and exits as documented.
TEST(CheckRun, HostileLogs) {
  const std::string qso = "7040 RY 2024-06-08 1000 PY9ZZ 599 SP PY2AA 599 S\x1b[2JP";
  const std::string long_call = "PY9" + std::string(250, 'A');
  const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> logs;
    std::vector<std::string> args;  // the logs to check; the folder when empty
    int status;
    std::vector<std::pair<std::string, std::string>> shows;  // output ("stderr"), text in it
  } cases[] = {
      {"a call with markup",
       {{"m.cbr", Cabrillo("py9<b>z\"&", "", {qso})}},
       {},
       0,
       {{"results.html", "PY9&lt;B&gt;Z&quot;&amp;"}, {"PY9_B_Z_&.ubn.txt", "of PY9<B>Z\"&"}}},
      {"formula starts",
       {{"@evil.cbr", Cabrillo("=cmd|' /C calc'!A0", "+SUM(1)", {qso})}},
       {"@evil.cbr", "."},
       0,
       {{"results.csv", "\n'+SUM(1),1,'=CMD|' /C CALC'!A0,0,"},
        {"results.csv", ",'@evil.cbr,"},
        {"=CMD_' _C CALC'!A0.ubn.txt", "Log: @evil.cbr"}}},
      {"control characters",
       {{"c.cbr", Cabrillo("PY9\x1b]0;OWNED\aZ", "\x1b[2J", {qso})},
        {"r.cbr", Cabrillo("PY8\rAA\xff", "", {qso})}},
       {},
       0,
       {{"results.txt", "\r\n\\x1b[2J\r\n"},
        {"results.txt", " PY9\\x1b]0;OWNED\\x07Z "},
        {"results.txt", " PY8\\x0dAA\\xff "},
        {"results.html", "PY9\\x1b]0;OWNED\\x07Z"},
        {"results.csv", ",PY8\\x0dAA\\xff,"},
        {"PY9_]0;OWNED_Z.ubn.txt", "PY2AA      599 S\\x1b[2JP"}}},
      {"a line break inside an ADIF value",
       {{"crlf.adi", AdifQso("PY7AA", "PY2AA", "SP") +
                         AdifQso("PY7AA", "PY3BB",
                                 "RJ\r\nX-INJECTED: 1\r\nEND-OF-LOG:\r\n"
                                 "QSO: 7040 RY 2024-06-08 1000 PY7AA 599 SP PY1CC 599 RJ")}},
       {},
       0,
       {{"PY7AA.ubn.txt",
         "as sent: 1 stored (1 counted, 0 duplicates, 0 unacceptable area), 0 refused"}}},
      {"a call of 253 characters",
       {{"long.cbr", Cabrillo(long_call, "", {qso})}},
       {},
       0,
       {{long_call.substr(0, 64) + ".ubn.txt", "of " + long_call + "\r\n"}}},
      {"/P twins",
       {{"p1.cbr", Cabrillo("PY2AA/P", "", {qso})}, {"p2.cbr", Cabrillo("PY2AA_P", "", {qso})}},
       {},
       0,
       {{"PY2AA_P.ubn.txt", "of PY2AA/P\r\n"}, {"PY2AA_P-2.ubn.txt", "of PY2AA_P\r\n"}}},
      {"dots and device names",
       {{"d1.cbr", Cabrillo(".", "", {qso})},
        {"d2.cbr", Cabrillo("..", "", {qso})},
        {"d3.cbr", Cabrillo("con", "", {qso})}},
       {},
       0,
       {{"_..ubn.txt", "of .\r\n"}, {"_...ubn.txt", "of ..\r\n"}, {"CON_.ubn.txt", "of CON\r\n"}}},
      {"a form feed first",
       {{"ff.cbr", "\f" + Cabrillo("PY6AA", "", {qso})}},
       {},
       0,
       {{"PY6AA.ubn.txt", "as sent: 1 stored"}}},
      {"a report that cannot be written",
       {{"res/PY3BB.ubn.txt/keep", ""}},
       {},
       1,
       {{"stderr", "PY3BB.ubn.txt: "}, {"PY2AA.ubn.txt", "of PY2AA\r\n"}}},
      {"standard input", {}, {"-"}, 2, {{"stderr", "-: standard input is not read"}}},
#ifndef _WIN32
      {"an endless log",
       {},
       {"/dev/zero", "."},
       1,
       {{"stderr", "not scored: /dev/zero: larger than a log may be (64 MiB); not read\n"},
        {"PY2AA.ubn.txt", "of PY2AA\r\n"}}},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    WriteSmallContest(folder);
    for (const auto& [name, bytes] : c.logs) {
      fs::create_directories(fs::path(folder.path()) / fs::path(name).parent_path());
      folder.Write(name, bytes);
    }
    std::vector<std::string> args = c.args.empty() ? std::vector<std::string>{"."} : c.args;
    args.insert(args.end(), {"--out", "res"});
    std::ostringstream out, err;
    EXPECT_EQ(RunCheck(args, out, err), c.status) << err.str();
    ExpectNothingRaw("stderr", err.str());
    for (const auto& [file, text] : c.shows) {
      const std::string content = file == "stderr" ? err.str() : folder.Read("res/" + file);
      EXPECT_NE(content.find(text), std::string::npos) << file << ":\n" << content;
    }
    if (c.status == 2) {
      EXPECT_FALSE(folder.Exists("res"));
      continue;
    }
    // The summary counts the files that are there; none is hidden.
    const std::vector<std::string> files = FilesIn(folder.path() + "/res");
    std::smatch counts;
    const std::string said = err.str();
    ASSERT_TRUE(std::regex_search(said, counts, std::regex("; wrote ([0-9]+) files in res\n$")))
        << said;
    EXPECT_EQ(std::stoul(counts[1]), files.size()) << said;
    for (const std::string& name : files) {
      EXPECT_NE(name[0], '.') << name;
      ExpectNothingRaw(name, folder.Read("res/" + name));
    }
  }
}

// A replay whose outputs or report cannot be trusted leaves its station
// not scored with the reason; the run says so and exits 1.
TEST(CheckRun, AStationWhoseReplayFailedIsNotScored) {
  // A host announced itself to the same plug-in: every report is HTML now,
  // which the checker cannot read.
  {
    PluginLibrary library;
    PluginApi api;
    std::string error;
    ASSERT_TRUE(library.Open(ProgramFolder() + "/" + PluginLibrary::DefaultFileName(), &error) &&
                api.Resolve(library, &error))
        << error;
    api.setVersion("another host");
    TempFolder folder;
    WriteSmallContest(folder);
    std::ostringstream out, err;
    EXPECT_EQ(RunCheck({".", "--out", "res"}, out, err), 1);
    EXPECT_NE(err.str().find("not scored: ./py2aa.cbr: the plug-in's report holds no totals"),
              std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find(": 0 logs scored, 3 not scored;"), std::string::npos) << err.str();
    EXPECT_NE(folder.Read("res/results.txt").find("\r\nNot scored\r\n"), std::string::npos);
  }
#ifndef _WIN32
  // The work folder on a full disk: the bad-QSO file of a log with 100
  // equal QSOs cannot be whole, the other logs still score.
  TempFolder folder;
  WriteSmallContest(folder);
  const std::vector<std::string> dupes(100, "7040 RY 2024-06-08 1000 PY5EE 599 SP PY2AA 599 SP");
  folder.Write("py5ee.cbr", Cabrillo("PY5EE", "", dupes));
  SmallDisk disk(folder.path() + "/res", 64);
  if (!disk.mounted()) GTEST_SKIP() << disk.reason();
  std::ostringstream out, err;
  EXPECT_EQ(RunCheck({".", "--out", "res"}, out, err), 1);
  EXPECT_NE(err.str().find("not scored: ./py5ee.cbr: the replay through the plug-in failed: "
                           "BadQSO_StatsTZQ_08_06_2024.txt: incomplete"),
            std::string::npos)
      << err.str();
  EXPECT_NE(err.str().find(": 3 logs scored, 1 not scored;"), std::string::npos) << err.str();
  EXPECT_TRUE(folder.Exists("res/PY2AA.ubn.txt"));
  EXPECT_FALSE(folder.Exists("res/PY5EE.ubn.txt"));
#endif
}

// A log whose equal QSOs would make the plug-in write more duplicate lines
// than a log may cause is not replayed at all; the others are.
TEST(CheckRun, ALogOfEndlessDuplicatesIsNotReplayed) {
  TempFolder folder;
  WriteSmallContest(folder);
  const std::vector<std::string> dupes(1500, "7040 RY 2024-06-08 1000 PY5EE 599 SP PY2AA 599 SP");
  folder.Write("py5ee.cbr", Cabrillo("PY5EE", "", dupes));
  std::ostringstream out, err;
  EXPECT_EQ(RunCheck({".", "--out", "res"}, out, err), 1);
  EXPECT_NE(err.str().find("not scored: ./py5ee.cbr: the plug-in would write 1124250 duplicate "
                           "lines for this log, more than the 1000000 a log may cause (PY2AA on "
                           "40m RTTY logged 1500 times from line 4); not replayed"),
            std::string::npos)
      << err.str();
  EXPECT_TRUE(folder.Exists("res/PY2AA.ubn.txt"));
}

// Links planted in the output folder, at the old work folder's name among
// them, are never followed: nothing outside changes.
#ifndef _WIN32
TEST(CheckRun, LinksInTheOutputFolderAreNeverFollowed) {
  TempFolder folder;
  WriteSmallContest(folder);
  fs::create_directories(folder.path() + "/elsewhere/Plugins");
  folder.Write("elsewhere/Plugins/TZQ.ini", "theirs\r\n");
  folder.Write("elsewhere/BadQSO_StatsTZQ_08_06_2024.txt", "theirs\r\n");
  folder.Write("elsewhere/theirs.txt", "theirs\r\n");
  fs::create_directories(folder.path() + "/res");
  fs::create_directory_symlink(folder.path() + "/elsewhere", folder.path() + "/res/.plugin-work");
  fs::create_symlink(folder.path() + "/elsewhere/theirs.txt", folder.path() + "/res/results.txt");
  fs::create_symlink(folder.path() + "/elsewhere/theirs.txt", folder.path() + "/res/PY2AA.ubn.txt");
  std::ostringstream out, err;
  EXPECT_EQ(RunCheck({"py2aa.cbr", "py3bb.cbr", "--out", "res"}, out, err), 0) << err.str();
  for (const char* name : {"Plugins/TZQ.ini", "BadQSO_StatsTZQ_08_06_2024.txt", "theirs.txt"}) {
    EXPECT_EQ(folder.Read(std::string("elsewhere/") + name), "theirs\r\n") << name;
  }
  EXPECT_FALSE(fs::is_symlink(folder.path() + "/res/results.txt"));
  EXPECT_NE(folder.Read("res/PY2AA.ubn.txt").find("of PY2AA\r\n"), std::string::npos);
  EXPECT_TRUE(fs::is_symlink(folder.path() + "/res/.plugin-work"));
}
#endif

}  // namespace
