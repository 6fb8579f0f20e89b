// Benchmarks of the plug-in through its exported functions, loaded by file
// name as a host loads it. Run: build/native/bin/tzq_bench (see README).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/generated_log.h"
#include "engine/file_io.h"
#include "tools/plugin_loader/host_calls.h"
#include "tools/plugin_loader/plugin_library.h"

namespace {

namespace fs = std::filesystem;

struct Loaded {
  PluginLibrary library, noop;
  PluginApi api;
  AddData0Fn noopData = nullptr;
  std::string folder;

  Loaded() {
    const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
    std::string error;
    if (!library.Open((bin / PluginLibrary::DefaultFileName()).string(), &error) ||
        !api.Resolve(library, &error) ||
        !noop.Open((bin / "tzq_noop_plugin.so").string(), &error)) {
      throw std::runtime_error(error);
    }
    noopData = noop.Get<AddData0Fn>("NoOpData0");
    folder = (fs::temp_directory_path() / "tzq-bench").string();
    fs::create_directories(folder + "/Plugins");
    fs::current_path(folder);
  }
};

Loaded& Plugin() {
  static Loaded loaded;
  return loaded;
}

const std::vector<BenchQso>& Log(size_t n) {
  static std::vector<BenchQso> small = GenerateLog(5000), large = GenerateLog(50000);
  return n == 5000 ? small : large;
}

struct HostLog {
  std::vector<HostDate> dates;
  std::vector<HostQso> qsos;
  explicit HostLog(const std::vector<BenchQso>& log) {
    dates.reserve(log.size());
    for (const BenchQso& b : log) {
      dates.push_back(HostDate{b.day, 0, 0});
      HostQso q;
      q.call = b.call.c_str();
      q.band = b.band.c_str();
      q.mode = b.mode.c_str();
      q.exchRcvd = b.exchRcvd.c_str();
      q.dxPrefix = b.dxPrefix.c_str();
      q.freqHz = b.freqHz;
      q.time = &dates.back();
      qsos.push_back(q);
    }
  }
};

void Replay(const PluginApi& api, const HostLog& log) {
  const HostDate start = HostDate::At(2018, 6, 9), end = HostDate::At(2018, 6, 10);
  // "Start" set before every reset: the replay measures the log, not the
  // settings window opening on every other reset.
  file_io::ReplaceContents("Plugins/TZQ.ini", "[Settings]\r\nStart=1\r\n");
  CallReset(api.ResetStats0, 0, "PY2AA", &start, &end);
  for (const HostQso& q : log.qsos) CallQso(api.AddData0, q);
}

void BM_Replay(benchmark::State& state) {
  Loaded& p = Plugin();
  const HostLog log(Log(static_cast<size_t>(state.range(0))));
  for (auto _ : state) Replay(p.api, log);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Replay)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

void BM_CheckCall(benchmark::State& state) {
  Loaded& p = Plugin();
  const HostLog log(Log(50000));
  Replay(p.api, log);
  HostCallCheck check;
  size_t i = 0;
  for (auto _ : state) {
    const HostQso& q = log.qsos[i++ % log.qsos.size()];
    check.call = q.call;
    check.band = q.band;
    check.mode = q.mode;
    check.area = q.exchRcvd;
    benchmark::DoNotOptimize(CallCheck(p.api.CheckCall0, check));
  }
}
BENCHMARK(BM_CheckCall)->Unit(benchmark::kNanosecond);

void BM_RemoveData(benchmark::State& state) {
  Loaded& p = Plugin();
  const HostLog log(Log(50000));
  Replay(p.api, log);
  size_t i = 0;
  for (auto _ : state) {
    // Remove one QSO and give it back, so the store keeps 50,000.
    const HostQso& q = log.qsos[(i++ * 7919) % log.qsos.size()];
    CallQso(p.api.RemoveData0, q);
    state.PauseTiming();
    CallQso(p.api.AddData0, q);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RemoveData)->Unit(benchmark::kMicrosecond);

void BM_AddDataPerQso(benchmark::State& state) {
  Loaded& p = Plugin();
  const HostLog log(Log(50000));
  size_t i = 0;
  Replay(p.api, HostLog(std::vector<BenchQso>()));
  for (auto _ : state) {
    if (i == log.qsos.size()) {
      state.PauseTiming();
      Replay(p.api, HostLog(std::vector<BenchQso>()));
      i = 0;
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(CallQso(p.api.AddData0, log.qsos[i++]));
  }
}
BENCHMARK(BM_AddDataPerQso)->Unit(benchmark::kNanosecond);

void BM_NoOpFloor(benchmark::State& state) {
  Loaded& p = Plugin();
  const HostLog log(Log(5000));
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(CallQso(p.noopData, log.qsos[i++ % log.qsos.size()]));
  }
}
BENCHMARK(BM_NoOpFloor)->Unit(benchmark::kNanosecond);

void BM_GetResult(benchmark::State& state) {
  Loaded& p = Plugin();
  const HostLog log(Log(50000));
  Replay(p.api, log);
  if (state.range(0) != 0) p.api.setVersion("bench");
  int out = 0;
  for (auto _ : state) benchmark::DoNotOptimize(p.api.GetResult0(&out));
  state.SetLabel(state.range(0) != 0 ? "html" : "text");
}
long ResidentBytes() {
  long pages = 0, resident = 0;
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (f == nullptr) return 0;
  const int read = std::fscanf(f, "%ld %ld", &pages, &resident);
  std::fclose(f);
  return read == 2 ? resident * sysconf(_SC_PAGESIZE) : 0;
}

// What a stored QSO costs in resident memory, every call distinct (one
// index entry per QSO, the worst case), and what a reset leaves behind.
void BM_ResidentPerQso(benchmark::State& state) {
  Loaded& p = Plugin();
  const long count = state.range(0);
  const char* bands[] = {"80m", "40m", "20m", "15m", "10m"};
  const char* modes[] = {"RTTY", "BPSK31", "BPSK63", "BPSK125"};
  std::vector<std::string> calls(static_cast<size_t>(count));
  for (long i = 0; i < count; ++i) calls[static_cast<size_t>(i)] = "PY" + std::to_string(i);
  long fresh = 0, full = 0, after = 0;
  for (auto _ : state) {
    Replay(p.api, HostLog(std::vector<BenchQso>()));
    fresh = ResidentBytes();
    HostDate date{43260.5, 0, 0};
    HostQso q;
    q.exchRcvd = "SP";
    q.dxPrefix = "PY";
    q.time = &date;
    for (long i = 0; i < count; ++i) {
      q.call = calls[static_cast<size_t>(i)].c_str();
      q.band = bands[i % 5];
      q.mode = modes[(i / 5) % 4];
      q.freqHz = 7035000;
      CallQso(p.api.AddData0, q);
    }
    full = ResidentBytes();
    Replay(p.api, HostLog(std::vector<BenchQso>()));
    after = ResidentBytes();
  }
  state.counters["bytes_per_qso"] = static_cast<double>(full - fresh) / static_cast<double>(count);
  state.counters["kb_left_after_reset"] = static_cast<double>(after - fresh) / 1024.0;
}
BENCHMARK(BM_ResidentPerQso)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

// HTML last: once switched on it stays on while the library is loaded.
BENCHMARK(BM_GetResult)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
