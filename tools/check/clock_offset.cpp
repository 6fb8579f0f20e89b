#include "tools/check/clock_offset.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

ClockOffset JudgeClockOffset(std::vector<long long>* differences) {
  ClockOffset clock;
  std::vector<long long>& d = *differences;
  clock.matches = static_cast<int>(d.size());
  if (d.empty()) return clock;
  std::sort(d.begin(), d.end());
  const size_t mid = d.size() / 2;
  // Twice the median, so that an even count's middle pair stays exact.
  const long long twice = d.size() % 2 == 1 ? 2 * d[mid] : d[mid - 1] + d[mid];
  for (long long x : d) {
    if (std::llabs(2 * x - twice) <= 2 * kClockAgreeSeconds) ++clock.agreeing;
  }
  clock.minutes = static_cast<int>(std::llround(static_cast<double>(twice) / 120.0));
  clock.applied = clock.matches >= kClockMinMatches && 3 * clock.agreeing >= 2 * clock.matches &&
                  std::abs(clock.minutes) >= kClockMinMinutes;
  return clock;
}
