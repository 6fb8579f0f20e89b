// tzq-check: the contest committee's tool. Scores every submitted TZQ log
// through the plug-in, cross-checks the logs and publishes the results. See
// --help.

#include <iostream>
#include <string>
#include <vector>

#include "tools/check/check_run.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return RunCheck(args, std::cout, std::cerr);
}
