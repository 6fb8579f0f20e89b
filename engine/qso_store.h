// QsoRecord and QsoStore: the plug-in's model of the host's log.
//
// The store owns its records in arrival order and keeps two indexes exact
// across every change, so that duplicate counts and area searches cost O(1)
// whatever the log size: records per call within each band-and-mode pair,
// and records per multiplier within each band. A stored QSO costs no heap
// block of its own: band and mode spellings (a log holds a handful) and
// calls are interned as small ids, every text lives in the store's arena,
// and a record is a fixed-size row of ids, numbers and one arena pointer.
// The store has no lock of its own: the module's table lock guards it (host
// thread writes, window thread reads).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/contest_rules.h"
#include "engine/ole_date.h"

// One accepted QSO. Its texts are views: into the host's arguments when the
// checks make one for Append (valid for that call), into the store when the
// store hands one out (valid until the store is cleared).
struct QsoRecord {
  std::string_view call;
  std::string_view band;
  std::string_view mode;
  std::string_view rstRcvd;
  std::string_view rstSent;
  std::string_view exchRcvd;
  std::string_view exchSent;
  // Empty, or one of the contest's multipliers (contest::MultiplierName):
  // the checks never set another text.
  std::string_view area;
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
  QsoStore();
  ~QsoStore();
  QsoStore(const QsoStore&) = delete;
  QsoStore& operator=(const QsoStore&) = delete;

  size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  // The i-th record in store order, its texts viewing the store.
  QsoRecord element(size_t i) const;

  // Every record in store order: `for (const QsoRecord& r : store.records())`.
  class Records {
   public:
    class iterator {
     public:
      QsoRecord operator*() const { return store_->element(index_); }
      iterator& operator++() {
        ++index_;
        return *this;
      }
      bool operator!=(const iterator& other) const { return index_ != other.index_; }

     private:
      friend class Records;
      iterator(const QsoStore* store, size_t index) : store_(store), index_(index) {}
      const QsoStore* store_;
      size_t index_;
    };
    iterator begin() const { return iterator(store_, 0); }
    iterator end() const { return iterator(store_, store_->size()); }

   private:
    friend class QsoStore;
    explicit Records(const QsoStore* store) : store_(store) {}
    const QsoStore* store_;
  };
  Records records() const { return Records(this); }

  // Stores a copy of the record. One that shares call, band and mode (exact)
  // with records already stored is a duplicate: it is stored with dupe and
  // notCounted set. Returns how many stored records shared them before.
  int Append(const QsoRecord& record);
  // Removes the first record equal in call, band, mode (exact) and time;
  // false when none matches. When the removed record was the first of its
  // call, band and mode, the next such record takes its place (dupe 0,
  // notCounted from its own area verdict), so the flags always equal those a
  // fresh replay of the remaining records would give.
  bool RemoveFirst(std::string_view call, std::string_view band, std::string_view mode,
                   const COleDateTime& time);
  // Empties the store and gives its memory back (a log can be large); from
  // kTrimFrom records on, the freed heap pages go back too. The next fill
  // starts with room for as many records as this one held, so it neither
  // regrows nor rehashes on the way.
  void Clear();
  static constexpr size_t kTrimFrom = 10000;

  // Records with this call, band and mode (exact), counted or not.
  int CountSame(std::string_view call, std::string_view band, std::string_view mode) const;
  // True when a record on this band (exact) carries this area (exact, empty too).
  bool HasArea(std::string_view band, std::string_view area) const;

 private:
  // A stored record: ids, numbers and the arena block of its four report
  // and exchange texts.
  struct Row {
    double days;
    const char* texts;
    int32_t status;
    uint32_t call;
    int32_t freqKhz;
    uint16_t band, mode;
    int8_t area;  // multiplier slot; kMultiplierCount for the empty area
    uint8_t flags;
  };
  class Arena;
  class Interned;
  class SameIndex;

  // The stored record's band, mode and call ids, or false when the store
  // holds no record with one of them.
  bool Ids(std::string_view call, std::string_view band, std::string_view mode, uint32_t* call_id,
           uint32_t* band_id, uint32_t* mode_id) const;
  // Adds `delta` to the row's index entries; returns its call, band and mode
  // count from before.
  int Count(const Row& row, int delta);
  // Makes the containers of a fill, sized from the fill before.
  void Prepare();

  std::vector<Row> rows_;
  std::unique_ptr<Arena> arena_;
  // Band and mode spellings, and calls, each numbered from 0 by first sight.
  std::unique_ptr<Interned> bands_, modes_, calls_;
  std::unique_ptr<SameIndex> same_;
  // Per band id: records per multiplier slot, then one for the empty area.
  std::vector<std::array<int32_t, contest::kMultiplierCount + 1>> band_areas_;
  // What the last fill held, to size the next one.
  size_t last_rows_ = 0, last_calls_ = 0, last_same_ = 0, last_text_ = 0;
};
