#include "tools/check/cross_check.h"

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <unordered_map>

namespace {

struct Ref {
  int station;
  int qso;
};

// A QSO as the indexes hold it: every text replaced by a small number, so
// that the one pass compares integers.
struct Entry {
  int call;  // interned worked call
  int slot;  // interned band and mode
  long long t;
  int qso;  // index in the station's log
};

class Interner {
 public:
  int Id(const std::string& text) {
    auto [it, added] = ids_.emplace(text, static_cast<int>(texts_.size()));
    if (added) texts_.push_back(&it->first);
    return it->second;
  }
  int Find(const std::string& text) const {
    auto it = ids_.find(text);
    return it == ids_.end() ? -1 : it->second;
  }
  const std::string& Text(int id) const { return *texts_[id]; }
  int size() const { return static_cast<int>(texts_.size()); }

 private:
  std::unordered_map<std::string, int> ids_;
  std::vector<const std::string*> texts_;
};

// A possible pairing of two QSOs, taken nearest in time first.
struct Candidate {
  long long gap;
  Ref a, b;  // fuzzy pass: a is confirmed, b wrote the busted call
  bool operator<(const Candidate& o) const {
    return std::tie(gap, a.station, a.qso, b.station, b.qso) <
           std::tie(o.gap, o.a.station, o.a.qso, o.b.station, o.b.qso);
  }
};

}  // namespace

bool IsRemoved(Verdict verdict) {
  return verdict == Verdict::kBustedExchange || verdict == Verdict::kBustedCall ||
         verdict == Verdict::kNotInLog;
}

const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::kConfirmed:
      return "CONFIRMED";
    case Verdict::kBustedExchange:
      return "BUSTED EXCHANGE";
    case Verdict::kBustedCall:
      return "BUSTED CALL";
    case Verdict::kNotInLog:
      return "NOT IN LOG";
    case Verdict::kUnique:
      return "UNIQUE";
    case Verdict::kAccepted:
      break;
  }
  return "ACCEPTED";
}

bool OneEditApart(const std::string& a, const std::string& b) {
  const std::string& longer = a.size() >= b.size() ? a : b;
  const std::string& shorter = a.size() >= b.size() ? b : a;
  if (longer.size() - shorter.size() > 1) return false;
  size_t i = 0;
  while (i < shorter.size() && shorter[i] == longer[i]) ++i;
  if (longer.size() == shorter.size()) {
    if (i == longer.size()) return false;  // equal
    return longer.compare(i + 1, std::string::npos, shorter, i + 1, std::string::npos) == 0;
  }
  return longer.compare(i + 1, std::string::npos, shorter, i, std::string::npos) == 0;
}

std::vector<std::vector<QsoFinding>> CrossCheck(const std::vector<CheckStation>& stations,
                                                long long window) {
  const int n = static_cast<int>(stations.size());
  Interner calls, slots;
  std::vector<int> own(n);  // interned call of each station
  for (int s = 0; s < n; ++s) own[s] = calls.Id(stations[s].call);
  std::unordered_map<int, int> station_of;  // interned call -> station
  for (int s = 0; s < n; ++s) station_of.emplace(own[s], s);

  // Per station its QSOs in log order, and the same sorted by band and mode,
  // then time, with where each band and mode starts: one contiguous array
  // per log keeps the window look-ups close together in memory.
  std::vector<std::vector<Entry>> entries(n), by_time(n);
  std::vector<std::vector<int>> starts(n);
  // For the unique rule: the first log a call appears in, or -2 once a
  // second log holds it too.
  std::unordered_map<int, int> first_log;
  for (int s = 0; s < n; ++s) {
    const auto& qsos = stations[s].qsos;
    entries[s].reserve(qsos.size());
    for (int q = 0; q < static_cast<int>(qsos.size()); ++q) {
      const Entry e{calls.Id(qsos[q].call), slots.Id(qsos[q].band + ' ' + qsos[q].mode),
                    qsos[q].seconds, q};
      entries[s].push_back(e);
      auto [it, added] = first_log.emplace(e.call, s);
      if (!added && it->second != s) it->second = -2;
    }
  }
  const int slot_count = slots.size();
  for (int s = 0; s < n; ++s) {
    by_time[s] = entries[s];
    std::sort(by_time[s].begin(), by_time[s].end(), [](const Entry& x, const Entry& y) {
      return std::tie(x.slot, x.t, x.qso) < std::tie(y.slot, y.t, y.qso);
    });
    starts[s].assign(slot_count + 1, 0);
    for (const Entry& e : by_time[s]) ++starts[s][e.slot + 1];
    for (int k = 0; k < slot_count; ++k) starts[s][k + 1] += starts[s][k];
  }
  const auto window_of = [&](int s, int slot, long long t) {
    const Entry* begin = by_time[s].data() + starts[s][slot];
    const Entry* end = by_time[s].data() + starts[s][slot + 1];
    const Entry* first = std::lower_bound(begin, end, t - window,
                                          [](const Entry& e, long long v) { return e.t < v; });
    const Entry* last = std::upper_bound(first, end, t + window,
                                         [](long long v, const Entry& e) { return v < e.t; });
    return std::make_pair(first, last);
  };

  std::vector<std::vector<QsoFinding>> findings(n);
  std::vector<std::vector<char>> paired(n);
  for (int s = 0; s < n; ++s) {
    findings[s].resize(entries[s].size());
    paired[s].assign(entries[s].size(), 0);
  }
  const auto gap = [](long long x, long long y) { return x > y ? x - y : y - x; };

  // Pass 1: both logs hold each other's call.
  std::vector<Candidate> candidates;
  for (int a = 0; a < n; ++a) {
    for (const Entry& e : entries[a]) {
      auto other = station_of.find(e.call);
      if (other == station_of.end() || other->second <= a) continue;
      const int b = other->second;
      auto [from, to] = window_of(b, e.slot, e.t);
      for (const Entry* f = from; f != to; ++f) {
        if (f->call == own[a]) candidates.push_back({gap(e.t, f->t), {a, e.qso}, {b, f->qso}});
      }
    }
  }
  std::sort(candidates.begin(), candidates.end());
  for (const Candidate& c : candidates) {
    if (paired[c.a.station][c.a.qso] || paired[c.b.station][c.b.qso]) continue;
    paired[c.a.station][c.a.qso] = paired[c.b.station][c.b.qso] = 1;
    findings[c.a.station][c.a.qso] = {Verdict::kConfirmed, c.b.station, c.b.qso, false};
    findings[c.b.station][c.b.qso] = {Verdict::kConfirmed, c.a.station, c.a.qso, false};
  }

  // Pass 2: A logged B, and B's log holds a call one character away from A
  // at that band, mode and time: B copied A wrongly. Seen from B's side the
  // same pair is B's busted call, so this one search finds both rules.
  candidates.clear();
  for (int a = 0; a < n; ++a) {
    for (const Entry& e : entries[a]) {
      if (paired[a][e.qso]) continue;
      auto other = station_of.find(e.call);
      if (other == station_of.end() || other->second == a) continue;
      const int b = other->second;
      auto [from, to] = window_of(b, e.slot, e.t);
      for (const Entry* f = from; f != to; ++f) {
        if (!paired[b][f->qso] && f->call != own[a] &&
            OneEditApart(calls.Text(f->call), stations[a].call)) {
          candidates.push_back({gap(e.t, f->t), {a, e.qso}, {b, f->qso}});
        }
      }
    }
  }
  std::sort(candidates.begin(), candidates.end());
  for (const Candidate& c : candidates) {
    if (paired[c.a.station][c.a.qso] || paired[c.b.station][c.b.qso]) continue;
    paired[c.a.station][c.a.qso] = paired[c.b.station][c.b.qso] = 1;
    findings[c.a.station][c.a.qso] = {Verdict::kConfirmed, c.b.station, c.b.qso, true};
    findings[c.b.station][c.b.qso] = {Verdict::kBustedCall, c.a.station, c.a.qso, false};
  }

  for (int a = 0; a < n; ++a) {
    for (const Entry& e : entries[a]) {
      QsoFinding& f = findings[a][e.qso];
      if (paired[a][e.qso]) {
        const CheckQso& mine = stations[a].qsos[e.qso];
        if (f.verdict == Verdict::kConfirmed &&
            mine.exchRcvd != stations[f.otherStation].qsos[f.otherQso].exchSent) {
          f.verdict = Verdict::kBustedExchange;
        }
        continue;
      }
      auto other = station_of.find(e.call);
      if (other == station_of.end()) {
        f.verdict = first_log[e.call] == a ? Verdict::kUnique : Verdict::kAccepted;
        continue;
      }
      // Not in log: show the other log's line nearest in time, preferring
      // one with our call (worked at another time, band or mode).
      const int b = other->second;
      f.verdict = Verdict::kNotInLog;
      f.otherStation = b;
      long long best = -1;
      bool best_ours = false;
      for (const Entry& g : entries[b]) {
        const bool ours = g.call == own[a];
        const long long d = gap(g.t, e.t);
        if (best < 0 || (ours && !best_ours) || (ours == best_ours && d < best)) {
          best = d;
          best_ours = ours;
          f.otherQso = g.qso;
        }
      }
    }
  }
  return findings;
}
