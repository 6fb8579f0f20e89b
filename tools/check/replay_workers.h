// ReplayWorkers: tzq-check's replays through the plug-in, spread over worker
// processes. The plug-in is one instance per process, so threads cannot
// share it: each worker is a copy of tzq-check in its hidden worker mode
// that loads its own copy of the plug-in, with a working folder of its own,
// and replays whole logs, one at a time, as the parent hands them out. A
// replay's result depends on its log alone, so which worker replays a log
// changes nothing. A worker that dies takes only the log it was replaying
// with it: that replay is reported as died, with how, and a fresh worker
// takes the logs after it.
// Owned and called by one thread; it runs a thread per worker inside Run.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/check/log_source.h"

struct ReplayJob {
  std::vector<const LogQso*> qsos;  // in replay order; must outlive Run
  std::string ownCall;
  int periodStart = 0, periodEnd = 0;  // YYYYMMDD
  bool withWarnings = false;
};

struct ReplayJobResult {
  PluginScore score;
  // The worker died during this replay; `death` says how.
  bool died = false;
  std::string death;
  // The replay ran, but its score cannot be trusted (an output of the
  // plug-in missing or cut short, a report without totals): why.
  std::string problem;
};

class ReplayWorkers {
 public:
  // `plugin` empty: the plug-in this program finds by default. The workers
  // work in a folder in memory where the platform has one and `in_memory`
  // asks for it, else in a fresh folder of their own made inside
  // `out_folder` (which must exist), one folder per worker in it; it goes
  // with the object. `workers` 0: one per processor.
  ReplayWorkers(const std::string& plugin, const std::string& out_folder, int workers,
                bool in_memory = true);
  ~ReplayWorkers();
  ReplayWorkers(const ReplayWorkers&) = delete;
  ReplayWorkers& operator=(const ReplayWorkers&) = delete;

  // Replays every job and gives the results in job order. Workers start on
  // the first call and serve the later ones. False, with `error`, when the
  // plug-in cannot be loaded, no worker can be started or a working folder
  // cannot be used; a worker's death and a replay's problem are results,
  // not errors.
  bool Run(const std::vector<ReplayJob>& jobs, std::vector<ReplayJobResult>* results,
           std::string* error);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The worker's side: tzq-check started with kReplayWorkerArgument first.
// `args` follow it. Returns the process's exit status.
inline constexpr const char* kReplayWorkerArgument = "--replay-worker";
int RunReplayWorker(const std::vector<std::string>& args);
