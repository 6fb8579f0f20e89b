#include "engine/band_tables.h"

#include <algorithm>
#include <cstdint>

void BandTables::ClearResults() {
  for (int slot = 0; slot < contest::kBandSlots; ++slot) SetWorkedAreas(slot, {});
}

void BandTables::SetWorkedAreas(int slot, Texts areas) {
  workedAreas[slot] = std::move(areas);
  RefreshInfoList(slot);
}

void BandTables::ResetPreviousQsoRows(const CaseInsensitiveSet& band_list) {
  for (int slot = 0; slot < contest::kBandSlots; ++slot) {
    previousQsoRows[slot] = {band_list.at(slot), "-", "-", "-", "-"};
  }
}

void BandTables::RefreshInfoList(int slot) {
  // A multiplier's position stands for its exact name: one bit per worked
  // one instead of a text search per multiplier (every score report does this).
  uint32_t worked = 0;
  for (const std::string& area : workedAreas[slot]) {
    const int bit = contest::MultiplierIndex(area);
    if (bit >= 0) worked |= 1u << bit;
  }
  Texts missing;
  for (int bit = 0; bit < contest::kMultiplierCount; ++bit) {
    if ((worked & (1u << bit)) == 0) missing.emplace_back(contest::MultiplierName(bit));
  }
  std::sort(missing.begin(), missing.end());
  infoLists[slot] = std::move(missing);
}
