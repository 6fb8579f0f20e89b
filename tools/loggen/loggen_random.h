// The log generator's random numbers: SplitMix64, tiny, fast and identical
// on every machine and compiler, so that the same seed always gives the
// same bytes. One generator per use; not shared between threads.
#pragma once

#include <cstddef>
#include <cstdint>

class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
  // True with a chance of `per_mille` in a thousand.
  bool Chance(int per_mille) { return Below(1000) < per_mille; }
  template <typename T, size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(static_cast<int>(N))];
  }

 private:
  uint64_t state_;
};
