// tzq-replay: scores a contest log through the TZQ statistics plug-in the
// way the host program drives it. See --help.

#include <iostream>
#include <string>
#include <vector>

#include "tools/replay/replay_platform.h"
#include "tools/replay/replay_run.h"

int main(int argc, char** argv) {
  UseBinaryStandardStreams();
  const std::vector<std::string> args(argv + 1, argv + argc);
  return RunReplay(args, std::cout, std::cerr, std::cin);
}
