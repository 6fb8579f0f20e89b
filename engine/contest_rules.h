// The TZQ contest's constant vocabulary: accepted bands and modes, the area
// table, and the band index of the per-band tables. All of it is filled once
// when the module is built and read-only afterwards, so any thread may read it.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

// A list of texts with a case-insensitive membership test.
class CaseInsensitiveSet {
 public:
  CaseInsensitiveSet(const char* const* table, size_t count);

  // True when an entry equals `s` ignoring letter case.
  bool Contains(std::string_view s) const;

  size_t size() const { return entries_.size(); }
  const std::string& at(size_t i) const { return entries_.at(i); }

 private:
  std::vector<std::string> entries_;
};

namespace contest {

inline constexpr int kBandSlots = 6;  // 160m, 80m, 40m, 20m, 15m, 10m
inline constexpr int kNoBand = -1;

// "80m" stands twice and "160m" not at all: 160 m QSOs are never accepted.
// The previous-QSO rows are built from this list, so the 1.8 MHz slot's
// stored label reads "80m"; the panel draws that row as "160m".
extern const char* const kBandList[6];
extern const char* const kModeList[4];
extern const char* const kAreaCodes[28];
// The 31 multipliers: the area table and the three island prefixes.
extern const char* const kIslandPrefixes[3];
extern const char* const kBandNames[kBandSlots];

CaseInsensitiveSet MakeBandList();
CaseInsensitiveSet MakeModeList();

// Exact, case-sensitive search of the area table.
bool IsAreaCode(std::string_view s);
// Slot of a band name (exact comparison), or kNoBand.
int BandIndexOfName(std::string_view band);
// Slot of a frequency in whole megahertz, or kNoBand.
int BandIndexOfMhz(long mhz);
// Position of a multiplier among the 31 (area table order, then the three
// island prefixes), or -1 for any other text. Constant time.
inline constexpr int kMultiplierCount = 31;
int MultiplierIndex(std::string_view area);
const char* MultiplierName(int index);
// Points of a counted QSO by its received exchange (exact comparison).
int PointsForExchange(std::string_view exch_rcvd);

}  // namespace contest
