#include "engine/band_tables.h"

#include <algorithm>

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
  Texts missing;
  auto consider = [&](const char* code) {
    const Texts& worked = workedAreas[slot];
    if (std::find(worked.begin(), worked.end(), code) == worked.end()) missing.emplace_back(code);
  };
  for (const char* code : contest::kAreaCodes) consider(code);
  for (const char* code : contest::kIslandPrefixes) consider(code);
  std::sort(missing.begin(), missing.end());
  infoLists[slot] = std::move(missing);
}
