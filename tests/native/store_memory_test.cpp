// A reset must give a large log's memory back to the system, and a stored
// QSO must stay small. Both are read from the process's own resident size,
// which is what the user sees of the host.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "tests/support/module_fixture.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TZQ_OWN_ALLOCATOR 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TZQ_OWN_ALLOCATOR 0
#endif
#endif
#ifndef TZQ_OWN_ALLOCATOR
#define TZQ_OWN_ALLOCATOR 1
#endif

namespace {

long ResidentBytes() {
  long pages = 0, resident = 0;
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (f == nullptr) return -1;
  const int read = std::fscanf(f, "%ld %ld", &pages, &resident);
  std::fclose(f);
  return read == 2 ? resident * sysconf(_SC_PAGESIZE) : -1;
}

class StoreMemoryTest : public ModuleTest {};

TEST_F(StoreMemoryTest, ALargeLogStaysSmallAndAResetGivesItBack) {
  if (!TZQ_OWN_ALLOCATOR) GTEST_SKIP() << "a sanitizer's allocator keeps freed memory";
  // Just under a power of two, like a million: the record buffer then has
  // the same share of spare capacity, and the run stays short.
  constexpr long kQsos = 250000;
  const char* bands[] = {"80m", "40m", "20m", "15m", "10m"};
  const char* modes[] = {"RTTY", "BPSK31", "BPSK63", "BPSK125"};
  const char* areas[] = {"RJ", "SP", "MG", "RS", "YL", "QRP"};
  Reset();
  const long fresh = ResidentBytes();
  ASSERT_GT(fresh, 0);
  Qso q;
  for (long i = 0; i < kQsos; ++i) {
    // Every call distinct: the index holds one entry per QSO, its worst case.
    q.call = "PY" + std::to_string(i);
    q.band = bands[i % 5];
    q.mode = modes[(i / 5) % 4];
    q.exchRcvd = areas[i % 6];
    q.time = COleDateTime(43260.5 + i / 86400.0, COleDateTime::kValid);
    ASSERT_EQ(Add(q), 1);
  }
  const long full = ResidentBytes();
  const long per_qso = (full - fresh) / kQsos;
  RecordProperty("bytes_per_qso", std::to_string(per_qso));
  std::printf("resident: fresh %ld KB, %ld QSOs %ld KB (%ld bytes per QSO)\n", fresh / 1024, kQsos,
              full / 1024, per_qso);
  EXPECT_LT(per_qso, 250);

  Reset();
  const long after = ResidentBytes();
  std::printf("resident after the reset: %ld KB\n", after / 1024);
  EXPECT_LT(after - fresh, 4L << 20);
  EXPECT_TRUE(module_->store().empty());
}

}  // namespace
