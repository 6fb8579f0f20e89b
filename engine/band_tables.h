// BandTables: the three per-band tables indexed by band slot (0 = 160m ...
// 5 = 10m): the previous-QSO rows of the panel, the worked-area lists of the
// area grid, and the info lists (the multipliers still missing on each band).
// Plain data guarded by the module's table lock.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "engine/contest_rules.h"

struct BandTables {
  using Texts = std::vector<std::string>;

  BandTables() { ClearResults(); }

  std::array<Texts, contest::kBandSlots> previousQsoRows;
  std::array<Texts, contest::kBandSlots> infoLists;
  std::array<Texts, contest::kBandSlots> workedAreas;

  // Empties every worked-area list (and so fills every info list).
  void ClearResults();
  void SetWorkedAreas(int slot, Texts areas);
  // Six rows: the band-list entry as label, then "-" four times.
  void ResetPreviousQsoRows(const class CaseInsensitiveSet& band_list);

 private:
  // The info list of a slot: the 31 multipliers not in its worked-area list,
  // in ascending byte order.
  void RefreshInfoList(int slot);
};
