// QsoRecord and QsoStore: the plug-in's model of the host's log.
//
// The store owns its records in arrival order and keeps two indexes exact
// across every change, so that duplicate counts and area searches cost O(1)
// whatever the log size: records per call within each band-and-mode pair,
// and records per multiplier within each band. A log holds few distinct
// band and mode spellings, so those outer lists stay short. The store has no
// lock of its own: the module's table lock guards it (host thread writes,
// window thread reads).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/contest_rules.h"
#include "engine/ole_date.h"

// One accepted QSO.
struct QsoRecord {
  std::string call;
  std::string band;
  std::string mode;
  std::string rstRcvd;
  std::string rstSent;
  std::string exchRcvd;
  std::string exchSent;
  std::string area;
  int32_t freqKhz = 0;
  int32_t notCounted = 0;
  int32_t dupe = 0;
  // The plug-in's own note, never shown to the host: AddData refused the
  // exchange as an area. A removal that makes this record the first of its
  // call, band and mode falls back on it for notCounted.
  bool areaRefused = false;
  COleDateTime time;
};

class QsoStore {
 public:
  size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  const QsoRecord& element(size_t i) const { return records_[i]; }
  const std::deque<QsoRecord>& records() const { return records_; }

  // Appends the record; `earlier_same` receives the number of records that
  // already had its call, band and mode (one index lookup serves both).
  QsoRecord& Append(QsoRecord record, int* earlier_same = nullptr);
  // Removes the first record equal in call, band, mode (exact) and time;
  // false when none matches. When the removed record was the first of its
  // call, band and mode, the next such record takes its place (dupe 0,
  // notCounted from its own area verdict), so the flags always equal those a
  // fresh replay of the remaining records would give.
  bool RemoveFirst(std::string_view call, std::string_view band, std::string_view mode,
                   const COleDateTime& time);
  // Empties the store and gives its memory back (a log can be large);
  // from kTrimFrom records on, the freed heap pages go back too.
  void Clear();
  static constexpr size_t kTrimFrom = 10000;

  // Records with this call, band and mode (exact), counted or not.
  int CountSame(std::string_view call, std::string_view band, std::string_view mode) const;
  // True when a record on this band (exact) carries this area (exact, empty too).
  bool HasArea(std::string_view band, std::string_view area) const;

 private:
  struct CallsOnBandMode {
    std::string band, mode;
    std::unordered_map<std::string, int> calls;
  };
  struct AreasOnBand {
    std::string band;
    // Slot per multiplier, then one for the empty area.
    std::array<int, contest::kMultiplierCount + 1> counts{};
    // Any other area text; AddData never stores one, but the index stays
    // exact whatever a record holds.
    std::unordered_map<std::string, int> others;
  };

  CallsOnBandMode* FindBandMode(std::string_view band, std::string_view mode) const;
  AreasOnBand* FindBand(std::string_view band) const;
  // Adds `delta` to the record's index entries; returns its call, band and
  // mode count from before.
  int Count(const QsoRecord& record, int delta);

  // A deque, not a vector: growing never moves the records already stored,
  // which for a large log was most of the cost of adding one.
  std::deque<QsoRecord> records_;
  // Pointers into these stay valid: entries are only ever added (until clear).
  mutable std::vector<std::unique_ptr<CallsOnBandMode>> same_qso_;
  mutable std::vector<std::unique_ptr<AreasOnBand>> band_areas_;
  // The pair found last: a log's next QSO is usually on the same one.
  mutable CallsOnBandMode* last_pair_ = nullptr;
};
