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
         verdict == Verdict::kNotInLog || verdict == Verdict::kWrongBand ||
         verdict == Verdict::kWrongMode;
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
    case Verdict::kWrongBand:
      return "WRONG BAND";
    case Verdict::kWrongMode:
      return "WRONG MODE";
    case Verdict::kAccepted:
      break;
  }
  return "ACCEPTED";
}

std::vector<std::vector<QsoFinding>> CrossCheck(const std::vector<CheckStation>& stations,
                                                long long window,
                                                std::vector<ClockOffset>* clocks) {
  const int n = static_cast<int>(stations.size());
  Interner calls, slots, bands;
  std::vector<int> slot_band;  // interned band of each slot
  std::vector<int> own(n);     // interned call of each station
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
      if (e.slot == static_cast<int>(slot_band.size())) slot_band.push_back(bands.Id(qsos[q].band));
      entries[s].push_back(e);
      auto [it, added] = first_log.emplace(e.call, s);
      if (!added && it->second != s) it->second = -2;
    }
  }
  const int slot_count = slots.size();
  // And sorted by worked call, then band and mode, then time: the lines of
  // a log that hold one call, for the clock and the wrong-band passes.
  std::vector<std::vector<Entry>> by_call(n);
  for (int s = 0; s < n; ++s) {
    by_call[s] = entries[s];
    std::sort(by_call[s].begin(), by_call[s].end(), [](const Entry& x, const Entry& y) {
      return std::tie(x.call, x.slot, x.t, x.qso) < std::tie(y.call, y.slot, y.t, y.qso);
    });
    by_time[s] = entries[s];
    std::sort(by_time[s].begin(), by_time[s].end(), [](const Entry& x, const Entry& y) {
      return std::tie(x.slot, x.t, x.qso) < std::tie(y.slot, y.t, y.qso);
    });
    starts[s].assign(slot_count + 1, 0);
    for (const Entry& e : by_time[s]) ++starts[s][e.slot + 1];
    for (int k = 0; k < slot_count; ++k) starts[s][k + 1] += starts[s][k];
  }
  const auto within = [&](int s, int slot, long long t, long long reach) {
    const Entry* begin = by_time[s].data() + starts[s][slot];
    const Entry* end = by_time[s].data() + starts[s][slot + 1];
    const Entry* first = std::lower_bound(begin, end, t - reach,
                                          [](const Entry& e, long long v) { return e.t < v; });
    const Entry* last = std::upper_bound(first, end, t + reach,
                                         [](long long v, const Entry& e) { return v < e.t; });
    return std::make_pair(first, last);
  };
  const auto window_of = [&](int s, int slot, long long t) { return within(s, slot, t, window); };
  // Station s's lines with `call`, all bands and modes.
  const auto lines_with = [&](int s, int call) {
    const Entry* begin = by_call[s].data();
    const Entry* end = begin + by_call[s].size();
    begin = std::lower_bound(begin, end, call, [](const Entry& e, int v) { return e.call < v; });
    end = std::upper_bound(begin, end, call, [](int v, const Entry& e) { return v < e.call; });
    return std::make_pair(begin, end);
  };
  const auto gap = [](long long x, long long y) { return x > y ? x - y : y - x; };

  // Clocks: each log against its partners' times as sent, then the clear
  // offsets taken off. A whole log moves by one amount, so its time order,
  // and with it by_time and by_call, stays as it is. Times are compared to the minute:
  // Cabrillo keeps no seconds, and an ADIF log's seconds against a
  // Cabrillo log's would lean every difference by half a minute.
  const auto minute = [](long long t) { return t >= 0 ? t - t % 60 : t - (60 + t % 60) % 60; };
  std::vector<ClockOffset> offsets(n);
  std::vector<long long> differences;
  for (int a = 0; a < n; ++a) {
    differences.clear();
    for (const Entry& e : entries[a]) {
      auto other = station_of.find(e.call);
      if (other == station_of.end() || other->second == a) continue;
      // The nearest of the other log's lines with A on this band and mode.
      auto [from, to] = lines_with(other->second, own[a]);
      from = std::lower_bound(from, to, e.slot, [](const Entry& x, int v) { return x.slot < v; });
      to = std::upper_bound(from, to, e.slot, [](int v, const Entry& x) { return v < x.slot; });
      const Entry* later =
          std::lower_bound(from, to, e.t, [](const Entry& x, long long v) { return x.t < v; });
      const Entry* nearest = later;
      if (later != from && (later == to || gap(e.t, (later - 1)->t) <= gap(e.t, later->t))) {
        nearest = later - 1;
      }
      if (nearest != to && gap(e.t, nearest->t) <= kClockSearchSeconds) {
        differences.push_back(minute(e.t) - minute(nearest->t));
      }
    }
    offsets[a] = JudgeClockOffset(&differences);
  }
  for (int a = 0; a < n; ++a) {
    if (!offsets[a].applied) continue;
    const long long shift = 60LL * offsets[a].minutes;
    for (Entry& e : entries[a]) e.t -= shift;
    for (Entry& e : by_time[a]) e.t -= shift;
    for (Entry& e : by_call[a]) e.t -= shift;
  }

  std::vector<std::vector<QsoFinding>> findings(n);
  std::vector<std::vector<char>> paired(n);
  for (int s = 0; s < n; ++s) {
    findings[s].resize(entries[s].size());
    paired[s].assign(entries[s].size(), 0);
  }

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

  // Pass 3: A logged B and B logged A within the window, but on another
  // band or in another mode, neither QSO taken by the passes above. The pair
  // is found from the lower-numbered station's side only.
  candidates.clear();
  for (int a = 0; a < n; ++a) {
    for (const Entry& e : entries[a]) {
      if (paired[a][e.qso]) continue;
      auto other = station_of.find(e.call);
      if (other == station_of.end() || other->second <= a) continue;
      const int b = other->second;
      auto [from, to] = lines_with(b, own[a]);
      for (const Entry* f = from; f != to; ++f) {
        if (f->slot != e.slot && !paired[b][f->qso] && gap(e.t, f->t) <= window) {
          candidates.push_back({gap(e.t, f->t), {a, e.qso}, {b, f->qso}});
        }
      }
    }
  }
  std::sort(candidates.begin(), candidates.end());
  for (const Candidate& c : candidates) {
    if (paired[c.a.station][c.a.qso] || paired[c.b.station][c.b.qso]) continue;
    paired[c.a.station][c.a.qso] = paired[c.b.station][c.b.qso] = 1;
    const int slot_a = entries[c.a.station][c.a.qso].slot;
    const int slot_b = entries[c.b.station][c.b.qso].slot;
    const Verdict v =
        slot_band[slot_a] != slot_band[slot_b] ? Verdict::kWrongBand : Verdict::kWrongMode;
    findings[c.a.station][c.a.qso] = {v, c.b.station, c.b.qso, false};
    findings[c.b.station][c.b.qso] = {v, c.a.station, c.a.qso, false};
  }

  // Busted calls of stations without a log. The questions: QSOs not taken
  // yet whose call sent no log and is in one log only. The possible
  // answers: calls one edit away that enough logs hold, by band and time.
  std::vector<std::pair<int, int>> questions;  // station, qso
  for (int a = 0; a < n; ++a) {
    for (const Entry& e : entries[a]) {
      if (!paired[a][e.qso] && station_of.count(e.call) == 0 && first_log[e.call] == a) {
        questions.emplace_back(a, e.qso);
      }
    }
  }
  std::vector<int> holders(calls.size(), 0), last_holder(calls.size(), -1);
  if (!questions.empty()) {
    for (int s = 0; s < n; ++s) {
      for (const Entry& e : entries[s]) {
        if (last_holder[e.call] != s) last_holder[e.call] = s, ++holders[e.call];
      }
    }
  }
  OneEditIndex common;
  for (int c = 0; c < calls.size() && !questions.empty(); ++c) {
    if (holders[c] >= kBustEvidenceLogs) common.Add(calls.Text(c), c);
  }
  std::vector<std::vector<int>> answers(questions.size());
  std::vector<char> wanted(calls.size(), 0);
  for (size_t i = 0; i < questions.size(); ++i) {
    const std::string& text = calls.Text(entries[questions[i].first][questions[i].second].call);
    for (int c : common.Near(text)) {
      if (OneEditApart(calls.Text(c), text)) answers[i].push_back(c), wanted[c] = 1;
    }
  }
  struct Hold {
    long long t;
    int station, qso;
  };
  std::unordered_map<long long, std::vector<Hold>> holds;  // call * bands + band
  const long long band_count = bands.size();
  for (int s = 0; s < n; ++s) {
    for (const Entry& e : entries[s]) {
      if (wanted[e.call]) holds[e.call * band_count + slot_band[e.slot]].push_back({e.t, s, e.qso});
    }
  }
  for (auto& [key, list] : holds) {
    std::sort(list.begin(), list.end(), [](const Hold& x, const Hold& y) {
      return std::tie(x.t, x.station, x.qso) < std::tie(y.t, y.station, y.qso);
    });
  }
  // The most logs, then the nearest line, for A's QSO `e` with a call seen
  // in A's log only.
  const auto judge_absent = [&](int a, const Entry& e, const std::vector<int>& near,
                                QsoFinding* f) {
    int best_logs = 0;
    long long best_gap = 0;
    Hold best_hold{0, -1, -1};
    std::vector<int> seen;
    for (int c : near) {
      auto it = holds.find(c * band_count + slot_band[e.slot]);
      if (it == holds.end()) continue;
      const std::vector<Hold>& list = it->second;
      auto from = std::lower_bound(list.begin(), list.end(), e.t - kBustEvidenceSeconds,
                                   [](const Hold& h, long long v) { return h.t < v; });
      seen.clear();
      Hold nearest{0, -1, -1};
      for (auto h = from; h != list.end() && h->t <= e.t + kBustEvidenceSeconds; ++h) {
        if (h->station == a) continue;
        if (std::find(seen.begin(), seen.end(), h->station) == seen.end()) {
          seen.push_back(h->station);
        }
        if (nearest.station < 0 || gap(h->t, e.t) < gap(nearest.t, e.t)) nearest = *h;
      }
      const int logs = static_cast<int>(seen.size());
      if (logs > best_logs || (logs == best_logs && logs > 0 && gap(nearest.t, e.t) < best_gap)) {
        best_logs = logs;
        best_gap = gap(nearest.t, e.t);
        best_hold = nearest;
      }
    }
    if (best_logs < kBustEvidenceLogs) return false;
    *f = {Verdict::kBustedCall, best_hold.station, best_hold.qso, false, best_logs};
    return true;
  };

  for (size_t i = 0; i < questions.size(); ++i) {
    const auto [a, q] = questions[i];
    if (judge_absent(a, entries[a][q], answers[i], &findings[a][q])) paired[a][q] = 1;
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
  if (clocks != nullptr) *clocks = std::move(offsets);
  return findings;
}
