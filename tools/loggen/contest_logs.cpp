#include "tools/loggen/contest_logs.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <unordered_set>

#include "tools/loggen/loggen_random.h"

namespace {

struct Band {
  const char* name;
  int rttyKhz, pskKhz;
};
constexpr Band kBands[] = {{"80m", 3580, 3580},
                           {"40m", 7040, 7040},
                           {"20m", 14080, 14070},
                           {"15m", 21080, 21070},
                           {"10m", 28080, 28120}};
struct Mode {
  const char* host;      // the plug-in's name
  const char* cabrillo;  // Cabrillo mode code
  const char* adif;
  const char* submode;
};
constexpr Mode kModes[] = {{"RTTY", "RY", "RTTY", ""},
                           {"BPSK31", "PS", "PSK", "PSK31"},
                           {"BPSK63", "PM", "PSK", "PSK63"},
                           {"BPSK125", "PO", "PSK", "PSK125"}};
constexpr const char* kAreas[] = {"RJ", "ES", "SP", "RS", "MG", "PR", "SC", "BA", "SE",
                                  "PE", "PB", "RN", "CE", "AL", "PI", "PA", "MA", "AP",
                                  "AM", "RR", "AC", "RO", "GO", "MT", "MS", "TO", "DF"};
// Call area digit of each state above.
constexpr int kAreaDigit[] = {1, 1, 2, 3, 4, 5, 5, 6, 6, 7, 7, 7, 7, 7,
                              7, 8, 8, 8, 8, 8, 8, 8, 9, 9, 9, 9, 9};
constexpr const char* kPrefixes[] = {"PY", "PY", "PY", "PU", "PU", "PP",
                                     "PR", "PS", "PT", "PV", "PW", "ZV"};
constexpr const char* kSingleOp[] = {"SINGLE-OP A", "SINGLE-OP B", "SINGLE-OP C"};
constexpr int kContestSeconds = 86400;

struct Station {
  std::string call;
  std::string exchange;  // what it sends
  std::string category;
  int clock = 0;  // seconds its clock is off
  bool logs = true;
  bool adif = false;
};

// Calls closer than two edits could be taken for one another, which would
// make the key ambiguous.
bool Near(const std::string& a, const std::string& b) {
  const std::string& l = a.size() >= b.size() ? a : b;
  const std::string& s = a.size() >= b.size() ? b : a;
  if (l.size() - s.size() > 1) return false;
  size_t i = 0;
  while (i < s.size() && s[i] == l[i]) ++i;
  if (i == l.size()) return true;
  const size_t skip = l.size() == s.size() ? i + 1 : i;
  return l.compare(i + 1, std::string::npos, s, skip, std::string::npos) == 0;
}

bool NearAny(const std::vector<Station>& stations, const std::string& call, int except) {
  for (int i = 0; i < static_cast<int>(stations.size()); ++i) {
    if (i != except && Near(stations[i].call, call)) return true;
  }
  return false;
}

struct Entry {
  int owner, worked;  // station indexes; worked -1 with `call` set for a busted call
  std::string call;
  int band, mode;
  int seconds;  // logged time since the contest start
  int khz;
  std::string exchRcvd;
  std::string fault;  // key verdict, empty when the checker must accept it
  std::string note;
  bool dropped = false;
};

std::string Two(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

// The contest starts on 2024-06-08 at 12:00 UTC. Times may leave the 24
// hours by a clock skew; June has room on both sides.
void TimeOf(int seconds, std::string* date, std::string* hhmm, std::string* hhmmss) {
  const int t = 12 * 3600 + seconds;
  const int day = 8 + (t >= 0 ? t / 86400 : -1), in_day = ((t % 86400) + 86400) % 86400;
  *date = "2024-06-" + Two(day);
  *hhmm = Two(in_day / 3600) + Two(in_day / 60 % 60);
  *hhmmss = *hhmm + Two(in_day % 60);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> GenerateContest(const ContestOptions& options) {
  Random random(options.seed);
  const int loggers = std::max(options.stations, 2);
  const int silent = std::max(4, loggers / 8);

  std::vector<Station> stations;
  while (static_cast<int>(stations.size()) < loggers + silent) {
    Station s;
    const int area = random.Below(static_cast<int>(std::size(kAreas)));
    s.call = std::string(random.Pick(kPrefixes)) + std::to_string(kAreaDigit[area]);
    for (int i = 2 + random.Below(2); i > 0; --i)
      s.call += static_cast<char>('A' + random.Below(26));
    if (NearAny(stations, s.call, -1)) continue;
    const int kind = random.Below(100);
    s.exchange = kind < 6 ? "YL" : kind < 10 ? "QRP" : kind < 13 ? "LB" : kAreas[area];
    s.category = kind < 6            ? "YL"
                 : kind < 10         ? "QRP"
                 : kind < 13         ? "LABRE"
                 : random.Chance(40) ? "CHECKLOG"
                                     : random.Pick(kSingleOp);
    s.clock = random.Below(81) - 40;
    s.logs = static_cast<int>(stations.size()) < loggers;
    s.adif = s.logs && random.Chance(120);
    stations.push_back(s);
  }

  // The QSOs: each pair of stations at most once per band and mode. Half of
  // the stations without a log are rare: they work one logger only.
  std::vector<Entry> entries;
  std::unordered_set<uint64_t> made;
  const int slots = static_cast<int>(std::size(kBands) * std::size(kModes));
  const auto add_qso = [&](int a, int b) {
    const int band = random.Below(static_cast<int>(std::size(kBands)));
    const int mode = random.Below(static_cast<int>(std::size(kModes)));
    const uint64_t key =
        (static_cast<uint64_t>(std::min(a, b)) * stations.size() + std::max(a, b)) * slots +
        band * std::size(kModes) + mode;
    if (!made.insert(key).second) return false;
    const int t = random.Below(kContestSeconds);
    const int khz = (mode == 0 ? kBands[band].rttyKhz : kBands[band].pskKhz) + random.Below(10);
    for (int side = 0; side < 2; ++side) {
      const int owner = side == 0 ? a : b, other = side == 0 ? b : a;
      if (!stations[owner].logs) continue;
      entries.push_back({owner, other, stations[other].call, band, mode,
                         t + stations[owner].clock + random.Below(20), khz,
                         stations[other].exchange, "", "", false});
    }
    return true;
  };
  const long long target = static_cast<long long>(loggers) * options.qsosPerLog / 2;
  for (long long made_count = 0; made_count < target;) {
    const int a = random.Below(loggers);
    int b = random.Below(loggers);
    if (random.Chance(40)) b = loggers + 1 + 2 * random.Below(silent / 2);  // a busy silent one
    if (b >= static_cast<int>(stations.size()) || a == b) continue;
    if (add_qso(a, b)) ++made_count;
  }
  for (int b = loggers; b < static_cast<int>(stations.size()); b += 2) {
    const int a = random.Below(loggers);
    for (int n = 1 + random.Below(2), tries = 0; n > 0 && tries < 50; ++tries) {
      if (add_qso(a, b)) --n;
    }
  }

  // Faults, one per QSO at most and only between two loggers; the pair's
  // two entries are neighbours in `entries`.
  for (size_t i = 0; i + 1 < entries.size(); ++i) {
    Entry& x = entries[i];
    Entry& y = entries[i + 1];
    if (x.owner != y.worked || y.owner != x.worked) continue;
    ++i;
    const int roll = random.Below(1000);
    Entry& victim = random.Chance(500) ? x : y;
    Entry& other = &victim == &x ? y : x;
    if (roll < 15) {
      victim.dropped = true;
      other.fault = "NOT-IN-LOG";
      other.note = "missing from " + stations[victim.owner].call + "'s log";
    } else if (roll < 30) {
      std::string busted = victim.call;
      for (int tries = 0; tries < 20; ++tries) {
        std::string c = victim.call;
        const size_t at = 3 + random.Below(static_cast<int>(c.size()) - 3);
        c[at] = static_cast<char>('A' + random.Below(26));
        if (c != victim.call && !NearAny(stations, c, victim.worked)) {
          busted = c;
          break;
        }
      }
      if (busted == victim.call) continue;
      victim.call = busted;
      victim.worked = -1;
      victim.fault = "BUSTED-CALL";
      victim.note = "logged " + busted + " for " + stations[other.owner].call;
    } else if (roll < 45) {
      std::string area = victim.exchRcvd;
      while (area == victim.exchRcvd) area = random.Pick(kAreas);
      victim.note = "received " + area + ", sent " + victim.exchRcvd;
      victim.exchRcvd = area;
      victim.fault = "BUSTED-EXCHANGE";
    } else if (roll < 55) {
      victim.seconds += (random.Chance(500) ? 1 : -1) * (360 + random.Below(1800));
      victim.fault = other.fault = "NOT-IN-LOG";
      victim.note = "clock of this QSO skewed beyond the window";
      other.note = "the other log's clock skewed beyond the window";
    }
  }

  // Stations without a log that only one log holds are unique there.
  std::map<int, std::set<int>> logs_of;
  for (const Entry& e : entries) {
    if (!e.dropped && e.worked >= 0 && !stations[e.worked].logs) logs_of[e.worked].insert(e.owner);
  }
  for (Entry& e : entries) {
    if (e.worked >= 0 && !stations[e.worked].logs && logs_of[e.worked].size() == 1) {
      e.fault = "UNIQUE";
      e.note = stations[e.worked].call + " sent no log and is in no other";
    }
  }

  std::vector<std::vector<const Entry*>> logs(loggers);
  for (const Entry& e : entries) {
    if (!e.dropped) logs[e.owner].push_back(&e);
  }
  std::vector<std::pair<std::string, std::string>> files;
  std::string key = "# Faults injected by tzq-loggen --stations " +
                    std::to_string(options.stations) + " --seed " + std::to_string(options.seed) +
                    "\r\n# STATION VERDICT CALL BAND MODE DATE TIME  # what was injected\r\n";
  for (int s = 0; s < loggers; ++s) {
    const Station& st = stations[s];
    auto& log = logs[s];
    std::stable_sort(log.begin(), log.end(),
                     [](const Entry* a, const Entry* b) { return a->seconds < b->seconds; });
    std::string text;
    if (st.adif) {
      text = "TZQ log of " + st.call + " written by tzq-loggen\r\n<EOH>\r\n";
    } else {
      text = "START-OF-LOG: 3.0\r\nCONTEST: TZQ\r\nCALLSIGN: " + st.call +
             "\r\nCATEGORY-OPERATOR: " + st.category +
             "\r\nCATEGORY-BAND: ALL\r\nOPERATORS: " + st.call + "\r\nCREATED-BY: tzq-loggen\r\n";
    }
    const auto field = [](const char* name, const std::string& value) {
      return value.empty()
                 ? std::string()
                 : "<" + std::string(name) + ":" + std::to_string(value.size()) + ">" + value;
    };
    for (const Entry* e : log) {
      std::string date, hhmm, hhmmss;
      TimeOf(e->seconds, &date, &hhmm, &hhmmss);
      const Mode& mode = kModes[e->mode];
      if (st.adif) {
        std::string d = date;
        d.erase(std::remove(d.begin(), d.end(), '-'), d.end());
        text += field("CALL", e->call) + field("QSO_DATE", d) + field("TIME_ON", hhmmss) +
                field("BAND", kBands[e->band].name) +
                field("FREQ", std::to_string(e->khz / 1000) + "." +
                                  std::to_string(e->khz % 1000 + 1000).substr(1)) +
                field("MODE", mode.adif) + field("SUBMODE", mode.submode) +
                field("RST_SENT", "599") + field("RST_RCVD", "599") +
                field("STX_STRING", st.exchange) + field("SRX_STRING", e->exchRcvd) +
                field("STATION_CALLSIGN", st.call) + "<EOR>\r\n";
      } else {
        char line[160];
        std::snprintf(line, sizeof line, "QSO: %5d %2s %s %s %-13s %-3s %-6s %-13s %-3s %s\r\n",
                      e->khz, mode.cabrillo, date.c_str(), hhmm.c_str(), st.call.c_str(), "599",
                      st.exchange.c_str(), e->call.c_str(), "599", e->exchRcvd.c_str());
        text += line;
      }
      if (!e->fault.empty()) {
        key += st.call + " " + e->fault + " " + e->call + " " + kBands[e->band].name + " " +
               mode.host + " " + date + " " + hhmm + "  # " + e->note + "\r\n";
      }
    }
    if (!st.adif) text += "END-OF-LOG:\r\n";
    std::string name = st.call + (st.adif ? ".adi" : ".cbr");
    files.emplace_back(std::move(name), std::move(text));
  }
  files.emplace_back(kContestKeyFile, std::move(key));
  return files;
}
