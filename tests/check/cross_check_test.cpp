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
// our call wrongly, X busted exchange, B busted call, N not in log, U
// unique, A accepted.
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
        out += 'B';
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
    {"one second more is not in log, both ways",
     {"PY2AA | PY3BB 40m RTTY 100000 SP RS", "PY3BB | PY2AA 40m RTTY 100301 RS SP"},
     {"N", "N"}},
    {"another band or mode confirms nothing",
     {"PY2AA | PY3BB 40m RTTY 100000 SP RS | PY3BB 20m BPSK31 110000 SP RS",
      "PY3BB | PY2AA 20m RTTY 100000 RS SP | PY2AA 20m BPSK63 110000 RS SP"},
     {"NN", "NN"}},
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
  const std::vector<CheckStation> stations = {
      Log("PY2AA | PY3BB 40m RTTY 100000 SP RS | PY3BB 20m RTTY 150000 SP RS"),
      Log("PY3BB | PY2AA 40m RTTY 100100 RS SP | PY5ZZ 20m RTTY 140000 RS PR | PY2AA 10m RTTY "
          "160000 RS SP")};
  const auto findings = CrossCheck(stations, 180);
  EXPECT_EQ(findings[0][0].otherStation, 1);
  EXPECT_EQ(findings[0][0].otherQso, 0);
  // Not in log: the other log's nearest line with our call, before any
  // nearer line with another call.
  EXPECT_EQ(findings[0][1].verdict, Verdict::kNotInLog);
  EXPECT_EQ(findings[0][1].otherQso, 2);
}

TEST(CrossCheck, OneEditApart) {
  const struct {
    const char* a;
    const char* b;
    bool apart;
  } cases[] = {{"PY2AA", "PY2AB", true},  {"PY2AA", "PY2A", true},   {"PY2AA", "PY2AAA", true},
               {"PY2AA", "P2AA", true},   {"PY2AA", "PY2AA", false}, {"PY2AA", "PY2BB", false},
               {"PY2AA", "YP2AA", false}, {"PY2AA", "PY2", false},   {"", "A", true}};
  for (const auto& c : cases) {
    EXPECT_EQ(OneEditApart(c.a, c.b), c.apart) << c.a << " " << c.b;
    EXPECT_EQ(OneEditApart(c.b, c.a), c.apart) << c.b << " " << c.a;
  }
}

}  // namespace
