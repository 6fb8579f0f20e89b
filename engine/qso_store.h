// CInfo and QsoStore: the plug-in's model of the host's log.
//
// The store owns its records in arrival order and keeps two hash indexes
// exact across every change, so that duplicate counts and area searches cost
// O(1) whatever the log size. It has no lock of its own: the module's table
// lock guards it (host thread writes, window thread reads).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/ole_date.h"

// One accepted QSO.
struct CInfo {
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
  COleDateTime time;
};

class QsoStore {
 public:
  size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  const CInfo& element(size_t i) const { return records_[i]; }
  const std::vector<CInfo>& records() const { return records_; }

  void append(const CInfo& record);
  // Removes the first record equal in call, band, mode (exact) and time;
  // false when none matches.
  bool removeFirst(std::string_view call, std::string_view band, std::string_view mode,
                   const COleDateTime& time);
  void clear();

  // Records with this call, band and mode (exact), counted or not.
  int countSame(std::string_view call, std::string_view band, std::string_view mode) const;
  // True when a record on this band (exact) carries this area (exact, empty too).
  bool hasArea(std::string_view band, std::string_view area) const;

 private:
  using Index = std::unordered_map<std::string, int>;
  // Builds the index key in a buffer reused by every call, so a lookup
  // allocates nothing; callers hold the module's table lock anyway.
  const std::string& Key(std::string_view a, std::string_view b, std::string_view c = {}) const;
  static void Bump(Index* index, const std::string& key, int delta);

  std::vector<CInfo> records_;
  Index same_qso_;  // call, band, mode -> records
  Index band_area_;  // band, area -> records
  mutable std::string key_;
};
