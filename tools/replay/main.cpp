// tzq-replay: scores a contest log through the TZQ statistics plug-in the
// way the host program drives it. See --help.

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "engine/version.h"
#include "tools/replay/replay_platform.h"
#include "tools/replay/replay_run.h"

int main(int argc, char** argv) {
  UseBinaryStandardStreams();
  const std::vector<std::string> args(argv + 1, argv + argc);
  // Answered before any other option is looked at, as GNU tools do, so that
  // it works whatever else is on the command line; the option parser never
  // sees it.
  const auto options_end = std::find(args.begin(), args.end(), "--");
  if (std::find(args.begin(), options_end, "--version") != options_end) {
    std::cout << "tzq-replay " TZQ_VERSION_TEXT "\n";
    return 0;
  }
  const int status = RunReplay(args, std::cout, std::cerr, std::cin);
  std::cout.flush();
  if (!FinishStandardOutput() && status == 0) {
    std::cerr << "tzq-replay: standard output: the report could not be written\n";
    return 1;
  }
  return status;
}
