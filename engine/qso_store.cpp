#include "engine/qso_store.h"

#include <memory>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Band and mode names are a few bytes: an inline loop beats a memcmp call.
inline bool Same(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace

QsoStore::CallsOnBandMode* QsoStore::FindBandMode(std::string_view band,
                                                  std::string_view mode) const {
  if (last_pair_ != nullptr && Same(last_pair_->band, band) && Same(last_pair_->mode, mode)) {
    return last_pair_;
  }
  for (const auto& entry : same_qso_) {
    if (Same(entry->band, band) && Same(entry->mode, mode)) return last_pair_ = entry.get();
  }
  return nullptr;
}

QsoStore::AreasOnBand* QsoStore::FindBand(std::string_view band) const {
  for (const auto& entry : band_areas_) {
    if (Same(entry->band, band)) return entry.get();
  }
  return nullptr;
}

int QsoStore::Count(const QsoRecord& r, int delta) {
  CallsOnBandMode* calls = FindBandMode(r.band, r.mode);
  if (calls == nullptr) {
    same_qso_.push_back(std::make_unique<CallsOnBandMode>());
    calls = same_qso_.back().get();
    calls->band = r.band;
    calls->mode = r.mode;
  }
  auto it = calls->calls.emplace(r.call, 0).first;
  const int before = it->second;
  if ((it->second += delta) <= 0) calls->calls.erase(it);

  AreasOnBand* areas = FindBand(r.band);
  if (areas == nullptr) {
    band_areas_.push_back(std::make_unique<AreasOnBand>());
    areas = band_areas_.back().get();
    areas->band = r.band;
  }
  const int slot = r.area.empty() ? contest::kMultiplierCount : contest::MultiplierIndex(r.area);
  if (slot >= 0) {
    areas->counts[slot] += delta;
  } else {
    auto other = areas->others.emplace(r.area, 0).first;
    if ((other->second += delta) <= 0) areas->others.erase(other);
  }
  return before;
}

QsoRecord& QsoStore::Append(QsoRecord record, int* earlier_same) {
  const int before = Count(record, 1);
  if (earlier_same != nullptr) *earlier_same = before;
  records_.push_back(std::move(record));
  return records_.back();
}

bool QsoStore::RemoveFirst(std::string_view call, std::string_view band, std::string_view mode,
                           const COleDateTime& time) {
  if (CountSame(call, band, mode) == 0) return false;
  for (auto it = records_.begin(); it != records_.end(); ++it) {
    if (it->call == call && it->band == band && it->mode == mode && it->time == time) {
      // A duplicate leaves the group's first record in place; only the
      // removal of a first record promotes the next equal one.
      const bool was_first = it->dupe == 0;
      const bool others_left = Count(*it, -1) > 1;
      it = records_.erase(it);
      if (was_first && others_left) {
        // The walk stops at the next equal record, so removal stays linear.
        for (; it != records_.end(); ++it) {
          if (it->call == call && it->band == band && it->mode == mode) {
            it->dupe = 0;
            it->notCounted = it->areaRefused ? 1 : 0;
            break;
          }
        }
      }
      return true;
    }
  }
  return false;
}

void QsoStore::Clear() {
  last_pair_ = nullptr;
  [[maybe_unused]] const bool large = records_.size() >= kTrimFrom;
  // Swapping with empty containers releases their capacity; clear() alone
  // would keep a million-record buffer for the next, maybe small, log.
  std::deque<QsoRecord>().swap(records_);
  decltype(same_qso_)().swap(same_qso_);
  decltype(band_areas_)().swap(band_areas_);
#if defined(__GLIBC__)
  // The index's many small nodes sit in the middle of the heap, where glibc
  // does not hand freed pages back on its own. The trim walks the whole
  // heap, which a host holding other data pays on every reset: a small
  // log's few pages are not worth it.
  if (large) malloc_trim(0);
#endif
}

int QsoStore::CountSame(std::string_view call, std::string_view band, std::string_view mode) const {
  const CallsOnBandMode* calls = FindBandMode(band, mode);
  if (calls == nullptr) return 0;
  auto it = calls->calls.find(std::string(call));
  return it == calls->calls.end() ? 0 : it->second;
}

bool QsoStore::HasArea(std::string_view band, std::string_view area) const {
  const AreasOnBand* areas = FindBand(band);
  if (areas == nullptr) return false;
  const int slot = area.empty() ? contest::kMultiplierCount : contest::MultiplierIndex(area);
  if (slot >= 0) return areas->counts[slot] > 0;
  return areas->others.find(std::string(area)) != areas->others.end();
}
