#include "engine/qso_store.h"

const std::string& QsoStore::Key(std::string_view a, std::string_view b,
                                 std::string_view c) const {
  // Host texts are NUL-terminated, so NUL cannot occur inside a field.
  key_.clear();
  key_.append(a).push_back('\0');
  key_.append(b).push_back('\0');
  key_.append(c);
  return key_;
}

void QsoStore::Bump(Index* index, const std::string& key, int delta) {
  auto it = index->find(key);
  if (it == index->end()) {
    if (delta > 0) index->emplace(key, delta);
    return;
  }
  it->second += delta;
  if (it->second <= 0) index->erase(it);
}

void QsoStore::append(const CInfo& record) {
  records_.push_back(record);
  Bump(&same_qso_, Key(record.call, record.band, record.mode), 1);
  Bump(&band_area_, Key(record.band, record.area), 1);
}

bool QsoStore::removeFirst(std::string_view call, std::string_view band, std::string_view mode,
                           const COleDateTime& time) {
  const std::string same = Key(call, band, mode);  // a copy: Key() reuses its buffer
  if (same_qso_.find(same) == same_qso_.end()) return false;
  for (auto it = records_.begin(); it != records_.end(); ++it) {
    if (it->call == call && it->band == band && it->mode == mode && it->time == time) {
      Bump(&same_qso_, same, -1);
      Bump(&band_area_, Key(it->band, it->area), -1);
      records_.erase(it);
      return true;
    }
  }
  return false;
}

void QsoStore::clear() {
  records_.clear();
  same_qso_.clear();
  band_area_.clear();
}

int QsoStore::countSame(std::string_view call, std::string_view band,
                        std::string_view mode) const {
  auto it = same_qso_.find(Key(call, band, mode));
  return it == same_qso_.end() ? 0 : it->second;
}

bool QsoStore::hasArea(std::string_view band, std::string_view area) const {
  return band_area_.find(Key(band, area)) != band_area_.end();
}
