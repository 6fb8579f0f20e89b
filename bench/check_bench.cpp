// Benchmark of tzq-check on generated contests of 500 QSOs per log: the
// whole run (reading every log, the cross-check, two replays per log through
// the plug-in, writing every output) and the cross-check alone, for 250 and
// 2,000 logs, so that the growth from one to the other shows. Run:
// build/native/bin/tzq_check_bench (see README).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "tools/check/check_run.h"
#include "tools/loggen/contest_logs.h"

namespace {

namespace fs = std::filesystem;

// One generated contest per size, written once per process.
const std::string& ContestFolder(int stations) {
  static std::map<int, std::string> folders;
  auto it = folders.find(stations);
  if (it != folders.end()) return it->second;
  const fs::path folder =
      fs::temp_directory_path() / ("tzq-check-bench-" + std::to_string(stations));
  fs::remove_all(folder);
  fs::create_directories(folder / "logs");
  ContestOptions options;
  options.stations = stations;
  options.seed = 99;
  options.qsosPerLog = 500;
  for (const auto& [name, bytes] : GenerateContest(options)) {
    std::ofstream((folder / "logs" / name).string(), std::ios::binary) << bytes;
  }
  return folders[stations] = folder.string();
}

void BM_CheckContest(benchmark::State& state) {
  const std::string folder = ContestFolder(static_cast<int>(state.range(0)));
  const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
  for (auto _ : state) {
    std::ostringstream out, err;
    const int status = RunCheck(
        {folder + "/logs", "--out", folder + "/results", "--plugin", (bin / "Stats.so").string()},
        out, err);
    if (status != 0) state.SkipWithError(err.str().c_str());
  }
  state.counters["logs"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_CheckContest)->Arg(250)->Arg(2000)->Iterations(1)->Unit(benchmark::kSecond);

void BM_CrossCheckOnly(benchmark::State& state) {
  const std::string folder = ContestFolder(static_cast<int>(state.range(0)));
  // The logs as the checker sees them, read outside the timing.
  std::vector<CheckStation> stations;
  for (const auto& entry : fs::directory_iterator(folder + "/logs")) {
    if (entry.path().extension() != ".cbr" && entry.path().extension() != ".adi") continue;
    std::vector<LogQso> qsos;
    std::string error;
    if (!ReadLogQsos(entry.path().string(), &qsos, &error)) continue;
    CheckStation s;
    s.call = NormalisedText(qsos.empty() ? "" : qsos.front().ownCall);
    for (const LogQso& q : qsos) {
      s.qsos.push_back({NormalisedText(q.call), q.band, NormalisedText(q.mode),
                        static_cast<long long>(q.oleDays * 86400.0 + 0.5),
                        NormalisedText(q.exchSent), NormalisedText(q.exchRcvd)});
    }
    stations.push_back(std::move(s));
  }
  for (auto _ : state) benchmark::DoNotOptimize(CrossCheck(stations, 180));
}
BENCHMARK(BM_CrossCheckOnly)->Arg(250)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
