#include "engine/contest_rules.h"

#include "engine/text.h"

CaseInsensitiveSet::CaseInsensitiveSet(const char* const* table, size_t count) {
  entries_.reserve(count);
  for (size_t i = 0; i < count; ++i) entries_.emplace_back(table[i]);
}

bool CaseInsensitiveSet::Contains(std::string_view s) const {
  // Asked once or twice per QSO: compared inline, entry by entry.
  for (const std::string& entry : entries_) {
    if (entry.size() != s.size()) continue;
    size_t i = 0;
    while (i < s.size() && text::ToLower(entry[i]) == text::ToLower(s[i])) ++i;
    if (i == s.size()) return true;
  }
  return false;
}

namespace contest {

const char* const kBandList[6] = {"80m", "80m", "40m", "20m", "15m", "10m"};
const char* const kModeList[4] = {"BPSK31", "BPSK63", "BPSK125", "RTTY"};
const char* const kAreaCodes[28] = {"AC", "AL", "AP", "AM", "BA", "CE", "DF", "ES", "GO", "MA",
                                    "MT", "MS", "MG", "PA", "PB", "PR", "PE", "PI", "RJ", "RN",
                                    "RS", "RO", "RR", "SC", "SP", "SE", "TO", "UF"};
const char* const kIslandPrefixes[3] = {"PY0F", "PY0S", "PY0T"};
const char* const kBandNames[kBandSlots] = {"160m", "80m", "40m", "20m", "15m", "10m"};

CaseInsensitiveSet MakeBandList() {
  return CaseInsensitiveSet(kBandList, 6);
}
CaseInsensitiveSet MakeModeList() {
  return CaseInsensitiveSet(kModeList, 4);
}

bool IsAreaCode(std::string_view s) {
  const int index = MultiplierIndex(s);
  return index >= 0 && index < 28;
}

int BandIndexOfName(std::string_view band) {
  for (int i = 0; i < kBandSlots; ++i) {
    if (band == kBandNames[i]) return i;
  }
  return kNoBand;
}

int BandIndexOfMhz(long mhz) {
  switch (mhz) {
    case 1:
      return 0;
    case 3:
      return 1;
    case 7:
      return 2;
    case 14:
      return 3;
    case 21:
      return 4;
    case 28:
      return 5;
    default:
      return kNoBand;
  }
}

namespace {

// Two-letter codes by their letters: 26 x 26 slots, -1 where no code is.
struct CodeTable {
  int slot[26 * 26];
  CodeTable() {
    for (int& s : slot) s = -1;
    for (int i = 0; i < 28; ++i) slot[(kAreaCodes[i][0] - 'A') * 26 + (kAreaCodes[i][1] - 'A')] = i;
  }
};

}  // namespace

int MultiplierIndex(std::string_view area) {
  static const CodeTable table;
  if (area.size() == 2) {
    const unsigned a = static_cast<unsigned char>(area[0]) - 'A';
    const unsigned b = static_cast<unsigned char>(area[1]) - 'A';
    return a < 26 && b < 26 ? table.slot[a * 26 + b] : -1;
  }
  for (int i = 0; i < 3; ++i) {
    if (area == kIslandPrefixes[i]) return 28 + i;
  }
  return -1;
}

const char* MultiplierName(int index) {
  return index < 28 ? kAreaCodes[index] : kIslandPrefixes[index - 28];
}

int PointsForExchange(std::string_view exch_rcvd) {
  if (exch_rcvd == "YL") return 10;
  if (exch_rcvd == "QRP") return 5;
  if (exch_rcvd == "LB") return 3;
  return 2;
}

}  // namespace contest
