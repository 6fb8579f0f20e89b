// A host rebuilding its log that never gets to the end: a reset, then one
// refused QSO after another (call C<n>, n from 0), printing after each
// AddData0 that returned how many have. The held-file tests kill it in the
// middle of that run.
//   tzq_add_run_child PLUGIN FOLDER

#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/plugin_loader/host_calls.h"
#include "tools/plugin_loader/plugin_library.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tzq_add_run_child PLUGIN FOLDER\n");
    return 2;
  }
  PluginLibrary library;
  PluginApi api;
  std::string error;
  if (!library.Open(argv[1], &error) || !api.Resolve(library, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::filesystem::current_path(argv[2]);
  const HostDate start = HostDate::At(2018, 6, 9), end = HostDate::At(2018, 6, 10);
  CallReset(api.ResetStats0, 0, "PY2AA", &start, &end);
  const HostDate when = HostDate::At(2018, 6, 9, 12, 0, 0);
  HostQso q;
  q.time = &when;
  q.band = "160m";
  // Bounded only so that an orphan cannot run for ever; a full output pipe
  // holds it long before.
  for (int i = 0; i < 10000000; ++i) {
    const std::string call = "C" + std::to_string(i);
    q.call = call.c_str();
    CallQso(api.AddData0, q);
    if (std::printf("%d\n", i + 1) < 0 || std::fflush(stdout) != 0) return 1;
  }
  return 0;
}
