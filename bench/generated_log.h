// A deterministic, realistic contest log for the benchmarks, held in memory
// as the host would pass it: about 3,000 distinct calls over all five bands
// and four modes, each station worked once per band and mode except for
// about 2% duplicates, and about 5% QSOs that the plug-in rejects (wrong
// mode, missing exchange, unknown area).
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/ole_date.h"

struct BenchQso {
  std::string call, band, mode, exchRcvd, dxPrefix;
  unsigned freqHz = 0;
  double day = 0.0;  // OLE day count
};

inline std::vector<BenchQso> GenerateLog(size_t count, uint32_t seed = 20180609) {
  static const char* const kBands[] = {"80m", "40m", "20m", "15m", "10m"};
  static const unsigned kBase[] = {3580000, 7035000, 14080000, 21080000, 28080000};
  static const char* const kModes[] = {"RTTY", "BPSK31", "BPSK63", "BPSK125"};
  static const char* const kAreas[] = {"SP", "RJ", "MG", "RS", "PR", "SC", "BA", "PE", "CE", "DF",
                                       "GO", "ES", "PA", "AM", "MT", "MS", "PB", "RN", "AL", "SE",
                                       "PI", "MA", "TO", "RO", "AC", "AP", "RR", "UF"};
  std::mt19937 random(seed);
  auto below = [&random](uint32_t n) {
    return std::uniform_int_distribution<uint32_t>(0, n - 1)(random);
  };
  const double start = COleDateTime::FromCalendar(2018, 6, 9, 12, 0, 0).days();

  // Every station-band-mode combination once, in random order; a log longer
  // than the 60,000 combinations starts over.
  std::vector<uint32_t> combos(3000 * 5 * 4);
  for (uint32_t i = 0; i < combos.size(); ++i) combos[i] = i;
  std::shuffle(combos.begin(), combos.end(), random);

  std::vector<BenchQso> log;
  log.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    BenchQso q;
    // About 2% repeat an earlier contact: duplicates.
    const uint32_t combo =
        combos[(below(50) == 0 && i > 0) ? below(static_cast<uint32_t>(i)) % combos.size()
                                         : i % combos.size()];
    const uint32_t station = combo / 20;
    const uint32_t band = combo / 4 % 5;
    q.call = "PY" + std::to_string(1 + station % 9) + static_cast<char>('A' + station / 9 % 26) +
             static_cast<char>('A' + station / 234 % 26);
    q.band = kBands[band];
    q.mode = kModes[combo % 4];
    q.freqHz = kBase[band] + below(30000);
    q.dxPrefix = "PY";
    const uint32_t kind = below(100);
    if (kind < 60) {
      q.exchRcvd = kAreas[station % 28];
    } else if (kind < 75) {
      q.exchRcvd = "YL";
    } else if (kind < 85) {
      q.exchRcvd = "QRP";
    } else if (kind < 92) {
      q.exchRcvd = "LB";
    } else if (kind < 95) {
      q.dxPrefix = station % 3 == 0 ? "PY0F" : station % 3 == 1 ? "PY0S" : "PY0T";
      q.exchRcvd = "YL";
    } else if (kind < 97) {
      q.exchRcvd = "XX";  // unknown area
    } else if (kind < 99) {
      q.mode = "CW";  // wrong mode
      q.exchRcvd = "SP";
    } else {
      q.exchRcvd = "";  // no exchange
    }
    q.day = start + i * (48.0 / 24.0) / static_cast<double>(count);
    log.push_back(q);
  }
  return log;
}
