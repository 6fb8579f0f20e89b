// RunReplay: the whole tzq-replay program behind main(), so tests can run it
// in-process with captured streams. Returns the exit status: 0 scored with
// every output whole, 1 the plug-in, the working folder or an output failed,
// 2 bad options or log (nothing written). Not reentrant: the replay moves
// the process's working folder for its duration.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

// `args` without the program name. The report goes to `out`, warnings, the
// summary and every error to `err`; `in` is read for the log "-".
int RunReplay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              std::istream& in);
