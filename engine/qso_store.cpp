#include "engine/qso_store.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr uint8_t kDupe = 1, kNotCounted = 2, kAreaRefused = 4;
constexpr int8_t kNoArea = contest::kMultiplierCount;
// A text of this length or longer carries a four-byte length after the mark.
constexpr uint8_t kLongText = 0xFF;

// Calls, bands and modes are a few bytes: an inline loop beats a memcmp call.
inline bool Same(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

// Hashed eight bytes at a time, mixed by multiply.
uint32_t HashOf(std::string_view s) {
  uint64_t h = 0x9E3779B97F4A7C15ull ^ s.size();
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, s.data() + i, 8);
    h = (h ^ word) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  }
  uint64_t tail = 0;
  std::memcpy(&tail, s.data() + i, s.size() - i);
  h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
  return static_cast<uint32_t>(h ^ (h >> 29));
}

// Smallest power of two that keeps `entries` at most half full.
size_t TableSize(size_t entries) {
  size_t size = 16;
  while (size < 2 * entries) size *= 2;
  return size;
}

size_t TextSize(std::string_view s) {
  return s.size() < kLongText ? 1 + s.size() : 5 + s.size();
}

char* PutText(char* at, std::string_view s) {
  if (s.size() < kLongText) {
    *at++ = static_cast<char>(s.size());
  } else {
    *at++ = static_cast<char>(kLongText);
    const uint32_t size = static_cast<uint32_t>(s.size());
    std::memcpy(at, &size, 4);
    at += 4;
  }
  if (!s.empty()) std::memcpy(at, s.data(), s.size());
  return at + s.size();
}

const char* GetText(const char* at, std::string_view* s) {
  size_t size = static_cast<uint8_t>(*at++);
  if (size == kLongText) {
    uint32_t long_size;
    std::memcpy(&long_size, at, 4);
    at += 4;
    size = long_size;
  }
  *s = std::string_view(at, size);
  return at + size;
}

}  // namespace

// Bytes that stay where they were put until the store is cleared, handed
// out from a few large chunks: no heap block per text.
class QsoStore::Arena {
 public:
  explicit Arena(size_t first_chunk) : next_chunk_(std::max(kMinChunk, first_chunk)) {}

  char* Allocate(size_t n) {
    if (n > left_) NewChunk(n);
    char* at = at_;
    at_ += n;
    left_ -= n;
    used_ += n;
    return at;
  }
  std::string_view Copy(std::string_view s) {
    char* at = Allocate(s.size());
    if (!s.empty()) std::memcpy(at, s.data(), s.size());
    return std::string_view(at, s.size());
  }
  size_t used() const { return used_; }

 private:
  static constexpr size_t kMinChunk = 16 << 10, kMaxChunk = 4 << 20;

  void NewChunk(size_t n) {
    const size_t size = std::max(next_chunk_, n);
    chunks_.emplace_back(new char[size]);
    at_ = chunks_.back().get();
    left_ = size;
    next_chunk_ = std::min(2 * next_chunk_, kMaxChunk);
  }

  std::vector<std::unique_ptr<char[]>> chunks_;
  char* at_ = nullptr;
  size_t left_ = 0, used_ = 0, next_chunk_;
};

// Texts numbered from 0 in order of first sight, found by an open-addressed
// hash of their ids. The texts live in the arena.
class QsoStore::Interned {
 public:
  static constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();

  explicit Interned(size_t expected) : slots_(TableSize(expected), 0) {
    texts_.reserve(expected);
    hashes_.reserve(expected);
  }

  uint32_t Find(std::string_view text) const {
    // A log's next QSO is usually on the band and mode of the one before.
    if (last_ != kNone && Same(texts_[last_], text)) return last_;
    // A handful of band or mode spellings: a scan beats hashing.
    if (texts_.size() <= kScanned) {
      for (uint32_t id = 0; id < texts_.size(); ++id) {
        if (Same(texts_[id], text)) return last_ = id;
      }
      return kNone;
    }
    return Probe(text, HashOf(text));
  }

  uint32_t Add(std::string_view text, Arena* arena) {
    const uint32_t found = Find(text);
    if (found != kNone) return found;
    const uint32_t hash = HashOf(text);
    if (2 * (texts_.size() + 1) > slots_.size()) Grow();
    const uint32_t id = static_cast<uint32_t>(texts_.size());
    texts_.push_back(arena->Copy(text));
    hashes_.push_back(hash);
    Place(id);
    return last_ = id;
  }

  std::string_view Text(uint32_t id) const { return texts_[id]; }
  size_t size() const { return texts_.size(); }

 private:
  static constexpr size_t kScanned = 8;

  uint32_t Probe(std::string_view text, uint32_t hash) const {
    const size_t mask = slots_.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
      const uint32_t slot = slots_[at];
      if (slot == 0) return kNone;
      if (hashes_[slot - 1] == hash && Same(texts_[slot - 1], text)) return last_ = slot - 1;
    }
  }
  void Place(uint32_t id) {
    const size_t mask = slots_.size() - 1;
    size_t at = hashes_[id] & mask;
    while (slots_[at] != 0) at = (at + 1) & mask;
    slots_[at] = id + 1;
  }
  void Grow() {
    slots_.assign(slots_.size() * 4, 0);
    for (uint32_t id = 0; id < texts_.size(); ++id) Place(id);
  }

  std::vector<std::string_view> texts_;
  std::vector<uint32_t> hashes_;
  // id + 1 per slot; 0 is free.
  std::vector<uint32_t> slots_;
  mutable uint32_t last_ = kNone;
};

// Records per call, band and mode, keyed on their ids. Entries are only
// added (a count may fall to 0), so the probe chains never break.
class QsoStore::SameIndex {
 public:
  explicit SameIndex(size_t expected) : entries_(TableSize(expected)) {}

  int32_t Count(uint32_t call, uint32_t band, uint32_t mode) const {
    const Entry* e = Probe(call, band, mode);
    return e->call == 0 ? 0 : e->count;
  }
  // The entry's count, made 0 when new.
  int32_t& At(uint32_t call, uint32_t band, uint32_t mode) {
    Entry* e = Probe(call, band, mode);
    if (e->call != 0) return e->count;
    if (2 * (used_ + 1) > entries_.size()) {
      Grow();
      e = Probe(call, band, mode);
    }
    ++used_;
    *e = Entry{call + 1, static_cast<uint16_t>(band), static_cast<uint16_t>(mode), 0};
    return e->count;
  }
  size_t size() const { return used_; }

 private:
  struct Entry {
    uint32_t call = 0;  // id + 1; 0 is free
    uint16_t band = 0, mode = 0;
    int32_t count = 0;
  };

  static size_t Hash(uint32_t call, uint32_t band, uint32_t mode) {
    const uint64_t key = (uint64_t{band} << 48) ^ (uint64_t{mode} << 32) ^ call;
    const uint64_t h = key * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h ^ (h >> 31));
  }
  Entry* Probe(uint32_t call, uint32_t band, uint32_t mode) const {
    const size_t mask = entries_.size() - 1;
    for (size_t at = Hash(call, band, mode) & mask;; at = (at + 1) & mask) {
      const Entry& e = entries_[at];
      if (e.call == 0 || (e.call == call + 1 && e.band == band && e.mode == mode)) {
        return const_cast<Entry*>(&e);
      }
    }
  }
  void Grow() {
    std::vector<Entry> old(entries_.size() * 4);
    old.swap(entries_);
    for (const Entry& e : old) {
      if (e.call != 0) *Probe(e.call - 1, e.band, e.mode) = e;
    }
  }

  std::vector<Entry> entries_;
  size_t used_ = 0;
};

QsoStore::QsoStore() = default;
QsoStore::~QsoStore() = default;

void QsoStore::Prepare() {
  arena_ = std::make_unique<Arena>(last_text_);
  bands_ = std::make_unique<Interned>(8);
  modes_ = std::make_unique<Interned>(8);
  calls_ = std::make_unique<Interned>(last_calls_);
  same_ = std::make_unique<SameIndex>(last_same_);
  rows_.reserve(last_rows_);
}

QsoRecord QsoStore::element(size_t i) const {
  const Row& row = rows_[i];
  QsoRecord r;
  r.call = calls_->Text(row.call);
  r.band = bands_->Text(row.band);
  r.mode = modes_->Text(row.mode);
  const char* at = GetText(row.texts, &r.rstRcvd);
  at = GetText(at, &r.rstSent);
  at = GetText(at, &r.exchRcvd);
  GetText(at, &r.exchSent);
  if (row.area != kNoArea) r.area = contest::MultiplierName(row.area);
  r.freqKhz = row.freqKhz;
  r.dupe = (row.flags & kDupe) != 0 ? 1 : 0;
  r.notCounted = (row.flags & kNotCounted) != 0 ? 1 : 0;
  r.areaRefused = (row.flags & kAreaRefused) != 0;
  r.time = COleDateTime(row.days, row.status);
  return r;
}

int QsoStore::Count(const Row& row, int delta) {
  int32_t& same = same_->At(row.call, row.band, row.mode);
  const int before = same;
  same += delta;
  band_areas_[row.band][row.area] += delta;
  return before;
}

int QsoStore::Append(const QsoRecord& record) {
  if (arena_ == nullptr) Prepare();
  int8_t area = kNoArea;
  if (!record.area.empty()) {
    const int slot = contest::MultiplierIndex(record.area);
    if (slot < 0) throw std::invalid_argument("QsoStore: an area that is no multiplier");
    area = static_cast<int8_t>(slot);
  }
  Row row;
  row.band = static_cast<uint16_t>(bands_->Add(record.band, arena_.get()));
  row.mode = static_cast<uint16_t>(modes_->Add(record.mode, arena_.get()));
  // The checks let through a few dozen spellings at most; the ids' width
  // holds any that a caller could make.
  if (bands_->size() > 0xFFFF || modes_->size() > 0xFFFF) {
    throw std::length_error("QsoStore: too many band or mode spellings");
  }
  if (band_areas_.size() < bands_->size()) band_areas_.resize(bands_->size());
  row.call = calls_->Add(record.call, arena_.get());

  char* texts = arena_->Allocate(TextSize(record.rstRcvd) + TextSize(record.rstSent) +
                                 TextSize(record.exchRcvd) + TextSize(record.exchSent));
  row.texts = texts;
  texts = PutText(texts, record.rstRcvd);
  texts = PutText(texts, record.rstSent);
  texts = PutText(texts, record.exchRcvd);
  PutText(texts, record.exchSent);

  row.days = record.time.days();
  row.status = record.time.status();
  row.freqKhz = record.freqKhz;
  row.area = area;
  row.flags = static_cast<uint8_t>((record.dupe != 0 ? kDupe : 0) |
                                   (record.notCounted != 0 ? kNotCounted : 0) |
                                   (record.areaRefused ? kAreaRefused : 0));
  const int earlier = Count(row, 1);
  if (earlier > 0) row.flags |= kDupe | kNotCounted;
  rows_.push_back(row);
  return earlier;
}

bool QsoStore::Ids(std::string_view call, std::string_view band, std::string_view mode,
                   uint32_t* call_id, uint32_t* band_id, uint32_t* mode_id) const {
  if (arena_ == nullptr) return false;
  *band_id = bands_->Find(band);
  *mode_id = modes_->Find(mode);
  *call_id = calls_->Find(call);
  return *band_id != Interned::kNone && *mode_id != Interned::kNone && *call_id != Interned::kNone;
}

bool QsoStore::RemoveFirst(std::string_view call, std::string_view band, std::string_view mode,
                           const COleDateTime& time) {
  uint32_t call_id, band_id, mode_id;
  if (!Ids(call, band, mode, &call_id, &band_id, &mode_id)) return false;
  if (same_->Count(call_id, band_id, mode_id) == 0) return false;
  const auto same = [&](const Row& r) {
    return r.call == call_id && r.band == band_id && r.mode == mode_id;
  };
  for (auto it = rows_.begin(); it != rows_.end(); ++it) {
    if (same(*it) && COleDateTime(it->days, it->status) == time) {
      // A duplicate leaves the group's first record in place; only the
      // removal of a first record promotes the next equal one.
      const bool was_first = (it->flags & kDupe) == 0;
      const bool others_left = Count(*it, -1) > 1;
      it = rows_.erase(it);
      if (was_first && others_left) {
        // The walk stops at the next equal record, so removal stays linear.
        it = std::find_if(it, rows_.end(), same);
        if (it != rows_.end()) {
          it->flags &= static_cast<uint8_t>(~(kDupe | kNotCounted));
          if ((it->flags & kAreaRefused) != 0) it->flags |= kNotCounted;
        }
      }
      return true;
    }
  }
  return false;
}

void QsoStore::Clear() {
  // A store that held nothing keeps the sizes of the fill before it: the
  // host resets more than once before it replays its log.
  if (!rows_.empty()) {
    last_rows_ = rows_.size();
    last_calls_ = calls_->size();
    last_same_ = same_->size();
    last_text_ = arena_->used();
  }
  [[maybe_unused]] const bool large = rows_.capacity() >= kTrimFrom;
  // Swapping with an empty vector releases its capacity; clear() alone
  // would keep a million-record buffer for the next, maybe small, log.
  std::vector<Row>().swap(rows_);
  decltype(band_areas_)().swap(band_areas_);
  arena_.reset();
  bands_.reset();
  modes_.reset();
  calls_.reset();
  same_.reset();
#if defined(__GLIBC__)
  // Large blocks may come from the heap rather than their own mappings
  // (glibc raises its mapping threshold after freeing one), and glibc does
  // not hand freed heap pages back on its own. The trim walks the whole
  // heap, which a host holding other data pays on every reset: a small
  // log's few pages are not worth it.
  if (large) malloc_trim(0);
#endif
}

int QsoStore::CountSame(std::string_view call, std::string_view band, std::string_view mode) const {
  uint32_t call_id, band_id, mode_id;
  if (!Ids(call, band, mode, &call_id, &band_id, &mode_id)) return 0;
  return same_->Count(call_id, band_id, mode_id);
}

bool QsoStore::HasArea(std::string_view band, std::string_view area) const {
  if (arena_ == nullptr) return false;
  const uint32_t band_id = bands_->Find(band);
  if (band_id == Interned::kNone) return false;
  const int slot = area.empty() ? kNoArea : contest::MultiplierIndex(area);
  return slot >= 0 && band_areas_[band_id][slot] > 0;
}
