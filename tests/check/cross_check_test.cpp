// The cross-check's rules at their edges, on hand-written logs.

#include "tools/check/cross_check.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// "OWN | CALL BAND MODE HHMMSS SENT RCVD | ..." (exchanges already
// normalised; "-" for none).
CheckStation Log(const std::string& text) {
  std::istringstream in(text);
  CheckStation s;
  std::string word;
  in >> s.call;
  while (in >> word) {
    if (word != "|") continue;
    CheckQso q;
    std::string hhmmss;
    in >> q.call >> q.band >> q.mode >> hhmmss >> q.exchSent >> q.exchRcvd;
    q.seconds = std::stoll(hhmmss.substr(0, 2)) * 3600 + std::stoll(hhmmss.substr(2, 2)) * 60 +
                std::stoll(hhmmss.substr(4, 2));
    s.qsos.push_back(q);
  }
  return s;
}

// One letter per QSO: C confirmed, c confirmed although the other log wrote
// our call wrongly, X busted exchange, B busted call, b busted call of a
// station without a log, W wrong band, M wrong mode, N not in log, U unique,
// A accepted.
std::string Letters(const std::vector<QsoFinding>& findings) {
  std::string out;
  for (const QsoFinding& f : findings) {
    switch (f.verdict) {
      case Verdict::kConfirmed:
        out += f.copiedWrongly ? 'c' : 'C';
        break;
      case Verdict::kBustedExchange:
        out += 'X';
        break;
      case Verdict::kBustedCall:
        out += f.logsHolding > 0 ? 'b' : 'B';
        break;
      case Verdict::kWrongBand:
        out += 'W';
        break;
      case Verdict::kWrongMode:
        out += 'M';
        break;
      case Verdict::kNotInLog:
        out += 'N';
        break;
      case Verdict::kUnique:
        out += 'U';
        break;
      case Verdict::kAccepted:
        out += 'A';
        break;
    }
  }
  return out;
}

struct Case {
  const char* name;
  std::vector<const char*> logs;
  std::vector<const char*> expected;  // letters per log
};

const Case kCases[] = {
    {"exactly three minutes apart confirms",
     {"PY2AA | PY3BB 40m RTTY 100000 SP RS", "PY3BB | PY2AA 40m RTTY 100300 RS SP"},
     {"C", "C"}},
    {"exactly three minutes earlier confirms",
     {"PY2AA | PY3BB 40m RTTY 100300 SP RS", "PY3BB | PY2AA 40m RTTY 100000 RS SP"},
     {"C", "C"}},
    {"one second more is not in log, both ways",
     {"PY2AA | PY3BB 40m RTTY 100000 SP RS", "PY3BB | PY2AA 40m RTTY 100301 RS SP"},
     {"N", "N"}},
    {"another band or mode confirms nothing: both sides are wrong band, wrong mode",
     {"PY2AA | PY3BB 40m RTTY 100000 SP RS | PY3BB 20m BPSK31 110000 SP RS",
      "PY3BB | PY2AA 20m RTTY 100000 RS SP | PY2AA 20m BPSK63 110300 RS SP"},
     {"WM", "WM"}},
    {"another band beyond the window is not in log",
     {"PY2AA | PY3BB 40m RTTY 100000 SP RS", "PY3BB | PY2AA 20m RTTY 100301 RS SP"},
     {"N", "N"}},
    {"a line that confirms another QSO is no one's wrong band",
     {"PY2AA | PY3BB 40m RTTY 100000 SP RS | PY3BB 20m RTTY 100100 SP RS",
      "PY3BB | PY2AA 20m RTTY 100100 RS SP"},
     {"NC", "C"}},
    {"of two other-band lines the nearer is the wrong band",
     {"PY2AA | PY3BB 40m RTTY 100000 SP RS",
      "PY3BB | PY2AA 20m RTTY 100200 RS SP | PY2AA 15m RTTY 095930 RS SP"},
     {"W", "NW"}},
    {"a call in one log only, one edit from a call three other logs hold on the band "
     "within 30 minutes, is busted",
     {"PY2AA | PY7ZX 40m RTTY 100000 SP PE", "PY3BB | PY7ZZ 40m RTTY 103000 RS PE",
      "PY4CC | PY7ZZ 40m BPSK31 093000 MG PE", "PY5DD | PY7ZZ 40m RTTY 100500 PR PE"},
     {"b", "A", "A", "A"}},
    {"two other logs are not enough",
     {"PY2AA | PY7ZX 40m RTTY 100000 SP PE", "PY3BB | PY7ZZ 40m RTTY 103000 RS PE",
      "PY4CC | PY7ZZ 40m BPSK31 093000 MG PE", "PY5DD | PY7ZZ 20m RTTY 100500 PR PE"},
     {"U", "A", "A", "A"}},
    {"nor a third one second beyond the 30 minutes",
     {"PY2AA | PY7ZX 40m RTTY 100000 SP PE", "PY3BB | PY7ZZ 40m RTTY 103001 RS PE",
      "PY4CC | PY7ZZ 40m BPSK31 093000 MG PE", "PY5DD | PY7ZZ 40m RTTY 100500 PR PE"},
     {"U", "A", "A", "A"}},
    {"a call in two logs is accepted, whatever is near it",
     {"PY2AA | PY7ZX 40m RTTY 100000 SP PE", "PY3BB | PY7ZZ 40m RTTY 100000 RS PE",
      "PY4CC | PY7ZZ 40m BPSK31 100000 MG PE", "PY5DD | PY7ZZ 40m RTTY 100500 PR PE",
      "PY6EE | PY7ZX 40m RTTY 100000 BA PE"},
     {"A", "A", "A", "A", "A"}},
    {"of two of B's QSOs near one of A's the nearer confirms",
     {"PY2AA | PY3BB 40m RTTY 100000 SP RS",
      "PY3BB | PY2AA 40m RTTY 095800 RS SP | PY2AA 40m RTTY 100100 RS SP"},
     {"C", "NC"}},
    {"one of B's QSOs confirms one of A's, the nearer",
     {"PY2AA | PY3BB 40m RTTY 100000 SP RS | PY3BB 40m RTTY 100500 SP RS",
      "PY3BB | PY2AA 40m RTTY 100200 RS SP"},
     {"CN", "C"}},
    {"B copied A's call one character off: B's fault",
     {"PY2AA | PY3BB 40m RTTY 100000 SP RS", "PY3BB | PY2AB 40m RTTY 100100 RS SP"},
     {"c", "B"}},
    {"A's busted call is a real station's call that did not work A",
     {"PY2AA | PY3BC 40m RTTY 100000 SP RS", "PY3BB | PY2AA 40m RTTY 100000 RS SP",
      "PY3BC | PY5ZZ 20m RTTY 120000 RS PR"},
     {"B", "c", "U"}},
    {"a real station one character away that did work A confirms A",
     {"PY2AA | PY3BC 40m RTTY 100000 SP RS", "PY3BB | PY2AA 40m RTTY 100000 RS SP",
      "PY3BC | PY2AA 40m RTTY 100100 RS SP"},
     {"C", "N", "C"}},
    {"a busted call needs the other station's QSO within the window",
     {"PY2AA | PY3BC 40m RTTY 100000 SP RS", "PY3BB | PY2AA 40m RTTY 101000 RS SP"},
     {"U", "N"}},
    {"exchanges compare as received against sent",
     {"PY2AA | PY3BB 40m RTTY 100000 SP RS | PY3BB 20m RTTY 110000 SP RJ",
      "PY3BB | PY2AA 40m RTTY 100000 RS SP | PY2AA 20m RTTY 110000 RS SP"},
     {"CX", "CC"}},
    {"a station without a log: unique in one log, accepted in two",
     {"PY2AA | PY7ZZ 40m RTTY 100000 SP PE | PY7ZZ 20m RTTY 110000 SP PE | PY8YY 15m RTTY "
      "120000 SP PA",
      "PY3BB | PY8YY 40m RTTY 130000 RS PA"},
     {"UUA", "A"}},
};

TEST(CrossCheck, RulesAtTheirEdges) {
  for (const Case& c : kCases) {
    std::vector<CheckStation> stations;
    for (const char* log : c.logs) stations.push_back(Log(log));
    const auto findings = CrossCheck(stations, 180);
    ASSERT_EQ(findings.size(), c.expected.size()) << c.name;
    for (size_t s = 0; s < findings.size(); ++s) {
      EXPECT_EQ(Letters(findings[s]), c.expected[s]) << c.name << ", log of " << stations[s].call;
    }
  }
}

TEST(CrossCheck, FindingsNameTheOtherLine) {
  // PY2AA's QSO `qso` is judged by PY3BB's line `other_qso` (station
  // `other`); `holding` other logs hold the common call.
  const struct {
    const char* name;
    std::vector<const char*> logs;
    int qso;
    Verdict verdict;
    int other, other_qso, holding;
  } cases[] = {
      {"the confirming line",
       {"PY2AA | PY3BB 40m RTTY 100000 SP RS",
        "PY3BB | PY5ZZ 40m RTTY 100000 RS PR | PY2AA 40m RTTY 100100 RS SP"},
       0,
       Verdict::kConfirmed,
       1,
       1,
       0},
      // Not in log: the other log's nearest line with our call, before any
      // nearer line with another call, wherever the two stand.
      {"not in log, our call's line after a nearer one",
       {"PY2AA | PY3BB 20m RTTY 150000 SP RS",
        "PY3BB | PY5ZZ 20m RTTY 145900 RS PR | PY2AA 10m RTTY 170000 RS SP"},
       0,
       Verdict::kNotInLog,
       1,
       1,
       0},
      {"not in log, our call's line before a nearer one",
       {"PY2AA | PY3BB 20m RTTY 150000 SP RS",
        "PY3BB | PY2AA 10m RTTY 120000 RS SP | PY5ZZ 20m RTTY 145900 RS PR"},
       0,
       Verdict::kNotInLog,
       1,
       0,
       0},
      {"wrong band: the other band's line",
       {"PY2AA | PY3BB 20m RTTY 150000 SP RS",
        "PY3BB | PY5ZZ 20m RTTY 150000 RS PR | PY2AA 40m RTTY 150100 RS SP"},
       0,
       Verdict::kWrongBand,
       1,
       1,
       0},
      {"busted call of a station without a log: the nearest line holding the common call",
       {"PY2AA | PY7ZX 40m RTTY 100000 SP PE",
        "PY3BB | PY7ZZ 40m RTTY 102000 RS PE | PY7ZZ 40m RTTY 100100 RS PE",
        "PY4CC | PY7ZZ 40m RTTY 095000 MG PE", "PY5DD | PY7ZZ 40m RTTY 101000 PR PE"},
       0,
       Verdict::kBustedCall,
       1,
       1,
       3},
  };
  for (const auto& c : cases) {
    std::vector<CheckStation> stations;
    for (const char* log : c.logs) stations.push_back(Log(log));
    const QsoFinding f = CrossCheck(stations, 180)[0][c.qso];
    EXPECT_EQ(f.verdict, c.verdict) << c.name;
    EXPECT_EQ(f.otherStation, c.other) << c.name;
    EXPECT_EQ(f.otherQso, c.other_qso) << c.name;
    EXPECT_EQ(f.logsHolding, c.holding) << c.name;
  }
}

// PY2AA worked one station after another, 20 minutes apart; each logged
// the QSO at its own time, PY2AA at that time plus the QSO's difference.
TEST(CrossCheck, ClockOffsetsTakenOffWhenClear) {
  const struct {
    const char* name;
    std::vector<int> minutes;  // PY2AA's time minus the other log's, per QSO
    int offset;
    bool applied;
    const char* letters;  // PY2AA's verdicts
    // Also a QSO that PY2AA logged on 20 m and PY3AA on 15 m, at the same
    // time once the offset is off.
    bool wrong_band = false;
  } cases[] = {
      {"an hour fast", {60, 60, 61, 60, 59, 60}, 60, true, "CCCCCC"},
      {"an hour fast, a band wrong", {60, 60, 61, 60, 59, 60}, 60, true, "CCCCCCW", true},
      {"seven minutes slow, one QSO also off by ten", {-7, -7, -8, -6, -7, 3}, -7, true, "CCCCCN"},
      {"Brazilian local time", {-180, -180, -180, -181, -180}, -180, true, "CCCCC"},
      {"four QSOs say nothing", {60, 60, 60, 60}, 60, false, "NNNN"},
      {"no one offset: checked as sent", {60, 60, 60, 0, 0, 2}, 31, false, "NNNCCC"},
      {"a minute is left to the window", {1, 1, 1, 1, 1}, 1, false, "CCCCC"},
  };
  for (const auto& c : cases) {
    // PY2AA's log last, so that it is the other side of every pairing.
    std::vector<CheckStation> stations;
    CheckStation me;
    me.call = "PY2AA";
    for (size_t i = 0; i < c.minutes.size(); ++i) {
      const long long t = 36000 + 1200 * static_cast<long long>(i);
      CheckStation other;
      other.call = "PY3" + std::string(2, static_cast<char>('A' + i));  // two edits apart
      other.qsos.push_back({"PY2AA", "40m", "RTTY", t, "RS", "SP"});
      me.qsos.push_back({other.call, "40m", "RTTY", t + 60 * c.minutes[i], "SP", "RS"});
      stations.push_back(other);
    }
    if (c.wrong_band) {
      stations[0].qsos.push_back({"PY2AA", "15m", "RTTY", 50000, "RS", "SP"});
      me.qsos.push_back({"PY3AA", "20m", "RTTY", 50000 + 3600, "SP", "RS"});
    }
    stations.push_back(me);
    const size_t mine = stations.size() - 1;
    std::vector<ClockOffset> clocks;
    const auto findings = CrossCheck(stations, 180, &clocks);
    EXPECT_EQ(clocks[mine].minutes, c.offset) << c.name;
    EXPECT_EQ(clocks[mine].applied, c.applied) << c.name;
    EXPECT_EQ(clocks[mine].matches, static_cast<int>(c.minutes.size())) << c.name;
    EXPECT_EQ(Letters(findings[mine]), c.letters) << c.name;
    // The partners, one QSO each, say nothing of their own clocks.
    for (size_t s = 0; s < mine; ++s) EXPECT_FALSE(clocks[s].applied) << c.name;
  }
}

TEST(CrossCheck, OneEditApart) {
  const struct {
    const char* a;
    const char* b;
    bool apart;
  } cases[] = {{"PY2AA", "PY2AB", true},  {"PY2AA", "PY2A", true},   {"PY2AA", "PY2AAA", true},
               {"PY2AA", "P2AA", true},   {"PY2AA", "PY2AA", false}, {"PY2AA", "PY2BB", false},
               {"PY2AA", "YP2AA", false}, {"PY2AA", "PY2", false},   {"", "A", true},
               {"PY2AB", "PY2BA", false}, {"PY2ABC", "PY2AC", true}, {"PY2AC", "PY2ABC", true}};
  for (const auto& c : cases) {
    EXPECT_EQ(OneEditApart(c.a, c.b), c.apart) << c.a << " " << c.b;
    EXPECT_EQ(OneEditApart(c.b, c.a), c.apart) << c.b << " " << c.a;
    // The index finds the same calls, and equal ones, without comparing.
    OneEditIndex index;
    index.Add(c.a, 7);
    const bool near = c.apart || std::string(c.a) == c.b;
    EXPECT_EQ(index.Near(c.b), near ? std::vector<int>{7} : std::vector<int>{})
        << c.a << " " << c.b;
    EXPECT_EQ(index.NearAnyBut(c.b, 8), near) << c.a << " " << c.b;
    EXPECT_FALSE(index.NearAnyBut(c.b, 7)) << c.a << " " << c.b;
  }
}

}  // namespace
