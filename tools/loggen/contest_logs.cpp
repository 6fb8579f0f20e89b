#include "tools/loggen/contest_logs.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "tools/check/call_edits.h"
#include "tools/check/clock_offset.h"
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
  const char* exchange;  // what it sends
  const char* category;
  int clock = 0;  // seconds its clock is off
  bool logs = true;
  bool adif = false;
  int offsetMinutes = 0;  // a whole log's clock error, injected
};

enum class Fault : uint8_t {
  kNone,
  kNotInLog,      // the other side dropped it
  kSkewNotInLog,  // one side's time skewed beyond the window
  kBustedCall,    // this side logged a wrong call of a station with a log
  kBustedAbsent,  // this side logged a wrong call of a station without one
  kBustedExchange,
  kWrongBand,
  kWrongMode,
  kUnique
};

const char* FaultVerdict(Fault f) {
  switch (f) {
    case Fault::kNotInLog:
    case Fault::kSkewNotInLog:
      return "NOT-IN-LOG";
    case Fault::kBustedCall:
    case Fault::kBustedAbsent:
      return "BUSTED-CALL";
    case Fault::kBustedExchange:
      return "BUSTED-EXCHANGE";
    case Fault::kWrongBand:
      return "WRONG-BAND";
    case Fault::kWrongMode:
      return "WRONG-MODE";
    case Fault::kUnique:
      return "UNIQUE";
    case Fault::kNone:
      break;
  }
  return "";
}

// One side's line of a QSO. Texts are the tables' or the stations' own, so
// a contest of millions of lines stays small.
struct Entry {
  int owner, worked;  // station indexes; worked -1 for a busted call
  int mate = -1;      // the other side's entry, -1 when it keeps no log
  int bust = -1;      // index of the busted call logged, or -1
  int band, mode;
  int seconds;  // logged time since the contest start
  int khz;
  const char* exchRcvd;
  Fault fault = Fault::kNone;
  bool dropped = false;
  int peer = -1;               // the station the fault's note names
  int detail = 0;              // skew seconds, or the evidence logs of an absent bust
  const char* sent = nullptr;  // busted exchange: what was really sent
};

std::string Two(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

// The contest starts on 2024-06-08 at 12:00 UTC. Times may leave the 24
// hours by a clock error; June has room on both sides.
void TimeOf(int seconds, std::string* date, std::string* hhmm, std::string* hhmmss) {
  const int t = 12 * 3600 + seconds;
  const int day = 8 + (t >= 0 ? t / 86400 : -1), in_day = ((t % 86400) + 86400) % 86400;
  *date = "2024-06-" + Two(day);
  *hhmm = Two(in_day / 3600) + Two(in_day / 60 % 60);
  *hhmmss = *hhmm + Two(in_day % 60);
}

// Two QSOs of one pair of stations stand at least this far apart, more than
// a skewed QSO moves plus the window: no other QSO of the pair can be taken
// for a faulty one's other side (as another band's, say).
constexpr int kPairGapSeconds = 45 * 60;
constexpr int kMaxSkewSeconds = 36 * 60;
// An offset log needs this many QSOs that both sides logged untouched, so
// that its median lands on the offset to the minute.
constexpr int kClockEvidence = 30;
// The whole-log clock errors, taken in turn: an hour, 7 minutes, local time.
constexpr int kOffsets[] = {60, -7, -180, 7, -60};
// Calls of two or three letters after the digit while the contest is this
// small; beyond, four-letter calls too, or the short ones would run out.
constexpr int kShortCallStations = 15000;

}  // namespace

bool GenerateContest(const ContestOptions& options,
                     const std::function<bool(const std::string&, const std::string&)>& write) {
  Random random(options.seed);
  const int loggers = std::min(std::max(options.stations, 2), kMaxContestStations);
  const int silent = std::max(4, loggers / 8);
  const int total = loggers + silent;

  // Calls two edits apart, found through the index in constant time each.
  std::vector<Station> stations;
  stations.reserve(total);
  OneEditIndex near;
  const int letters = total <= kShortCallStations ? 2 : 3;
  while (static_cast<int>(stations.size()) < total) {
    Station s;
    const int area = random.Below(static_cast<int>(std::size(kAreas)));
    s.call = std::string(random.Pick(kPrefixes)) + std::to_string(kAreaDigit[area]);
    for (int i = 2 + random.Below(letters); i > 0; --i)
      s.call += static_cast<char>('A' + random.Below(26));
    if (near.NearAnyBut(s.call, -1)) continue;
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
    near.Add(s.call, static_cast<int>(stations.size()));
    stations.push_back(s);
  }

  // The QSOs: each pair of stations at most once per band and mode, and
  // kPairGapSeconds apart. Half of the stations without a log are rare:
  // they work one logger only.
  std::vector<Entry> entries;
  std::unordered_set<uint64_t> made;             // pair, band, mode
  std::unordered_map<uint64_t, int> pair_times;  // pair, time slot -> true time
  const int slots = static_cast<int>(std::size(kBands) * std::size(kModes));
  const auto pair_of = [&](int a, int b) {
    return static_cast<uint64_t>(std::min(a, b)) * stations.size() + std::max(a, b);
  };
  const auto slot_key = [&](int a, int b, int band, int mode) {
    return pair_of(a, b) * slots + band * std::size(kModes) + mode;
  };
  constexpr int kTimeSlots = 86400 / kPairGapSeconds + 3;
  const auto time_free = [&](uint64_t pair, int t) {
    const int slot = t / kPairGapSeconds + 1;
    for (int k = slot - 1; k <= slot + 1; ++k) {
      auto it = pair_times.find(pair * kTimeSlots + k);
      if (it != pair_times.end() && std::abs(it->second - t) < kPairGapSeconds) return false;
    }
    return true;
  };
  const auto add_qso_at = [&](int a, int b, int band, int mode, int t) {
    const uint64_t pair = pair_of(a, b);
    if (made.count(slot_key(a, b, band, mode)) != 0 || !time_free(pair, t)) return false;
    made.insert(slot_key(a, b, band, mode));
    pair_times[pair * kTimeSlots + t / kPairGapSeconds + 1] = t;
    const int khz = (mode == 0 ? kBands[band].rttyKhz : kBands[band].pskKhz) + random.Below(10);
    const int first = static_cast<int>(entries.size());
    for (int side = 0; side < 2; ++side) {
      const int owner = side == 0 ? a : b, other = side == 0 ? b : a;
      if (!stations[owner].logs) continue;
      Entry e;
      e.owner = owner;
      e.worked = other;
      e.band = band;
      e.mode = mode;
      e.seconds = t + stations[owner].clock + random.Below(20);
      e.khz = khz;
      e.exchRcvd = stations[other].exchange;
      entries.push_back(e);
    }
    if (static_cast<int>(entries.size()) == first + 2) {
      entries[first].mate = first + 1;
      entries[first + 1].mate = first;
    }
    return true;
  };
  const auto add_qso = [&](int a, int b) {
    const int band = random.Below(static_cast<int>(std::size(kBands)));
    const int mode = random.Below(static_cast<int>(std::size(kModes)));
    return add_qso_at(a, b, band, mode, random.Below(kContestSeconds));
  };
  const long long target = static_cast<long long>(loggers) * options.qsosPerLog / 2;
  entries.reserve(static_cast<size_t>(2 * target + 4 * silent));
  for (long long made_count = 0; made_count < target;) {
    const int a = random.Below(loggers);
    int b = random.Below(loggers);
    if (random.Chance(40)) b = loggers + 1 + 2 * random.Below(silent / 2);  // a busy silent one
    if (b >= total || a == b) continue;
    if (add_qso(a, b)) ++made_count;
  }
  for (int b = loggers; b < total; b += 2) {
    const int a = random.Below(loggers);
    for (int n = 1 + random.Below(2), tries = 0; n > 0 && tries < 50; ++tries) {
      if (add_qso(a, b)) --n;
    }
  }

  // A busted call: one letter after the digit changed, two edits from every
  // other station and every other busted call.
  std::vector<std::string> busts;
  std::unordered_set<std::string> bust_calls;
  const auto make_bust = [&](int of) {
    const std::string& call = stations[of].call;
    for (int tries = 0; tries < 20; ++tries) {
      std::string c = call;
      const size_t at = 3 + random.Below(static_cast<int>(c.size()) - 3);
      c[at] = static_cast<char>('A' + random.Below(26));
      if (c == call || near.NearAnyBut(c, of) || bust_calls.count(c) != 0) continue;
      near.Add(c, of);
      bust_calls.insert(c);
      busts.push_back(c);
      return static_cast<int>(busts.size()) - 1;
    }
    return -1;
  };

  // Faults, one per QSO at most and only between two loggers.
  const size_t pair_entries = entries.size();
  for (size_t i = 0; i < pair_entries; ++i) {
    if (entries[i].mate < static_cast<int>(i)) continue;  // no mate, or seen from it
    const int roll = random.Below(1000);
    const bool first_is_victim = random.Chance(500);
    Entry& victim = entries[first_is_victim ? i : entries[i].mate];
    Entry& other = entries[first_is_victim ? entries[i].mate : i];
    if (roll < 15) {
      victim.dropped = true;
      other.fault = Fault::kNotInLog;
      other.peer = victim.owner;
    } else if (roll < 30) {
      const int bust = make_bust(victim.worked);
      if (bust < 0) continue;
      victim.bust = bust;
      victim.peer = victim.worked;
      victim.worked = -1;
      victim.fault = Fault::kBustedCall;
    } else if (roll < 45) {
      const char* area = victim.exchRcvd;
      while (std::strcmp(area, victim.exchRcvd) == 0) area = random.Pick(kAreas);
      victim.sent = victim.exchRcvd;
      victim.exchRcvd = area;
      victim.fault = Fault::kBustedExchange;
    } else if (roll < 55) {
      const int skew = 360 + random.Below(kMaxSkewSeconds - 360);
      victim.detail = (random.Chance(500) ? 1 : -1) * skew;
      victim.seconds += victim.detail;
      victim.fault = other.fault = Fault::kSkewNotInLog;
      other.peer = victim.owner;
    } else if (roll < 69) {
      // Logged on another band (or in another mode) that the pair did not
      // use: both sides are flagged, as neither log can be told right.
      const bool band = roll < 63;
      int to_band = victim.band, to_mode = victim.mode;
      if (band) {
        to_band = (victim.band + 1 + random.Below(4)) % 5;
      } else {
        to_mode = (victim.mode + 1 + random.Below(3)) % 4;
      }
      if (!made.insert(slot_key(victim.owner, other.owner, to_band, to_mode)).second) continue;
      if (band) {
        victim.khz += (to_mode == 0 ? kBands[to_band].rttyKhz : kBands[to_band].pskKhz) -
                      (victim.mode == 0 ? kBands[victim.band].rttyKhz : kBands[victim.band].pskKhz);
      }
      victim.band = to_band;
      victim.mode = to_mode;
      victim.fault = other.fault = band ? Fault::kWrongBand : Fault::kWrongMode;
      victim.peer = other.peer = victim.owner;
    }
  }

  // Busted calls of busy stations without a log: at least kEvidence other
  // loggers work the station on that band within ten minutes, and one of
  // them logs a wrong call.
  constexpr int kEvidence = 3;
  const int absent_busts = silent >= 2 ? std::max(1, loggers / 25) : 0;
  for (int k = 0; k < absent_busts; ++k) {
    const int s = loggers + 1 + 2 * random.Below(silent / 2);
    if (s >= total) continue;
    const int band = random.Below(static_cast<int>(std::size(kBands)));
    const int t = 1800 + random.Below(kContestSeconds - 3600);
    std::vector<int> lines;
    for (int tries = 0; tries < 60 && static_cast<int>(lines.size()) <= kEvidence; ++tries) {
      const int a = random.Below(loggers);
      const int mode = random.Below(static_cast<int>(std::size(kModes)));
      const int when = lines.empty() ? t : t - 600 + random.Below(1201);
      bool again = false;
      for (int line : lines) again = again || entries[line].owner == a;
      if (!again && add_qso_at(a, s, band, mode, when)) {
        lines.push_back(static_cast<int>(entries.size()) - 1);
      }
    }
    // Too few witnesses: the QSOs stay as plain QSOs with a silent station.
    if (static_cast<int>(lines.size()) <= kEvidence) continue;
    Entry& e = entries[lines.front()];
    const int bust = make_bust(s);
    if (bust < 0) continue;
    e.bust = bust;
    e.peer = s;
    e.worked = -1;
    e.fault = Fault::kBustedAbsent;
    e.detail = static_cast<int>(lines.size()) - 1;
  }

  // Stations without a log that only one log holds are unique there.
  std::map<int, std::set<int>> logs_of;
  for (const Entry& e : entries) {
    if (!e.dropped && e.worked >= 0 && !stations[e.worked].logs) logs_of[e.worked].insert(e.owner);
  }
  for (Entry& e : entries) {
    if (e.worked >= 0 && !stations[e.worked].logs && logs_of[e.worked].size() == 1) {
      e.fault = Fault::kUnique;
    }
  }

  // Whole logs whose clock ran off. Only a log with enough untouched QSOs
  // gets one, and only while no log would have a quarter of its QSOs with
  // such logs: each log's clock is judged against its partners'.
  std::vector<std::vector<int>> lines_of(loggers);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].dropped) lines_of[entries[i].owner].push_back(static_cast<int>(i));
  }
  const auto untouched = [&](const Entry& e) {
    if (e.mate < 0 || e.dropped) return false;
    const Entry& m = entries[e.mate];
    const auto plain = [](Fault f) { return f == Fault::kNone || f == Fault::kBustedExchange; };
    return !m.dropped && plain(e.fault) && plain(m.fault);
  };
  std::vector<int> with_offset_partners(loggers, 0), with_loggers(loggers, 0);
  for (int s = 0; s < loggers; ++s) {
    for (int i : lines_of[s]) with_loggers[s] += entries[i].mate >= 0 ? 1 : 0;
  }
  const int offset_logs = loggers >= 8 ? std::max(2, loggers / 40) : 0;
  for (int k = 0, tries = 0; k < offset_logs && tries < 20 * offset_logs; ++tries) {
    const int s = random.Below(loggers);
    if (stations[s].offsetMinutes != 0) continue;
    int good = 0;
    bool crowds = false;
    for (int i : lines_of[s]) {
      const Entry& e = entries[i];
      if (e.mate < 0) continue;
      const int p = entries[e.mate].owner;
      if (untouched(e) && stations[p].offsetMinutes == 0) ++good;
      // A partner with too few QSOs for a clock of its own is not swayed.
      crowds = crowds || (with_loggers[p] >= kClockMinMatches &&
                          4 * (with_offset_partners[p] + 1) > with_loggers[p]);
    }
    if (crowds || good < kClockEvidence || 5 * good < 4 * with_loggers[s]) continue;
    const int minutes = kOffsets[k % std::size(kOffsets)];
    stations[s].offsetMinutes = minutes;
    // The log's own small clock error goes: its median is then the offset.
    for (int i : lines_of[s]) {
      entries[i].seconds += 60 * minutes - stations[s].clock;
      if (entries[i].mate >= 0) ++with_offset_partners[entries[entries[i].mate].owner];
    }
    ++k;
  }

  const auto call_of = [&](const Entry& e) -> const std::string& {
    return e.bust >= 0 ? busts[e.bust] : stations[e.worked].call;
  };
  const auto note_of = [&](const Entry& e) -> std::string {
    const std::string peer = e.peer >= 0 ? stations[e.peer].call : std::string();
    switch (e.fault) {
      case Fault::kNotInLog:
        return "missing from " + peer + "'s log";
      case Fault::kSkewNotInLog:
        return e.detail != 0 ? "clock of this QSO skewed beyond the window"
                             : "the other log's clock skewed beyond the window";
      case Fault::kBustedCall:
        return "logged " + call_of(e) + " for " + peer;
      case Fault::kBustedAbsent:
        return "logged " + call_of(e) + " for " + peer + ", which sent no log; " +
               std::to_string(e.detail) + " other logs hold it within ten minutes";
      case Fault::kBustedExchange:
        return "received " + std::string(e.exchRcvd) + ", sent " + e.sent;
      case Fault::kWrongBand:
      case Fault::kWrongMode:
        return peer + " logged it on another " + (e.fault == Fault::kWrongBand ? "band" : "mode");
      case Fault::kUnique:
        return stations[e.worked].call + " sent no log and is in no other";
      case Fault::kNone:
        break;
    }
    return {};
  };

  std::string key = "# Faults injected by tzq-loggen --stations " +
                    std::to_string(options.stations) + " --seed " + std::to_string(options.seed) +
                    "\r\n# STATION VERDICT CALL BAND MODE DATE TIME  # what was injected\r\n"
                    "# STATION CLOCK-OFFSET +MIN  # the log's clock error\r\n";
  const auto field = [](const char* name, const std::string& value) {
    return value.empty()
               ? std::string()
               : "<" + std::string(name) + ":" + std::to_string(value.size()) + ">" + value;
  };
  for (int s = 0; s < loggers; ++s) {
    const Station& st = stations[s];
    std::vector<int>& log = lines_of[s];
    std::stable_sort(log.begin(), log.end(),
                     [&](int a, int b) { return entries[a].seconds < entries[b].seconds; });
    if (st.offsetMinutes != 0) {
      char line[96];
      std::snprintf(line, sizeof line, "%s CLOCK-OFFSET %+d  # the clock ran %d min %s\r\n",
                    st.call.c_str(), st.offsetMinutes, std::abs(st.offsetMinutes),
                    st.offsetMinutes > 0 ? "fast" : "slow");
      key += line;
    }
    std::string text;
    if (st.adif) {
      text = "TZQ log of " + st.call + " written by tzq-loggen\r\n<EOH>\r\n";
    } else {
      text = "START-OF-LOG: 3.0\r\nCONTEST: TZQ\r\nCALLSIGN: " + st.call +
             "\r\nCATEGORY-OPERATOR: " + st.category +
             "\r\nCATEGORY-BAND: ALL\r\nOPERATORS: " + st.call + "\r\nCREATED-BY: tzq-loggen\r\n";
    }
    for (int i : log) {
      const Entry* e = &entries[i];
      std::string date, hhmm, hhmmss;
      TimeOf(e->seconds, &date, &hhmm, &hhmmss);
      const Mode& mode = kModes[e->mode];
      const std::string& call = call_of(*e);
      if (st.adif) {
        std::string d = date;
        d.erase(std::remove(d.begin(), d.end(), '-'), d.end());
        text += field("CALL", call) + field("QSO_DATE", d) + field("TIME_ON", hhmmss) +
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
                      st.exchange, call.c_str(), "599", e->exchRcvd);
        text += line;
      }
      if (e->fault != Fault::kNone) {
        key += st.call + " " + FaultVerdict(e->fault) + " " + call + " " + kBands[e->band].name +
               " " + mode.host + " " + date + " " + hhmm + "  # " + note_of(*e) + "\r\n";
      }
    }
    if (!st.adif) text += "END-OF-LOG:\r\n";
    if (!write(st.call + (st.adif ? ".adi" : ".cbr"), text)) return false;
  }
  return write(kContestKeyFile, key);
}

std::vector<std::pair<std::string, std::string>> GenerateContest(const ContestOptions& options) {
  std::vector<std::pair<std::string, std::string>> files;
  GenerateContest(options, [&files](const std::string& name, const std::string& bytes) {
    files.emplace_back(name, bytes);
    return true;
  });
  return files;
}
