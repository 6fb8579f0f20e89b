// tzq-check end to end through the plug-in: a generated contest must give
// exactly the faults its key lists, a small hand-made contest the scores
// worked out by hand, and faulty input the documented exit statuses.

#include "tools/check/check_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "engine/version.h"
#include "tests/support/temp_folder.h"
#include "tools/check/results_writer.h"
#include "tools/check/written_list.h"
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

// The checker's flagged QSOs and corrected clocks in the key's form.
std::vector<std::string> FlaggedLines(const CheckOutcome& outcome) {
  std::vector<std::string> lines;
  for (const StationResult& r : outcome.stations) {
    if (r.clock.applied) {
      lines.push_back(r.call + " CLOCK-OFFSET " + (r.clock.minutes > 0 ? "+" : "") +
                      std::to_string(r.clock.minutes));
    }
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

// The lines of `a` that `b` lacks, both sorted.
std::vector<std::string> Lacking(const std::vector<std::string>& a,
                                 const std::vector<std::string>& b) {
  std::vector<std::string> out;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  return out;
}

TEST(CheckRun, GeneratedContestGivesExactlyTheInjectedFaults) {
  const struct {
    int stations;
    uint64_t seed;
    int qsos;
  } sizes[] = {{30, 11, 80}, {150, 4, 60}};
  for (const auto& size : sizes) {
    TempFolder folder;
    std::string key;
    ContestOptions contest;
    contest.stations = size.stations;
    contest.seed = size.seed;
    contest.qsosPerLog = size.qsos;
    for (const auto& [name, bytes] : GenerateContest(contest)) {
      folder.Write(name, bytes);
      if (name == kContestKeyFile) key = bytes;
    }
    // The key must exercise every rule, or matching it proves little: both
    // kinds of busted call, and clocks an hour and 7 minutes off.
    for (const char* kind :
         {" NOT-IN-LOG ", " BUSTED-CALL ", " BUSTED-EXCHANGE ", " UNIQUE ", " WRONG-BAND ",
          " WRONG-MODE ", "which sent no log", " CLOCK-OFFSET +60 ", " CLOCK-OFFSET -7 "}) {
      EXPECT_NE(key.find(kind), std::string::npos) << size.stations << ":" << kind;
    }

    CheckOptions options;
    options.logs = {folder.path()};
    options.outDir = folder.path() + "/results";
    CheckOutcome outcome;
    std::string error;
    ASSERT_TRUE(CheckContest(options, &outcome, &error)) << error;
    ASSERT_EQ(outcome.stations.size(), static_cast<size_t>(size.stations));
    for (const StationResult& r : outcome.stations) {
      EXPECT_TRUE(r.scored) << r.file << ": " << r.reason;
      // Only removals lower the score, and every removal that touched a
      // counted QSO shows in the checked replay.
      EXPECT_LE(r.checked.score, r.claimed.score) << r.call;
    }
    const std::vector<std::string> found = FlaggedLines(outcome), injected = KeyLines(key);
    EXPECT_EQ(Lacking(injected, found), std::vector<std::string>{}) << size.stations << " missed";
    EXPECT_EQ(Lacking(found, injected), std::vector<std::string>{}) << size.stations << " invented";
  }
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
      // Two reports per station, three results and the list of reports.
      ASSERT_EQ(names.size(), 44u);
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
  EXPECT_NE(
      text.find("    1  PY2AA                    2             1     1              8"
                "              2   75.0%      2       0       0       0       0     0      -\r\n"),
      std::string::npos)
      << text;
  EXPECT_NE(text.find("\r\nCHECKLOG\r\n       Call          QSOs\r\n       PY1CC"),
            std::string::npos)
      << text;
  EXPECT_NE(folder.Read("res/results.csv").find("SINGLE-OP A,1,PY2AA,2,1,1,8,2,75.0%,"),
            std::string::npos);
  EXPECT_NE(folder.Read("res/results.html")
                .find("<td class=\"call\"><a href=\"PY2AA.html\">PY2AA</a></td>"),
            std::string::npos);
  // The station's page: the report's lines, the other side's line under
  // the QSO it judges, and the way back.
  const std::string page = folder.Read("res/PY2AA.html");
  EXPECT_NE(page.find("<span class=\"removed\">NOT IN LOG      </span> 40m  RTTY    2024-06-08 "
                      "1010  PY2AA      599 SP     PY1CC      599 RJ     (line 7)\n<span "
                      "class=\"other\">    PY1CC's nearest line: 40m  RTTY    2024-06-08 1100"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("<nav><a href=\"results.html\">"), std::string::npos) << page;
  const std::string ubn = folder.Read("res/PY2AA.ubn.txt");
  EXPECT_NE(ubn.find("NOT IN LOG       40m  RTTY    2024-06-08 1010"), std::string::npos) << ubn;
  EXPECT_NE(ubn.find("PY1CC's nearest line: 40m  RTTY    2024-06-08 1100"), std::string::npos)
      << ubn;
  EXPECT_NE(ubn.find("NOT IN LOG       40m  RTTY    2024-06-08 1005"), std::string::npos) << ubn;
  EXPECT_NE(ubn.find("as sent: 3 stored (2 counted, 1 duplicate, 0 unacceptable area), 0 refused"),
            std::string::npos)
      << ubn;
  // The replays' work folder is gone; the list of reports is all that is
  // hidden.
  for (const auto& e : std::filesystem::directory_iterator(folder.path() + "/res")) {
    if (e.path().filename() == kWrittenListName) continue;
    EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
  }
}

// PY2AA's clock ran an hour fast: five stations logged it an hour earlier.
// PY3BB logged PY4CC on 20 m, PY4CC logged PY3BB on 40 m. PY6EE logged
// PY9XY, which sent no log, while three logs held PY9XX on 40 m.
TEST(CheckRun, EachVerdictHasItsReportLineAndItsCount) {
  TempFolder folder;
  const char* const partners[] = {"PY3BB", "PY4CC", "PY5DD", "PY6EE", "PY7FF"};
  const char* const areas[] = {"RS", "MG", "PR", "BA", "PE"};
  std::vector<std::string> own;
  std::map<std::string, std::vector<std::string>> logs;
  for (int i = 0; i < 5; ++i) {
    const std::string minute = std::to_string(10 + 2 * i);
    own.push_back("7040 RY 2024-06-08 11" + minute + " PY2AA 599 SP " + partners[i] + " 599 " +
                  areas[i]);
    logs[partners[i]].push_back("7040 RY 2024-06-08 10" + minute + " " + partners[i] + " 599 " +
                                areas[i] + " PY2AA 599 SP");
  }
  logs["PY3BB"].push_back("14040 RY 2024-06-08 1200 PY3BB 599 RS PY4CC 599 MG");
  logs["PY4CC"].push_back("7040 RY 2024-06-08 1201 PY4CC 599 MG PY3BB 599 RS");
  logs["PY3BB"].push_back("7042 RY 2024-06-08 1250 PY3BB 599 RS PY9XX 599 AM");
  logs["PY4CC"].push_back("7042 RY 2024-06-08 1300 PY4CC 599 MG PY9XX 599 AM");
  logs["PY5DD"].push_back("7042 RY 2024-06-08 1310 PY5DD 599 PR PY9XX 599 AM");
  logs["PY6EE"].push_back("7042 RY 2024-06-08 1305 PY6EE 599 BA PY9XY 599 AM");
  folder.Write("py2aa.cbr", Cabrillo("PY2AA", "", own));
  for (const auto& [call, qsos] : logs) folder.Write(call + ".cbr", Cabrillo(call, "", qsos));
  std::ostringstream out, err;
  ASSERT_EQ(RunCheck({folder.path(), "--out", "res"}, out, err), 0) << err.str();

  const struct {
    const char* file;
    const char* text;
  } expected[] = {
      {"res/PY2AA.ubn.txt",
       "Clock: your log's clock ran 60 min fast; times corrected for the check (5 of the 5"},
      {"res/PY2AA.ubn.txt", "Removed from the score\r\n  none\r\n"},
      {"res/PY3BB.ubn.txt",
       "WRONG BAND       20m  RTTY    2024-06-08 1200  PY3BB      599 RS     PY4CC"},
      {"res/PY3BB.ubn.txt", "    PY4CC's line: 40m  RTTY    2024-06-08 1201  PY4CC"},
      {"res/PY4CC.ubn.txt", "WRONG BAND       40m  RTTY    2024-06-08 1201"},
      {"res/PY3BB.ubn.txt",
       "removed 1 (0 not in log, 0 busted call, 0 busted exchange, 1 wrong "
       "band, 0 wrong mode)"},
      {"res/PY6EE.ubn.txt", "BUSTED CALL      40m  RTTY    2024-06-08 1305"},
      {"res/PY6EE.ubn.txt",
       "    PY9XY sent no log and is in your log only; PY9XX is in 3 other logs on 40m within 30 "
       "min\r\n    PY4CC's nearest line: 40m  RTTY    2024-06-08 1300"},
      // Not in log, busted call, busted exchange, wrong band, wrong mode,
      // unique, clock.
      {"res/results.csv", ",PY2AA,5,5,"},
      {"res/results.csv", ",0,0,0,0,0,0,60,"},
      {"res/results.csv", ",0,0,0,1,0,0,,"},
      {"res/results.csv", ",0,1,0,0,0,0,,"},
      {"res/results.txt", "      0       0       0       0     0    +60\r\n"},
      {"res/results.txt", "      0       0       1       0     0      -\r\n"},
      {"res/results.html", "<th>wrong band</th>"},
  };
  for (const auto& e : expected) {
    EXPECT_NE(folder.Read(e.file).find(e.text), std::string::npos)
        << e.file << " lacks " << e.text << "\n"
        << folder.Read(e.file);
  }
}

TEST(CheckRun, QsoTimesInTheReports) {
  const struct {
    double ole_days;
    const char* text;
  } cases[] = {
      {45351.0 + 86340.0 / 86400, "2024-02-29 2359"},  // a leap day keeps its year
      {45352.0, "2024-03-01 0000"},
      {45291.0 + 43500.0 / 86400, "2023-12-31 1205"},
      {36585.0 + 23400.0 / 86400, "2000-02-29 0630"},
  };
  for (const auto& c : cases) EXPECT_EQ(QsoTimeText(c.ole_days), c.text);
}

TEST(CheckRun, NumbersGroupedForReading) {
  const struct {
    long long n;
    const char* separator;
    const char* text;
  } cases[] = {
      {0, " ", "0"},
      {999, " ", "999"},
      {1000, " ", "1 000"},
      {199251, " ", "199 251"},
      {1234567, " ", "1 234 567"},
      {-12345, " ", "-12 345"},
      {199251, "&#8239;", "199&#8239;251"},
  };
  for (const auto& c : cases) EXPECT_EQ(GroupedDigits(c.n, c.separator), c.text) << c.n;
}

// The lines of a text, blank lines aside.
std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// The lines a station's page shows from its title to its footer, tags
// taken out and characters restored: what the reader sees, to hold against
// the text report.
std::vector<std::string> PageLines(const std::string& page) {
  const size_t from = page.find("<h1>"), to = page.find("<footer>");
  std::string body = std::regex_replace(page.substr(from, to - from), std::regex("<[^>]*>"), "");
  for (const auto& [entity, c] : std::vector<std::pair<std::string, std::string>>{
           {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}}) {
    for (size_t at = 0; (at = body.find(entity, at)) != std::string::npos; at += c.size()) {
      body.replace(at, entity.size(), c);
    }
  }
  return TextLines(body);
}

// Each station's page says what its text report says, line for line, so
// neither escapes twice nor drops a line.
void ExpectPagesMatchReports(const std::string& folder) {
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (name.size() < 8 || name.compare(name.size() - 8, 8, ".ubn.txt") != 0 ||
        !e.is_regular_file()) {
      continue;
    }
    // Made from the entry's own path: on Windows a name's bytes need not
    // survive a round trip through a narrow string.
    std::filesystem::path page = e.path();
    page.replace_extension().replace_extension(".html");
    std::ifstream report(e.path(), std::ios::binary), html(page, std::ios::binary);
    std::stringstream r, h;
    r << report.rdbuf();
    h << html.rdbuf();
    ASSERT_FALSE(h.str().empty()) << page.string();
    EXPECT_EQ(PageLines(h.str()), TextLines(r.str())) << page.string();
  }
}

// Four stations of one category, two of them with equal scores, and one
// station each of two other categories, one log that cannot be read.
// Every QSO is with a station that sent no log, so no score changes.
TEST(CheckRun, TheResultsSite) {
  TempFolder folder;
  std::vector<std::string> many;
  const char* const bands[] = {"3540", "7040", "14040", "21040", "28040"};
  const char* const areas[] = {"SP", "RJ", "MG", "PR", "BA", "PE", "AM", "SC"};
  for (int b = 0; b < 5; ++b) {
    for (int a = 0; a < 8; ++a) {
      many.push_back(std::string(bands[b]) + " RY 2024-06-0" + (b < 4 ? "8" : "9") + " " +
                     std::to_string(1000 + 10 * b) + " PY2AA 599 RS PY8" +
                     static_cast<char>('A' + b) + static_cast<char>('A' + a) + " 599 " + areas[a]);
    }
  }
  folder.Write("py2aa.cbr", Cabrillo("PY2AA", "SINGLE-OP A", many));
  for (const char* call : {"PY3BB", "PY4CC"}) {
    const std::string c = call;
    folder.Write(
        c + ".cbr",
        Cabrillo(c, "SINGLE-OP A",
                 {"7040 RY 2024-06-08 1100 " + c + " 599 RS PY7" + c.substr(3) + " 599 SP",
                  "7040 RY 2024-06-08 1110 " + c + " 599 RS PY6" + c.substr(3) + " 599 RJ"}));
  }
  folder.Write("py5dd.cbr", Cabrillo("PY5DD", "SINGLE-OP A",
                                     {"7040 RY 2024-06-08 1200 PY5DD 599 RS PY7ZZ 599 SP"}));
  folder.Write("py6ee.cbr", Cabrillo("PY6EE", "SINGLE-OP B",
                                     {"7040 RY 2024-06-08 1200 PY6EE 599 RS PY7ZY 599 SP"}));
  folder.Write("py1cc.cbr", Cabrillo("PY1CC", "CHECKLOG",
                                     {"7040 RY 2024-06-08 1200 PY1CC 599 RS PY7ZX 599 SP"}));
  folder.Write("bad.adi", "<CALL:40>PY2AA");
  std::ostringstream out, err;
  ASSERT_EQ(RunCheck({".", "--out", "res"}, out, err), 1) << err.str();

  const struct {
    const char* file;
    const char* text;
  } shows[] = {
      // Equal scores share a place in every output; the next place counts
      // the stations above it.
      {"results.txt", "\r\n    1  PY2AA  "},
      {"results.txt", "\r\n    2  PY3BB  "},
      {"results.txt", "\r\n    2  PY4CC  "},
      {"results.txt", "\r\n    4  PY5DD  "},
      {"results.txt", "\r\n    1  PY6EE  "},
      {"results.csv", "\r\nSINGLE-OP A,2,PY3BB,2,2,"},
      {"results.csv", "\r\nSINGLE-OP A,2,PY4CC,2,2,"},
      {"results.csv", "\r\nSINGLE-OP A,4,PY5DD,1,1,"},
      {"results.html", "<tr><td>2</td><td class=\"call\"><a href=\"PY3BB.html\">PY3BB</a></td>"},
      {"results.html", "<tr><td>2</td><td class=\"call\"><a href=\"PY4CC.html\">PY4CC</a></td>"},
      {"results.html", "<tr><td>4</td><td class=\"call\"><a href=\"PY5DD.html\">PY5DD</a></td>"},
      {"results.html", "<td class=\"call\"><a href=\"PY1CC.html\">PY1CC</a></td>"},
      // The period in the title, the index of the categories.
      {"results.html", "<title>TZQ contest results, 2024-06-08 to 2024-06-09</title>"},
      {"results.txt", "TZQ contest results, 2024-06-08 to 2024-06-09\r\n"},
      {"results.html",
       "<nav><ul>\n<li><a href=\"#t1\">SINGLE-OP A</a> <span class=\"count\">4</span></li>\n"
       "<li><a href=\"#t2\">SINGLE-OP B</a> <span class=\"count\">1</span></li>\n"
       "<li><a href=\"#t3\">CHECKLOG</a> <span class=\"count\">1</span></li>\n"
       "<li><a href=\"#notscored\">Not scored</a> <span class=\"count\">1</span></li>\n"},
      {"results.html",
       "<table class=\"category\" id=\"t3\">\n<caption><a href=\"#top\">index</a>"
       "CHECKLOG</caption>\n<colgroup>"},
      {"results.html", "<table class=\"notscored\" id=\"notscored\">"},
      // Each page links back.
      {"PY3BB.html", "<h1>TZQ log check of PY3BB</h1>"},
      {"PY3BB.html", "<a href=\"results.html\">"},
      {"PY3BB.html",
       "<span class=\"flagged\">UNIQUE          </span> 40m  RTTY    2024-06-08 1100"},
  };
  for (const auto& c : shows) {
    const std::string content = folder.Read(std::string("res/") + c.file);
    EXPECT_NE(content.find(c.text), std::string::npos) << c.file << " lacks " << c.text;
  }
  // Large numbers in groups of three: a narrow no-break space in the page,
  // a blank in the text, plain digits for programs.
  const struct {
    const char* file;
    const char* pattern;
  } matches[] = {
      {"results.html",
       "PY2AA</a></td><td>40</td><td>40</td><td>[0-9]+</td><td>[0-9]+&#8239;[0-9]{3}</td>"},
      {"results.txt", "\r\n    1  PY2AA +40 +40 +[0-9]+ +[0-9]+ [0-9]{3} +[0-9]+ [0-9]{3} "},
      {"results.csv", "\r\nSINGLE-OP A,1,PY2AA,40,40,[0-9]+,[0-9]{4,},[0-9]{4,},"},
      {"PY2AA.ubn.txt", "\r\n  Claimed       40  +[0-9]+  +[0-9]+  +[0-9]+ [0-9]{3}\r\n"},
  };
  for (const auto& m : matches) {
    EXPECT_TRUE(std::regex_search(folder.Read(std::string("res/") + m.file), std::regex(m.pattern)))
        << m.file << " lacks " << m.pattern;
  }
  // One column layout in every category table.
  const std::string site = folder.Read("res/results.html");
  std::set<std::string> layouts;
  size_t tables = 0;
  for (size_t at = 0; (at = site.find("<colgroup>", at)) != std::string::npos; ++at, ++tables) {
    layouts.insert(site.substr(at, site.find("</thead>", at) - at));
  }
  EXPECT_EQ(tables, 3u);
  EXPECT_EQ(layouts.size(), 1u);
  ExpectPagesMatchReports(folder.path() + "/res");
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
    const char* in_results;  // in res/results.txt; nullptr: not written
    // A replay worker dies on this station's log, as on a plug-in crash.
    const char* worker_dies_on = nullptr;
  } cases[] = {
      {"version", {"--version"}, 0, "tzq-check " TZQ_VERSION_TEXT "\nplug-in ", "", nullptr},
      // The plug-in beside the test, as beside the program.
      {"the plug-in's version", {"--version"}, 0, " version " TZQ_VERSION_TEXT "\n", "", nullptr},
      {"no plug-in there",
       {"--plugin", "nowhere.so", "--version"},
       0,
       "nowhere.so: not found\n",
       "",
       nullptr},
      {"not the plug-in",
       {"--plugin", "py2aa.cbr", "--version"},
       0,
       "py2aa.cbr: states no version",
       "",
       nullptr},
      {"unknown option", {"--frob", "."}, 2, "", "--frob: unknown option", nullptr},
      {"bad window", {"--window", "3m", "."}, 2, "", "--window: '3m' is not a number", nullptr},
      {"a day's window",
       {"--window", "1440", ".", "--out", "res"},
       0,
       "",
       "3 logs scored",
       "within 1440 minutes"},
      {"more than a day's window",
       {"--window", "1441", "."},
       2,
       "",
       "--window: '1441' is not a number of minutes from 0 to 1440",
       nullptr},
      {"bad jobs",
       {"--jobs", "0", "."},
       2,
       "",
       "--jobs: '0' is not a number of processes",
       nullptr},
      {"no logs", {"--out", "x"}, 2, "", "no logs given", nullptr},
      {"unreadable log",
       {".", "--out", "res"},
       1,
       "",
       "bad.adi: 1: CALL: declares 40 bytes",
       "\r\nNot scored\r\n  ./bad.adi: 1: CALL: declares 40 bytes"},
      // The not-scored list names the file as given and the call its header holds.
      {"unreadable Cabrillo log",
       {".", "--out", "res"},
       1,
       "",
       "late.cbr",
       "\r\nNot scored\r\n  ./late.cbr (PY9ZZ): "},
      {"two logs of one station",
       {".", "--out", "res"},
       1,
       "",
       "more than one log of PY3BB",
       "\r\nNot scored\r\n  ./py3bb"},
      {"a results file that cannot be written",
       {".", "--out", "res"},
       1,
       "",
       "cannot write res",
       nullptr},
      {"replay worker dies",
       {".", "--out", "res", "--jobs", "2"},
       1,
       "",
       "py3bb.cbr: replaying it through the plug-in failed: the replay process ",
       nullptr,
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
    if (std::string(c.name) == "unreadable Cabrillo log") {
      folder.Write("late.cbr", Cabrillo("PY9ZZ", "", {}) +
                                   "QSO: 7040 RY 2024-06-08 1000 PY9ZZ 599 AM PY2AA 599 SP\r\n");
    }
    if (std::string(c.name) == "a results file that cannot be written") {
      std::filesystem::create_directories(folder.path() + "/res/results.csv");
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
    if (c.in_results != nullptr) {
      // The other logs are still scored and any failure is listed. A file
      // found in the folder "." is named with the system's separator.
      std::string expected = c.in_results;
      const size_t dot = expected.find("./");
      if (dot != std::string::npos) {
        expected.replace(dot, 2, (std::filesystem::path(".") / "").string());
      }
      EXPECT_NE(folder.Read("res/results.txt").find(expected), std::string::npos)
          << c.name << "\n"
          << folder.Read("res/results.txt");
      EXPECT_TRUE(folder.Exists("res/PY2AA.ubn.txt")) << c.name;
    }
  }
}

namespace fs = std::filesystem;

// What a run left in the results folder: its regular files by name, but
// for the list of the reports it wrote.
std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) {
    if (e.path().filename() == kWrittenListName) continue;
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
       {{"results.html", "<a href=\"PY9_B_Z_%26.html\">PY9&lt;B&gt;Z&quot;&amp;</a>"},
        {"PY9_B_Z_&.ubn.txt", "of PY9<B>Z\"&"},
        {"PY9_B_Z_&.html", "<title>TZQ log check of PY9&lt;B&gt;Z&quot;&amp;</title>"}}},
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
        {"PY9_]0;OWNED_Z.ubn.txt", "PY2AA      599 S\\x1b[2JP"},
        {"PY9_]0;OWNED_Z.html", "<h1>TZQ log check of PY9\\x1b]0;OWNED\\x07Z</h1>"},
        {"results.html", "<a href=\"PY9_%5D0%3BOWNED_Z.html\">"}}},
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
        {"d3.cbr", Cabrillo("con", "", {qso})},
        {"d4.cbr", Cabrillo("results", "", {qso})}},
       {},
       0,
       {{"_..ubn.txt", "of .\r\n"},
        {"_...ubn.txt", "of ..\r\n"},
        {"CON_.ubn.txt", "of CON\r\n"},
        // No station's page is results.html, in any letter case.
        {"RESULTS-2.html", "<h1>TZQ log check of RESULTS</h1>"},
        {"results.html", "<a href=\"RESULTS-2.html\">RESULTS</a>"}}},
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
    ExpectPagesMatchReports(folder.path() + "/res");
  }
}

// Every file in a folder by name (hidden ones too), with its bytes; a link
// as "-> target".
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (fs::is_symlink(e.symlink_status())) {
      files[name] = "-> " + fs::read_symlink(e.path()).string();
    } else if (e.is_regular_file()) {
      std::ifstream in(e.path(), std::ios::binary);
      std::stringstream bytes;
      bytes << in.rdbuf();
      files[name] = bytes.str();
    }
  }
  return files;
}

// A first run writes the small contest's results; between it and a second
// run people put files of their own beside them. A second run that scores
// nothing changes nothing; one that scores removes only the reports that
// the first run wrote and it did not, and only while they are still
// reports.
TEST(CheckRun, AMistakeCannotWipeEarlierOutputs) {
  const std::string list = std::string("res/") + kWrittenListName;
  const struct {
    const char* name;
    std::vector<std::string> logs;  // the second run's
    int status;
    const char* said;
    // Files put there before the second run (the list: lines added to it).
    std::vector<std::pair<std::string, std::string>> planted;
    std::vector<std::string> gone;  // the first run's files that must go
    const char* link = nullptr;     // made a link to a log before the second run
  } cases[] = {
      {"a mistyped folder",
       {"logz"},
       1,
       "no log was scored, so nothing was written; the outputs in res are as they were\n",
       {},
       {}},
      {"a folder without logs",
       {"res"},
       1,
       "no logs found (*.cbr, *.log, *.adi); nothing written\n",
       {},
       {}},
      {"logs that cannot be read",
       {"bad.adi", "py1cc.log"},
       1,
       "no log was scored",
       {{"bad.adi", "<CALL:40>PY2AA"}, {"py1cc.log", ""}},
       {}},
      {"a station less",
       {"py2aa.cbr", "py3bb.cbr"},
       0,
       "removed 2 station reports that an earlier run wrote there and this one did not\n",
       {{"res/notes.txt", "mine\n"}, {"res/OLD.ubn.txt", "TZQ log check of OLD\r\n"}},
       {"PY1CC.ubn.txt", "PY1CC.html"}},
      {"a report someone rewrote",
       {"py2aa.cbr", "py3bb.cbr"},
       0,
       "removed 1 station reports",
       {{"res/PY1CC.ubn.txt", "my own notes on PY1CC\n"}},
       {"PY1CC.html"}},
      // Names that lead out of the folder, to results or to nothing of
      // ours are never followed, whatever the list says.
      {"a list naming other files",
       {"py2aa.cbr", "py3bb.cbr"},
       0,
       "removed 2 station reports",
       {{"elsewhere.ubn.txt", "TZQ log check of PY9\r\n"},
        {list,
         "../elsewhere.ubn.txt\nresults.txt\nresults.html\nnotes.txt\n/etc/x.html\nmine.html\n"},
        {"res/notes.txt", "TZQ log check of notes\r\n"},
        {"res/mine.html", "<!DOCTYPE html>\n<title>mine</title>\n"}},
       {"PY1CC.ubn.txt", "PY1CC.html"}},
#ifndef _WIN32
      {"a link at a report's name",
       {"py2aa.cbr", "py3bb.cbr"},
       0,
       "removed 1 station reports",
       {},
       {"PY1CC.ubn.txt"},
       "PY1CC.html"},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    WriteSmallContest(folder);
    std::ostringstream out, err;
    ASSERT_EQ(RunCheck({".", "--out", "res"}, out, err), 0) << err.str();
    ASSERT_TRUE(folder.Exists("res/PY1CC.html"));
    for (const auto& [name, bytes] : c.planted) {
      folder.Write(name, name == list ? folder.Read(name) + bytes : bytes);
    }
    if (c.link != nullptr) {
      fs::remove(folder.path() + "/res/" + c.link);
      fs::create_symlink(folder.path() + "/py1cc.log", folder.path() + "/res/" + c.link);
    }
    const std::string log = folder.Read("py1cc.log");
    std::map<std::string, std::string> before = Snapshot(folder.path() + "/res");
    const std::string outside = folder.Read("elsewhere.ubn.txt");
    std::vector<std::string> args = c.logs;
    args.insert(args.end(), {"--out", "res"});
    std::ostringstream out2, err2;
    EXPECT_EQ(RunCheck(args, out2, err2), c.status) << err2.str();
    EXPECT_NE(err2.str().find(c.said), std::string::npos) << err2.str();
    std::map<std::string, std::string> after = Snapshot(folder.path() + "/res");
    if (c.status != 0) {
      EXPECT_EQ(after, before);
      continue;
    }
    for (const std::string& name : c.gone) {
      EXPECT_EQ(after.count(name), 0u) << name;
      EXPECT_EQ(after[kWrittenListName].find(name), std::string::npos) << name;
    }
    // What people put there is as they left it; the reports of this run
    // are there and listed.
    for (const auto& [name, bytes] : c.planted) {
      if (name == list) continue;
      EXPECT_EQ(folder.Read(name), bytes) << name;
    }
    EXPECT_EQ(folder.Read("elsewhere.ubn.txt"), outside);
    EXPECT_EQ(folder.Read("py1cc.log"), log);
    if (c.link != nullptr) {
      EXPECT_EQ(after[c.link], before[c.link]);
    }
    for (const char* name : {"PY2AA.ubn.txt", "PY2AA.html", "PY3BB.ubn.txt", "PY3BB.html"}) {
      EXPECT_EQ(after.count(name), 1u) << name;
      EXPECT_NE(after[kWrittenListName].find(std::string("\n") + name + "\n"), std::string::npos)
          << name;
    }
    EXPECT_EQ(after.size(), before.size() - c.gone.size());
  }
}

// A replay whose outputs or report cannot be trusted leaves its station
// not scored with the reason; the run says so and exits 1.
TEST(CheckRun, AStationWhoseReplayFailedIsNotScored) {
  // A host announced itself to the plug-in: its report is HTML now, which
  // the checker cannot read, so that score cannot be trusted. (The replays
  // of a run load the plug-in in processes of their own; here it is the
  // one this process has loaded.)
  {
    PluginLibrary library;
    PluginApi api;
    std::string error;
    ASSERT_TRUE(library.Open(DefaultPluginPath(), &error) && api.Resolve(library, &error)) << error;
    api.setVersion("another host");
    TempFolder folder;
    WriteSmallContest(folder);
    std::vector<LogQso> qsos;
    ASSERT_TRUE(ReadLogQsos("py2aa.cbr", &qsos, &error)) << error;
    std::vector<const LogQso*> all;
    for (const LogQso& q : qsos) all.push_back(&q);
    PluginReplayer replayer;
    ASSERT_TRUE(replayer.Open("", "work", &error)) << error;
    PluginScore score;
    EXPECT_FALSE(replayer.Replay(all, "PY2AA", 20240608, 20240609, false, &score, &error));
    EXPECT_EQ(error, "the plug-in's report holds no totals and score that the checker can read");
  }
#ifndef _WIN32
  // The replays' folder on a full disk: the bad-QSO file of a log with 100
  // equal QSOs cannot be whole. That station is not scored, with the
  // reason; the other logs still score.
  TempFolder folder;
  WriteSmallContest(folder);
  const std::vector<std::string> dupes(100, "7040 RY 2024-06-08 1000 PY5EE 599 SP PY2AA 599 SP");
  folder.Write("py5ee.cbr", Cabrillo("PY5EE", "", dupes));
  SmallDisk disk(folder.path() + "/res", 64);
  if (!disk.mounted()) GTEST_SKIP() << disk.reason();
  CheckOptions options;
  options.logs = {"."};
  options.outDir = "res";
  options.workInMemory = false;
  options.jobs = 1;  // one replay at a time: the full disk is that log's alone
  CheckOutcome outcome;
  std::string error;
  ASSERT_TRUE(CheckContest(options, &outcome, &error)) << error;
  for (const StationResult& r : outcome.stations) {
    if (r.call == "PY5EE") {
      EXPECT_FALSE(r.scored);
      EXPECT_EQ(r.reason.rfind("the replay through the plug-in failed: "
                               "BadQSO_StatsTZQ_08_06_2024.txt: incomplete",
                               0),
                0u)
          << r.reason;
    } else {
      EXPECT_TRUE(r.scored) << r.call << ": " << r.reason;
    }
  }
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
  const std::string here = (std::filesystem::path(".") / "").string();
  EXPECT_NE(err.str().find("not scored: " + here +
                           "py5ee.cbr: the plug-in would write 1124250 duplicate "
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
